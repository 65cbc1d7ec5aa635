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

// The hit limit after the box's text was typed: the number read as above,
// clamped to 100-100,000; `previous` (clamped too) when the text is not one.
int TypedHitLimit(std::string_view text, int previous);

// A size in bytes as a whole number of the largest unit it reaches (B, KB,
// MB, GB, TB; rounded, halves up) directly followed by the unit: 16384 gives
// 16KB, 1048576 gives 1MB. The filter panel shows its size bounds this way.
std::string WholeSizeText(uint64_t bytes);

// The filter panel's text of its size bounds: each bound is a number of
// units (unit item 0 "KB", 1 "MB") shown as a whole size, as in 16KB, 2MB or
// 1GB for 1024 MB; with a range, the second bound follows after " ～ ".
std::string SizeBoundsText(uint64_t low, int lowUnit, bool range, uint64_t high, int highUnit);

// The hit-limit box's text for a limit ("#,000").
inline std::string HitLimitText(int limit) {
  return GroupedNumber(limit < 0 ? 0 : static_cast<uint64_t>(limit), 3);
}

}  // namespace filvex
