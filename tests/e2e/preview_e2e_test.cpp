// The real Brinefold.scr in preview mode under Wine, started the way the
// Display settings start it: with the handle of a window of this process.
// Checked from the host's side: the embedded child, its place and size, and
// the launcher's end when the host goes. (Wine does not draw a child that
// belongs to another process; the picture is checked in preview_win_test.)
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/win_test_support.h"

namespace {

// The built launcher with these arguments.
struct Launcher : TestProcess {
    explicit Launcher(const std::string& args) : TestProcess(WindowsPath(BF_LAUNCHER_PATH), args) {}
};

// Like the Display settings: a dialog-like frame with the monitor's screen as
// a borderless child window somewhere inside it.
struct Host {
    HWND frame = nullptr;
    HWND screen = nullptr;

    Host(int x, int y, int w, int h)
    {
        static const ATOM cls = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = DefWindowProcA;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
            wc.lpszClassName = "BfPreviewE2EHost";
            return RegisterClassA(&wc);
        }();
        (void)cls;
        frame = CreateWindowExA(0, "BfPreviewE2EHost", "frame", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w + 60,
                                h + 80, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        screen = CreateWindowExA(0, "BfPreviewE2EHost", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 30, 20, w, h,
                                 frame, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~Host()
    {
        if (IsWindow(frame))
            DestroyWindow(frame);
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The preview command line for this host: "/p" + separator + handle.
    std::string Switch(const char* separator = " ") const
    {
        std::string text = "/p";
        text += separator;
        text += std::to_string(static_cast<int32_t>(reinterpret_cast<LONG_PTR>(screen)));
        return text;
    }

    // The embedded preview, once it is there and shown.
    HWND WaitForPreview(DWORD ms) const
    {
        HWND child = nullptr;
        const bool shown = WaitUntil(
            [&] {
                child = GetWindow(screen, GW_CHILD);
                return child && IsWindowVisible(child);
            },
            ms);
        return shown ? child : nullptr;
    }
};

DWORD ProcessOf(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

void ExpectEmbedded(const Host& host, HWND preview, const Launcher& launcher)
{
    EXPECT_EQ(ProcessOf(preview), launcher.pi.dwProcessId);
    EXPECT_EQ(GetParent(preview), host.screen);
    RECT hostRect, previewRect;
    GetWindowRect(host.screen, &hostRect);
    GetWindowRect(preview, &previewRect);
    EXPECT_TRUE(EqualRect(&hostRect, &previewRect))
        << "preview at " << previewRect.left << "," << previewRect.top << " " << previewRect.right - previewRect.left
        << " x " << previewRect.bottom - previewRect.top;
    char text[64] = {};
    GetWindowTextA(preview, text, sizeof text);
    EXPECT_STREQ(text, "Preview Window");
    // Nothing of the launcher is left outside the host.
    for (HWND window : TopWindows(launcher.pi.dwProcessId, nullptr, nullptr, false))
        EXPECT_FALSE(IsWindowVisible(window)) << "a visible top-level window of the launcher";
}

}  // namespace

TEST(PreviewE2E, EmbedsInTheHostAndEndsWhenTheHostIsDestroyed)
{
    struct Case {
        const char* separator;
        SIZE size;
    };
    for (Case c : {Case{" ", {152, 112}}, Case{":", {320, 240}}}) {
        SCOPED_TRACE(std::string("separator '") + c.separator + "', width " + std::to_string(c.size.cx));
        Host host(100, 60, c.size.cx, c.size.cy);
        ASSERT_NE(host.screen, nullptr);
        Launcher launcher(host.Switch(c.separator));
        HWND preview = host.WaitForPreview(5000);
        ASSERT_NE(preview, nullptr) << "no preview in the host";
        ExpectEmbedded(host, preview, launcher);

        // Running until the host goes, and no longer.
        Pump(300);
        EXPECT_FALSE(launcher.EndedCleanly(0));
        DestroyWindow(host.frame);
        EXPECT_TRUE(launcher.EndedCleanly(5000)) << "the launcher outlived its host";
    }
}

TEST(PreviewE2E, TwoHostsGetTwoIndependentPreviews)
{
    Host first(40, 40, 152, 112), second(300, 40, 152, 112);
    Launcher one(first.Switch()), two(second.Switch());
    HWND a = first.WaitForPreview(5000), b = second.WaitForPreview(5000);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ExpectEmbedded(first, a, one);
    ExpectEmbedded(second, b, two);

    DestroyWindow(first.frame);
    EXPECT_TRUE(one.EndedCleanly(5000));
    EXPECT_FALSE(two.EndedCleanly(300));
    EXPECT_TRUE(IsWindowVisible(b));
    DestroyWindow(second.frame);
    EXPECT_TRUE(two.EndedCleanly(5000));
}

TEST(PreviewE2E, EndsAtOnceBesideAShowOrADialog)
{
    for (const char* caption : {"Brinefold_Main", "<Brinefold>"}) {
        SCOPED_TRACE(caption);
        HWND standIn = MakeHiddenWindow(caption);
        ASSERT_NE(standIn, nullptr);
        Host host(100, 60, 152, 112);
        Launcher launcher(host.Switch());
        EXPECT_TRUE(launcher.EndedCleanly(5000));
        Pump(50);
        EXPECT_EQ(GetWindow(host.screen, GW_CHILD), nullptr) << "the preview area is not left empty";
        DestroyWindow(standIn);
    }
}

// A bad handle: nothing shows, and the launcher waits until its form's window
// is closed (WM_CLOSE to the "Preview Window" window) or the process is ended.
TEST(PreviewE2E, WithoutAValidHostNothingShowsAndACloseEndsIt)
{
    std::string stale;
    {
        Host gone(0, 0, 10, 10);
        stale = gone.Switch();  // a handle that was a window once
    }
    for (const std::string& args : {std::string("/p"), std::string("/p:x"), stale}) {
        SCOPED_TRACE(args);
        Launcher launcher(args);
        // Shown is its last step, so its size is final by then.
        HWND form = WaitForProcessWindow(launcher.pi.dwProcessId, L"Preview Window", nullptr, 5000);
        ASSERT_NE(form, nullptr);
        RECT r;
        GetWindowRect(form, &r);
        EXPECT_TRUE(IsRectEmpty(&r)) << r.right - r.left << " x " << r.bottom - r.top;
        EXPECT_FALSE(launcher.EndedCleanly(300));

        PostMessageA(form, WM_CLOSE, 0, 0);
        EXPECT_TRUE(launcher.EndedCleanly(5000));
    }
}
