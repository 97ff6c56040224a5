// Brinefold.scr's entry: Main (module Brinefold_B) picks one of the three
// forms from the command line; WinMain then keeps the program alive while a
// form is loaded.

#include "common/command_line.h"
#include "common/system_libraries_win.h"
#include "common/utf8_win.h"
#include "launcher/dialog/settings_dialog_win.h"
#include "launcher/launch_mode.h"
#include "launcher/preview/preview_win.h"
#include "launcher/runtime/paths_win.h"
#include "launcher/runtime/runtime.h"
#include "launcher/runtime/toolkit_win.h"
#include "launcher/settings/settings.h"
#include "launcher/show/show_win.h"
#include "launcher/ui/text_win.h"

#include <windows.h>

namespace {

// Each step runs under continue-on-error: a step that fails is skipped and
// the next one runs (the window search cannot fail that way). The order is part of the behaviour (the renderer check
// comes before the dialog, the preview skips everything else).
void Main()
{
    const std::string commandText = ArgumentsOf(GetCommandLineA());
    const LaunchMode mode = ModeOf(commandText);

    // A show or a settings dialog already open: leave quietly. No lock: two
    // launchers started in the same instant can both pass.
    if (FindWindowA(nullptr, kShowCaption) || FindWindowW(nullptr, kDialogCaption))
        End();

    if (mode == LaunchMode::Preview) {
        int32_t host = 0;
        Guarded([&] { host = ReadPreviewHost(commandText); });
        Guarded([&] { ShowPreview(host); });
        return;
    }

    Guarded([] { LoadSettings(); });

    Guarded([] {
        if (!FileExists(RendererProgramPath())) {
            // The only message the launcher ever shows; wide so that it reads
            // right on any system locale.
            MsgBox(WideFromUtf8(UserTexts().rendererMissing));
            End();
        }
    });

    if (mode == LaunchMode::Settings) {
        Guarded([] { ShowSettingsDialog(); });
        End();
    }
    if (mode == LaunchMode::None)
        End();

    Guarded([&] { LoadShowForm(mode == LaunchMode::ShowHidingPointer); });
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (!UseSystemFolderLibrariesOnly({&BF_DELAY_IMPORT(winmm), &BF_DELAY_IMPORT(msimg32), &BF_DELAY_IMPORT(comdlg32),
                                       &BF_DELAY_IMPORT(shell32)}))
        return 0;
    SetFailureTrace([](const char* line) { OutputDebugStringA(line); });
    Main();
    RunMessageLoop();
    return 0;
}
