// Text between the launcher's forms of it: the ANSI code page its settings,
// paths and MCI strings use, and the wide form every window shows (UTF-8 and
// the wide form: common/utf8_win.h).
#pragma once

#include <optional>
#include <string>

#include "launcher/runtime/user_texts.h"

std::wstring FromAnsi(const std::string& text);

// An existing file's or folder's path in the ANSI code page, at most `longest`
// bytes. A path that cannot be written that way goes by its short (8.3) name,
// which the file system keeps in plain ASCII; failing that, nothing.
std::optional<std::string> AnsiPath(const std::wstring& path, size_t longest);

// The texts for Windows' UI language (GetUserDefaultUILanguage), asked once,
// at the first text the launcher shows.
const UserTextTable& UserTexts();
