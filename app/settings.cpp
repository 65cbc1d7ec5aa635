#include "app/settings.h"

#include <climits>
#include <cstddef>

namespace filvex {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Profile names compare without regard to ASCII case; the names Filvex uses
// are plain ASCII, so no double-byte rule is needed here.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The profile functions hand back a value without one pair of matching
// quotes around it.
std::string_view Unquoted(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

// The six on/off settings, at the index of their key in kSettingKeys.
constexpr int kFlagCount = 6;
constexpr bool Settings::*kFlags[kFlagCount] = {&Settings::ico,     &Settings::chk,
                                                &Settings::maxstop, &Settings::upmode,
                                                &Settings::sizekb,  &Settings::recy};

int KeyIndex(std::string_view key) {
  for (int k = 0; k < 9; ++k) {
    if (SameName(key, kSettingKeys[k])) return k;
  }
  return -1;
}

}  // namespace

int ClampHitLimit(long long value) {
  if (value < kMinHitLimit) return kMinHitLimit;
  if (value > kMaxHitLimit) return kMaxHitLimit;
  return static_cast<int>(value);
}

bool ParseWholeInt(std::string_view text, long long* out) {
  text = Trimmed(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const int digit = c - '0';
    if (value > (LLONG_MAX - digit) / 10) {
      value = LLONG_MAX;  // saturate; the callers clamp anyway
    } else {
      value = value * 10 + digit;
    }
  }
  *out = negative ? -value : value;
  return true;
}

void ApplySetting(Settings& s, std::string_view key, std::string_view value) {
  const int k = KeyIndex(Trimmed(key));
  if (k < 0) return;
  value = Trimmed(value);
  if (k == 7) {
    s.toolpath = std::string(value);
    return;
  }
  if (k == 8) {
    s.simpcppath = std::string(value);
    return;
  }
  const Settings defaults;
  long long n = 0;
  const bool parsed = ParseWholeInt(value, &n);
  if (k < kFlagCount) {
    s.*kFlags[k] = parsed ? n != 0 : defaults.*kFlags[k];
  } else if (k == 6) {
    s.max = ClampHitLimit(parsed ? n : defaults.max);
  }
}

Settings ParseSettingsText(std::string_view ini) {
  Settings s;
  bool inSection = false;    // inside the first [DATA] section
  bool sectionDone = false;  // a later [DATA] is not read, as the profile functions do
  bool seen[9] = {};
  size_t i = 0;
  while (i < ini.size()) {
    size_t j = i;
    while (j < ini.size() && ini[j] != '\r' && ini[j] != '\n') ++j;
    const std::string_view line = Trimmed(ini.substr(i, j - i));
    i = j + 1;
    if (line.empty()) continue;
    if (line.front() == '[') {
      if (inSection) sectionDone = true;
      std::string_view name = line.substr(1);
      const size_t close = name.rfind(']');
      if (close != std::string_view::npos) name = name.substr(0, close);
      inSection = !sectionDone && SameName(Trimmed(name), kSettingsSection);
      continue;
    }
    if (!inSection) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const int k = KeyIndex(Trimmed(line.substr(0, eq)));
    if (k < 0 || seen[k]) continue;  // the first matching key wins
    seen[k] = true;
    ApplySetting(s, kSettingKeys[k], Unquoted(Trimmed(line.substr(eq + 1))));
  }
  return s;
}

bool IsSettingKeyLine(std::string_view line) {
  const size_t eq = line.find('=');
  return KeyIndex(Trimmed(eq == std::string_view::npos ? line : line.substr(0, eq))) >= 0;
}

std::string SettingValueText(const Settings& s, int k) {
  if (k >= 0 && k < kFlagCount) return s.*kFlags[k] ? "1" : "0";
  switch (k) {
    case 6:
      return std::to_string(s.max);
    case 7:
      return s.toolpath;
    case 8:
      return s.simpcppath;
    default:
      return {};
  }
}

std::string SettingsText(const Settings& s) {
  std::string text = "[";
  text += kSettingsSection;
  text += "]\r\n";
  for (int k = 0; k < 9; ++k) {
    text += kSettingKeys[k];
    text += '=';
    text += SettingValueText(s, k);
    text += "\r\n";
  }
  return text;
}

}  // namespace filvex
