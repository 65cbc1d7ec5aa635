#include "app/number_text.h"

#include "app/settings.h"

namespace filvex {

std::string GroupedNumber(uint64_t n, int minDigits) {
  std::string digits = n == 0 ? std::string() : std::to_string(n);
  if (static_cast<int>(digits.size()) < minDigits) {
    digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
  }
  std::string out;
  out.reserve(digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string WholeSizeText(uint64_t bytes) {
  static const char* const kUnits[] = {"B", "KB", "MB", "GB", "TB"};
  int unit = 0;
  while (unit < 4 && bytes >= (uint64_t{1} << (10 * (unit + 1)))) ++unit;
  const uint64_t scale = uint64_t{1} << (10 * unit);
  const uint64_t whole = (bytes + scale / 2) / scale;
  return std::to_string(whole) + kUnits[unit];
}

bool ParseHitLimitText(std::string_view text, long long* value) {
  std::string kept;
  kept.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ',' && i + 1 < text.size()) continue;
    kept += text[i];
  }
  return ParseWholeInt(kept, value);
}

}  // namespace filvex
