#include "launcher/ui/paint_win.h"

SIZE PictureSize(HBITMAP picture)
{
    BITMAP info = {};
    if (!picture || !GetObjectW(picture, sizeof info, &info))
        return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

void DrawPicture(HDC dc, HBITMAP picture, int x, int y, int width, int height)
{
    MemoryDc source(dc);
    Selection select(source, picture);
    BitBlt(dc, x, y, width, height, source, 0, 0, SRCCOPY);
}

void DrawPicture(HDC dc, HBITMAP picture)
{
    if (!picture)
        return;
    const SIZE size = PictureSize(picture);
    DrawPicture(dc, picture, 0, 0, size.cx, size.cy);
}

void PaintParentBehind(HWND child, HDC dc)
{
    HWND parent = GetParent(child);
    if (!parent)
        return;
    POINT origin = {0, 0};
    MapWindowPoints(child, parent, &origin, 1);
    POINT old;
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
}
