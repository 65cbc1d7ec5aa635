#include "app/number_text.h"

#include "app/settings.h"

namespace filvex {

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
