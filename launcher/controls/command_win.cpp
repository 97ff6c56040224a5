#include "launcher/controls/command_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "common/utf8_win.h"
#include "launcher/resources/resource_ids.h"
#include "launcher/runtime/runtime.h"
#include "launcher/ui/dpi_win.h"
#include "launcher/ui/gdi_win.h"
#include "launcher/ui/gothic_face_win.h"
#include "launcher/ui/paint_win.h"

namespace {

constexpr UINT_PTR kTmrMouse = 1;

// What the window shows; repainted when any of it changes.
struct Look {
    uint32_t faceDrawings = 0;
    std::string caption;
    int32_t captionColour = 0;
    bool captionEnabled = true;
    bool opaque = true;
    HFONT font = nullptr;
    friend bool operator==(const Look&, const Look&) = default;
};

// One button: its core, the layout it came from, and what painting needs.
struct CommandWindow {
    HWND hwnd = nullptr;
    CommandCore core;
    PropertyBag layout;
    FontSpec ambient;
    UINT dpi = 96;  // the caption's scale: the host's
    OwnedFont font;
    FontSpec fontMadeFor;
    UINT fontDpi = 0;
    bool timerSet = false;
    bool sized = false;
    bool painted = false;
    Look shown;
    CommandClickHandler onClick = nullptr;
    void* clickContext = nullptr;
};

CommandWindow* DataOf(HWND hwnd)
{
    return reinterpret_cast<CommandWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The button behind a window handle; null for a window of any other class.
CommandWindow* InstanceOf(HWND hwnd)
{
    wchar_t name[32] = {};
    if (!hwnd || !GetClassNameW(hwnd, name, 32) || std::wstring_view(name) != kCommandClassName)
        return nullptr;
    return DataOf(hwnd);
}

// ---------------------------------------------------------------- pictures

// The six skins, loaded once from the program's resources and kept for the
// life of the process. Null where a skin is missing: that face then has no
// border, and the rest still draws.
HBITMAP Skin(CommandSkin skin)
{
    static HBITMAP skins[kCommandSkinCount];
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        for (int i = 0; i < kCommandSkinCount; ++i)
            skins[i] = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SKIN_NORMAL + i),
                                                       IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    }
    return skins[static_cast<int>(skin)];
}

// The caption font for the button's DPI. The stored layouts name
// "ＭＳ Ｐゴシック"; where that face is missing, another installed Gothic face
// stands in for it, and for any other missing face asked for in the Japanese
// character set.
HFONT MakeFont(const FontSpec& spec, UINT dpi)
{
    FontLook look;
    look.face = WideFromUtf8(spec.name);
    look.points = spec.size;
    look.weight = spec.weight;
    look.italic = spec.italic;
    look.underline = spec.underline;
    look.strikeout = spec.strikethrough;
    look.charset = static_cast<BYTE>(spec.charset);
    return MakeFont(look, dpi);
}

COLORREF CaptionColour(int32_t colour)
{
    uint32_t c = static_cast<uint32_t>(colour);
    if (c & 0x80000000u)
        return GetSysColor(static_cast<int>(c & 0xFF));
    return static_cast<COLORREF>(c);
}

// ---------------------------------------------------------------- painting

