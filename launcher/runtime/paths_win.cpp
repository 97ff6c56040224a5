#include "launcher/runtime/paths_win.h"

#include "launcher/runtime/paths.h"
#include "launcher/ui/text_win.h"

#include <windows.h>

bool FileExists(const std::string& path)
{
    std::string name = path;
    if (EndsWithBackslash(name))
        name.pop_back();
    if (name.empty())
        return false;
    // Opened the way a file is opened for sequential input: read access,
    // others may go on reading and writing it. Should the path name a pipe,
    // its server may only identify the user, never act as the user (this
    // limits named pipes only: opening a file on a share still signs in to
    // that server as the user).
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Windows (and Wine) refuse to open a folder this way; a redirector or
    // file system that lets one through still does not make it a file. Nor
    // does a device (COM1, NUL) or a pipe: a file lies on a disk.
    BY_HANDLE_FILE_INFORMATION info;
    const bool disk = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
                      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(file);
    return disk;
}

std::string ProgramFolder()
{
    // Wide: the A call would give a best-fit twin of a folder name the code
    // page cannot write (C:\bfＱq as C:\bfQq), which another account may own.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return std::string();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // cut off: try a larger buffer
    }
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos)
        return std::string();
    // A drive root keeps its "\" ("C:\Brinefold.scr" -> "C:\").
    std::wstring folder = path.substr(0, slash > 0 && path[slash - 1] == L':' ? slash + 1 : slash);
    // The narrow form the A calls take: exact, else the short name; none
    // when neither names it.
    return AnsiPath(folder, MAX_PATH - 16).value_or(std::string());
}
