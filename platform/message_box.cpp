#include "platform/message_box.h"

#include "platform/ui_call.h"

namespace filvex::win {
namespace {

// Message boxes are only shown on the user-interface thread, so the hook
// needs no lock.
MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

std::string& Title() {
  static std::string title = "Filvex";
  return title;
}

}  // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  MessageBoxHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& title, UINT type) {
  if (Hook()) return Hook()(owner, text, title, type);
  return MessageBoxA(owner, text.c_str(), title.c_str(), type);
}

bool AskYesNo(HWND owner, const std::string& text, const std::string& title) {
  return ShowMessageBox(owner, text, title, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ShowMessage(HWND owner, const std::string& text) {
  ShowMessageBox(owner, text, ApplicationTitle(), MB_OK);
}

void ShowError(HWND owner, const std::string& text) {
  ShowMessageBox(owner, text, ApplicationTitle(), MB_OK | MB_ICONERROR);
}

void PostError(HWND owner, const std::string& text) {
  PostToUiThread([owner, text] {
    if (IsWindow(owner)) ShowError(owner, text);
  });
}

const std::string& ApplicationTitle() { return Title(); }
void SetApplicationTitle(const std::string& title) { Title() = title; }

}  // namespace filvex::win
