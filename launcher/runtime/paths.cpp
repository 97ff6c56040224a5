#include "launcher/runtime/paths.h"

#include "launcher/runtime/runtime.h"

std::string FolderOf(const std::string& path)
{
    // Scan by characters: the trail byte of a double-byte character may be "\".
    size_t end = 0;  // bytes up to and including the last ":" or "\"
    size_t pos = 0;
    for (std::string_view c : AnsiCharacters(path)) {
        pos += c.size();
        if (c == ":" || c == "\\")
            end = pos;
    }
    std::string folder = path.substr(0, end);
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

bool EndsWithBackslash(const std::string& text)
{
    auto chars = AnsiCharacters(text);
    return !chars.empty() && chars.back() == "\\";
}

std::string InFolder(const std::string& folder, const std::string& name)
{
    if (EndsWithBackslash(folder))
        return folder + name;
    return folder + "\\" + name;
}
