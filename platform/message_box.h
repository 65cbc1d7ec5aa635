#pragma once
// Every message box of the program goes through ShowMessageBox, whose one
// replaceable hook lets tests answer questions and read the texts without a
// modal box on screen.

#include <windows.h>

#include <functional>
#include <string>

namespace filvex::win {

// Answers one message box: returns what MessageBoxA would (IDYES, IDNO, IDOK...).
using MessageBoxHook =
    std::function<int(HWND owner, const std::string& text, const std::string& title, UINT type)>;

// Installs a hook for the whole process (empty: the real MessageBoxA again)
// and returns the previous one.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Shows a message box through the hook, or MessageBoxA when none is set.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& title, UINT type);

// Question with the question icon and the buttons Yes and No; true for Yes.
bool AskYesNo(HWND owner, const std::string& text, const std::string& title);
// Plain message with the application title and an OK button.
void ShowMessage(HWND owner, const std::string& text);
// Error message with the error icon and the application title.
void ShowError(HWND owner, const std::string& text);

// Shows ShowError's box later, from the user-interface thread's message loop
// (PostToUiThread): how a worker reports its failure once it has ended. No
// box when owner is no longer a window by then.
void PostError(HWND owner, const std::string& text);

// The application title ("Filvex"), used as the caption of plain messages.
const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);

// Installs a hook for one scope and puts the previous one back at its end.
class ScopedMessageBoxHook {
 public:
  explicit ScopedMessageBoxHook(MessageBoxHook hook) : previous_(SetMessageBoxHook(std::move(hook))) {}
  ScopedMessageBoxHook(const ScopedMessageBoxHook&) = delete;
  ScopedMessageBoxHook& operator=(const ScopedMessageBoxHook&) = delete;
  ~ScopedMessageBoxHook() { SetMessageBoxHook(std::move(previous_)); }

 private:
  MessageBoxHook previous_;
};

}  // namespace filvex::win
