// The system DLLs that are not on Windows' KnownDLLs list (WINMM, MSIMG32,
// OPENGL32, GLU32) are found through the search order, which starts in the
// program's own folder: a copy of the programs in a downloads folder would
// load a same-named DLL planted beside it. Both programs import them
// delay-loaded (cmake/delay_import.cmake) and, first thing, load them from the
// system folder and bind every import to them.
#pragma once

#include <windows.h>
#include <delayimp.h>

#include <initializer_list>

// The import descriptor of one delay-import library (cmake/delay_import.cmake).
#define BF_DELAY_IMPORT(dll) __DELAY_IMPORT_DESCRIPTOR_lib##dll##_delay_a
extern "C" const ImgDelayDescr BF_DELAY_IMPORT(winmm), BF_DELAY_IMPORT(msimg32), BF_DELAY_IMPORT(opengl32),
    BF_DELAY_IMPORT(glu32);

// Loads each descriptor's DLL from the system folder and binds all its
// imports. One that cannot be loaded there is left to the delay-load helper.
//
// HACK: the delay-load helper's own binding all at once (__HrLoadAllImportsForDll)
// finds nothing in a GNU ld image, which has no delay-import directory; and
// binutils' x86-64 delay-load thunk keeps the integer argument registers but
// not xmm0-xmm3, so a first call through it of a function taking floats
// (glClearDepth) would get garbage. Bound here, no call goes through the thunk.
void BindFromSystemFolder(std::initializer_list<const ImgDelayDescr*> imports);
