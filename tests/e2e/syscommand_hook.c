// A CBT hook for renderer_e2e_test to set on the renderer's thread. The
// default window procedure calls it with HCBT_SYSCOMMAND before it carries out
// a system command, so each line it appends to "<its own path>.log" (the
// command, as 4 hex digits) is one that got past the renderer's own handling.
#include <windows.h>

static HINSTANCE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

__declspec(dllexport) LRESULT CALLBACK SysCommandHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_SYSCOMMAND) {
        char path[MAX_PATH + 8];
        const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
        lstrcpyA(path + n, ".log");
        HANDLE log =
            CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS, 0, NULL);
        char line[16];
        const int length = wsprintfA(line, "%04X\n", (unsigned)(wParam & 0xFFF0));
        DWORD written = 0;
        WriteFile(log, line, (DWORD)length, &written, NULL);
        CloseHandle(log);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
