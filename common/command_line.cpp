#include "common/command_line.h"

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
