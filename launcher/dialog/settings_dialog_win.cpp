// The settings dialog Brinefold_P on Win32: one top-level window with the
// gradient background, the music panel Pic_C (panel_win.h), the labels and
// radio marks (label_win.h), the repeat drop-down (a real combo box), the
// display-mode check box (a real check box over the gradient) and the three
// Command buttons.
//
// Pixel measures come from settings_dialog.h at 100% and are scaled to
// the window's DPI; fonts and pictures follow. The stored pictures (the
// gradient, the tiled panel) are drawn once per size and repainted from
// memory.

#include "launcher/dialog/settings_dialog_win.h"

#include "common/utf8_win.h"
#include "launcher/controls/command_win.h"
#include "launcher/dialog/label_win.h"
#include "launcher/dialog/panel_win.h"
#include "launcher/dialog/settings_dialog.h"
#include "launcher/resources/resource_ids.h"
#include "launcher/runtime/paths.h"
#include "launcher/runtime/runtime.h"
#include "launcher/runtime/toolkit_win.h"
#include "launcher/settings/settings.h"
#include "launcher/ui/dpi_win.h"
#include "launcher/ui/gdi_win.h"
#include "launcher/ui/gothic_face_win.h"
#include "launcher/ui/paint_win.h"
#include "launcher/ui/text_win.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

