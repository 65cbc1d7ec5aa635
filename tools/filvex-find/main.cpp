// Entry point of filvex-find: collects the arguments, finds the data folder
// beside the program, and writes what RunFind produced.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "searchlist/mbcs.h"
#include "tools/filvex-find/codeset.h"
#include "tools/filvex-find/run_find.h"

#ifdef _WIN32
// Declared here rather than through windows.h, as the rest of the portable
// code does: the one call that gives the program's own path.
extern "C" __declspec(dllimport) unsigned long __stdcall GetModuleFileNameA(void*, char*,
                                                                            unsigned long);
#else
#include <unistd.h>
#endif

namespace {

// The folder "data" beside the executable; "data" in the current folder when
// the executable's own path cannot be found.
std::string DefaultDataFolder() {
  std::string exe;
#ifdef _WIN32
  char buf[1024];
  unsigned long n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return "data";
  exe.assign(buf, n);
  size_t sep = filvex::LastSeparator(exe);  // "\" or ":", never a trail byte
  if (sep == std::string::npos) return "data";
  return exe.substr(0, sep + 1) + "data";
#else
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "data";
  exe.assign(buf, static_cast<size_t>(n));
  size_t sep = exe.rfind('/');
  return sep == std::string::npos ? "data" : exe.substr(0, sep + 1) + "data";
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out, err;
  // Natively the query and the output speak the locale's code set; the
  // Windows client speaks the ANSI code page, the list's own.
  std::unique_ptr<filvex::TerminalText> terminal;
#ifndef _WIN32
  std::string localeNote, codesetNote;
  terminal = filvex::TerminalCodeset::Open(filvex::EnvironmentCodeset(localeNote), codesetNote);
  for (const std::string& note : {localeNote, codesetNote})
    if (!note.empty()) err += "filvex-find: " + note + "\n";
#endif
  int status = filvex::RunFind(args, DefaultDataFolder(), out, err, terminal.get());
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return status;
}
