#include "launcher/runtime/paths_win.h"

#include "launcher/runtime/paths.h"

bool FileExists(const std::string& path)
{
    std::string name = path;
    if (EndsWithBackslash(name))
        name.pop_back();
    if (name.empty())
        return false;
    // Opened the way a file is opened for sequential input: read access,
    // others may go on reading and writing it.
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Windows (and Wine) refuse to open a folder this way; a redirector or
    // file system that lets one through still does not make it a file.
    BY_HANDLE_FILE_INFORMATION info;
    bool folder = GetFileInformationByHandle(file, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(file);
    return !folder;
}

namespace {

RECT PointRect()
{
    return RECT{ZoomPoint.x, ZoomPoint.y, ZoomPoint.x, ZoomPoint.y};
}

}  // namespace

void ZoomOpen(HWND window)
{
    RECT to = {};
    GetWindowRect(window, &to);
    RECT from = PointRect();
    DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}

void ZoomClose(HWND window)
{
    RECT from = {};
    GetWindowRect(window, &from);
    RECT to = PointRect();
    DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}
