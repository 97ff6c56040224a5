// The settings dialog's music panel Pic_C on Win32: a bordered child window
// that shows one stored picture -- its back colour, the strip tiled over it
// and the frame round the group title -- and passes its children's notices
// (the labels', the drop-down's) on to the dialog.
//
// The panel owns its picture: a new one replaces (and deletes) the old, and
// the last goes with the window.
#pragma once

#include <windows.h>

#include "launcher/dialog/settings_dialog.h"

// Registers the panel's window class; true once it is registered.
bool RegisterPanelClass();

// Creates the panel on the dialog, without a size yet.
HWND CreatePanel(HWND dialog, int id);

// Draws the panel's picture again at the panel's present size: the back
// colour, the strip tiled over it from the top-left corner (none without a
// strip), and the frame (Shape3, at the window's scale). Nothing changes when
// the panel has no size or the picture cannot be made.
void TilePanel(HWND panel, HBITMAP strip, const DialogRect& frame);