namespace {

constexpr wchar_t kDialogClassName[] = L"Brinefold_P";
constexpr DWORD kDialogStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// ---------------------------------------------------------------- pictures

HBITMAP LoadPicture(int id)
{
    return static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// A picture resource at the size its 100% size has at this DPI (smoothly
// stretched when it is not 100%). Empty when the resource is missing.
OwnedBitmap LoadPictureAt(int id, UINT dpi)
{
    OwnedBitmap original(LoadPicture(id));
    if (!original || dpi == 96)
        return original;
    const SIZE from = PictureSize(original.get());
    const int width = ScaleToDpi(static_cast<int>(from.cx), static_cast<int>(dpi));
    const int height = ScaleToDpi(static_cast<int>(from.cy), static_cast<int>(dpi));
    WindowDc screen(nullptr);
    OwnedBitmap scaled(CreateCompatibleBitmap(screen, width, height));
    MemoryDc source(screen);
    MemoryDc target(screen);
    if (!scaled || !source || !target)
        return original;
    Selection selectSource(source, original.get());
    Selection selectTarget(target, scaled.get());
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    StretchBlt(target, 0, 0, width, height, source, 0, 0, from.cx, from.cy, SRCCOPY);
    return scaled;
}

// ---------------------------------------------------------------- the form

struct DialogForm {
    HWND hwnd = nullptr;
    UINT dpi = 96;
    bool sized = false;  // placed at its size; WM_SIZE may draw from now on
    bool unloading = false;

    // Controls.
    HWND Pic_C = nullptr;
    HWND titleLabel = nullptr;
    HWND Img_BGM[3] = {};
    HWND lbl_BGM[3] = {};
    HWND BGM_Repeat = nullptr;
    HWND repeatLabel = nullptr;
    HWND lbl_Fname = nullptr;
    HWND lbl_URL = nullptr;
    HWND Chk_KeepResolution = nullptr;
    Command Cmd_File, Cmd_Set, Cmd_Can;
    HWND lastFocus = nullptr;

    // Stored pictures and GDI objects, for the current DPI. (Pic_C keeps its
    // own picture.)
    OwnedBitmap background;      // the gradient, the client area's size
    OwnedBrush backgroundBrush;  // the same picture, for the check box to fill with
    OwnedBitmap Img_Ra[2];       // the unselected and selected marks
    OwnedBitmap Pic_Mbl;         // the strip
    OwnedFont font;
    OwnedFont linkFont;
    OwnedBrush white;
    HCURSOR hand = nullptr;  // shared: the system keeps it
    HICON icon = nullptr;    // shared, likewise

    // The screen point the caption zooms open from and closed to.
    POINT zoomPoint = {0, 0};
};

DialogForm* loadedForm = nullptr;

DialogRect Scaled(const DialogForm& f, const DialogRect& r)
{
    return ScaleToDpi(r, static_cast<int>(f.dpi));
}

int Scaled(const DialogForm& f, int pixels)
{
    return ScaleToDpi(pixels, static_cast<int>(f.dpi));
}

void Move(HWND hwnd, const DialogRect& r)
{
    if (hwnd)
        SetWindowPos(hwnd, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The background for a client area of this size: one line per y from 0 to H.
// Empty when the picture cannot be made.
OwnedBitmap DrawBackground(HWND window, int width, int height)
{
    WindowDc screen(window);
    OwnedBitmap picture(CreateCompatibleBitmap(screen, width, height));
    MemoryDc dc(screen);
    if (!picture || !dc)
        return {};
    Selection select(dc, picture.get());
    Selection pen(dc, GetStockObject(DC_PEN));
    const double h = height;
    const int last = GradientLastLine(h);
    for (int y = 0; y <= last; ++y) {
        const Rgb c = GradientColour(y, h);
        SetDCPenColor(dc, RGB(c.red, c.green, c.blue));
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, width, y);
    }
    return picture;
}

// The background, drawn once into the stored picture for this client size.
void Form_Resize(DialogForm& f)
{
    RECT client;
    GetClientRect(f.hwnd, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0)
        return;
    const SIZE stored = PictureSize(f.background.get());
    if (stored.cx == width && stored.cy == height)
        return;
    OwnedBitmap picture = DrawBackground(f.hwnd, width, height);
    if (!picture)
        return;
    f.background = std::move(picture);
    f.backgroundBrush.reset(CreatePatternBrush(f.background.get()));
    // The children show the background behind them too.
    RedrawWindow(f.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// Pic_C's picture: its back colour, the strip tiled over it, then Shape3,
// the frame round the group title.
void TilePanel(const DialogForm& f)
{
    TilePanel(f.Pic_C, f.Pic_Mbl.get(), Scaled(f, kShape3));
}

// The fonts and pictures for the window's DPI. Those they replace are
// handed back, to be deleted once no control uses them any more.
struct Looks {
    OwnedFont font, linkFont;
    OwnedBitmap strip, marks[2];
};

Looks LoadLooks(DialogForm& f)
{
    Looks old = {std::move(f.font),
                 std::move(f.linkFont),
                 std::move(f.Pic_Mbl),
                 {std::move(f.Img_Ra[0]), std::move(f.Img_Ra[1])}};
    FontLook link;
    link.underline = true;
    f.font.reset(MakeFont(FontLook{}, f.dpi));
    f.linkFont.reset(MakeFont(link, f.dpi));
    f.Pic_Mbl = LoadPictureAt(IDB_PANEL_STRIP, f.dpi);
    f.Img_Ra[0] = LoadPictureAt(IDB_RADIO_UNSELECTED, f.dpi);
    f.Img_Ra[1] = LoadPictureAt(IDB_RADIO_SELECTED, f.dpi);
    return old;
}

// A label sized to its text (its width; at least its design height).
void MoveSizedToText(const DialogForm& f, HWND label, const DialogRect& design)
{
    DialogRect r = Scaled(f, design);
    const SIZE text = LabelTextExtent(label);
    if (text.cx > 0)
        r.width = static_cast<int>(text.cx);
    r.height = std::max(r.height, static_cast<int>(text.cy));
    Move(label, r);
}

// The drop-down's closed field at its design height; the list below it
// shows up to 8 entries. The field's height follows the font, so its text
// height is adjusted until the field has the height wanted.
void MoveComboBox(const DialogForm& f)
{
    const DialogRect field = Scaled(f, kBgmRepeat);
    SendMessageW(f.BGM_Repeat, WM_SETFONT, reinterpret_cast<WPARAM>(f.font.get()), FALSE);
    const LRESULT row = SendMessageW(f.BGM_Repeat, CB_GETITEMHEIGHT, 0, 0);
    const int list = (row != CB_ERR && row > 0 ? static_cast<int>(row) : field.height) * 8 + 2;
    const DialogRect dropped = {field.x, field.y, field.width, field.height + list};
    Move(f.BGM_Repeat, dropped);
    LRESULT request = SendMessageW(f.BGM_Repeat, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    // The field resizes itself; moving it again would undo this under Wine.
    // HACK: Wine stores a requested text height plus 2 but reports it
    // without, so one request may change nothing; the next one does.
    for (int attempt = 0; attempt < 3 && request != CB_ERR; ++attempt) {
        RECT closed;
        GetWindowRect(f.BGM_Repeat, &closed);
        const int excess = static_cast<int>(closed.bottom - closed.top) - field.height;
        if (excess == 0 || request - excess <= 0)
            break;
        request -= excess;
        SendMessageW(f.BGM_Repeat, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request);
    }
}

// Every control at its place, in its font, for the window's DPI.
void LayOut(DialogForm& f)
{
    Move(f.Pic_C, Scaled(f, kPicC));
    HWND texts[] = {f.titleLabel,  f.lbl_BGM[0], f.lbl_BGM[1],        f.lbl_BGM[2],
                    f.repeatLabel, f.lbl_Fname,  f.Chk_KeepResolution};
    for (HWND label : texts)
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(f.font.get()), FALSE);
    SendMessageW(f.lbl_URL, WM_SETFONT, reinterpret_cast<WPARAM>(f.linkFont.get()), FALSE);
    Move(f.titleLabel, Scaled(f, kTitleLabel));
    for (int i = 0; i < 3; ++i) {
        Move(f.Img_BGM[i], Scaled(f, kImgBgm[i]));
        MoveSizedToText(f, f.lbl_BGM[i], kLblBgm[i]);
    }
    MoveSizedToText(f, f.repeatLabel, kRepeatLabel);
    Move(f.lbl_Fname, Scaled(f, kLblFname));
    Move(f.Chk_KeepResolution, Scaled(f, kChkKeepResolution));
    MoveSizedToText(f, f.lbl_URL, kLblUrl);
    MoveComboBox(f);
    Move(f.Cmd_File.window(), Scaled(f, kCmdFile));
    Move(f.Cmd_Set.window(), Scaled(f, kCmdSet));
    Move(f.Cmd_Can.window(), Scaled(f, kCmdCan));
}

// The marks: all unselected, then the chosen one selected. A kind outside
// 0 to 2 selects none.
void ShowMarks(DialogForm& f, int selected)
{
    for (HWND mark : f.Img_BGM)
        SetLabelPicture(mark, f.Img_Ra[0].get());
    if (selected >= 0 && selected <= 2)
        SetLabelPicture(f.Img_BGM[selected], f.Img_Ra[1].get());
}

// The controls the user works with, in the focus order.
constexpr int kFocusOrderLength = 5;
std::array<HWND, kFocusOrderLength> FocusOrder(const DialogForm& f)
{
    return {f.BGM_Repeat, f.Cmd_File.window(), f.Chk_KeepResolution, f.Cmd_Set.window(), f.Cmd_Can.window()};
}

// A disabled control keeps no focus: it moves on to the next control of the
// focus order that can take it. Disabling the control that had the focus
// (hadFocus: it, or a part of it such as the drop-down's text field) has
// left no focus at all by now, and the keys would reach nothing.
void KeepFocusUsable(DialogForm& f, HWND hadFocus)
{
    if (!hadFocus)
        return;
    const std::array<HWND, kFocusOrderLength> order = FocusOrder(f);
    constexpr int n = kFocusOrderLength;
    for (int i = 0; i < n; ++i) {
        if (!order[i] || (order[i] != hadFocus && !IsChild(order[i], hadFocus)))
            continue;
        if (IsWindowEnabled(order[i]))
            return;
        for (int k = 1; k < n; ++k) {
            const HWND next = order[(i + k) % n];
            if (next && IsWindowEnabled(next)) {
                SetFocus(next);
                return;
            }
        }
        return;
    }
}

// Img_BGM(i)_MouseDown and lbl_BGM(i)_MouseDown: choose option i.
void ChooseMusic(DialogForm& f, MusicKind kind)
{
    BgmKind = kind;
    const MusicControls controls = MusicControlsFor(kind);
    const HWND hadFocus = GetFocus();
    ShowMarks(f, controls.selectedMark);
    EnableWindow(f.BGM_Repeat, controls.repeatEnabled);
    f.Cmd_File.Enabled(controls.fileEnabled);
    KeepFocusUsable(f, hadFocus);
}

void Cmd_File_Click(HWND, void* context)
{
    DialogForm& f = *static_cast<DialogForm*>(context);
    Guarded([&] {
        // The texts of the record, in wide form so that the Japanese reads
        // right on any system locale. The filter: its name, NUL, its
        // patterns, NUL, and the string's own NUL to end the list.
        const std::wstring filter = WideFromUtf8(UserTexts().chooserFilterName) + L'\0' + L"*.MP3;*.WAV" + L'\0';
        const std::wstring title = WideFromUtf8(UserTexts().chooserTitle);
        wchar_t file[256] = {};  // 255 NULs, and one more so the record can never lack its end
        wchar_t fileTitle[256] = {};
        const std::wstring initialFolder = FromAnsi(BgmFolder);

        OPENFILENAMEW record = {};
        // The 32-bit record measured 76 bytes; a 64-bit program passes its own
        // record's size, which is the only size the 64-bit chooser accepts.
        record.lStructSize = sizeof record;
        record.hwndOwner = f.hwnd;
        record.hInstance = AppInstance();
        record.lpstrFilter = filter.c_str();
        record.lpstrFile = file;
        record.nMaxFile = 255;
        record.lpstrFileTitle = fileTitle;
        record.nMaxFileTitle = 255;
        record.lpstrInitialDir = initialFolder.c_str();
        record.lpstrTitle = title.c_str();
        record.Flags = 0;
        LastResult = GetOpenFileNameW(&record);
        if (LastResult <= 0)
            return;  // cancelled or failed: nothing changes
        const std::optional<std::string> chosen = AnsiPath(file, kLongestSettingsValue);
        if (!chosen)
            return;
        BgmFile = *chosen;
        SetWindowTextW(f.lbl_Fname, FromAnsi(BgmFile).c_str());
        BgmFolder = FolderOf(BgmFile);
    });
}

// The caption zoom between the zoom point and the window's rectangle.
void Zoom(const DialogForm& f, bool opening)
{
    RECT window = {};
    GetWindowRect(f.hwnd, &window);
    const RECT point = {f.zoomPoint.x, f.zoomPoint.y, f.zoomPoint.x, f.zoomPoint.y};
    DrawAnimatedRects(f.hwnd, IDANI_CAPTION, opening ? &point : &window, opening ? &window : &point);
}

void Unload(DialogForm& f)
{
    if (f.unloading)
        return;
    f.unloading = true;
    // Form_Unload: the zoom back to where the pointer was at opening.
    Zoom(f, false);
    DestroyWindow(f.hwnd);
}

void Cmd_Set_Click(HWND, void* context)
{
    DialogForm& f = *static_cast<DialogForm*>(context);
    Guarded([&] {
        const std::string file = UserSettingsFile(true);
        const std::string repeatText = Utf8FromWide(WindowTextOf(f.BGM_Repeat));
        const bool keepResolution = SendMessageW(f.Chk_KeepResolution, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SaveDialogSettings(repeatText, keepResolution, [&](const char* key, const std::string& value) {
            // An empty name would make the profile calls write into win.ini.
            if (!file.empty())
                PutIni(kSettingsSection, key, value, file);
        });
    });
    Unload(f);
}

void Cmd_Can_Click(HWND, void* context)
{
    Unload(*static_cast<DialogForm*>(context));
}

void lbl_URL_Click(DialogForm& f)
{
    const std::string address = Utf8FromWide(WindowTextOf(f.lbl_URL));            // an address is ASCII
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
    ShellExecuteA(f.hwnd, "open", address.c_str(), "", "", SW_SHOWNORMAL);
    SetCursor(previous);
}

// The controls, created before the load handler runs (as a form loads
// them), in the focus order BGM_Repeat, Cmd_File, Chk_KeepResolution,
// Cmd_Set, Cmd_Can.
void CreateControls(DialogForm& f)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    f.Pic_C = CreatePanel(f.hwnd, kIdPicC);
    HWND panel = f.Pic_C;

    LabelLook black;
    LabelLook centred;
    centred.centred = true;
    const UserTextTable& texts = UserTexts();
    f.titleLabel = CreateLabel(panel, kIdTitleLabel, WideFromUtf8(texts.musicTitle), centred);
    for (int i = 0; i < 3; ++i) {
        f.Img_BGM[i] = CreateLabel(panel, kIdImgBgm0 + i, L"", black);
        f.lbl_BGM[i] = CreateLabel(panel, kIdLblBgm0 + i, WideFromUtf8(texts.musicOptions[i]), black);
    }
    f.BGM_Repeat = CreateWindowExW(
        0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 0, 0,
        0, panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBgmRepeat)), instance, nullptr);
    f.repeatLabel = CreateLabel(panel, kIdRepeatLabel, WideFromUtf8(texts.repeatTrack), black);

    const FontSpec ambient = CommandDesignFont();
    auto button = [&](HWND parent, int id, const char* caption, CommandClickHandler click) {
        PropertyBag layout;
        layout.WriteProperty("Caption", std::string(caption), std::string("Command"));
        Command made = Command::Create(parent, id, 0, 0, 0, 0, layout, ambient);
        made.OnClick(click, &f);
        return made;
    };
    f.Cmd_File = button(panel, kIdCmdFile, "...", Cmd_File_Click);

    LabelLook framed;
    framed.border = true;
    framed.wrap = true;
    f.lbl_Fname = CreateLabel(panel, kIdLblFname, L"", framed);

    f.Chk_KeepResolution = CreateWindowExW(
        0, L"BUTTON", WideFromUtf8(texts.keepResolution).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
        0, 0, 0, 0, f.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdChkKeepResolution)), instance, nullptr);

    LabelLook link;
    link.colour = kWhite;
    link.cursor = f.hand;
    f.lbl_URL = CreateLabel(f.hwnd, kIdLblUrl, FromAnsi(kMakerPage), link);
    f.Cmd_Set = button(f.hwnd, kIdCmdSet, texts.set, Cmd_Set_Click);
    f.Cmd_Can = button(f.hwnd, kIdCmdCan, texts.cancel, Cmd_Can_Click);
}

// Form_Load: every step runs even if an earlier one failed.
void Form_Load(DialogForm& f)
{
    // Centred across the screen, a third of the free height from the top.
    RECT outer;
    GetWindowRect(f.hwnd, &outer);
    const DialogPlace place = DialogPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                              outer.right - outer.left, outer.bottom - outer.top);
    SetWindowPos(f.hwnd, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Hover tracking of the three buttons.
    f.Cmd_Set.Initialize();
    f.Cmd_Can.Initialize();
    f.Cmd_File.Initialize();
    // The panel's strip.
    TilePanel(f);
    // The radio group and the enabled states of its two controls.
    EnableWindow(f.BGM_Repeat, FALSE);
    const MusicControls controls = MusicControlsFor(BgmKind);
    ShowMarks(f, controls.selectedMark);
    EnableWindow(f.BGM_Repeat, controls.repeatEnabled);
    f.Cmd_File.Enabled(controls.fileEnabled);
    // The repeat text, then the list.
    SetWindowTextW(f.BGM_Repeat, FromAnsi(FormatOptionalDigits(BgmRepeatTrack)).c_str());
    for (const std::string& entry : RepeatListEntries())
        SendMessageW(f.BGM_Repeat, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FromAnsi(entry).c_str()));
    // The chosen file.
    SetWindowTextW(f.lbl_Fname, FromAnsi(BgmFile).c_str());
    // The display mode.
    SendMessageW(f.Chk_KeepResolution, BM_SETCHECK, KeepResolution ? BST_CHECKED : BST_UNCHECKED, 0);
    // The zoom from the pointer (the screen's corner when it cannot be read).
    Guarded([&] {
        POINT at;
        if (GetCursorPos(&at))
            f.zoomPoint = {CInt(at.x), CInt(at.y)};
        else
            f.zoomPoint = {0, 0};
    });
    Zoom(f, true);
    // The default pointer (nothing in this program changes it before).
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
}

