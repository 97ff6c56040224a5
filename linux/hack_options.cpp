// The hack's command line.
#include "linux/hack_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

const char kHackUsage[] =
    "usage: brinefold [-display NAME] [-window | -root | -window-id ID] [-geometry WxH+X+Y]\n"
    "                 [-visual default] [-delay MICROSECONDS] [-fps | -no-fps]\n"
    "                 [-image FILE.bmp] [-music FILE]\n";

namespace {

// "-x" and "--x" are the same switch, as for xscreensaver's own hacks.
std::string_view SwitchName(const char* arg)
{
    std::string_view s(arg);
    if (s.size() > 2 && s.substr(0, 2) == "--")
        return s.substr(1);
    return s;
}

// A whole number in C notation (decimal, 0x hex), nothing after it.
std::optional<unsigned long> ParseUnsigned(const char* text)
{
    if (text == nullptr || *text == '\0' || *text == '-' || *text == '+')
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return value;
}

}  // namespace

ParsedOptions ParseHackOptions(int argc, const char* const* argv, const char* hostWindow)
{
    ParsedOptions result;
    HackOptions& o = result.options;
    // -window and -root: the last one counts; -window-id beats both.
    enum class Asked { Nothing, OwnWindow, Root } asked = Asked::Nothing;
    std::optional<unsigned long> givenWindow;

    auto fail = [&](std::string text) {
        result.error = std::move(text);
        return result;
    };

    for (int k = 1; k < argc; ++k) {
        const std::string_view name = SwitchName(argv[k]);
        // The switches with an argument take the next word, whatever it is.
        auto value = [&]() -> const char* { return k + 1 < argc ? argv[++k] : nullptr; };

        if (name == "-window") {
            asked = Asked::OwnWindow;
        } else if (name == "-root") {
            asked = Asked::Root;
        } else if (name == "-window-id") {
            const char* text = value();
            givenWindow = ParseUnsigned(text);
            if (!givenWindow || *givenWindow == 0) {
                return fail(std::string("-window-id wants a window id, not \"") + (text ? text : "") + "\"");
            }
        } else if (name == "-delay") {
            const char* text = value();
            const std::optional<unsigned long> micros = ParseUnsigned(text);
            // Beyond a minute per frame nothing would be seen to move anyway.
            if (!micros || *micros > 60'000'000) {
                return fail(std::string("-delay wants microseconds (0 to 60000000), not \"") + (text ? text : "") +
                            "\"");
            }
            o.delayMicros = static_cast<long>(*micros);
        } else if (name == "-fps" || name == "-no-fps") {
            o.showFps = name == "-fps";
        } else if (name == "-visual") {
            // Every visual we can be given is one OpenGL draws with, chosen
            // by GLX for our own window: the classes' names ask for no more.
            const char* text = value();
            const std::string_view visual = text ? text : "";
            if (visual != "default" && visual != "best" && visual != "gl")
                return fail(std::string("-visual takes default, best or gl, not \"") + (text ? text : "") + "\"");
        } else if (name == "-music" || name == "-image" || name == "-display" || name == "-geometry") {
            const char* text = value();
            if (text == nullptr || *text == '\0')
                return fail(std::string(name) +
                            (name == "-music" || name == "-image" ? " wants a file" : " wants a value"));
            std::string& field = name == "-music"     ? o.musicFile
                                 : name == "-image"   ? o.imageFile
                                 : name == "-display" ? o.display
                                                      : o.geometry;
            field = text;
        } else if (name == "-help" || name == "-h") {
            o.help = true;
        } else {
            return fail(std::string("unknown option \"") + argv[k] + "\"");
        }
    }

    // A host window from the environment counts only when it is a window id;
    // anything else there is ignored, as if the variable were not set.
    const std::optional<unsigned long> host = ParseUnsigned(hostWindow);
    const bool hosted = !givenWindow && asked != Asked::OwnWindow && host && *host != 0;
    if (givenWindow || hosted) {
        o.target = HackTarget::GivenWindow;
        o.windowId = givenWindow ? *givenWindow : *host;
        // A window given on the command line is a small one among others
        // (the settings' preview pane): silent there, as every stock hack.
        if (givenWindow)
            o.musicFile.clear();
    } else {
        o.target = asked == Asked::Root ? HackTarget::Root : HackTarget::OwnWindow;
    }
    if (!o.imageFile.empty()) {
        o.floor = FloorSource::ImageFile;
    } else if (o.target == HackTarget::GivenWindow) {
        o.floor = FloorSource::Xscreensaver;
    } else {
        o.floor = FloorSource::RootGrab;
    }
    result.ok = true;
    return result;
}
