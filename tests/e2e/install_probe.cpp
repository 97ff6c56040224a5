// install_probe: what the installer test asks Windows about, one question per
// run, answered on stdout as name=value lines (UTF-8).
//
//   install_probe version FILE              version resource and icon count of FILE
//   install_probe get KEY NAME...           registry values (REG_SZ as text, REG_DWORD
//                                           in decimal, <absent> when missing)
//   install_probe key KEY                   "exists" or "absent"
//   install_probe set KEY NAME TEXT         writes a REG_SZ value (creating the key)
//   install_probe delete KEY [NAME]         deletes a value, or the key with its subkeys
//   install_probe close TITLE               posts WM_CLOSE to the window with that title
//   install_probe owner FILE                the SIDs of FILE's owner and of the user running
//                                           the probe: owner=..., user=...
//
// KEY is HKCU\... or HKLM\..., read in the 64-bit view like the installer.
// Exit code 0, or 1 when the question could not be answered.
#include <windows.h>
#include <shellapi.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(const char* text)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1)
        MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), size);
    return out;
}

// Splits "HKCU\Sub\Key" into its root and the rest.
bool ParseKey(const std::wstring& path, HKEY& root, std::wstring& sub)
{
    const size_t slash = path.find(L'\\');
    const std::wstring head = path.substr(0, slash);
    sub = slash == std::wstring::npos ? L"" : path.substr(slash + 1);
    if (head == L"HKCU")
        root = HKEY_CURRENT_USER;
    else if (head == L"HKLM")
        root = HKEY_LOCAL_MACHINE;
    else
        return false;
    return true;
}

int Version(const std::wstring& file)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) {
        std::printf("version=<none>\n");
        return 1;
    }
    std::string block(size, '\0');
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return 1;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        auto print = [](const char* name, DWORD high, DWORD low) {
            std::printf("%s=%u.%u.%u.%u\n", name, unsigned{HIWORD(high)}, unsigned{LOWORD(high)}, unsigned{HIWORD(low)},
                        unsigned{LOWORD(low)});
        };
        print("FixedFileVersion", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
        print("FixedProductVersion", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    }

    // The strings of the first language the resource lists.
    struct Translation {
        WORD language;
        WORD codePage;
    }* translations = nullptr;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &length) ||
        length < sizeof(Translation))
        return 1;
    wchar_t prefix[64];
    swprintf(prefix, 64, L"\\StringFileInfo\\%04x%04x\\", translations[0].language, translations[0].codePage);
    for (const wchar_t* name : {L"ProductName", L"FileDescription", L"CompanyName", L"LegalCopyright", L"FileVersion",
                                L"ProductVersion", L"OriginalFilename"}) {
        wchar_t* value = nullptr;
        UINT chars = 0;
        const std::wstring query = std::wstring(prefix) + name;
        if (VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars) && value)
            std::printf("%s=%s\n", Utf8(name).c_str(), Utf8(value).c_str());
        else
            std::printf("%s=<absent>\n", Utf8(name).c_str());
    }

    std::printf("Icons=%u\n", ExtractIconExW(file.c_str(), -1, nullptr, nullptr, 0));
    return 0;
}

int Get(const std::wstring& path, int count, char** names)
{
    HKEY root;
    std::wstring sub;
    if (!ParseKey(path, root, sub))
        return 1;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        key = nullptr;
    for (int i = 0; i < count; ++i) {
        const std::wstring name = Wide(names[i]);
        DWORD type = 0;
        BYTE data[4096] = {};
        DWORD size = sizeof data - sizeof(wchar_t);
        if (!key || RegQueryValueExW(key, name.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS)
            std::printf("%s=<absent>\n", names[i]);
        else if (type == REG_DWORD)
            std::printf("%s=%lu\n", names[i], *reinterpret_cast<DWORD*>(data));
        else if (type == REG_SZ || type == REG_EXPAND_SZ)
            std::printf("%s=%s\n", names[i], Utf8(reinterpret_cast<wchar_t*>(data)).c_str());
        else
            std::printf("%s=<type %lu>\n", names[i], type);
    }
    if (key)
        RegCloseKey(key);
    return 0;
}

int KeyExists(const std::wstring& path)
{
    HKEY root;
    std::wstring sub;
    if (!ParseKey(path, root, sub))
        return 1;
    HKEY key = nullptr;
    const bool exists = RegOpenKeyExW(root, sub.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS;
    if (exists)
        RegCloseKey(key);
    std::printf("%s\n", exists ? "exists" : "absent");
    return 0;
}

int Set(const std::wstring& path, const std::wstring& name, const std::wstring& text)
{
    HKEY root;
    std::wstring sub;
    if (!ParseKey(path, root, sub))
        return 1;
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 1;
    const LONG result = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : 1;
}

int Delete(const std::wstring& path, const wchar_t* name)
{
    HKEY root;
    std::wstring sub;
    if (!ParseKey(path, root, sub))
        return 1;
    if (!name) {
        const LONG result = RegDeleteTreeW(root, sub.c_str());
        if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
            RegDeleteKeyExW(root, sub.c_str(), KEY_WOW64_64KEY, 0);
        return 0;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return 0;  // nothing to delete
    RegDeleteValueW(key, name);
    RegCloseKey(key);
    return 0;
}

int Close(const char* title)
{
    HWND window = FindWindowA(nullptr, title);
    if (!window) {
        std::printf("window=<absent>\n");
        return 1;
    }
    return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
}

std::string SidText(PSID sid)
{
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        return "<unknown>";
    const std::string out = Utf8(text);
    LocalFree(text);
    return out;
}

int Owner(const std::wstring& file)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return 1;
    std::printf("owner=%s\n", SidText(owner).c_str());
    LocalFree(descriptor);

    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 1;
    alignas(TOKEN_USER) BYTE buffer[256];
    DWORD size = 0;
    const bool known = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    CloseHandle(token);
    if (!known)
        return 1;
    std::printf("user=%s\n", SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const std::string command = argv[1];
    if (command == "version")
        return Version(Wide(argv[2]));
    if (command == "get")
        return Get(Wide(argv[2]), argc - 3, argv + 3);
    if (command == "key")
        return KeyExists(Wide(argv[2]));
    if (command == "set" && argc == 5)
        return Set(Wide(argv[2]), Wide(argv[3]), Wide(argv[4]));
    if (command == "delete") {
        const std::wstring name = argc > 3 ? Wide(argv[3]) : L"";
        return Delete(Wide(argv[2]), argc > 3 ? name.c_str() : nullptr);
    }
    if (command == "close")
        return Close(argv[2]);
    if (command == "owner")
        return Owner(Wide(argv[2]));
    return 2;
}