// The first control of the focus order that can take the focus.
HWND FirstFocus(const DialogForm& f)
{
    for (HWND candidate : FocusOrder(f))
        if (candidate && IsWindowEnabled(candidate))
            return candidate;
    return nullptr;
}

// A move to a monitor of another scale: everything again at the new DPI.
void Form_DpiChanged(DialogForm& f, UINT dpi, const RECT& suggested)
{
    f.dpi = dpi ? dpi : 96;
    {
        const Looks old = LoadLooks(f);
        SetWindowPos(f.hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        for (const Command& button : {f.Cmd_File, f.Cmd_Set, f.Cmd_Can})
            button.Dpi(f.dpi);
        LayOut(f);
        TilePanel(f);
        ShowMarks(f, MusicControlsFor(BgmKind).selectedMark);
    }  // the old fonts and pictures go: no control uses them any more
    RedrawWindow(f.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

LRESULT HandleMessage(DialogForm& f, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = f.hwnd;
    switch (message) {
    case WM_SIZE:
        if (f.sized)
            Form_Resize(f);
        return 0;
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_PRINTCLIENT:
        return PaintMessage(hwnd, message, wParam, [&](HDC dc) { DrawPicture(dc, f.background.get()); });
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const WORD notice = HIWORD(wParam);
        if (notice == kLabelMouseDown) {
            for (int i = 0; i < 3; ++i)
                if (id == kIdImgBgm0 + i || id == kIdLblBgm0 + i)
                    ChooseMusic(f, static_cast<MusicKind>(i));  // the options' order is the kinds'
        } else if (notice == kLabelClick && id == kIdLblUrl) {
            lbl_URL_Click(f);
        }
        // Enter and Escape (IDOK, IDCANCEL from the dialog manager) do
        // nothing: the buttons have no keyboard handling.
        return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (reinterpret_cast<HWND>(lParam) == f.Chk_KeepResolution && f.backgroundBrush) {
            // Black text over the gradient: the brush is the background
            // picture, laid so that its pixels fall where they are drawn.
            RECT at;
            GetWindowRect(f.Chk_KeepResolution, &at);
            MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&at), 1);
            SetBrushOrgEx(dc, -at.left, -at.top, nullptr);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(f.backgroundBrush.get());
        }
        // BGM_Repeat: white, also while disabled (its text then greyed).
        const bool enabled = IsWindowEnabled(f.BGM_Repeat);
        SetTextColor(dc, enabled ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(dc, kWhite);
        return reinterpret_cast<LRESULT>(f.white.get());
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus))
                f.lastFocus = focus;
        } else {
            HWND focus =
                f.lastFocus && IsWindow(f.lastFocus) && IsWindowEnabled(f.lastFocus) ? f.lastFocus : FirstFocus(f);
            if (focus)
                SetFocus(focus);
        }
        return 0;
    case WM_DPICHANGED: Form_DpiChanged(f, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_CLOSE:
        Unload(f);  // the close box: as cancel
        return 0;
    case WM_DESTROY: FormUnloaded(hwnd); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* f = static_cast<DialogForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        f->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(f));
    }
    auto* f = reinterpret_cast<DialogForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!f)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        f->hwnd = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // Continue on error: no handler's failure leaves the window procedure.
    LRESULT result = 0;
    Guarded([&] { result = HandleMessage(*f, message, wParam, lParam); });
    return result;
}

