// The launcher's Win32 side with the real calls: the settings file through the
// profile functions (run twice, under code page 1252 and 932), FileExists on
// real files and folders, the toolkit (program folder, starting a program,
// the form-lifetime loop), and the library search that cannot be limited.
#include "launcher/settings/settings.h"
#include "common/system_libraries_win.h"
#include "launcher/runtime/paths.h"
#include "launcher/runtime/paths_win.h"
#include "launcher/runtime/runtime.h"
#include "launcher/runtime/toolkit_win.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <optional>

namespace {

// StartProgram starts a copy of this program with this variable set to a file
// name: the copy writes its own command line there (in UTF-8) and ends at once
// with a known code instead of running the tests.
constexpr char kChildVariable[] = "BF_LAUNCHER_TEST_CHILD";
[[maybe_unused]] const bool kIsChild = [] {
    char marker[MAX_PATH] = {};
    if (GetEnvironmentVariableA(kChildVariable, marker, sizeof marker) > 0) {
        HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        char line[4096] = {};
        WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, line, sizeof line, nullptr, nullptr);
        DWORD written = 0;
        WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
        CloseHandle(file);
        ExitProcess(7);
    }
    return false;
}();

// Removes a folder tree (test folders only).
void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

class LauncherWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = "C:\\bf-launcher-win-" + std::to_string(GetACP());
        RemoveTree(dir);
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
        ini = dir + "\\Brinefold.ini";
        BgmKind = MusicKind::None;
        BgmRepeatTrack = 0;
        BgmFile.clear();
        BgmFolder.clear();
    }
    void TearDown() override
    {
        RemoveTree(dir);
    }

    void Put(const char* key, const std::string& value)
    {
        PutIni(kSettingsSection, key, value, ini);
    }

    std::string dir;
    std::string ini;
};

}  // namespace

TEST(CodePage, IsTheOneThisRunWasStartedFor)
{
    const char* expected = std::getenv("BF_EXPECT_ACP");
    if (!expected)
        GTEST_SKIP() << "no code page asked for";
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
}

TEST_F(LauncherWin, PutIniWritesTheJapaneseKeysByteForByte)
{
    Put(kKeyBgmKind, NumberText(2));
    Put(kKeyBgmRepeatTrack, NumberText(5));
    Put(kKeyBgmFile, "C:\\My Music\\rain.mp3");
    EXPECT_NE(LastResult, 0);
    // HACK: Wine's profile writer drops the blank that leads a value (" 2"
    // is stored as "2"); Windows keeps it. Both read back as the number.
    std::string bytes = ReadBytes(ini).value_or("");
    for (size_t at; (at = bytes.find("= ")) != std::string::npos;)
        bytes.erase(at + 1, 1);
    EXPECT_EQ(bytes,
              "[Section]\r\n"
              "BGM\x8B\xE6\x95\xAA=2\r\n"
              "BGM\xD8\xCB\xDF\xB0\xC4=5\r\n"
              "BGM\xCC\xA7\xB2\xD9=C:\\My Music\\rain.mp3\r\n");

    EXPECT_EQ(WholeNumber(GetIni(kSettingsSection, kKeyBgmKind, ini)), 2);
    EXPECT_EQ(WholeNumber(GetIni(kSettingsSection, kKeyBgmRepeatTrack, ini)), 5);
    EXPECT_EQ(GetIni(kSettingsSection, kKeyBgmFile, ini), "C:\\My Music\\rain.mp3");

    // Writing a key again replaces its value in place.
    Put(kKeyBgmKind, NumberText(-1));
    EXPECT_EQ(GetIni(kSettingsSection, kKeyBgmKind, ini), "-1");
    EXPECT_EQ(ReadBytes(ini).value_or("").find("BGM\x8B\xE6\x95\xAA=-1\r\n"), std::string("[Section]\r\n").size());
}

TEST_F(LauncherWin, AFileWrittenOnAJapaneseSystemLoads)
{
    WriteBytes(dir + "\\tune.wav", "RIFF");
    WriteBytes(ini,
               "[Section]\r\n"
               "BGM\x8B\xE6\x95\xAA= 2\r\n"
               "BGM\xD8\xCB\xDF\xB0\xC4= 12\r\n"
               "BGM\xCC\xA7\xB2\xD9=" +
                   dir + "\\tune.wav\r\n");
    LoadSettingsFrom(dir);
    EXPECT_EQ(BgmKind, MusicKind::File);
    EXPECT_EQ(BgmRepeatTrack, 12);
    EXPECT_EQ(BgmFile, dir + "\\tune.wav");
    EXPECT_EQ(BgmFolder, dir);
}

