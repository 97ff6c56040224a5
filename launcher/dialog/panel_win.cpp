#include "launcher/dialog/panel_win.h"

#include "launcher/ui/gdi_win.h"
#include "launcher/ui/paint_win.h"

namespace {

constexpr wchar_t kPanelClassName[] = L"BrinefoldPanel";

HBITMAP PictureOf(HWND panel)
{
    return reinterpret_cast<HBITMAP>(GetWindowLongPtrW(panel, GWLP_USERDATA));
}

// Shows the stored picture; passes the children's notices on to the dialog.
LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_PRINTCLIENT:
        return PaintMessage(panel, message, wParam, [&](HDC dc) { DrawPicture(dc, PictureOf(panel)); });
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        if (HWND parent = GetParent(panel))
            return SendMessageW(parent, message, wParam, lParam);
        break;
    case WM_NCDESTROY:
        if (HBITMAP picture = PictureOf(panel)) {
            SetWindowLongPtrW(panel, GWLP_USERDATA, 0);
            DeleteObject(picture);
        }
        break;
    default: break;
    }
    return DefWindowProcW(panel, message, wParam, lParam);
}

// The panel's picture for its inner area; empty when it cannot be made.
OwnedBitmap DrawPanel(HWND panel, const RECT& inner, HBITMAP strip, const DialogRect& frame)
{
    WindowDc screen(panel);
    OwnedBitmap picture(CreateCompatibleBitmap(screen, inner.right, inner.bottom));
    MemoryDc dc(screen);
    MemoryDc stripDc(screen);
    if (!picture || !dc || !stripDc)
        return {};
    Selection select(dc, picture.get());
    const COLORREF back = RGB(kPicCBackColour & 0xFF, (kPicCBackColour >> 8) & 0xFF, (kPicCBackColour >> 16) & 0xFF);
    const OwnedBrush backBrush(CreateSolidBrush(back));
    FillRect(dc, &inner, backBrush.get());

    if (strip) {
        const SIZE size = PictureSize(strip);
        Selection selectStrip(stripDc, strip);
        for (const TilePoint& at :
             TilePositions(inner.right, inner.bottom, static_cast<int>(size.cx), static_cast<int>(size.cy)))
            BitBlt(dc, at.x, at.y, size.cx, size.cy, stripDc, 0, 0, SRCCOPY);
    }

    RECT box = {frame.x, frame.y, frame.x + frame.width, frame.y + frame.height};
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return picture;
}

}  // namespace

bool RegisterPanelClass()
{
    WNDCLASSEXW panel = {};
    panel.cbSize = sizeof panel;
    panel.lpfnWndProc = PanelProc;
    panel.hInstance = GetModuleHandleW(nullptr);
    panel.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    panel.lpszClassName = kPanelClassName;
    return RegisterClassExW(&panel) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreatePanel(HWND dialog, int id)
{
    return CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClassName, L"",
                           WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

void TilePanel(HWND panel, HBITMAP strip, const DialogRect& frame)
{
    RECT inner;
    GetClientRect(panel, &inner);
    if (inner.right <= 0 || inner.bottom <= 0)
        return;
    OwnedBitmap picture = DrawPanel(panel, inner, strip, frame);
    if (!picture)
        return;
    const HBITMAP previous = PictureOf(panel);
    SetWindowLongPtrW(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture.release()));
    if (previous)
        DeleteObject(previous);
    RedrawWindow(panel, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}
