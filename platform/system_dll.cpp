#include "platform/system_dll.h"

#include <string>

namespace filvex::win {

FARPROC SystemProc(const char* dll, const char* proc) {
  // From the system folder by its full path, never from the program's or
  // the current folder, where a planted DLL of the same name could lie.
  char folder[MAX_PATH];
  const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  const std::string path = std::string(folder, n) + "\\" + dll;
  // Each call takes a reference that is never given back: the DLL stays
  // loaded, and callers keep the address for the life of the process.
  HMODULE module = LoadLibraryA(path.c_str());
  return module ? GetProcAddress(module, proc) : nullptr;
}

}  // namespace filvex::win
