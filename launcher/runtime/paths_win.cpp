#include "launcher/runtime/paths_win.h"

#include "launcher/runtime/paths.h"

#include <windows.h>

bool FileExists(const std::string& path)
{
    std::string name = path;
    if (EndsWithBackslash(name))
        name.pop_back();
    if (name.empty())
        return false;
    // Opened the way a file is opened for sequential input: read access,
    // others may go on reading and writing it.
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Windows (and Wine) refuse to open a folder this way; a redirector or
    // file system that lets one through still does not make it a file.
    BY_HANDLE_FILE_INFORMATION info;
    bool folder = GetFileInformationByHandle(file, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(file);
    return !folder;
}

std::string ProgramFolder()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return std::string();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // cut off: try a larger buffer
    }
    std::string folder = FolderOf(path);
    // A drive root keeps its "\" ("C:\Brinefold.scr" -> "C:\").
    if (!folder.empty() && folder.back() == ':' && path.size() > folder.size() && path[folder.size()] == '\\')
        folder += '\\';
    return folder;
}
