#pragma once
// Text between the terminal and the search list. The list holds CP932 bytes,
// the code page of the systems the window runs on; a Linux terminal types and
// shows the code set of its locale, UTF-8 as a rule. The native console
// client therefore converts its query from the locale's code set to CP932 and
// its output back, with the C library's iconv. The Windows client reads and
// writes the ANSI code page, which is the list's own, and converts nothing.
//
// Under the C (POSIX) locale the code set is plain ASCII, which says nothing
// about the bytes above 0x7F: they are taken as the list's own and pass
// unchanged both ways, so scripts that hand over CP932 bytes keep working.

#include <memory>
#include <string>
#include <string_view>

#include "tools/filvex-find/run_find.h"

namespace filvex {

// The code set that the environment chooses (LC_ALL, LC_CTYPE, LANG), as
// nl_langinfo(CODESET) names it; sets the program's locale from the
// environment first. "ANSI_X3.4-1968" for the C locale, which is also what
// remains, with a note for the user in `note`, when the environment names a
// locale that is not installed.
std::string EnvironmentCodeset(std::string& note);

// True for the names the C library gives plain ASCII (the C locale).
bool IsAsciiCodeset(std::string_view codeset);

// Converts through a pair of iconv descriptors (owned, closed at the end).
class TerminalCodeset : public TerminalText {
 public:
  ~TerminalCodeset() override;
  TerminalCodeset(const TerminalCodeset&) = delete;
  TerminalCodeset& operator=(const TerminalCodeset&) = delete;

  // The conversion for a terminal of the named code set: null when bytes are
  // to pass unchanged (an ASCII code set), and also, with a note for the
  // user in `note`, when the C library knows no conversion to CP932.
  static std::unique_ptr<TerminalCodeset> Open(const std::string& codeset, std::string& note);

  bool ToList(std::string_view typed, std::string& listBytes) override;
  size_t FromList(std::string_view listBytes, std::string& shown) override;

 private:
  TerminalCodeset(void* toList, void* fromList) : toList_(toList), fromList_(fromList) {}
  void* toList_;    // iconv_t, the terminal's code set to CP932
  void* fromList_;  // iconv_t, CP932 to the terminal's code set
};

}  // namespace filvex
