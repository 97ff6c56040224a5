// The show form Brinefold_S on Win32: an invisible top-level window captioned
// "Brinefold_Main" (start-up's single-instance check finds it), its off-screen
// picture Pic_1 and its three timers.
//
// Does: the screen copy into Pic_1, the snapshot file in the user's own
// folder (private, and deleted when the show ends), starting the renderer with
// the picture's path and the display-mode choice, the renderer-window watch,
// the music timers, the end of the show.
// Does not: decide about music (launcher/show/show.h does), watch the
// mouse or the keyboard (ending the show is the renderer's business), or ever
// close or signal the renderer.
#include "launcher/show/show_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/contract.h"
#include "common/snapshot_file.h"
#include "launcher/music/bgm.h"
#include "launcher/music/bgm_win.h"
#include "launcher/runtime/paths.h"
#include "launcher/runtime/paths_win.h"
#include "launcher/runtime/runtime.h"
#include "launcher/runtime/toolkit_win.h"
#include "launcher/runtime/user_folder_win.h"
#include "launcher/settings/settings.h"
#include "launcher/show/show.h"
#include "launcher/ui/text_win.h"

namespace {

constexpr char kFormClass[] = "Brinefold_S";
constexpr char kRendererFile[] = "Brinefold.dll";
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kTimer2 = 2;
constexpr UINT_PTR kTimer3 = 3;

// Pic_1: a picture box that keeps its drawing in an off-screen image, here a
// bottom-up 24-bit DIB section selected into a memory DC. A new section is
// all zeros, which is the box's black background.
struct PictureBox {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    int width = 0;
    int height = 0;
};

struct ShowForm {
    HWND window = nullptr;
    PictureBox Pic_1;
    ShowTimers timers;                           // what the handlers want
    ShowTimers running = {false, false, false};  // what is set on the window
    std::string RendererPath;
    // The picture of the screen, in %LOCALAPPDATA%\Brinefold; empty when the
    // user has no such folder (and then there is no show).
    std::wstring SnapshotFile;
    // The renderer as started by Form_Load, to tell one still starting (its
    // display switch can take longer than a check's half second) from one
    // that is gone, and one that may still read the snapshot from one done
    // with it.
    HANDLE rendererProcess = nullptr;
    ULONGLONG rendererStartTime = 0;
    bool rendererWindowSeen = false;
    // The run switch hid the pointer; ShowCursor's count then.
    bool pointerHidden = false;
    int hiddenCursorCount = 0;
};

// How long a renderer that still runs may take to open its window.
constexpr ULONGLONG kRendererStartGrace = 10000;

ShowForm form;

// Makes the window's timers follow form.timers. A timer that already runs is
// left alone, so its period is not restarted.
void ApplyTimers()
{
    auto apply = [](bool wanted, bool& running, UINT_PTR id, UINT interval) {
        if (wanted == running)
            return;
        if (wanted)
            running = SetTimer(form.window, id, interval, nullptr) != 0;
        else {
            KillTimer(form.window, id);
            running = false;
        }
    };
    apply(form.timers.timer1, form.running.timer1, kTimer1, kMp3CheckInterval);
    apply(form.timers.timer2, form.running.timer2, kTimer2, kCdCheckInterval);
    apply(form.timers.timer3, form.running.timer3, kTimer3, kRendererCheckInterval);
}

// Gives Pic_1 an image of the given size (replacing any earlier one).
void SizePicture(PictureBox& pic, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as the file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return;
    if (!pic.dc)
        pic.dc = CreateCompatibleDC(nullptr);
    if (!pic.dc) {
        DeleteObject(bitmap);
        return;
    }
    SelectObject(pic.dc, bitmap);
    if (pic.bitmap)
        DeleteObject(pic.bitmap);
    pic.bitmap = bitmap;
    pic.bits = bits;
    pic.width = width;
    pic.height = height;
}

// Writes all bytes, or fails.
bool WriteAll(HANDLE file, const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

// Saves the picture's image as a BMP file that only the user (and SYSTEM)
// may open. The file is written beside the target under another name,
// flushed and closed, then moved over the target (the move keeps its
// security), so the path never holds a half-written picture. An old picture
// there (a show cut short by a power cut) is simply replaced.
bool SavePicture(const PictureBox& pic, const std::wstring& path)
{
    const std::vector<uint8_t> header = SnapshotFileHeader(pic.width, pic.height);
    if (header.empty() || !pic.bits || path.empty())
        return false;
    const size_t imageBytes = SnapshotRowBytes(pic.width) * static_cast<size_t>(pic.height);

    PrivateSecurity security(false);
    if (!security.Attributes())
        return false;
    // A new file, so that it takes our security rather than keeping that of
    // a file left under the same name.
    const std::wstring part = path + L".new";
    DeleteFileW(part.c_str());
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, security.Attributes(), CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = WriteAll(file, header.data(), header.size()) && WriteAll(file, pic.bits, imageBytes);
    ok = FlushFileBuffers(file) && ok;
    ok = CloseHandle(file) && ok;
    if (ok)
        ok = MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok)
        DeleteFileW(part.c_str());
    return ok;
}

// True once the renderer we started can no longer want the snapshot: it was
// never started, it has ended, or its window came and went (the window opens
// before the picture is read, and closes only after). A renderer still
// starting is never made to find its picture gone.
bool RendererDoneWithSnapshot()
{
    if (!form.rendererProcess || WaitForSingleObject(form.rendererProcess, 0) == WAIT_OBJECT_0)
        return true;
    return form.rendererWindowSeen && !FindWindowA(nullptr, kRendererWindowTitle);
}

[[noreturn]] void Form_QueryUnload()
{
    StopShowMusic(form.timers);
    ApplyTimers();
    // The picture of the user's screen lives only as long as the show. One
    // a renderer may still read stays, and the next show replaces it.
    if (!form.SnapshotFile.empty() && RendererDoneWithSnapshot())
        DeleteFileW(form.SnapshotFile.c_str());
    // Only the run switch hid the pointer; an empty command line leaves it be.
    if (form.pointerHidden)
        ShowCursor(form.hiddenCursorCount);
    End();
}

void Form_Load()
{
    // The whole desktop, every monitor: the renderer gives each monitor its
    // own part. With one monitor this is the primary screen.
    const int screenLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int screenTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    SetWindowPos(form.window, nullptr, 0, 0, screenWidth, screenHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // No border: the inner area is the whole form.
    RECT inner = {};
    GetClientRect(form.window, &inner);
    SizePicture(form.Pic_1, inner.right - inner.left, inner.bottom - inner.top);

    HWND desktop = GetDesktopWindow();
    HDC screen = GetDC(desktop);
    if (form.Pic_1.dc && screen)
        BitBlt(form.Pic_1.dc, 0, 0, form.Pic_1.width, form.Pic_1.height, screen, screenLeft, screenTop, SRCCOPY);
    GdiFlush();  // the copy is in the bits before they are saved
    if (screen)
        ReleaseDC(desktop, screen);

    const std::wstring folder = UserFolder(FOLDERID_LocalAppData, true);
    if (!folder.empty())
        form.SnapshotFile = folder + L"\\" + FromAnsi(kSnapshotFileName);
    SavePicture(form.Pic_1, form.SnapshotFile);
    form.RendererPath = RendererProgramPath();
    form.rendererStartTime = GetTickCount64();
    // Without a place for the picture there is nothing to show.
    if (!form.SnapshotFile.empty())
        form.rendererProcess = StartProgram(form.RendererPath, RendererArguments(form.SnapshotFile, KeepResolution), SW_SHOWNORMAL);
    StartShowMusic(form.timers);
    ApplyTimers();
}

// True while the renderer we started may still open its window: it has not
// shown one yet, still runs, and started less than the grace period ago.
bool RendererStarting()
{
    if (form.rendererWindowSeen || !form.rendererProcess)
        return false;
    if (WaitForSingleObject(form.rendererProcess, 0) != WAIT_TIMEOUT)
        return false;  // it ended without a window (or cannot be waited for)
    return GetTickCount64() - form.rendererStartTime < kRendererStartGrace;
}

void Timer3_Timer()
{
    if (FindWindowA(nullptr, kRendererWindowTitle) != nullptr) {
        form.rendererWindowSeen = true;
        return;
    }
    if (RendererStarting())
        return;  // not up yet: look again at the next check
    form.timers.timer3 = false;
    ApplyTimers();
    Form_QueryUnload();  // unloading the form ends the launcher
}

void Timer2_Timer()
{
    CdCheck(form.timers);
}

void Timer1_Timer()
{
    Mp3Check();
}

LRESULT CALLBACK ShowFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kTimer3)
            Timer3_Timer();
        else if (wParam == kTimer2)
            Timer2_Timer();
        else if (wParam == kTimer1)
            Timer1_Timer();
        ApplyTimers();
        return 0;
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
        // The form is being unloaded from outside (a close request, logging
        // off): the show ends the same way as when the renderer is gone.
        Form_QueryUnload();
    case WM_DESTROY: FormUnloaded(window); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

std::string RendererProgramPath()
{
    const std::string folder = ProgramFolder();
    return folder.empty() ? std::string() : InFolder(folder, kRendererFile);
}

void LoadShowForm(bool hidePointer)
{
    if (hidePointer) {
        form.pointerHidden = true;
        form.hiddenCursorCount = ShowCursor(FALSE);
    }
    BgmUsePlatform(BgmWinmm());

    WNDCLASSA formClass = {};
    formClass.lpfnWndProc = ShowFormProc;
    formClass.hInstance = AppInstance();
    formClass.lpszClassName = kFormClass;
    RegisterClassA(&formClass);
    // Never shown: no WS_VISIBLE, and nothing ever calls ShowWindow on it.
    form.window =
        CreateWindowExA(0, kFormClass, kShowCaption, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, AppInstance(), nullptr);
    if (!form.window)
        return;  // no form: the program ends by itself
    FormLoaded(form.window);
    ApplyTimers();  // Timer3 runs from the moment the form exists
    Form_Load();
}
