#include "launcher/runtime/toolkit_win.h"

#include "launcher/ui/text_win.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<HWND> loadedForms;

}  // namespace

void FormLoaded(HWND form)
{
    if (std::find(loadedForms.begin(), loadedForms.end(), form) == loadedForms.end())
        loadedForms.push_back(form);
}

void FormUnloaded(HWND form)
{
    loadedForms.erase(std::remove(loadedForms.begin(), loadedForms.end(), form), loadedForms.end());
    // Wake the loop in case the last form went away outside a dispatched
    // message (e.g. from a nested loop that then returned without one).
    if (loadedForms.empty())
        PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
}

void RunMessageLoop()
{
    MSG msg;
    while (!loadedForms.empty() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void End()
{
    ExitProcess(0);
}

HANDLE StartProgram(const std::string& path, const std::wstring& arguments, int windowStyle)
{
    const std::wstring program = FromAnsi(path);
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

void MsgBox(const std::wstring& text)
{
    MessageBoxW(nullptr, text.c_str(), kAppTitle, MB_OK);
}

HINSTANCE AppInstance()
{
    return GetModuleHandleA(nullptr);
}