bool RegisterClasses(HICON icon)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW dialog = {};
    dialog.cbSize = sizeof dialog;
    dialog.lpfnWndProc = DialogProc;
    dialog.hInstance = instance;
    dialog.hIcon = icon;
    dialog.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    dialog.lpszClassName = kDialogClassName;
    const bool dialogOk = RegisterClassExW(&dialog) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    const bool panelOk = RegisterPanelClass();
    return dialogOk && panelOk;
}

}  // namespace

void ShowSettingsDialog()
{
    if (loadedForm)
        return;  // loaded once, never twice at the same time
    DialogForm f;
    loadedForm = &f;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Shared: the system keeps them (the class holds the icon past this dialog).
    f.icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_BRINEFOLD), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    f.hand = static_cast<HCURSOR>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDC_LINK_HAND), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    f.white.reset(CreateSolidBrush(kWhite));

    // Created hidden on the primary screen, so that its DPI is that screen's;
    // then sized for that DPI.
    if (RegisterClasses(f.icon))
        CreateWindowExW(kDialogExStyle, kDialogClassName, kDialogCaption, kDialogStyle, 0, 0, 100, 100, nullptr,
                        nullptr, instance, &f);
    if (!f.hwnd) {
        loadedForm = nullptr;
        return;
    }
    HWND hwnd = f.hwnd;
    FormLoaded(hwnd);
    // A dialog frame carries no icon of its own unless given one.
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(f.icon));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(f.icon));

    f.dpi = DpiOf(hwnd);
    LoadLooks(f);  // nothing to replace yet
    const SIZE outer = OuterSizeForDpi(Scaled(f, kDialogClientWidth), Scaled(f, kDialogClientHeight), kDialogStyle,
                                       kDialogExStyle, f.dpi);
    SetWindowPos(hwnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CreateControls(f);
    LayOut(f);
    f.sized = true;

    Form_Load(f);

    if (IsWindow(hwnd)) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
        Form_Resize(f);  // the first sizing: draws the background
        SetForegroundWindow(hwnd);
        UpdateWindow(hwnd);
        if (HWND focus = FirstFocus(f))
            SetFocus(focus);
    }

    // Modal: runs until the dialog is unloaded.
    MSG msg;
    while (IsWindow(hwnd)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
            break;
        }
        if (got < 0)
            break;
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (IsWindow(hwnd))
        DestroyWindow(hwnd);
    loadedForm = nullptr;
}
