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

std::string SizeBoundsText(uint64_t low, int lowUnit, bool range, uint64_t high, int highUnit) {
  auto bound = [](uint64_t number, int unit) {
    return WholeSizeText(number * (unit == 1 ? 1024 : 1) * 1024);
  };
  std::string text = bound(low, lowUnit);
  if (range) text += " ～ " + bound(high, highUnit);
  return text;
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

int TypedHitLimit(std::string_view text, int previous) {
  long long typed = previous;
  if (!ParseHitLimitText(text, &typed)) typed = previous;
  return ClampHitLimit(typed);
}

}  // namespace filvex
