// The preview form Brinefold_R: a still picture of the water scene, embedded
// as a child of the window that the Display settings hand over for their
// small monitor picture.
//
// Does: create the borderless black form hidden, turn it into a child of the
// host, fill the host with it, show it; draw Img_Prev (a windowless image
// control) at its picture's own size from the top-left corner, black beyond;
// unload when its window goes, which happens when the host is destroyed.
// Does not: animate, read settings, start the renderer, handle input, report
// errors (a bad host handle simply gives a form of no size).
#include "launcher/preview/preview_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "launcher/resources/resource_ids.h"
#include "launcher/runtime/runtime.h"
#include "launcher/runtime/toolkit_win.h"
#include "launcher/ui/paint_win.h"

namespace {

constexpr char kFormClass[] = "Brinefold_R";
constexpr char kFormCaption[] = "Preview Window";

// An image control: no window of its own, drawn by the form that holds it.
struct ImageControl {
    RECT bounds = {};           // in the form's client pixels
    HBITMAP picture = nullptr;  // drawn at its own size, never scaled
    SIZE pictureSize = {};
};

// Form-level state, one copy per process.
struct PreviewForm {
    HWND window = nullptr;
    ImageControl Img_Prev;
};

PreviewForm form;

// Draws the form as its state says: the picture clipped to Img_Prev, black
// everywhere else (the form's background colour).
void PaintContent(HDC dc, const RECT& client)
{
    const ImageControl& image = form.Img_Prev;
    RECT shown = image.bounds;
    shown.right = std::min<LONG>(shown.right, shown.left + image.pictureSize.cx);
    shown.bottom = std::min<LONG>(shown.bottom, shown.top + image.pictureSize.cy);
    if (!image.picture || shown.right <= shown.left || shown.bottom <= shown.top)
        SetRectEmpty(&shown);

    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    if (IsRectEmpty(&shown)) {
        FillRect(dc, &client, black);
        return;
    }
    // Black around the picture; painting the picture's own area only once
    // keeps it from flickering when the host repaints.
    const RECT above = {client.left, client.top, client.right, shown.top};
    const RECT below = {client.left, shown.bottom, client.right, client.bottom};
    const RECT left = {client.left, shown.top, shown.left, shown.bottom};
    const RECT right = {shown.right, shown.top, client.right, shown.bottom};
    for (const RECT& r : {above, below, left, right})
        if (r.right > r.left && r.bottom > r.top)
            FillRect(dc, &r, black);

    DrawPicture(dc, image.picture, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top);
}

// The form's unload handler. The form is going already; the close request
// it posts to its own window finds nothing left to close.
void Form_Unload()
{
    LastResult = PostMessageA(form.window, WM_CLOSE, 0, 0);
    FormUnloaded(form.window);
}

LRESULT CALLBACK FormProc(HWND window, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_PRINTCLIENT:
        return PaintMessage(window, msg, wp, [&](HDC dc) {
            RECT client;
            GetClientRect(window, &client);
            PaintContent(dc, client);
        });
    case WM_DESTROY:
        if (window == form.window)
            Form_Unload();
        return 0;
    case WM_NCDESTROY:
        if (window == form.window) {
            if (form.Img_Prev.picture)
                DeleteObject(form.Img_Prev.picture);
            form = PreviewForm();
        }
        break;
    }
    return DefWindowProcA(window, msg, wp, lp);
}

// Creates the form hidden, as designed: borderless, black, Img_Prev at (0, 0)
// with the size of its picture.
HWND CreateForm()
{
    HINSTANCE instance = AppInstance();
    WNDCLASSA wc = {};
    if (!GetClassInfoA(instance, kFormClass, &wc)) {
        wc.lpfnWndProc = FormProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kFormClass;
        RegisterClassA(&wc);
    }

    ImageControl image;
    image.picture = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDB_PREVIEW), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP info = {};
    if (image.picture && GetObjectA(image.picture, sizeof info, &info)) {
        image.pictureSize = {info.bmWidth, std::abs(info.bmHeight)};
        image.bounds = {0, 0, info.bmWidth, std::abs(info.bmHeight)};
    }

    // Neither WS_POPUP nor WS_CHILD yet: embedding adds WS_CHILD and nothing
    // else, and a window carrying both is neither one thing nor the other.
    HWND window = CreateWindowExA(0, kFormClass, kFormCaption, WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                                  image.pictureSize.cx, image.pictureSize.cy, nullptr, nullptr, instance, nullptr);
    if (!window) {
        if (image.picture)
            DeleteObject(image.picture);
        return nullptr;
    }
    // HACK: CreateWindowEx gives every window that is neither a popup nor a
    // child a title bar; a borderless form takes it off again before it is
    // ever shown.
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) & ~WS_CAPTION);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    form.window = window;
    form.Img_Prev = image;
    FormLoaded(window);
    return window;
}

}  // namespace

void ShowPreview(int32_t host)
{
    // Window handles carry 32 significant bits and are sign-extended on 64-bit
    // Windows.
    HWND hostWindow = reinterpret_cast<HWND>(static_cast<LONG_PTR>(host));

    // 1. The host's outer rectangle; a bad handle leaves it empty, and the
    //    preview then has no size.
    RECT rect = {};
    GetWindowRect(hostWindow, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;

    // 2. The form, hidden. Loading a form that is loaded already keeps it.
    HWND window = form.window ? form.window : CreateForm();
    if (!window)
        return;

    // 3. A child window from now on; no other bit of the style changes.
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | WS_CHILD);

    // 4. Inside the host: clipped to it and destroyed with it.
    SetParent(window, hostWindow);

    // 5. The host's top-left corner, the host's size.
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    // 6. Img_Prev fills the form; its picture keeps its own size.
    SetRect(&form.Img_Prev.bounds, 0, 0, width, height);
    InvalidateRect(window, nullptr, FALSE);

    // 7. Shown, not modal. Without activation: the picture takes no input and
    //    must not take the focus from the Display settings.
    ShowWindow(window, SW_SHOWNA);
}
