// Plain black windows over the monitors that have no water (no window or
// context could be made there), so that no desktop stays in sight. A cover is a
// borderless topmost popup without a title (the launcher finds the renderer
// by its title) that never takes the activation: the keyboard stays with
// the renderer's window. The pointer is hidden over it as over the water,
// by the renderer thread's own pointer count.
#pragma once

#include <windows.h>

#include <vector>

// Covers every monitor none of the water windows overlaps, replacing the
// covers laid out before. A cover that cannot be made is left out.
void CoverOtherMonitors(const std::vector<HWND>& water);

// Destroys the covers; safe when there are none.
void UncoverMonitors();
