#pragma once
// Pieces of the search-list build that tests reach (its window handlers are
// members of TVemkoSearcher).

#include <functional>

namespace filvex {

// For tests: a function that the build worker runs before each drive (empty in
// the program); a throw from it stands for a build that fails.
void SetBuildFaultForTests(std::function<void()> fault);

}  // namespace filvex
