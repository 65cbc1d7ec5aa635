#pragma once
// Row bookkeeping of the delete command: where the rows that stay end up once
// others are taken out of the result list.

#include <cstddef>
#include <vector>

namespace filvex {

// The rows of `rows` that are not in `erased`, each moved up by the number of
// erased rows above it: the new indices of the rows that stay, in the order
// of `rows`. Both lists may come in any order; repeats are allowed.
std::vector<size_t> RowsAfterErase(const std::vector<size_t>& rows, std::vector<size_t> erased);

}  // namespace filvex
