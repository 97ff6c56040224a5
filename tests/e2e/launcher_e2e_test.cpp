// The real Brinefold.scr under Wine, started the way Windows starts a
// screensaver: the missing-renderer message, the switches that end silently,
// the single-instance guard, and what the program file declares.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

// The build passes the program's Linux path; Wine sees Linux paths on Z:.
std::string BuiltLauncher()
{
    std::string path = BF_LAUNCHER_PATH;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/')
                c = '\\';
        path = "Z:" + path;
    }
    return path;
}

constexpr char kRoot[] = "C:\\bf-launcher-e2e";
constexpr char kWithRenderer[] = "C:\\bf-launcher-e2e\\with renderer";
constexpr char kWithoutRenderer[] = "C:\\bf-launcher-e2e\\without";
constexpr char kSnapshotFolder[] = "C:\\velkor";

struct Launcher {
    PROCESS_INFORMATION pi = {};

    Launcher(const std::string& folder, const std::string& args)
    {
        std::string commandLine = "\"" + folder + "\\Brinefold.scr\"";
        if (!args.empty())
            commandLine += " " + args;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            ADD_FAILURE() << "could not start " << commandLine;
    }
    ~Launcher()
    {
        if (!pi.hProcess)
            return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi.hProcess, 99);  // our own child, left over by a failed check
            WaitForSingleObject(pi.hProcess, 5000);
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }

    // True when the program ended within the time, with its exit code.
    bool Ended(DWORD ms, DWORD* code = nullptr)
    {
        if (!pi.hProcess || WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0)
            return false;
        if (code)
            GetExitCodeProcess(pi.hProcess, code);
        return true;
    }
};

struct FoundBox {
    DWORD pid;
    HWND box;
};

BOOL CALLBACK FindBoxOf(HWND window, LPARAM param)
{
    auto* found = reinterpret_cast<FoundBox*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (pid == found->pid && std::string(cls) == "#32770" && IsWindowVisible(window)) {
        found->box = window;
        return FALSE;
    }
    return TRUE;
}

// The message box of a process, once it shows.
HWND WaitForMessageBox(const Launcher& launcher, DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        FoundBox found = {launcher.pi.dwProcessId, nullptr};
        EnumWindows(FindBoxOf, reinterpret_cast<LPARAM>(&found));
        if (found.box)
            return found.box;
        Sleep(50);
    } while (GetTickCount() - start < ms);
    return nullptr;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

struct BoxParts {
    std::vector<std::wstring> statics;
    int buttons = 0;
};

BOOL CALLBACK CollectParts(HWND child, LPARAM param)
{
    auto* parts = reinterpret_cast<BoxParts*>(param);
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextLengthW(child) > 0)
        parts->statics.push_back(TextOf(child));
    if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(child))
        ++parts->buttons;
    return TRUE;
}

