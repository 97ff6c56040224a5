// The real Brinefold.scr under Wine, started the way Windows starts a
// screensaver: the missing-renderer message, the switches that end silently,
// the single-instance guard, and what the program file declares.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "launcher/runtime/user_texts.h"
#include "tests/support/files.h"
#include "tests/support/win_test_support.h"

namespace {

constexpr char kRoot[] = "C:\\bf-launcher-e2e";
constexpr char kWithRenderer[] = "C:\\bf-launcher-e2e\\with renderer";
constexpr char kWithoutRenderer[] = "C:\\bf-launcher-e2e\\without";
struct Launcher : TestProcess {
    Launcher(const std::string& folder, const std::string& args) : TestProcess(folder + "\\Brinefold.scr", args) {}
};

// Where a show keeps the picture of the screen, and where an older version
// kept it: no switch but a show may make either.
std::vector<std::string> PictureFolders()
{
    return {BrinefoldFolder(FOLDERID_LocalAppData), "C:\\velkor"};
}

void RemovePictureFolders()
{
    for (const std::string& folder : PictureFolders()) {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA((folder + "\\" + found.cFileName).c_str());
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(folder.c_str());
        ASSERT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES) << folder << " stays";
    }
}

bool APictureFolderExists()
{
    for (const std::string& folder : PictureFolders())
        if (GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
    return false;
}

class LauncherE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryA(kRoot, nullptr);
        CreateDirectoryA(kWithRenderer, nullptr);
        CreateDirectoryA(kWithoutRenderer, nullptr);
        ASSERT_TRUE(CopyBuilt(BF_LAUNCHER_PATH, std::string(kWithRenderer) + "\\Brinefold.scr"));
        ASSERT_TRUE(CopyBuilt(BF_LAUNCHER_PATH, std::string(kWithoutRenderer) + "\\Brinefold.scr"));
        DeleteFileA((std::string(kWithoutRenderer) + "\\Brinefold.dll").c_str());
        // Start-up only checks that the renderer can be read; none of the
        // command lines used with this one starts it.
        ASSERT_TRUE(WriteBytes(std::string(kWithRenderer) + "\\Brinefold.dll", ""));
    }
};

}  // namespace

TEST_F(LauncherE2E, AMissingRendererShowsTheMessageThenEnds)
{
    for (const char* args : {"/s", "/c"}) {
        SCOPED_TRACE(args);
        RemovePictureFolders();
        Launcher launcher(kWithoutRenderer, args);
        HWND box = WaitForProcessWindow(launcher.pi.dwProcessId, nullptr, L"#32770", 10000);
        ASSERT_NE(box, nullptr) << "no message box";

        const MessageBoxParts parts = ReadMessageBox(box);
        ASSERT_EQ(parts.texts.size(), 1u);
        // In the UI language's words: run in Japanese and in English.
        EXPECT_EQ(parts.texts[0], TextsForLanguage(GetUserDefaultUILanguage()).rendererMissing);
        EXPECT_EQ(parts.buttons.size(), 1u);  // OK only
        EXPECT_EQ(TextOf(box), L"Brinefold");
        EXPECT_FALSE(APictureFolderExists());

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
        RemovePictureFolders();
        Launcher launcher(kWithRenderer, args);
        DWORD code = 1;
        EXPECT_TRUE(launcher.Ended(5000, &code));
        EXPECT_EQ(code, 0u);
        // A show would end as quietly (this renderer cannot start), but only
        // after making the user's picture folder.
        EXPECT_FALSE(APictureFolderExists()) << "a show ran";
    }
}

TEST_F(LauncherE2E, APreviewNeedsNoRenderer)
{
    RemovePictureFolders();
    Launcher launcher(kWithoutRenderer, "/p 0");
    EXPECT_EQ(WaitForProcessWindow(launcher.pi.dwProcessId, nullptr, L"#32770", 1000), nullptr);
    EXPECT_FALSE(APictureFolderExists());  // nothing but the preview in preview mode
}

TEST_F(LauncherE2E, ASecondLauncherEndsAtOnceBesideAShowOrADialog)
{
    for (const char* caption : {"Brinefold_Main", "<Brinefold>"}) {
        // A hidden window counts as much as a shown one.
        HWND standIn = MakeHiddenWindow(caption);
        ASSERT_NE(standIn, nullptr);
        for (const char* args : {"/c", "/s", "/p 0"}) {
            SCOPED_TRACE(std::string(caption) + " " + args);
            RemovePictureFolders();
            // Without the renderer a launcher that went on would show its
            // message and hang here.
            Launcher launcher(kWithoutRenderer, args);
            DWORD code = 1;
            EXPECT_TRUE(launcher.Ended(5000, &code));
            EXPECT_EQ(code, 0u);
            EXPECT_FALSE(APictureFolderExists());
        }
        DestroyWindow(standIn);
    }
}

TEST(LauncherFile, DeclaresDpiAwarenessCommonControlsAndItsName)
{
    const std::string built = WindowsPath(BF_LAUNCHER_PATH);
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
    EXPECT_NE(
        manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2<"),
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