void PaintFace(HDC dc, int w, int h, const CommandCore& core)
{
    // Clear, then the gradient over the whole surface.
    RECT all{0, 0, w, h};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    FaceGradient g = MakeFaceGradient(w, h, core.HoverGradient);
    TRIVERTEX vertex[2];
    for (int i = 0; i < 2; ++i)
        vertex[i] = {g.vertex[i].x,     g.vertex[i].y,    g.vertex[i].red,
                     g.vertex[i].green, g.vertex[i].blue, g.vertex[i].alpha};
    GRADIENT_RECT rect{g.rect.upperLeft, g.rect.lowerRight};
    GradientFill(dc, vertex, 2, &rect, 1, GRADIENT_FILL_RECT_V);

    // The border: eight stretch copies from the skin. Colour-on-colour keeps
    // shrunk edges from being ANDed into darker lines.
    HBITMAP skin = Skin(core.face);
    if (!skin)
        return;
    MemoryDc skinDc(dc);
    Selection select(skinDc, skin);
    int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    for (const BorderPiece& p : BorderPieces(w, h))
        StretchBlt(dc, p.button.x, p.button.y, p.button.width, p.button.height, skinDc, p.skin.x, p.skin.y,
                   p.skin.width, p.skin.height, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

void PaintCaption(HDC dc, int w, int h, const CommandWindow& cw)
{
    std::wstring text = WideFromUtf8(cw.core.caption);
    HGDIOBJ oldFont = SelectObject(dc, cw.font ? cw.font.get() : GetStockObject(DEFAULT_GUI_FONT));
    const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    RECT measure{0, 0, w, 0};
    DrawTextW(dc, text.c_str(), -1, &measure, format | DT_CALCRECT);
    int captionHeight = measure.bottom - measure.top;
    int top = CaptionTop(h, captionHeight);
    RECT r{0, top, w, top + captionHeight};
    SetBkMode(dc, TRANSPARENT);
    if (cw.core.captionEnabled) {
        SetTextColor(dc, CaptionColour(cw.core.captionColour));
        DrawTextW(dc, text.c_str(), -1, &r, format);
    } else {
        // Greyed as Windows greys a disabled label: a light copy one pixel
        // down and right, the grey text over it.
        RECT lit = r;
        OffsetRect(&lit, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(dc, text.c_str(), -1, &lit, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, text.c_str(), -1, &r, format);
    }
    SelectObject(dc, oldFont);
}

// The whole button as its state says; drawn off screen first (no flicker).
void PaintContent(HDC target, const CommandWindow& cw)
{
    RECT rc;
    GetClientRect(cw.hwnd, &rc);
    int w = rc.right, h = rc.bottom;
    if (w <= 0 || h <= 0)
        return;
    PaintBuffered(target, w, h, [&](HDC dc) {
        if (cw.core.opaque) {
            PaintFace(dc, w, h, cw.core);
        } else {
            PaintParentBehind(cw.hwnd, dc);  // the transparent background mode
        }
        PaintCaption(dc, w, h, cw);
    });
}

// ---------------------------------------------------------------- core -> window

// Brings the window in line with the core after every event or member call:
// the timer, the window's enabled state (so a disabled button takes neither
// focus nor mouse input), the caption font, and the face on screen.
void Apply(CommandWindow& cw)
{
    if (cw.core.timerOn && !cw.timerSet)
        cw.timerSet = SetTimer(cw.hwnd, kTmrMouse, kTmrMouseInterval, nullptr) != 0;
    bool enabled = cw.core.Enabled != kFalse;
    if ((IsWindowEnabled(cw.hwnd) != FALSE) != enabled) {
        EnableWindow(cw.hwnd, enabled);
        // Disabling the window took its focus, unseen by the core (a disabled
        // button ignores focus). Enabled again without the focus, it must not
        // go on as focused: its next press would give it the focus from state
        // 4, land in state 3 and raise no Click.
        if (enabled && (cw.core.ButtonState == 3 || cw.core.ButtonState == 4) && GetFocus() != cw.hwnd)
            cw.core.UserControl_LostFocus();
    }
    if (!cw.font || !(cw.fontMadeFor == cw.core.font) || cw.fontDpi != cw.dpi) {
        HFONT made = MakeFont(cw.core.font, cw.dpi);
        if (made) {
            cw.font.reset(made);
            cw.fontMadeFor = cw.core.font;
            cw.fontDpi = cw.dpi;
        }
    }
    Look now{cw.core.faceDrawings,   cw.core.caption, cw.core.captionColour,
             cw.core.captionEnabled, cw.core.opaque,  cw.font.get()};
    if (!cw.painted || !(now == cw.shown)) {
        // The window's text is the caption, for whatever reads windows rather
        // than pixels (a screen reader, a test).
        if (!cw.painted || now.caption != cw.shown.caption)
            SetWindowTextW(cw.hwnd, WideFromUtf8(now.caption).c_str());
        cw.shown = now;
        cw.painted = true;
        RedrawWindow(cw.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
}

// Click goes out last: the handler may destroy the button.
void RaiseClick(CommandWindow& cw)
{
    HWND hwnd = cw.hwnd;
    CommandClickHandler handler = cw.onClick;
    void* context = cw.clickContext;
    if (handler) {
        handler(hwnd, context);
        return;
    }
    HWND parent = GetParent(hwnd);
    if (parent)
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
}

MouseButton ButtonOf(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return MouseButton::Left;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return MouseButton::Right;
    default: return MouseButton::Middle;
    }
}

LRESULT HandleMessage(CommandWindow& cw, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = cw.hwnd;
    switch (message) {
    case WM_MOUSEMOVE: {
        // While the left button is held the moves come captured from
        // anywhere; only those over the button count as over it.
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (PtInRect(&rc, p)) {
            cw.core.UserControl_MouseMove();
            Apply(cw);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        cw.core.UserControl_MouseDown(MouseButton::Left);
        Apply(cw);
        if (cw.core.Enabled != kFalse) {
            // Capture, so that the release is seen wherever it happens.
            SetCapture(hwnd);
            // The focus the press gives arrives after the press itself.
            if (GetFocus() != hwnd)
                SetFocus(hwnd);
        }
        return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        cw.core.UserControl_MouseDown(ButtonOf(message));
        Apply(cw);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        bool click = cw.core.UserControl_MouseUp(ButtonOf(message));
        Apply(cw);
        if (message == WM_LBUTTONUP && GetCapture() == hwnd)
            ReleaseCapture();
        if (click)
            RaiseClick(cw);
        return 0;
    }
    case WM_SETFOCUS:
        cw.core.UserControl_GotFocus();
        Apply(cw);
        return 0;
    case WM_KILLFOCUS:
        cw.core.UserControl_LostFocus();
        Apply(cw);
        return 0;
    case WM_TIMER:
        if (wParam == kTmrMouse) {
            // The caption has no window of its own, so over the caption
            // is over the button. A position that cannot be read changes nothing.
            POINT p;
            if (GetCursorPos(&p)) {
                cw.core.TmrMouse_Timer(WindowFromPoint(p) == hwnd);
                Apply(cw);
            }
        }
        return 0;
    case WM_SIZE:
        cw.sized = true;
        cw.core.UserControl_Resize();
        Apply(cw);
        return 0;
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_PRINTCLIENT: return PaintMessage(hwnd, message, wParam, [&](HDC dc) { PaintContent(dc, cw); });
    case WM_GETFONT: return reinterpret_cast<LRESULT>(cw.font.get());
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK CommandWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* cw = static_cast<CommandWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        cw->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cw));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    CommandWindow* cw = DataOf(hwnd);
    if (!cw)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        if (cw->timerSet)
            KillTimer(hwnd, kTmrMouse);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete cw;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // Continue on error: the host never sees a failing handler.
    LRESULT result = 0;
    Guarded([&] { result = HandleMessage(*cw, message, wParam, lParam); });
    return result;
}

// Registers the window class on first use.
bool RegisterCommandClass()
{
    static bool registered = false;
    if (registered)
        return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = CommandWindowProc;  // no CS_DBLCLKS: a quick second press is a press
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kCommandClassName;
    registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

}  // namespace

Command Command::Create(HWND parent, int id, int x, int y, int width, int height, const PropertyBag& layout,
                        const FontSpec& ambientFont)
{
    if (!RegisterCommandClass())
        return {};
    auto* cw = new CommandWindow;
    cw->layout = layout;
    cw->ambient = ambientFont;
    cw->core.host = &cw->layout;
    cw->dpi = DpiOf(parent);
    // Loading: the stored properties, ending with a refresh.
    cw->core.ReadProperties(cw->layout, cw->ambient);
    HWND hwnd = CreateWindowExW(0, kCommandClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, x, y,
                                width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), cw);
    if (!hwnd) {
        delete cw;
        return {};
    }
    // The host's first sizing redraws by enabled state.
    if (!cw->sized) {
        cw->core.UserControl_Resize();
        cw->sized = true;
    }
    Apply(*cw);
    return Command(hwnd);
}

Command::operator bool() const
{
    return InstanceOf(window_) != nullptr;
}

void Command::Dpi(UINT dpi) const
{
    if (CommandWindow* cw = InstanceOf(window_)) {
        cw->dpi = dpi;
        Apply(*cw);
    }
}

void Command::OnClick(CommandClickHandler handler, void* context) const
{
    if (CommandWindow* cw = InstanceOf(window_)) {
        cw->onClick = handler;
        cw->clickContext = context;
    }
}

// Each member runs the core's routine, then shows the result.
void Command::Initialize() const
{
    if (CommandWindow* cw = InstanceOf(window_)) {
        cw->core.Initialize();
        Apply(*cw);
    }
}
std::string Command::Caption() const
{
    CommandWindow* cw = InstanceOf(window_);
    return cw ? cw->core.GetCaption() : std::string();
}
void Command::Caption(std::string_view text) const
{
    if (CommandWindow* cw = InstanceOf(window_)) {
        cw->core.LetCaption(text);
        Apply(*cw);
    }
}
FontSpec Command::Font() const
{
    CommandWindow* cw = InstanceOf(window_);
    return cw ? cw->core.GetFont() : FontSpec{};
}
void Command::Font(const FontSpec& font) const
{
    if (CommandWindow* cw = InstanceOf(window_)) {
        cw->core.SetFont(font);
        Apply(*cw);
    }
}
int32_t Command::FontColour() const
{
    CommandWindow* cw = InstanceOf(window_);
    if (!cw)
        return 0;
    int32_t colour = cw->core.GetFontColour();
    Apply(*cw);
    return colour;
}
void Command::FontColour(int32_t colour) const
{
    if (CommandWindow* cw = InstanceOf(window_)) {
        cw->core.LetFontColour(colour);
        Apply(*cw);
    }
}
bool Command::Enabled() const
{
    CommandWindow* cw = InstanceOf(window_);
    if (!cw)
        return false;
    bool enabled = cw->core.GetEnabled() != kFalse;
    Apply(*cw);
    return enabled;
}
void Command::Enabled(bool enabled) const
{
    if (CommandWindow* cw = InstanceOf(window_)) {
        cw->core.LetEnabled(enabled ? kTrue : kFalse);
        Apply(*cw);
    }
}
bool Command::Visible() const
{
    CommandWindow* cw = InstanceOf(window_);
    if (!cw)
        return false;
    bool visible = cw->core.GetVisible() != kFalse;
    Apply(*cw);
    return visible;
}
void Command::Visible(bool visible) const
{
    if (CommandWindow* cw = InstanceOf(window_)) {
        cw->core.LetVisible(visible ? kTrue : kFalse);
        Apply(*cw);
    }
}
void Command::WriteProperties(PropertyBag& bag) const
{
    if (CommandWindow* cw = InstanceOf(window_)) {
        cw->core.WriteProperties(bag, cw->ambient);
        Apply(*cw);
    }
}
const PropertyBag* Command::Layout() const
{
    CommandWindow* cw = InstanceOf(window_);
    return cw ? &cw->layout : nullptr;
}
const CommandCore* Command::State() const
{
    CommandWindow* cw = InstanceOf(window_);
    return cw ? &cw->core : nullptr;
}
