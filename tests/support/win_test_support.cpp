#include "tests/support/win_test_support.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

namespace {

void ServeMessages()
{
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

}  // namespace

std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/')
                c = '\\';
        path = "Z:" + path;
    }
    return path;
}

testing::AssertionResult CopyBuilt(const std::string& built, const std::string& to)
{
    const std::string from = WindowsPath(built);
    if (CopyFileA(from.c_str(), to.c_str(), FALSE))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "cannot copy " << from << " -> " << to << " (error " << GetLastError() << ")";
}

namespace {
constexpr const char* kPlantedDlls[] = {"winmm",    "msimg32",  "opengl32", "glu32",   "uxtheme",
                                        "comctl32", "comdlg32", "shell32",  "mciqtz32"};
// HACK: Wine reads WINEDLLOVERRIDES of a process that a Windows program starts
// from its Unix environment, not from the environment the program passes on:
// per-program overrides in the registry reach the programs instead.
constexpr const char* kOverriddenPrograms[] = {"Software\\Wine\\AppDefaults\\Brinefold.scr",
                                               "Software\\Wine\\AppDefaults\\Brinefold.dll"};
}  // namespace

testing::AssertionResult PlantSystemDlls(const std::string& markerDll, const std::string& folder)
{
    for (const char* name : kPlantedDlls) {
        const std::string planted = folder + "\\" + name + ".dll";
        if (auto copied = CopyBuilt(markerDll, planted); !copied)
            return copied;
        DeleteFileA((planted + ".loaded").c_str());  // an earlier run's mark
        for (const char* program : kOverriddenPrograms) {
            const std::string key = std::string(program) + "\\DllOverrides";
            if (RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, "native,builtin", 15) != ERROR_SUCCESS)
                return testing::AssertionFailure() << "cannot write " << key;
        }
    }
    return testing::AssertionSuccess();
}

void ForgetPlantedDlls()
{
    for (const char* program : kOverriddenPrograms)
        RegDeleteTreeA(HKEY_CURRENT_USER, program);
}

std::vector<std::string> PlantedDllsLoaded(const std::string& folder)
{
    std::vector<std::string> loaded;
    for (const char* name : kPlantedDlls)
        if (GetFileAttributesA((folder + "\\" + name + ".dll.loaded").c_str()) != INVALID_FILE_ATTRIBUTES)
            loaded.push_back(name);
    return loaded;
}

static std::string SidText(PSID sid)
{
    char* text = nullptr;
    std::string out = ConvertSidToStringSidA(sid, &text) ? text : "?";
    LocalFree(text);
    return out;
}

std::string UserSid()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    char buffer[256] = {};
    DWORD size = 0;
    const bool ok = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    CloseHandle(token);
    return ok ? SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid) : "";
}

// Whom a file's DACL lets in, sorted. (Wine does not report whether the DACL
// is protected from inheritance, so that is not read.)
std::vector<std::string> Grants(const std::string& path)
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::vector<std::string> grants;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &descriptor) != ERROR_SUCCESS)
        return {"unreadable"};
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        if (GetAce(dacl, i, reinterpret_cast<void**>(&ace)) && ace->AceType == ACCESS_ALLOWED_ACE_TYPE)
            grants.push_back(SidText(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart));
    }
    std::sort(grants.begin(), grants.end());
    LocalFree(descriptor);
    return grants;
}

std::string BrinefoldFolder(REFKNOWNFOLDERID base)
{
    wchar_t* known = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(base, 0, nullptr, &known)))
        folder = Utf8(known) + "\\Brinefold";
    CoTaskMemFree(known);
    return folder;
}

TestProcess::TestProcess(const std::string& program, const std::string& args)
{
    std::string commandLine = "\"" + program + "\"";
    if (!args.empty())
        commandLine += " " + args;
    std::wstring wide(commandLine.size() + 1, L'\0');
    wide.resize(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, commandLine.data(), static_cast<int>(commandLine.size()),
                                                wide.data(), static_cast<int>(wide.size()))));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        ADD_FAILURE() << "could not start " << commandLine << " (error " << GetLastError() << ")";
}