TEST_F(LauncherWin, GetIniMissingPiecesAndLongValues)
{
    EXPECT_EQ(GetIni(kSettingsSection, kKeyBgmKind, ini), "");  // no file
    Put(kKeyBgmKind, " 1");
    EXPECT_EQ(GetIni(kSettingsSection, kKeyBgmFile, ini), "");  // no key
    EXPECT_EQ(GetIni("Other", kKeyBgmKind, ini), "");           // no section

    const std::string longValue(300, 'x');
    Put(kKeyBgmFile, longValue);
    EXPECT_EQ(GetIni(kSettingsSection, kKeyBgmFile, ini), std::string(255, 'x'));
}

TEST_F(LauncherWin, LoadSettingsNumberForms)
{
    // The value read, or none when the old value must stay.
    struct Case {
        const char* text;
        std::optional<int16_t> read;
    } cases[] = {{" 2", 2}, {"2.9", 2}, {"-0.5", -1}, {" 1 ", 1}, {"abc", {}}, {"40000", {}}};
    for (const Case& c : cases) {
        BgmKind = MusicKind::None;
        BgmRepeatTrack = 9;
        Put(kKeyBgmKind, c.text);
        Put(kKeyBgmRepeatTrack, c.text);
        LoadSettingsFrom(dir);
        EXPECT_EQ(BgmRepeatTrack, c.read.value_or(9)) << c.text;
        // A music file kind without a file falls back to none.
        EXPECT_EQ(static_cast<int16_t>(BgmKind), c.read == 2 ? 0 : c.read.value_or(0)) << c.text;
    }
}

TEST_F(LauncherWin, LoadSettingsFileChecks)
{
    LoadSettingsFrom(dir);  // no settings file
    EXPECT_EQ(BgmKind, MusicKind::None);
    EXPECT_EQ(BgmFile, "");
    EXPECT_EQ(BgmFolder, dir);

    Put(kKeyBgmKind, " 1");
    Put(kKeyBgmFile, "");
    LoadSettingsFrom(dir);
    EXPECT_EQ(BgmKind, MusicKind::Cd);  // only a music file needs the file

    Put(kKeyBgmKind, " 2");
    LoadSettingsFrom(dir);
    EXPECT_EQ(BgmKind, MusicKind::None);

    // A folder is not a music file, with or without its trailing "\".
    for (const std::string& folder : {dir, dir + "\\"}) {
        Put(kKeyBgmKind, " 2");
        Put(kKeyBgmFile, folder);
        LoadSettingsFrom(dir);
        EXPECT_EQ(BgmKind, MusicKind::None) << folder;
        EXPECT_EQ(BgmFile, "") << folder;
        EXPECT_EQ(BgmFolder, dir) << folder;
    }
}

TEST_F(LauncherWin, ALongPathIsCutBeforeTheExistenceTest)
{
    // A file whose full path is exactly 255 bytes; the key holds that path
    // and 45 bytes more, and what comes back is the file.
    std::string sub = dir + "\\" + std::string(100, 'd');
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    std::string file = sub + "\\";
    file += std::string(255 - file.size() - 4, 'f') + ".wav";
    ASSERT_EQ(file.size(), 255u);
    WriteBytes(file, "RIFF");

    Put(kKeyBgmKind, " 2");
    Put(kKeyBgmFile, file + std::string(45, 'z'));
    LoadSettingsFrom(dir);
    EXPECT_EQ(BgmKind, MusicKind::File);
    EXPECT_EQ(BgmFile, file);
    EXPECT_EQ(BgmFolder, sub);
}

TEST_F(LauncherWin, FileExistsOnRealFilesAndFolders)
{
    const std::string file = dir + "\\song.mp3";
    const std::string empty = dir + "\\empty.wav";
    WriteBytes(file, "ID3");
    WriteBytes(empty, "");

    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(empty));
    EXPECT_TRUE(FileExists(file + "\\"));  // the last "\" is dropped
    EXPECT_FALSE(FileExists(dir));
    EXPECT_FALSE(FileExists(dir + "\\"));
    EXPECT_FALSE(FileExists("C:\\"));
    EXPECT_FALSE(FileExists(dir + "\\missing.mp3"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists("\\"));
    EXPECT_FALSE(FileExists(dir + "\\NUL.mp3"));  // a device, not a file

    // A file that may not be read just now counts as missing.
    HANDLE locked = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FileExists(file));
    CloseHandle(locked);
    // ... and FileExists itself left nothing open.
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(DeleteFileA(file.c_str()));
}

