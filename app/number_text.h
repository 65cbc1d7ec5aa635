#pragma once
// Number texts of the frame: digit grouping by three with "," (the patterns
// "###,###,###", "#,##0" and "#,000") and the reading of the hit-limit box.

#include <cstdint>
#include <string>
#include <string_view>

namespace filvex {

// n with a "," every three digits from the right, padded with leading zeros
// to at least minDigits digits: minDigits 0 gives "" for 0 ("###,###,###"),
// 1 gives "0" ("#,##0"), 3 gives "100" and "1,000" ("#,000").
std::string GroupedNumber(uint64_t n, int minDigits);

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
