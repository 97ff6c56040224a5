// BrinefoldCleanup.exe: what the installer and the uninstaller delete, they
// delete through this program, which they unpack and run elevated.
//
//   BrinefoldCleanup.exe [/own] FOLDER NAME...
//
// Deletes FOLDER\NAME for each NAME, then FOLDER when nothing else is left
// in it. Each file is opened once, not through a link, checked on that
// handle (a plain file lying in FOLDER itself, and with /own owned by the
// user running the program) and deleted through the same handle; the folder
// is held open meanwhile without sharing deletion. Any user can create a
// folder such as C:\velkor and swap it for a link to another folder: a check
// by name and a delete by name again would delete there, as administrator.
// What is left alone is said on standard output, one line each, which the
// installer writes into its log. Exit code 0, or 2 for a wrong command line.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "common/plain_file_win.h"
#include "common/system_libraries_win.h"

namespace {

// One line of the install log, in the code page the installer reads.
void Say(const std::wstring& path, const std::wstring& why)
{
    const std::wstring line = path + L" is left alone: " + why + L".\r\n";
    const int size =
        WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string text(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), text.data(), size, nullptr, nullptr);
    std::fwrite(text.data(), 1, text.size(), stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // The program runs elevated from a folder its user can write to.
    if (!UseSystemFolderLibrariesOnly({}))
        return 2;
    const bool own = argc > 1 && std::wcscmp(argv[1], L"/own") == 0;
    const int first = own ? 2 : 1;
    if (argc < first + 2)
        return 2;
    const std::wstring named = argv[first];

    HANDLE folder = CreateFileW(named.c_str(), FILE_LIST_DIRECTORY | DELETE | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            Say(named, L"it could not be opened (error " + std::to_wstring(error) + L")");
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const std::wstring lies = FinalPath(folder);
    if (!GetFileInformationByHandle(folder, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
            FILE_ATTRIBUTE_DIRECTORY) {
        Say(named, L"it is not a plain folder");
    } else if (!SamePath(lies, named)) {
        Say(named, lies.empty() ? std::wstring(L"where it lies is unknown") : L"it lies at " + lies);
    } else {
        for (int i = first + 1; i < argc; ++i) {
            const std::wstring path = named + L"\\" + argv[i];
            std::wstring refusal;
            HANDLE file = OpenPlainFile(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        own ? FileOwner::User : FileOwner::Anyone, refusal);
            if (file != INVALID_HANDLE_VALUE) {
                if (!DeleteOnClose(file))
                    Say(path, L"it could not be deleted (error " + std::to_wstring(GetLastError()) + L")");
                CloseHandle(file);
            } else if (!refusal.empty()) {
                Say(path, refusal);
            }
        }
        // Refused while anything is left in it.
        DeleteOnClose(folder);
    }
    CloseHandle(folder);
    return 0;
}
