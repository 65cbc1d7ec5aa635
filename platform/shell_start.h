#pragma once
// The shell's start calls (ShellExecuteA, ShellExecuteExA), behind one seam
// so that window tests can record what would be started instead of starting
// real programs on the machine.

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace filvex::win {

// One start request as the program made it: the verb (empty for none), the
// file, the parameters, the directory and the show command. For a
// ShellExecuteExA call `viaEx` is true and `idList` tells whether an item
// identifier list was passed.
struct ShellStart {
  std::string verb;
  std::string file;
  std::string parameters;
  std::string directory;
  int show = 0;
  bool viaEx = false;
  bool idList = false;
  unsigned long mask = 0;
};

// Calls ShellExecuteA (or the recorder) and returns its result: above 32 when
// started, SE_ERR_NOASSOC (31) when no application is associated. A null verb
// or parameters pointer is passed as null.
INT_PTR ShellExecuteCall(HWND window, const char* verb, const std::string& file,
                         const char* parameters, int show);

// Calls ShellExecuteExA (or the recorder) with info; true when the shell
// reports success. A process handle asked for with SEE_MASK_NOCLOSEPROCESS is
// closed before returning.
bool ShellExecuteExCall(SHELLEXECUTEINFOA& info);

// While set, both calls above hand their request to `recorder` instead of the
// shell and return what it returns (for the Ex call, true when above 32).
// Tests only; pass an empty function to go back to the shell.
void SetShellStartRecorderForTests(std::function<INT_PTR(const ShellStart&)> recorder);

}  // namespace filvex::win