TestProcess::~TestProcess()
{
    if (!pi.hProcess)
        return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi.hProcess, 99);  // our own child, left over by a failed check
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

bool TestProcess::Ended(DWORD ms, DWORD* code) const
{
    if (!pi.hProcess)
        return false;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return false;
        MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, ms - elapsed, QS_ALLINPUT);
        ServeMessages();
    }
    if (code)
        GetExitCodeProcess(pi.hProcess, code);
    return true;
}

bool TestProcess::EndedCleanly(DWORD ms) const
{
    DWORD code = 1;
    return Ended(ms, &code) && code == 0;
}

void Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        ServeMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

bool WaitUntil(const std::function<bool()>& done, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms)
            return false;
        Pump(10);
    }
    return true;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* title, const wchar_t* cls, bool visibleOnly)
{
    struct Search {
        DWORD pid;
        const wchar_t* title;
        const wchar_t* cls;
        bool visibleOnly;
        std::vector<HWND> found;
    } s = {pid, title, cls, visibleOnly, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t cls[64] = {};
            GetClassNameW(window, cls, 64);
            if ((!s->pid || owner == s->pid) && (!s->visibleOnly || IsWindowVisible(window)) &&
                (!s->title || TextOf(window) == s->title) && (!s->cls || std::wstring(cls) == s->cls))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND WaitForProcessWindow(DWORD pid, const wchar_t* title, const wchar_t* cls, DWORD ms)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            const std::vector<HWND> windows = TopWindows(pid, title, cls);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        ms);
    return found;
}

HWND WaitForWindow(const char* title, DWORD ms, const char* cls, bool visible)
{
    HWND found = nullptr;
    const bool shown = WaitUntil(
        [&] {
            found = FindWindowA(cls, title);
            return found && (!visible || IsWindowVisible(found));
        },
        ms);
    return shown ? found : nullptr;
}

HWND MakeHiddenWindow(const char* caption)
{
    static const ATOM cls = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "BfTestHiddenWindow";
        return RegisterClassA(&wc);
    }();
    (void)cls;
    return CreateWindowA("BfTestHiddenWindow", caption, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

MessageBoxParts ReadMessageBox(HWND box)
{
    MessageBoxParts parts;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM param) -> BOOL {
            auto* parts = reinterpret_cast<MessageBoxParts*>(param);
            char cls[32] = {};
            GetClassNameA(child, cls, sizeof cls);
            if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextLengthW(child) > 0)
                parts->texts.push_back(Utf8(TextOf(child)));
            if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(child))
                parts->buttons.push_back(Utf8(TextOf(child)));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&parts));
    return parts;
}

void Mouse(DWORD flags, int x, int y)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        // Over all monitors, not only the primary.
        in.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
        in.mi.dx = MulDiv(x - GetSystemMetrics(SM_XVIRTUALSCREEN), 65535, GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1);
        in.mi.dy = MulDiv(y - GetSystemMetrics(SM_YVIRTUALSCREEN), 65535, GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1);
    }
    SendInput(1, &in, sizeof in);
}

POINT CentreOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void PostEscapeTap(HWND window)
{
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

std::vector<uint32_t> ReadPixels(HDC source, int x, int y, int w, int h)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top row first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib)
        return pixels;
    HDC mem = CreateCompatibleDC(source);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, source, x, y, SRCCOPY);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = p[i] & 0xFFFFFF;
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    return pixels;
}

std::vector<uint32_t> ScreenPixels(const RECT& area)
{
    HDC screen = GetDC(nullptr);
    std::vector<uint32_t> pixels =
        ReadPixels(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
    ReleaseDC(nullptr, screen);
    return pixels;
}
