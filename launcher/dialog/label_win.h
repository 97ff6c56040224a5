// The dialog's labels and image controls on Win32: small child windows that
// draw their text or picture over their container's own stored picture, so
// that they look transparent, and report mouse presses and clicks to their
// container.
//
// Does: transparent background (the container paints itself into the label
// through WM_PRINTCLIENT), text in the window's font and colour (left or
// centred, one line or wrapped, an optional one-pixel border), a picture at
// its top-left corner, a pointer shape of its own, and the notices below.
// Does not: take the focus or keys; own its font, picture or cursor.
//
// Being windows, their text reads back with GetWindowTextW like any other
// control's, for assistive tools and for tests.
#pragma once

#include <windows.h>

#include <string>

inline constexpr wchar_t kLabelClassName[] = L"BrinefoldLabel";

// Notices sent to the container as WM_COMMAND, the control id in the low
// word and the notice in the high word, the label's window as lParam.
inline constexpr WORD kLabelMouseDown = 1;  // any mouse button pressed on it
inline constexpr WORD kLabelClick = 2;      // left button pressed and released on it

struct LabelLook {
    COLORREF colour = RGB(0, 0, 0);
    bool border = false;  // a one-pixel black frame, the text inset inside it
    bool centred = false;
    bool wrap = false;         // breaks at blanks, and inside a word too long for a line
    HCURSOR cursor = nullptr;  // null: the arrow
};

// Creates a label (an image control when it is given a picture) as a child
// of parent. Null when it could not be created.
HWND CreateLabel(HWND parent, int id, const std::wstring& text, const LabelLook& look);

// The picture shown at the top-left corner, at its own size (null: none).
void SetLabelPicture(HWND label, HBITMAP picture);

// The size of the label's text in its font, in pixels, on one line.
SIZE LabelTextExtent(HWND label);

// The text of any window (a label, the drop-down), in full.
std::wstring WindowTextOf(HWND window);
