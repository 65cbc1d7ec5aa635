#include "platform/shell_start.h"

#include <utility>

namespace filvex::win {

namespace {

std::function<INT_PTR(const ShellStart&)>& Recorder() {
  static std::function<INT_PTR(const ShellStart&)> recorder;
  return recorder;
}

std::string TextOf(const char* text) {
  return text ? std::string(text) : std::string();
}

}  // namespace

INT_PTR ShellExecuteCall(HWND window, const char* verb, const std::string& file,
                         const char* parameters, int show) {
  if (Recorder()) {
    ShellStart start;
    start.verb = TextOf(verb);
    start.file = file;
    start.parameters = TextOf(parameters);
    start.show = show;
    return Recorder()(start);
  }
  return reinterpret_cast<INT_PTR>(
      ShellExecuteA(window, verb, file.c_str(), parameters, nullptr, show));
}

bool ShellExecuteExCall(SHELLEXECUTEINFOA& info) {
  if (Recorder()) {
    ShellStart start;
    start.verb = TextOf(info.lpVerb);
    start.file = TextOf(info.lpFile);
    start.parameters = TextOf(info.lpParameters);
    start.directory = TextOf(info.lpDirectory);
    start.show = info.nShow;
    start.viaEx = true;
    start.idList = info.lpIDList != nullptr;
    start.mask = info.fMask;
    return Recorder()(start) > 32;
  }
  const bool ok = ShellExecuteExA(&info) != FALSE;
  if (ok && (info.fMask & SEE_MASK_NOCLOSEPROCESS) && info.hProcess) {
    CloseHandle(info.hProcess);
    info.hProcess = nullptr;
  }
  return ok;
}

void SetShellStartRecorderForTests(std::function<INT_PTR(const ShellStart&)> recorder) {
  Recorder() = std::move(recorder);
}

}  // namespace filvex::win
