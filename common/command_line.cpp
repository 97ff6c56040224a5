#include "common/command_line.h"

#include <cctype>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

std::string ArgumentsOf(std::string_view commandLine)
{
    size_t i = 0;
    if (i < commandLine.size() && commandLine[i] == '"') {
        // A quoted path ends at the next quote (or at the end of the line).
        size_t close = commandLine.find('"', 1);
        i = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsBlank(commandLine[i]))
            ++i;
    }
    while (i < commandLine.size() && IsBlank(commandLine[i]))
        ++i;
    return std::string(commandLine.substr(i));
}

std::string PathArgument(std::string_view arguments)
{
    while (!arguments.empty() && IsBlank(arguments.front()))
        arguments.remove_prefix(1);
    if (!arguments.empty() && arguments.front() == '"') {
        arguments.remove_prefix(1);
        return std::string(arguments.substr(0, arguments.find('"')));
    }
    while (!arguments.empty() && IsBlank(arguments.back()))
        arguments.remove_suffix(1);
    return std::string(arguments);
}

bool TakeLastSwitch(std::string& arguments, std::string_view name)
{
    size_t end = arguments.size();
    while (end > 0 && IsBlank(arguments[end - 1]))
        --end;
    if (end < name.size())
        return false;
    const size_t start = end - name.size();
    // A word of its own: at the start, or after a blank or a closing quote.
    if (start > 0 && !IsBlank(arguments[start - 1]) && arguments[start - 1] != '"')
        return false;
    for (size_t k = 0; k < name.size(); ++k) {
        if (std::tolower(static_cast<unsigned char>(arguments[start + k])) !=
            std::tolower(static_cast<unsigned char>(name[k])))
            return false;
    }
    arguments.erase(start);
    while (!arguments.empty() && IsBlank(arguments.back()))
        arguments.pop_back();
    return true;
}
