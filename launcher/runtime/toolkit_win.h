// The launcher's window toolkit on Win32: what the forms and start-up rely on
// from their runtime beyond plain computation (that part is runtime.h).
//
// Does: form lifetime (the program lives while a form is loaded), the message
// loop, ending at once, starting a program, the one message box.
// Does not: draw (launcher/ui/ does), keep timers or pictures -- each form
// keeps its own (SetTimer on its window, its own off-screen bitmap).
//
// Form lifetime: a form calls FormLoaded(hwnd) once its window exists and
// FormUnloaded(hwnd) when it is unloaded (typically from WM_DESTROY). WinMain
// runs Main, then RunMessageLoop, which returns once no form is loaded any
// more; the program then ends by itself. A modal form (the settings dialog)
// runs its own loop and returns to its caller when it closes.
//
// Window procedures must not let an exception out: wrap handlers that can
// throw in Guarded() (runtime.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The application's title: the default caption of its message boxes.
inline constexpr wchar_t kAppTitle[] = L"Brinefold";

void FormLoaded(HWND form);
void FormUnloaded(HWND form);

// Dispatches messages until no form is loaded (or WM_QUIT arrives).
void RunMessageLoop();

// Ends the program at once: no further handler runs, open forms are not
// asked (ExitProcess(0)).
[[noreturn]] void End();

// Starts a program as a new process with the given show style (1: shown
// normally, with the focus), without waiting for it; `arguments` follow its
// path on the command line. Returns the process's handle, which the caller
// closes, or nullptr when it could not be started. The path is quoted on the
// command line, so a folder with blanks cannot start a different program.
HANDLE StartProgram(const std::string& path, const std::wstring& arguments, int windowStyle);

// A modal message box with the text, an OK button only and the
// application's title.
void MsgBox(const std::wstring& text);

// The program's instance handle.
HINSTANCE AppInstance();
