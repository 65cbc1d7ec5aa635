#pragma once
// The program's own small controls: the panel (TPanel), the digits edit
// (TNumberEdit) and the spin button (TCSpinButton).

#include <windows.h>

#include <string>

namespace filvex {

// Registers the window classes below (once per process).
void RegisterControlClasses();

// TPanel: a container that paints its caption and background and hands the
// notifications of its children (WM_COMMAND, WM_NOTIFY) on to its parent, so
// that the main window receives them as if the controls were its own.
enum class PanelAlignment { Left = 0, Center = 1, Right = 2 };
// visible false: made hidden, so that making it draws nothing and needs no
// hiding afterwards.
HWND CreatePanel(HWND parent, const std::string& caption, int x, int y, int w, int h,
                 bool visible = true);
// Background colour (CLR_DEFAULT: the button face); children that are static
// texts or check boxes take it as well.
void SetPanelColor(HWND panel, COLORREF color);
void SetPanelAlignment(HWND panel, PanelAlignment alignment);
// Paints through a memory bitmap, so a caption that changes often does not
// flicker.
void SetPanelDoubleBuffered(HWND panel, bool on);

// TNumberEdit: a single-line edit whose Alignment (0 left, 1 centred,
// 2 right) goes unchanged into the style's text-alignment bits and whose
// NumberOnly adds the digits-only style.
HWND CreateNumberEdit(HWND parent, int id, int x, int y, int w, int h, int alignment = 2,
                      bool numberOnly = false);

// TCSpinButton: an up and a down button. A click reports once at once; a
// button held down reports again after 400 ms and then every 100 ms while it
// stays pressed. Reports arrive as WM_COMMAND with these notification codes.
constexpr UINT kSpinUpClick = 1;
constexpr UINT kSpinDownClick = 2;
HWND CreateSpinButton(HWND parent, int id, int x, int y, int w, int h);

}  // namespace filvex
