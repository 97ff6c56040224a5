// A file opened once, without following a link at its end, and checked on
// that handle; whoever asked then reads or deletes through the same handle,
// so nothing swapped in under the name after the check is ever touched.
#pragma once

#include <windows.h>

#include <string>

// Whose file passes.
enum class FileOwner {
    Anyone,
    User,          // the user of this process's token (elevation does not change it)
    UserOrSystem,  // that user, SYSTEM or the Administrators group
};

// The "\\?\"-less path a handle really stands for, or "" when Windows cannot say.
std::wstring FinalPath(HANDLE handle);

// True when two paths name the same place, letters compared without case.
bool SamePath(const std::wstring& a, const std::wstring& b);

// Opens path (a full path) with access and share and checks on that handle:
// a file on a disk (no folder, link, device or pipe), lying at path itself
// with no link on the way, owned as owner says. The handle, or
// INVALID_HANDLE_VALUE with why it is refused in refusal; a file that is not
// there is refused with an empty refusal.
HANDLE OpenPlainFile(const std::wstring& path, DWORD access, DWORD share, FileOwner owner, std::wstring& refusal);

// Marks the file of a handle opened with DELETE access for deletion: it goes
// when the last handle to it closes.
bool DeleteOnClose(HANDLE handle);
