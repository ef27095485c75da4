#pragma once
// The live note window's manners on a desktop, beside its layout: tooltips on
// every image button, the keys of its buttons, read-only fields that keep
// out of the keyboard's way, and a layout that fits the screen.

#include <vector>

#include "scrivel/buttonshortcuts.h"

class QWidget;

namespace scrivel {

// Undo Ctrl+Z; redo Ctrl+Y and Ctrl+Shift+Z; next page (a new page after
// the last) Page Down and Ctrl+N; previous page Page Up; eraser E; close
// Ctrl+W (Escape closes it too, as a dialog's Escape does).
const std::vector<ButtonKeys>& NoteKeys();

// Run by the window's constructor once its controls exist, before it reads
// the canvas's size: the window shrinks to fit the screen when it must (the
// canvas with it, so the pen maps onto the smaller canvas).
void SetUpNoteWindow(QWidget* note);

}  // namespace scrivel
