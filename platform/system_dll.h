#pragma once
// Functions of the system DLLs that only rarely used features need (the
// update check, the folder view's sound, the image preview), found when
// first called. A DLL in the import table is loaded and initialised before
// WinMain on every start: WinINet, WinMM and GDI+ together cost about 15 ms
// of each start under Wine.

#include <windows.h>

namespace filvex::win {

// The address of `proc` in system DLL `dll`, loaded from the system folder
// on the first call and then kept for the life of the process as an
// imported DLL would be; nullptr when either cannot be found.
FARPROC SystemProc(const char* dll, const char* proc);

// SystemProc as the function type F (a pointer to the declared function).
template <class F>
F SystemFunction(const char* dll, const char* proc) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(SystemProc(dll, proc)));
}

}  // namespace filvex::win
