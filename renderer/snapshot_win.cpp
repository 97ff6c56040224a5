// The snapshot reader on Windows: maps the file read-only and hands the bytes
// to the portable decoder; messages are modal boxes captioned "Error". Paths
// and texts arrive in UTF-8 and go to the wide calls, so a user folder with
// any name can be read and named in a message.
#include <windows.h>

#include <string>

#include "common/plain_file_win.h"
#include "common/utf8_win.h"
#include "renderer/snapshot_decode.h"

namespace {

// Owned by whatever has the keyboard focus (none during start-up).
void ShowDibMessage(const char* text)
{
    MessageBoxW(GetFocus(), WideFromUtf8(text).c_str(), WideFromUtf8(kDibCaption).c_str(), MB_OK);
}

// Opened for reading; others may read it too, but no writer can hold it
// while we do. The fixed path lies in a folder any account may write: a file
// there is read only when it is a plain file lying there, owned by the user,
// SYSTEM or the Administrators, all checked on the handle that reads it.
// Another's picture counts as none. absent: no such file for us (not one
// held by a writer).
HANDLE OpenForReading(const char* path, bool& absent)
{
    const std::wstring wide = WideFromUtf8(path);
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring refusal;
    if (!SamePath(wide, WideFromUtf8(SnapshotPath)))
        file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    else
        file = OpenPlainFile(wide, GENERIC_READ, FILE_SHARE_READ, FileOwner::UserOrSystem, refusal);
    absent = file == INVALID_HANDLE_VALUE && (!refusal.empty() || GetLastError() != ERROR_SHARING_VIOLATION);
    if (!refusal.empty())
        OutputDebugStringW((L"Brinefold.dll: " + wide + L" is not read: " + refusal + L".\n").c_str());
    return file;
}

}  // namespace

RgbImage* ReadDibBytes(const uint8_t* bytes, size_t size)
{
    return ConvertDibImage(bytes, size, ShowDibMessage);
}

RgbImage* ReadDibPath(const char* path, bool quiet)
{
    RgbImage* image = nullptr;
    HANDLE mapping = nullptr;
    const void* view = nullptr;
    LARGE_INTEGER size{};

    bool absent = false;
    HANDLE file = OpenForReading(path, absent);
    // No writer can hold the file while our handle is open, so this size is
    // the size of the view.
    if (file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &size)) {
        // An empty file cannot be mapped: that fails here, as an open failure.
        mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    }
    if (mapping != nullptr) {
        view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    }
    if (view != nullptr) {
        image = ReadDibBytes(static_cast<const uint8_t*>(view), static_cast<size_t>(size.QuadPart));
    }

    if (view != nullptr)
        UnmapViewOfFile(view);
    if (mapping != nullptr)
        CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);

    if (view == nullptr && !(quiet && absent)) {
        char text[1100];
        FormatDibOpenFailure(text, sizeof text, path);
        ShowDibMessage(text);
    }
    return image;
}
