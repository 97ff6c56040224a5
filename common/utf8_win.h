// UTF-8 and the wide (UTF-16) text of the W calls, for both programs: their
// sources and portable cores speak UTF-8, Windows' wide calls UTF-16.
#pragma once

#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
