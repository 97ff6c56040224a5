#include "launcher/dialog/label_win.h"

#include "launcher/ui/gdi_win.h"
#include "launcher/ui/paint_win.h"

namespace {

struct Label {
    LabelLook look;
    HFONT font = nullptr;
    HBITMAP picture = nullptr;
    bool leftDown = false;
};

Label* DataOf(HWND hwnd)
{
    return reinterpret_cast<Label*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Notify(HWND hwnd, WORD notice)
{
    if (HWND parent = GetParent(hwnd))
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), notice), reinterpret_cast<LPARAM>(hwnd));
}

void PaintLabel(HWND hwnd, const Label& label, HDC dc, int width, int height)
{
    PaintParentBehind(hwnd, dc);  // the container's stored picture
    DrawPicture(dc, label.picture);
    RECT box = {0, 0, width, height};
    if (label.look.border) {
        FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&box, -2, -1);
    }
    const std::wstring text = WindowTextOf(hwnd);
    if (text.empty())
        return;
    HGDIOBJ oldFont = SelectObject(dc, label.font ? label.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, label.look.colour);
    // No prefix characters: a path with "&" shows as it is.
    UINT format = DT_NOPREFIX | (label.look.centred ? DT_CENTER : DT_LEFT);
    format |= label.look.wrap ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
    SelectObject(dc, oldFont);
}

// Drawn off screen first, then copied: no flicker when the text changes.
void PaintContent(HWND hwnd, const Label& label, HDC target)
{
    RECT client;
    GetClientRect(hwnd, &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    const auto paint = [&](HDC dc) { PaintLabel(hwnd, label, dc, client.right, client.bottom); };
    if (!PaintBuffered(target, client.right, client.bottom, paint))
        paint(target);  // without the bitmap, straight onto the surface
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* label = static_cast<Label*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(label));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    Label* label = DataOf(hwnd);
    if (!label)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete label;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SETFONT:
        label->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(label->font);
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return result;
    }
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_PRINTCLIENT: return PaintMessage(hwnd, message, wParam, [&](HDC dc) { PaintContent(hwnd, *label, dc); });
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            SetCursor(label->look.cursor ? label->look.cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        label->leftDown = true;
        SetCapture(hwnd);
        Notify(hwnd, kLabelMouseDown);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: Notify(hwnd, kLabelMouseDown); return 0;
    case WM_LBUTTONUP: {
        const bool wasDown = label->leftDown;
        label->leftDown = false;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        RECT client;
        GetClientRect(hwnd, &client);
        POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (wasDown && PtInRect(&client, at))
            Notify(hwnd, kLabelClick);
        return 0;
    }
    case WM_CAPTURECHANGED: label->leftDown = false; return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterLabelClass()
{
    static bool registered = false;
    if (registered)
        return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = LabelProc;  // no CS_DBLCLKS: a quick second press is a press
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kLabelClassName;
    registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

}  // namespace

HWND CreateLabel(HWND parent, int id, const std::wstring& text, const LabelLook& look)
{
    if (!RegisterLabelClass())
        return nullptr;
    auto* label = new Label;
    label->look = look;
    HWND hwnd = CreateWindowExW(0, kLabelClassName, text.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), label);
    if (!hwnd)
        delete label;  // WM_NCCREATE never stored it
    return hwnd;
}

void SetLabelPicture(HWND label, HBITMAP picture)
{
    if (Label* data = DataOf(label)) {
        data->picture = picture;
        InvalidateRect(label, nullptr, FALSE);
    }
}

std::wstring WindowTextOf(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

SIZE LabelTextExtent(HWND label)
{
    SIZE size = {0, 0};
    Label* data = DataOf(label);
    WindowDc dc(label);
    if (!data || !dc)
        return size;
    Selection font(dc, data->font ? data->font : GetStockObject(DEFAULT_GUI_FONT));
    const std::wstring text = WindowTextOf(label);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics;
    if (GetTextMetricsW(dc, &metrics))
        size.cy = metrics.tmHeight;
    return size;
}
