// The snapshot reader on Windows: maps the file read-only and hands the bytes
// to the portable decoder; messages are modal boxes captioned "Error". Paths
// and texts arrive in UTF-8 and go to the wide calls, so a user folder with
// any name can be read and named in a message.
#include <windows.h>
#include <aclapi.h>

#include <string>

#include "common/utf8_win.h"
#include "renderer/snapshot_decode.h"

namespace {

// Owned by whatever has the keyboard focus (none during start-up).
void ShowDibMessage(const char* text)
{
    MessageBoxW(GetFocus(), WideFromUtf8(text).c_str(), WideFromUtf8(kDibCaption).c_str(), MB_OK);
}

// Opened for reading, others may go on reading and writing: the way the
// C library's fopen(path, "r") opens a file.
HANDLE OpenForReading(const char* path, DWORD share)
{
    return CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

}  // namespace

bool SnapshotFileOpens(const char* path)
{
    HANDLE file = OpenForReading(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

RgbImage* ReadDibBytes(const uint8_t* bytes, size_t size)
{
    return ConvertDibImage(bytes, size, ShowDibMessage);
}

RgbImage* ReadDibFile(const char* path)
{
    RgbImage* image = nullptr;
    HANDLE mapping = nullptr;
    const void* view = nullptr;
    LARGE_INTEGER size{};

    HANDLE file = OpenForReading(path, FILE_SHARE_READ);
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
        image = ReadDibBytes(static_cast<const uint8_t*>(view), static_cast<size_t>(size.QuadPart));
    }

    if (view != nullptr)
        UnmapViewOfFile(view);
    if (mapping != nullptr)
        CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);

    if (view == nullptr) {
        char text[1100];
        FormatDibOpenFailure(text, sizeof text, path);
        ShowDibMessage(text);
    }
    return image;
}

bool OwnedByUserOrSystem(const char* path)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(WideFromUtf8(path).c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                              nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool trusted = IsWellKnownSid(owner, WinLocalSystemSid) || IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
    HANDLE token = nullptr;
    if (!trusted && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
        DWORD size = 0;
        trusted = GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
                  EqualSid(owner, reinterpret_cast<TOKEN_USER*>(user)->User.Sid);
        CloseHandle(token);
    }
    LocalFree(descriptor);
    return trusted;
}
