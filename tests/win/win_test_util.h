#pragma once
// Helpers of the window tests: fresh folders on the fixture drive, and
// serving the test thread's messages.

#include <windows.h>

#include <string>

namespace filvex::test {

// A new empty folder for one test, without a trailing "\". It lies on the
// run's fixture drive D:\ when there is one, else in the temp folder.
inline std::string FreshFolder(const std::string& tag) {
  static int counter = 0;
  std::string base;
  if (GetFileAttributesA("D:\\") != INVALID_FILE_ATTRIBUTES) {
    base = "D:\\filvex-win-tests";
  } else {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    base = std::string(temp) + "filvex-win-tests";
  }
  CreateDirectoryA(base.c_str(), nullptr);
  std::string folder;
  do {
    folder = base + "\\" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++counter);
  } while (GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// Dispatches every message waiting for this thread, then returns: the window
// under test handles what the test's last step posted or sent to it.
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace filvex::test
