#include "launcher/ui/text_win.h"

#include <windows.h>

std::wstring FromAnsi(const std::string& text)
{
    if (text.empty())
        return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

const UserTextTable& UserTexts()
{
    static const UserTextTable& texts = TextsForLanguage(GetUserDefaultUILanguage());
    return texts;
}

namespace {

// The text in the ANSI code page, or nothing when a character has no
// equivalent there (no "best fit" guesses: a guessed path names another file).
std::optional<std::string> ExactAnsi(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    // HACK: with UTF-8 as the system code page (Windows' "Use Unicode UTF-8 for worldwide
    // language support") the call refuses both the best-fit flag and the lost-character
    // report; every character fits there, so only broken text (a lone surrogate) is refused.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL* lossReport = utf8 ? nullptr : &lossy;
    int n =
        WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, lossReport);
    if (n <= 0 || lossy)
        return std::nullopt;
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr,
                        lossReport);
    if (lossy)
        return std::nullopt;
    return narrow;
}

}  // namespace

std::optional<std::string> AnsiPath(const std::wstring& path, size_t longest)
{
    if (auto ansi = ExactAnsi(path); ansi && ansi->size() <= longest)
        return ansi;
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::nullopt;
    if (auto ansi = ExactAnsi(std::wstring(shortPath, n)); ansi && !ansi->empty() && ansi->size() <= longest)
        return ansi;
    return std::nullopt;
}
