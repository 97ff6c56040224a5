// The Command button on Win32: a child window class of the launcher that feeds
// mouse, focus, timer and size messages into the button's core
// (command.h) and paints the face the core decided.
//
// Does: the window class, creation from a layout store, TmrMouse (SetTimer,
// GetCursorPos + WindowFromPoint), mouse capture while the left button is
// held, the face (GradientFill, eight StretchBlt pieces of the skin bitmap,
// double-buffered), the caption (DrawTextW in a Japanese Gothic face where
// one is installed; greyed when disabled), the transparent background mode,
// Click to the host (a callback, else WM_COMMAND/BN_CLICKED to the parent).
// Does not: handle keys -- Enter, Space and access keys do not click.
//
// The skins come from the program's resources (launcher/resources/launcher.rc),
// so every program that shows a Command button compiles that script in.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "launcher/controls/command.h"

inline constexpr wchar_t kCommandClassName[] = L"BrinefoldCommand";

// Receives Click, after the release that raised it. The button may be
// destroyed inside (the set button closes its dialog).
using CommandClickHandler = void (*)(HWND button, void* context);

// A handle to one button window, with the members its host uses. Copies refer
// to the same button; a handle to a destroyed window does nothing.
class Command {
public:
    Command() = default;
    explicit Command(HWND window) : window_(window) {}

    // Creates the button as a child of parent and loads it from its stored
    // properties (ambientFont: the host's font, the default of "Font"). The
    // host then calls Initialize. An empty handle when creation fails.
    static Command Create(HWND parent, int id, int x, int y, int width, int height, const PropertyBag& layout,
                          const FontSpec& ambientFont);

    HWND window() const
    {
        return window_;
    }
    explicit operator bool() const;

    // The DPI the caption is drawn for: the host's at creation; a host moved
    // to a monitor of another scale gives the new one.
    void Dpi(UINT dpi) const;
    // Click: the callback to run, or null for WM_COMMAND (BN_CLICKED) to the parent.
    void OnClick(CommandClickHandler handler, void* context = nullptr) const;
    void Initialize() const;
    std::string Caption() const;
    void Caption(std::string_view text) const;
    FontSpec Font() const;
    void Font(const FontSpec& font) const;
    int32_t FontColour() const;  // also redraws the Normal face
    void FontColour(int32_t colour) const;
    bool Enabled() const;  // also redraws by enabled state
    void Enabled(bool enabled) const;
    bool Visible() const;  // also redraws the Normal face when opaque
    void Visible(bool visible) const;

    // Writes the stored properties, as a host does when it saves its layout.
    void WriteProperties(PropertyBag& bag) const;
    // The layout the button was loaded from, with the change notices it got.
    const PropertyBag* Layout() const;
    // The state behind the face, for hosts and tests that need to look.
    const CommandCore* State() const;

private:
    HWND window_ = nullptr;
};
