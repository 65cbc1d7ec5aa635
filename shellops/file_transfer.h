#pragma once
// The rules of moving files between the program and the desktop that do not
// need the system: the bytes of a file list on the clipboard, where pasted
// items land, which dragged rows the shell can be handed together, and what
// a drag source answers the system while the mouse is dragged.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace filvex {

// Size of the DROPFILES header that starts a CF_HDROP block.
inline constexpr size_t kDropFilesHeaderSize = 20;

// A CF_HDROP block for a list's text form: the 20-byte DROPFILES header
// (pFiles 20, point (0, 0), not in the non-client area, ANSI names), then the
// list's DoubleNulList. The paths A and B give 20 header bytes and A, NUL, B,
// NUL, NUL, NUL.
std::string HdropBlock(std::string_view listText);

// The destination of each source when copying into the folder dest: dest, one
// "\" (none added when dest ends in one, as a drive root does), and the
// source's name (the text after its last "\" or ":", double-byte safe).
std::vector<std::string> CopyDestinations(const std::vector<std::string>& sources,
                                          std::string_view dest);

// The paths that lie directly in the folder of the first path (compared
// without regard to case, as the file system does), in their order. The shell
// names dragged items relative to one folder; an item of another folder
// named there would stand for a different file, or for none.
std::vector<std::string> ItemsOfFirstFolder(const std::vector<std::string>& paths);

// True when the screen point (x, y) lies outside a window's rectangle given
// as left, top, width and height; the border lines count as inside.
bool OutsideWindow(int left, int top, int width, int height, int x, int y);

// What a drag source tells the system after a change of the keys or buttons:
// go on, cancel, or drop unless the mouse was released over the program's own
// window (which the caller checks).
enum class DragStep { Continue, Cancel, DropUnlessOwnWindow };

// keyState holds the MK_* bits: 1 the left button, 2 the right one. Escape or
// both buttons down cancel; one button down goes on; none down ends the drag.
DragStep DragStepOf(bool escapePressed, uint32_t keyState);

}  // namespace filvex