TEST_F(LauncherWin, DoubleByteNamesUnderCodePage932)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Japanese code page";
    // "表" is 0x95 0x5C in code page 932: its trail byte looks like "\".
    const std::string folder = dir + "\\\x95\x5C";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string file = folder + "\\\x83\x5C.wav";  // "ソ.wav"
    WriteBytes(file, "RIFF");

    EXPECT_EQ(FolderOf(file), folder);
    EXPECT_EQ(FolderOf(folder), dir);
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(folder));
    const std::string bare = folder + "\\\x83\x5C";  // "ソ": a name ending in the "\"-like byte
    WriteBytes(bare, "");
    EXPECT_TRUE(FileExists(bare));

    Put(kKeyBgmKind, " 2");
    Put(kKeyBgmFile, file);
    LoadSettingsFrom(dir);
    EXPECT_EQ(BgmKind, MusicKind::File);
    EXPECT_EQ(BgmFolder, folder);
}

// Wine always limits the search; an old Windows without the call, or one
// refusing it, must load nothing and say so.
TEST(SystemLibraries, NothingLoadsWhereTheSearchCannotBeLimited)
{
    const SetDefaultDllDirectoriesFn refusing = [](DWORD) -> BOOL { return FALSE; };
    for (const SetDefaultDllDirectoriesFn limit : {SetDefaultDllDirectoriesFn{}, refusing}) {
        EXPECT_FALSE(UseSystemFolderLibrariesOnly({&BF_DELAY_IMPORT(shell32)}, limit));
        EXPECT_EQ(GetModuleHandleA("shell32.dll"), nullptr);
    }
}

TEST(Toolkit, ProgramFolderHasNoTrailingBackslash)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string folder = ProgramFolder();
    EXPECT_EQ(folder + "\\", std::string(self).substr(0, folder.size() + 1));
    EXPECT_FALSE(EndsWithBackslash(folder));
    EXPECT_EQ(std::string(self).find('\\', folder.size() + 1), std::string::npos);
}

TEST(Toolkit, StartProgramStartsAProgramWithBlanksInItsPathAndAnyArgument)
{
    const std::string folder = "C:\\bf launcher shell";
    const std::string program = folder + "\\child program.exe";
    CreateDirectoryA(folder.c_str(), nullptr);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, program.c_str(), FALSE));

    const std::string marker = folder + "\\started.txt";
    DeleteFileA(marker.c_str());
    SetEnvironmentVariableA(kChildVariable, marker.c_str());
    // An argument no ANSI code page holds whole (a user folder may be named so).
    HANDLE child = StartProgram(program, L"\"C:\\\u5199\u771f \u00e9\"", 1);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    ASSERT_NE(child, nullptr);

    // The child ran with its quoted path, the blanks kept inside its own name,
    // and the argument unchanged; the handle is the child's own.
    EXPECT_EQ(WaitForSingleObject(child, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(child, &code);
    EXPECT_EQ(code, 7u);
    CloseHandle(child);
    EXPECT_EQ(ReadBytes(marker).value_or(""), "\"" + program + "\" \"C:\\\u5199\u771f \u00e9\"");
    EXPECT_EQ(StartProgram(folder + "\\missing.exe", L"", 1), nullptr);

    for (int i = 0; i < 50 && !DeleteFileA(program.c_str()); ++i)
        Sleep(100);
    DeleteFileA(marker.c_str());
    RemoveDirectoryA(folder.c_str());
}

namespace {

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        KillTimer(window, 1);
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        FormUnloaded(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST(Toolkit, TheLoopRunsWhileAFormIsLoaded)
{
    RunMessageLoop();  // nothing loaded: returns at once

    WNDCLASSA wc = {};
    wc.lpfnWndProc = FormProc;
    wc.hInstance = AppInstance();
    wc.lpszClassName = "BfLauncherTestForm";
    RegisterClassA(&wc);
    HWND first =
        CreateWindowA(wc.lpszClassName, "first", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, AppInstance(), nullptr);
    HWND second =
        CreateWindowA(wc.lpszClassName, "second", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, AppInstance(), nullptr);
    FormLoaded(first);
    FormLoaded(second);
    FormLoaded(second);  // twice is still one form
    SetTimer(first, 1, 50, nullptr);
    SetTimer(second, 1, 200, nullptr);

    const DWORD start = GetTickCount();
    RunMessageLoop();
    const DWORD took = GetTickCount() - start;
    EXPECT_FALSE(IsWindow(first));
    EXPECT_FALSE(IsWindow(second));  // the loop waited for the last form
    EXPECT_GE(took, 150u);
    EXPECT_LT(took, 5000u);
}
