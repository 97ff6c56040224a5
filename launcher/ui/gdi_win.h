// Small owners of GDI resources, so that a drawing step that fails half-way
// (a memory DC made, its bitmap not) gives back what it did get on every path.
//
// Does: own one GDI object (bitmap, font, brush), one memory DC, one window
// DC, one selection of an object into a DC; release them in reverse order of
// making when they go out of scope.
// Does not: share ownership (they move, never copy), or own what the system
// keeps (stock objects, shared icons and cursors).
#pragma once

#include <windows.h>

// One GDI object, deleted with DeleteObject.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    GdiObject(GdiObject&& other) noexcept : handle_(other.release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    ~GdiObject()
    {
        reset();
    }

    Handle get() const
    {
        return handle_;
    }
    explicit operator bool() const
    {
        return handle_ != nullptr;
    }

    // Hands the object over; the owner is then empty.
    Handle release()
    {
        Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    // Deletes the object owned so far and owns this one instead.
    void reset(Handle handle = nullptr)
    {
        if (handle_)
            DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using OwnedBitmap = GdiObject<HBITMAP>;
using OwnedFont = GdiObject<HFONT>;
using OwnedBrush = GdiObject<HBRUSH>;

// A memory DC compatible with another DC (nullptr: with the screen).
class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc()
    {
        if (dc_)
            DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    operator HDC() const
    {
        return dc_;
    }

private:
    HDC dc_;
};

// A window's DC (nullptr: the screen's), released to the window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    operator HDC() const
    {
        return dc_;
    }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a DC for as long as this lives; the DC's previous
// object is selected back at the end.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection()
    {
        SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
