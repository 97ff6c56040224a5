// A DLL is looked for first in the program's own folder: a copy of the
// programs in a downloads folder would load a same-named DLL planted beside
// it. Both programs limit the search of everything loaded after their start
// to the system folder, first thing. What Windows loads before that, the
// load-time imports and what they load in turn, is out of that reach: so the
// programs import at load time only DLLs on Windows' KnownDLLs list that load
// no other DLL by a plain name (kernel32, user32, gdi32, advapi32, ole32,
// msvcrt), and all others delay-loaded (cmake/delay_import.cmake): those not
// on the list (WINMM, MSIMG32, OPENGL32, GLU32), and comdlg32 and shell32,
// which bring in comctl32, whose start-up loads uxtheme by name.
#pragma once

#include <windows.h>
#include <delayimp.h>

#include <initializer_list>

// The import descriptor of one delay-import library (cmake/delay_import.cmake).
#define BF_DELAY_IMPORT(dll) __DELAY_IMPORT_DESCRIPTOR_lib##dll##_delay_a
extern "C" const ImgDelayDescr BF_DELAY_IMPORT(winmm), BF_DELAY_IMPORT(msimg32), BF_DELAY_IMPORT(opengl32),
    BF_DELAY_IMPORT(glu32), BF_DELAY_IMPORT(comdlg32), BF_DELAY_IMPORT(shell32);

// kernel32's SetDefaultDllDirectories, looked up: Windows 7 has it only with
// KB2533623 (null without it).
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
SetDefaultDllDirectoriesFn SystemSetDefaultDllDirectories();

// Limits every later library search of the process to the system folder
// (`limit`), then loads each descriptor's DLL from there and binds all its
// imports. False when any of it fails, the call missing from an old,
// unpatched Windows included: the program then ends rather than load
// anything through the default search.
//
// HACK: the delay-load helper's own binding all at once (__HrLoadAllImportsForDll)
// finds nothing in a GNU ld image, which has no delay-import directory; and
// binutils' x86-64 delay-load thunk keeps the integer argument registers but
// not xmm0-xmm3, so a first call through it of a function taking floats
// (glClearDepth) would get garbage. Bound here, no call goes through the thunk.
bool UseSystemFolderLibrariesOnly(std::initializer_list<const ImgDelayDescr*> imports,
                                  SetDefaultDllDirectoriesFn limit = SystemSetDefaultDllDirectories());
