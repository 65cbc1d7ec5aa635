#pragma once
// Number texts of the frame: the hit-limit box's text and its reading, and
// whole sizes. Digit grouping (GroupedNumber, the patterns "###,###,###",
// "#,##0" and "#,000") is the one of the row texts.

#include <cstdint>
#include <string>
#include <string_view>

#include "results/row_text.h"  // GroupedNumber

namespace filvex {

// The hit-limit box's text read as a number: every "," is dropped except one
// in the very last position, blanks around are trimmed, and the rest must be
// a whole decimal number (a sign allowed). False when it is not one.
bool ParseHitLimitText(std::string_view text, long long* value);

// A size in bytes as a whole number of the largest unit it reaches (B, KB,
// MB, GB, TB; rounded, halves up) directly followed by the unit: 16384 gives
// 16KB, 1048576 gives 1MB. The filter panel shows its size bounds this way.
std::string WholeSizeText(uint64_t bytes);

// The hit-limit box's text for a limit ("#,000").
inline std::string HitLimitText(int limit) {
  return GroupedNumber(limit < 0 ? 0 : static_cast<uint64_t>(limit), 3);
}

}  // namespace filvex
