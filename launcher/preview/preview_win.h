// The preview form Brinefold_R: a still picture embedded in the Display
// settings' monitor picture for the preview command line.
#pragma once

#include <cstdint>

// Embeds the preview form in the host window and shows it; returns once it is
// shown. The program lives on while the form is loaded (FormLoaded /
// FormUnloaded, launcher/runtime/toolkit_win.h).
void ShowPreview(int32_t host);
