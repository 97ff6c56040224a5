// The show form Brinefold_S (caption "Brinefold_Main"): loaded hidden by
// start-up for the run switch and for an empty command line; its load handler
// takes the snapshot, starts the renderer and the music, and its timers keep
// watch until the renderer's window is gone.
#pragma once

#include <string>

// The show form's caption, which start-up looks for to refuse a second show.
inline constexpr char kShowCaption[] = "Brinefold_Main";

// The renderer the show starts: Brinefold.dll beside the launcher.
std::string RendererProgramPath();

// Loads the show form (hidden) and runs its Form_Load. Returns at once; the
// program then lives as long as the form stays loaded (FormLoaded /
// FormUnloaded, launcher/runtime/toolkit_win.h). With hidePointer (the run
// switch) the pointer is hidden first and shown again when the show ends.
void LoadShowForm(bool hidePointer);
