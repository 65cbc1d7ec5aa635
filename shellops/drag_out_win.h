#pragma once
// The drag source of the program's files and the one seam of the shell drag,
// so that window tests can see what a drag-out would hand to the system
// without a modal drag loop that waits for the mouse.

#include <windows.h>
#include <ole2.h>

#include <functional>

#include "platform/com.h"

namespace filvex {

// A new drop source holding one reference. It answers the system as the
// program's drag-out does: escape or both buttons cancel, a held button goes
// on, and a release drops unless the mouse is over a window inside
// mainWindow (the program refuses its own files). Its reference count is
// changed with interlocked calls; it destroys itself at 0.
win::ComPtr<IDropSource> NewFileDropSource(HWND mainWindow);

// Runs DoDragDrop (or the recorder) with the data object, the drop source and
// the allowed effects; returns its result.
HRESULT StartShellDrag(IDataObject* data, IDropSource* source, DWORD allowedEffects);

// While set, StartShellDrag hands its arguments to `recorder` instead of the
// system and returns what it returns. Tests only; an empty function restores
// the system's drag.
void SetShellDragRecorderForTests(
    std::function<HRESULT(IDataObject*, IDropSource*, DWORD)> recorder);

}  // namespace filvex
