#pragma once
// The nine settings of data\searchdata.ini, section "DATA".
//
// File format: a Windows profile (INI) file in the ANSI code page. Flags are
// "1" or "0" (read as an integer, on when not 0), max is decimal, texts are
// written as they are. The keys are read only when the section holds at least
// one key; a key missing from such a section takes its default, and so does an
// integer key whose value is not a whole decimal number (blanks around it are
// dropped, a sign is allowed). max is always clamped to 100..100,000. Keys are
// written in this order: ico, chk, maxstop, upmode, sizekb, recy, max,
// toolpath, simpcppath.
//
// Filvex.exe reads and writes the file through the system's profile functions
// (ReadSettings and WriteSettings in app/frame_win.cpp) and hands every value
// to ApplySetting, so both readers share one rule per key. The portable reader
// here serves the console client and mirrors those functions' rules (section
// and key names ignore case, blanks around names and values are dropped, one
// pair of matching quotes around a value is dropped, the first matching key
// wins).

#include <cstdint>
#include <string>
#include <string_view>

namespace filvex {

constexpr int kMinHitLimit = 100;
constexpr int kMaxHitLimit = 100000;

struct Settings {
  bool ico = false;        // fetch each row's own icon from its file
  bool chk = false;        // check that a hit still exists when its row is shown
  bool maxstop = true;     // stop a search once the hit limit is exceeded
  bool upmode = false;     // build into a second set while searching goes on
  bool sizekb = true;      // show sizes in KB
  bool recy = false;       // search the recycle folders too
  int max = 1000;          // hit limit, 100 to 100,000
  std::string toolpath;    // full path of Brontal.exe
  std::string simpcppath;  // full path of Pexwick.exe

  bool operator==(const Settings&) const = default;
};

inline constexpr const char* kSettingsFileName = "searchdata.ini";
inline constexpr const char* kSettingsSection = "DATA";
inline constexpr const char* kSettingKeys[9] = {"ico",  "chk", "maxstop",  "upmode",    "sizekb",
                                                "recy", "max", "toolpath", "simpcppath"};

int ClampHitLimit(long long value);

// Reads a whole decimal integer: blanks around it, an optional sign, then only
// digits. False for anything else (empty, "12abc", "0x10", "1,000"). Values
// beyond the range of long long saturate, so a huge max still clamps.
bool ParseWholeInt(std::string_view text, long long* out);

// Applies one key's text to the settings (unknown keys are ignored). An
// integer key whose text is not a whole number takes its default; any max is
// clamped.
void ApplySetting(Settings& s, std::string_view key, std::string_view value);

// Reads the settings from the bytes of an INI file (portable reader).
Settings ParseSettingsText(std::string_view ini);
// The text of the section as Filvex writes it, with CR LF line ends.
std::string SettingsText(const Settings& s);
// The value text of key index k (0-8) as written.
std::string SettingValueText(const Settings& s, int k);
// True when a "key=value" line of the section names one of the nine keys.
bool IsSettingKeyLine(std::string_view line);

}  // namespace filvex
