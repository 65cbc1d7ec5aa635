// Fuzz target for the update page: whatever the page holds, an archive name
// offered is the prefix, four ASCII digits and ".zip" in any case, so that it
// is always a plain file name inside the chosen folder.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "about/update_check.h"
#include "fuzz/fuzz_input.h"

using namespace filvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  const auto found = FindReleaseArchive(page, "Filvex_");
  if (!found) return 0;
  const std::string& name = found->name;
  bool ok = name.size() == 15 && name.compare(0, 7, "Filvex_") == 0 && found->release.size() == 4 &&
            name.compare(7, 4, found->release) == 0 && page.find(name) != std::string_view::npos;
  for (char c : found->release) ok = ok && c >= '0' && c <= '9';
  if (!ok) {
    std::fprintf(stderr, "update_page_fuzz: unsafe name offered\n");
    std::abort();
  }
  return 0;
}
