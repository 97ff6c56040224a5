// A stand-in for Brinefold.dll in the show's end-to-end tests: a program the
// launcher starts like the renderer, whose window "Brinefold_VC" comes and
// goes on a schedule instead of on a key press.
//
// BF_STAND_IN (inherited from the launcher) = "<delay ms>,<window ms>": waits
// <delay> ms, then keeps a hidden window titled "Brinefold_VC" for <window>
// ms (none when 0), then exits. Unset: exits at once without a window.
// BF_STAND_IN_ARGS = a file: first writes the command line it was started
// with there, for the test to read.
#include <windows.h>

#include "common/system_libraries_win.h"

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // As the renderer does: it runs beside DLLs planted to catch the launcher.
    if (!UseSystemFolderLibrariesOnly({}))
        return 0;
    char argsFile[MAX_PATH] = {};
    if (GetEnvironmentVariableA("BF_STAND_IN_ARGS", argsFile, sizeof argsFile) > 0) {
        if (std::FILE* out = std::fopen(argsFile, "wb")) {
            const char* line = GetCommandLineA();
            std::fwrite(line, 1, std::strlen(line), out);
            std::fclose(out);
        }
    }
    char schedule[64] = {};
    unsigned delay = 0;
    unsigned keep = 0;
    if (GetEnvironmentVariableA("BF_STAND_IN", schedule, sizeof schedule) > 0)
        std::sscanf(schedule, "%u,%u", &delay, &keep);
    Sleep(delay);
    if (keep == 0)
        return 0;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "BfShowStandIn";
    RegisterClassA(&windowClass);
    // Hidden: the launcher's watch counts a window of any class, shown or not.
    HWND window = CreateWindowA(windowClass.lpszClassName, "Brinefold_VC", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                instance, nullptr);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < keep) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
    DestroyWindow(window);
    return 0;
}
