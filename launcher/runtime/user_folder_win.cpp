#include "launcher/runtime/user_folder_win.h"

#include <sddl.h>

#include <vector>

namespace {

// The running user's SID as text ("S-1-5-21-..."); empty on failure. The
// user is named explicitly: an owner-rights ACE would follow whoever later
// owns the file.
std::wstring UserSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    std::wstring text;
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        wchar_t* sid = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
            text = sid;
            LocalFree(sid);
        }
    }
    CloseHandle(token);
    return text;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

PrivateSecurity::PrivateSecurity(bool folder)
{
    const std::wstring sid = UserSid();
    if (sid.empty())
        return;
    // P: protected, nothing inherited from above. OICI: a folder passes the
    // same two entries on to everything created in it.
    const std::wstring flags = folder ? L"OICI" : L"";
    const std::wstring sddl = L"D:P(A;" + flags + L";FA;;;SY)(A;" + flags + L";FA;;;" + sid + L")";
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor_, nullptr))
        descriptor_ = nullptr;
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
}

PrivateSecurity::~PrivateSecurity()
{
    if (descriptor_)
        LocalFree(descriptor_);
}

SECURITY_ATTRIBUTES* PrivateSecurity::Attributes()
{
    return descriptor_ ? &attributes_ : nullptr;
}

std::wstring UserFolder(REFKNOWNFOLDERID base, bool create)
{
    wchar_t* known = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(base, 0, nullptr, &known)))
        folder = std::wstring(known) + L"\\Brinefold";
    CoTaskMemFree(known);
    if (folder.empty() || !create)
        return folder;
    if (!IsFolder(folder)) {
        PrivateSecurity security(true);
        if (security.Attributes())
            CreateDirectoryW(folder.c_str(), security.Attributes());
    }
    // Another launcher may have made it a moment ago: what counts is that it is there.
    return IsFolder(folder) ? folder : std::wstring();
}
