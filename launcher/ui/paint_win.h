// Painting for the launcher's windows, which all draw their whole client area
// as a function of their state: PaintContent(hdc).
//
// Does: answer WM_ERASEBKGND, WM_PAINT and WM_PRINTCLIENT through one
// PaintContent funnel; draw through an off-screen bitmap (no flicker); copy a
// picture onto a surface; paint what a child's parent shows behind it.
// Does not: decide what a window shows -- each window's PaintContent does.
#pragma once

#include <windows.h>

#include "launcher/ui/gdi_win.h"

// The answer to WM_ERASEBKGND, WM_PAINT and WM_PRINTCLIENT of a window whose
// paintContent(hdc) covers its whole client area: no separate erase (it would
// flicker), the update region painted, and the same picture for a parent or
// a test that prints the window into its own DC.
template <class PaintContent>
LRESULT PaintMessage(HWND window, UINT message, WPARAM wParam, PaintContent&& paintContent)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(window, &ps))
            paintContent(dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: paintContent(reinterpret_cast<HDC>(wParam)); return 0;
    default:  // WM_ERASEBKGND: the paint covers everything
        return 1;
    }
}

// Draws draw(dc) into an off-screen bitmap of width x height, then copies it
// onto target at (0, 0). False, with nothing drawn, when the bitmap cannot be
// made.
template <class Draw>
bool PaintBuffered(HDC target, int width, int height, Draw&& draw)
{
    MemoryDc dc(target);
    OwnedBitmap bitmap(CreateCompatibleBitmap(target, width, height));
    if (!dc || !bitmap)
        return false;
    Selection select(dc, bitmap.get());
    draw(static_cast<HDC>(dc));
    BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    return true;
}

// A picture's size in pixels; {0, 0} for none.
SIZE PictureSize(HBITMAP picture);

// Copies width x height pixels of a picture, from its top-left corner, onto
// dc at (x, y).
void DrawPicture(HDC dc, HBITMAP picture, int x, int y, int width, int height);

// The whole picture at the top-left corner of dc; nothing for none.
void DrawPicture(HDC dc, HBITMAP picture);

// What the parent shows behind a child window, drawn into the child's dc as
// the parent's WM_ERASEBKGND and WM_PRINTCLIENT draw it: a child that draws
// over it looks transparent.
void PaintParentBehind(HWND child, HDC dc);
