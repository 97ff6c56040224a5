// The show form Brinefold_S (caption "Brinefold_Main"): loaded hidden by
// start-up for the run switch and for an empty command line; its load handler
// takes the snapshot, starts the renderer and the music, and its timers keep
// watch until the renderer's window is gone.
#pragma once

// Loads the show form (hidden) and runs its Form_Load. Returns at once; the
// program then lives as long as the form stays loaded (FormLoaded /
// FormUnloaded, launcher/runtime/toolkit_win.h).
void LoadShowForm();
