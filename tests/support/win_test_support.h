// What the Windows-side tests (tests/win, tests/e2e) share: the programs the
// build made, started and watched from this process; waiting while this
// thread's windows keep being served; other processes' windows and message
// boxes; real input; the screen's pixels.
//
// Does not: pick titles, folders or timings (each test says what it waits
// for and how long), or check anything a test should check itself.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ---------------------------------------------------------------- paths

// UTF-8 and UTF-16, both ways.
std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);

// A path the build passes in (a Linux path) as Wine sees it (on Z:).
std::string WindowsPath(std::string path);

// Copies a program the build made (its Linux path) to a Windows path.
testing::AssertionResult CopyBuilt(const std::string& built, const std::string& to);

// Marker copies (built planted_dll) of system DLLs beside the programs in
// FOLDER, with Wine told to prefer them, as Windows does for names outside
// KnownDLLs: those not on the list, and those whose loading loads more by
// name (comdlg32 and shell32 bring in comctl32, which loads uxtheme; MCI
// loads mciqtz32 for an MP3). Wine prefers them for programs named
// Brinefold.scr or Brinefold.dll until ForgetPlantedDlls.
testing::AssertionResult PlantSystemDlls(const std::string& markerDll, const std::string& folder);
void ForgetPlantedDlls();
// The planted DLLs something loaded since, by name.
std::vector<std::string> PlantedDllsLoaded(const std::string& folder);

// The SID of the user running the test, as text; the SIDs a file's or
// folder's DACL lets in, sorted ({"unreadable"} when it cannot be read).
std::string UserSid();
std::vector<std::string> Grants(const std::string& path);

// The user's "<known folder>\Brinefold" (FOLDERID_LocalAppData: the picture,
// FOLDERID_RoamingAppData: the settings); the test bed's paths are ASCII.
std::string BrinefoldFolder(REFKNOWNFOLDERID base);

// ---------------------------------------------------------------- processes

// A program started from this test; ended (exit code 99) and released when
// the object goes, should a failed check leave it running.
struct TestProcess {
    PROCESS_INFORMATION pi = {};

    // Starts "program" args (UTF-8); a program that cannot start is a test failure.
    TestProcess(const std::string& program, const std::string& args);
    ~TestProcess();
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    // True when it ended within the time (this thread's messages are served
    // meanwhile), with its exit code.
    bool Ended(DWORD ms, DWORD* code = nullptr) const;
    // True when it ended within the time with exit code 0.
    bool EndedCleanly(DWORD ms) const;
};

// ---------------------------------------------------------------- waiting

// Serves this thread's messages for a while (at least once).
void Pump(DWORD ms);

// Polls until done() holds, serving this thread's messages; false when the
// time is up first.
bool WaitUntil(const std::function<bool()>& done, DWORD ms);

// ---------------------------------------------------------------- windows

// A window's text (GetWindowTextW).
std::wstring TextOf(HWND window);

// The top-level windows of a process (0: any) with this title and class
// (null: any); only the visible ones unless told otherwise.
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* title = nullptr, const wchar_t* cls = nullptr,
                             bool visibleOnly = true);

// The first visible top-level window of a process with this title and class
// (null: any), once it shows; null when the time is up.
HWND WaitForProcessWindow(DWORD pid, const wchar_t* title, const wchar_t* cls, DWORD ms);

// The top-level window with this title (and class, when given) once it
// exists, or once it is shown too when `visible`; null when the time is up.
HWND WaitForWindow(const char* title, DWORD ms, const char* cls = nullptr, bool visible = false);

// A hidden top-level window of this thread with this caption, the way a
// show form or a settings dialog of another launcher would be there.
HWND MakeHiddenWindow(const char* caption);

// ---------------------------------------------------------------- message boxes

// What a message box says (UTF-8): its non-empty texts and its visible
// buttons' captions, in window order.
struct MessageBoxParts {
    std::vector<std::string> texts;
    std::vector<std::string> buttons;
};
MessageBoxParts ReadMessageBox(HWND box);

// ---------------------------------------------------------------- input

// One real mouse event (SendInput); with MOUSEEVENTF_MOVE, to the screen
// point (x, y) on any monitor.
void Mouse(DWORD flags, int x = 0, int y = 0);

// The screen point at the middle of a window.
POINT CentreOf(HWND window);

// A quick tap of Escape posted to a window: key-down and key-up reach its
// queue together.
void PostEscapeTap(HWND window);

// ---------------------------------------------------------------- the screen

// The pixels of an area of a device context as 0x00RRGGBB, top row first.
std::vector<uint32_t> ReadPixels(HDC source, int x, int y, int w, int h);

// What the screen shows over a rectangle, as ReadPixels gives it.
std::vector<uint32_t> ScreenPixels(const RECT& area);
