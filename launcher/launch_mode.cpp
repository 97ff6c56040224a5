#include "launcher/launch_mode.h"

#include "launcher/runtime/runtime.h"

std::string ModeLetter(std::string_view commandText)
{
    auto chars = AnsiCharacters(commandText);
    if (chars.size() < 2)
        return std::string();
    std::string letter(chars[1]);
    if (letter.size() == 1 && letter[0] >= 'a' && letter[0] <= 'z')
        letter[0] = static_cast<char>(letter[0] - 'a' + 'A');
    return letter;
}

int32_t ReadPreviewHost(std::string_view commandText)
{
    auto chars = AnsiCharacters(commandText);
    if (chars.size() < 4)
        return 0;
    // From the fourth character on; the third (blank or colon) is skipped
    // whatever it is.
    std::string_view rest = commandText.substr(chars[3].data() - commandText.data());
    int32_t host = 0;
    Guarded([&] { host = CLng(LeadingNumber(rest)); });
    return host;
}

LaunchMode ModeOf(std::string_view commandText)
{
    std::string letter = ModeLetter(commandText);
    if (letter == "P")
        return LaunchMode::Preview;
    if (letter == "C")
        return LaunchMode::Settings;
    if (letter == "S")
        return LaunchMode::ShowHidingPointer;
    if (commandText.empty())
        return LaunchMode::Show;
    return LaunchMode::None;
}
