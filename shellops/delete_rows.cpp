#include "shellops/delete_rows.h"

#include <algorithm>

namespace filvex {

std::vector<size_t> RowsAfterErase(const std::vector<size_t>& rows, std::vector<size_t> erased) {
  std::sort(erased.begin(), erased.end());
  erased.erase(std::unique(erased.begin(), erased.end()), erased.end());
  std::vector<size_t> out;
  out.reserve(rows.size());
  for (size_t row : rows) {
    const auto above = std::lower_bound(erased.begin(), erased.end(), row);
    if (above != erased.end() && *above == row) continue;
    out.push_back(row - static_cast<size_t>(above - erased.begin()));
  }
  return out;
}

}  // namespace filvex
