// Plain black windows over the monitors the renderer's window does not lie
// on, so that no desktop stays in sight beside the water. A cover is a
// borderless topmost popup without a title (the launcher finds the renderer
// by its title) that never takes the activation: the keyboard stays with
// the renderer's window. The pointer is hidden over it as over the water,
// by the renderer thread's own pointer count.
#pragma once

#include <windows.h>

// Covers every monitor the renderer's window does not overlap, replacing
// the covers laid out before. A cover that cannot be made is left out.
void CoverOtherMonitors(HWND renderer);

// Destroys the covers; safe when there are none.
void UncoverMonitors();
