#include "common/plain_file_win.h"

#include <aclapi.h>

namespace {

// The owner of an open file passes the rule.
bool OwnerPasses(HANDLE file, FileOwner rule)
{
    if (rule == FileOwner::Anyone)
        return true;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    bool passes = rule == FileOwner::UserOrSystem &&
                  (IsWellKnownSid(owner, WinLocalSystemSid) || IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
    HANDLE token = nullptr;
    if (!passes && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
        DWORD size = 0;
        passes = GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
                 EqualSid(owner, reinterpret_cast<TOKEN_USER*>(user)->User.Sid);
        CloseHandle(token);
    }
    LocalFree(descriptor);
    return passes;
}

}  // namespace

std::wstring FinalPath(HANDLE handle)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(n);  // n counts the terminating zero too
    }
    // "\\?\C:\..." and "\\?\UNC\server\...": the forms a caller writes.
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return L"\\" + path.substr(7);
    if (path.rfind(L"\\\\?\\", 0) == 0)
        return path.substr(4);
    return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

HANDLE OpenPlainFile(const std::wstring& path, DWORD access, DWORD share, FileOwner owner, std::wstring& refusal)
{
    refusal.clear();
    // READ_CONTROL for the owner. FILE_FLAG_OPEN_REPARSE_POINT opens a link
    // at the end itself, which then fails the checks below.
    HANDLE file = CreateFileW(path.c_str(), access | READ_CONTROL | FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            refusal = L"it could not be opened (error " + std::to_wstring(error) + L")";
        return INVALID_HANDLE_VALUE;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const std::wstring lies = FinalPath(file);
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        refusal = L"it is not a plain file";
    else if (lies.empty())
        refusal = L"where it lies is unknown";
    else if (!SamePath(lies, path))
        refusal = L"it lies at " + lies;
    else if (!OwnerPasses(file, owner))
        refusal = L"its owner is another account";
    if (refusal.empty())
        return file;
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
}

bool DeleteOnClose(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}