void EmptySnapshotFolder()
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA("C:\\velkor\\*", &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((std::string("C:\\velkor\\") + found.cFileName).c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(kSnapshotFolder);
    ASSERT_EQ(GetFileAttributesA(kSnapshotFolder), INVALID_FILE_ATTRIBUTES) << "C:\\velkor stays";
}

bool SnapshotFolderExists()
{
    DWORD attributes = GetFileAttributesA(kSnapshotFolder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class LauncherE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryA(kRoot, nullptr);
        CreateDirectoryA(kWithRenderer, nullptr);
        CreateDirectoryA(kWithoutRenderer, nullptr);
        const std::string built = BuiltLauncher();
        ASSERT_TRUE(CopyFileA(built.c_str(), (std::string(kWithRenderer) + "\\Brinefold.scr").c_str(), FALSE)) << built;
        ASSERT_TRUE(CopyFileA(built.c_str(), (std::string(kWithoutRenderer) + "\\Brinefold.scr").c_str(), FALSE));
        DeleteFileA((std::string(kWithoutRenderer) + "\\Brinefold.dll").c_str());
        // Start-up only checks that the renderer can be read; none of the
        // command lines used with this one starts it.
        HANDLE dll = CreateFileA((std::string(kWithRenderer) + "\\Brinefold.dll").c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(dll, INVALID_HANDLE_VALUE);
        CloseHandle(dll);
    }
};

}  // namespace

TEST_F(LauncherE2E, AMissingRendererShowsTheMessageThenEnds)
{
    for (const char* args : {"/s", "/c"}) {
        SCOPED_TRACE(args);
        EmptySnapshotFolder();
        Launcher launcher(kWithoutRenderer, args);
        HWND box = WaitForMessageBox(launcher, 10000);
        ASSERT_NE(box, nullptr) << "no message box";

        BoxParts parts;
        EnumChildWindows(box, CollectParts, reinterpret_cast<LPARAM>(&parts));
        ASSERT_EQ(parts.statics.size(), 1u);
        EXPECT_EQ(parts.statics[0], L"Brinefold.dll が同じﾌｫﾙﾀﾞに見つかりません！");
        EXPECT_EQ(parts.buttons, 1);  // OK only
        EXPECT_EQ(TextOf(box), L"Brinefold");
        EXPECT_TRUE(SnapshotFolderExists());  // the folder comes before the check

        EXPECT_FALSE(launcher.Ended(0));  // waits for the user
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        DWORD code = 1;
        EXPECT_TRUE(launcher.Ended(5000, &code));
        EXPECT_EQ(code, 0u);
    }
}

TEST_F(LauncherE2E, PasswordAndUnknownSwitchesEndSilently)
{
    for (const char* args : {"/a", "s", "/x 12"}) {
        SCOPED_TRACE(args);
        EmptySnapshotFolder();
        Launcher launcher(kWithRenderer, args);
        DWORD code = 1;
        EXPECT_TRUE(launcher.Ended(5000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_TRUE(SnapshotFolderExists());
    }
}

TEST_F(LauncherE2E, APreviewNeedsNoRenderer)
{
    EmptySnapshotFolder();
    Launcher launcher(kWithoutRenderer, "/p 0");
    EXPECT_EQ(WaitForMessageBox(launcher, 1000), nullptr);
    EXPECT_FALSE(SnapshotFolderExists());  // nothing but the preview in preview mode
}

TEST_F(LauncherE2E, ASecondLauncherEndsAtOnceBesideAShowOrADialog)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BfLauncherE2EStandIn";
    RegisterClassA(&wc);
    for (const char* caption : {"Brinefold_Main", "<Brinefold>"}) {
        // A hidden window counts as much as a shown one.
        HWND standIn = CreateWindowA(wc.lpszClassName, caption, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     wc.hInstance, nullptr);
        ASSERT_NE(standIn, nullptr);
        for (const char* args : {"/c", "/s", "/p 0"}) {
            SCOPED_TRACE(std::string(caption) + " " + args);
            EmptySnapshotFolder();
            // Without the renderer a launcher that went on would show its
            // message and hang here.
            Launcher launcher(kWithoutRenderer, args);
            DWORD code = 1;
            EXPECT_TRUE(launcher.Ended(5000, &code));
            EXPECT_EQ(code, 0u);
            EXPECT_FALSE(SnapshotFolderExists());  // it ended before creating it
        }
        DestroyWindow(standIn);
    }
}

TEST(LauncherFile, DeclaresDpiAwarenessCommonControlsAndItsName)
{
    const std::string built = BuiltLauncher();
    HMODULE file = LoadLibraryExA(built.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(file, nullptr);

    int manifests = 0;
    EnumResourceNamesA(
        file, MAKEINTRESOURCEA(24),
        [](HMODULE, LPCSTR, LPSTR, LONG_PTR count) -> BOOL {
            ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);

    HRSRC found = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(file, found)));
    const std::string manifest(bytes, SizeofResource(file, found));
    EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2<"),
              std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true<"),
              std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);

    // The Screen Saver list shows string 1 as the name.
    char name[64] = {};
    EXPECT_GT(LoadStringA(file, 1, name, sizeof name), 0);
    EXPECT_STREQ(name, "Brinefold");
    FreeLibrary(file);
}
