#pragma once
// The pieces every dialog of the program is made of. Dialogs start from an
// empty in-memory template and make their controls in WM_INITDIALOG with the
// ANSI functions, so their Japanese texts need no UTF-16 resource.

#include <windows.h>

#include "platform/handles.h"

namespace filvex::win {

// Runs a modal dialog of the given styles and size (dialog units) from an
// empty template, passing param to proc's WM_INITDIALOG; returns what
// DialogBoxIndirectParamA returns.
INT_PTR RunTemplateDialog(HWND owner, DWORD style, short cx, short cy, DLGPROC proc, LPARAM param,
                          DWORD exStyle = 0);

// A new font of the system's message font, or an empty holder when the system
// gives none (callers then use DEFAULT_GUI_FONT).
UniqueFont CreateMessageFont();

// Creates a visible child control of dlg with id and font; an EDIT gets the
// sunken client edge when clientEdge is true.
HWND AddDialogChild(HWND dlg, const char* cls, const char* text, DWORD style, int id, int x, int y,
                    int w, int h, HFONT font, bool clientEdge = false);

}  // namespace filvex::win
