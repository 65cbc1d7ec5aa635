#pragma once
// What a standard control shows: its text, a button's check state and a
// combo box's selection, read and set through the ANSI messages.

#include <windows.h>

#include <string>

namespace filvex::win {

// The whole ANSI text of a window or control, however long: two messages
// (length, then text), no fixed buffer that would cut a long path.
std::string WindowText(HWND wnd);

// True when a check box or push-like button is checked (BST_CHECKED only).
bool IsChecked(HWND button);
void SetChecked(HWND button, bool on);

// Index of the selected item of a combo box, -1 when none is selected.
int SelectedIndex(HWND combo);

}  // namespace filvex::win
