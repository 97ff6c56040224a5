// The snapshot reader on Windows: maps the file read-only and hands the bytes
// to the portable decoder; messages are modal boxes captioned "Error".
#include <windows.h>

#include "renderer/snapshot_decode.h"

namespace {

// Owned by whatever has the keyboard focus (none during start-up).
void ShowDibMessage(const char* text) {
    MessageBoxA(GetFocus(), text, kDibCaption, MB_OK);
}

}  // namespace

RgbImage* ReadDibFile(const char* path) {
    RgbImage* image = nullptr;
    HANDLE mapping = nullptr;
    const void* view = nullptr;
    LARGE_INTEGER size{};

    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    // No writer can hold the file while our handle (shared for reading only)
    // is open, so this size is the size of the view.
    if (file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &size)) {
        // An empty file cannot be mapped: that fails here, as an open failure.
        mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    }
    if (mapping != nullptr) {
        view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    }
    if (view != nullptr) {
        image = ConvertDibImage(static_cast<const uint8_t*>(view), static_cast<size_t>(size.QuadPart),
                                ShowDibMessage);
    }

    if (view != nullptr) UnmapViewOfFile(view);
    if (mapping != nullptr) CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);

    if (view == nullptr) {
        char text[1100];
        FormatDibOpenFailure(text, sizeof text, path);
        ShowDibMessage(text);
    }
    return image;
}
