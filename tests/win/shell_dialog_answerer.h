#pragma once
// Answers the shell's own modal questions (the delete confirmation, a dialog
// of class #32770 with a Yes button) from a second thread while the test's
// thread waits inside the shell call, and keeps their titles.
//
// The recycle bin under Wine is $XDG_DATA_HOME/Trash of the run (see
// scripts/test.sh). Wine reads the variable at the process's first delete to
// the recycle bin and keeps that folder for the rest of the process (a later
// SetEnvironmentVariable changes nothing), so the tests of one process share
// one recycle bin. A test tells its own items apart by their names, which
// FreshFolder makes unique, and finds them through Wine's "\\?\unix" path
// form (the run's folders lie on no drive letter).

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace filvex::test {

class ShellDialogAnswerer {
 public:
  // answer: IDYES or IDNO, pressed on every question that offers it.
  explicit ShellDialogAnswerer(int answer) : answer_(answer) {
    thread_ = std::thread([this] { Run(); });
  }
  ShellDialogAnswerer(const ShellDialogAnswerer&) = delete;
  ShellDialogAnswerer& operator=(const ShellDialogAnswerer&) = delete;
  ~ShellDialogAnswerer() {
    stop_ = true;
    thread_.join();
  }

  std::vector<std::string> Titles() {
    std::lock_guard<std::mutex> lock(mutex_);
    return titles_;
  }

 private:
  struct Search {
    DWORD process;
    HWND found = nullptr;
  };

  static BOOL CALLBACK Find(HWND wnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char cls[16] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (pid == s->process && std::string(cls) == "#32770" && IsWindowVisible(wnd) &&
        GetDlgItem(wnd, IDYES)) {
      s->found = wnd;
      return FALSE;
    }
    return TRUE;
  }

  void Run() {
    HWND last = nullptr;
    while (!stop_) {
      Search s{GetCurrentProcessId()};
      EnumWindows(Find, reinterpret_cast<LPARAM>(&s));
      if (s.found && s.found != last) {
        last = s.found;
        char title[256] = {};
        GetWindowTextA(s.found, title, sizeof title);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          titles_.push_back(title);
        }
        PostMessageA(s.found, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(s.found, answer_)));
      }
      Sleep(10);
    }
  }

  int answer_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> titles_;
  std::thread thread_;
};

// Whether the run's recycle bin holds an item of this name.
inline bool InRecycleBin(const std::string& name) {
  char xdg[1024] = {};
  if (!GetEnvironmentVariableA("XDG_DATA_HOME", xdg, sizeof xdg)) return false;
  std::string path = std::string("\\\\?\\unix") + xdg + "/Trash/files/" + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace filvex::test
