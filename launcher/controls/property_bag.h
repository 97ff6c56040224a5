// The per-control store of named properties that a host's layout keeps for
// each control it places: values written with a default (a value equal to it
// is not stored), read with a default (a missing value reads as it), and the
// change notices a control sends when the host should save again.
//
// Does: hold one control's stored values in the order they were written,
// convert stored values to the type a control asks for.
// Does not: save to or load from a file (the host's layout is compiled in).
//
// Portable: no platform headers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// A font object as stored: face, size in points, weight, style, character set.
struct FontSpec {
    std::string name;      // UTF-8
    double size = 9.75;    // points
    int16_t weight = 400;  // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int16_t charset = 0;  // 128 = Shift-JIS

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// A stored value: a boolean (16-bit, True = -1), an unsigned byte, a 16-bit or
// 32-bit integer, a string or a font object.
struct StoredBool {
    int16_t value = 0;
    friend bool operator==(StoredBool, StoredBool) = default;
};
using PropertyValue = std::variant<StoredBool, uint8_t, int16_t, int32_t, std::string, FontSpec>;

class PropertyBag {
public:
    // The stored value, or readDefault when nothing is stored under name.
    PropertyValue ReadProperty(std::string_view name, const PropertyValue& readDefault) const;
    // Stores value under name, unless it equals writeDefault: then nothing is
    // stored (and an earlier value under that name is dropped).
    void WriteProperty(std::string_view name, const PropertyValue& value, const PropertyValue& writeDefault);

    bool Contains(std::string_view name) const;
    const std::vector<std::pair<std::string, PropertyValue>>& Entries() const
    {
        return entries_;
    }

    // The change notice: the control tells the host that name changed.
    void PropertyChanged(std::string_view name);
    // Names marked changed, each once, in the order first marked.
    const std::vector<std::string>& Changed() const
    {
        return changed_;
    }
    void ClearChanged()
    {
        changed_.clear();
    }

private:
    std::vector<std::pair<std::string, PropertyValue>> entries_;
    std::vector<std::string> changed_;
};

// Conversions a control applies to what it reads back. Each fails (false, out
// untouched) where the stored value cannot become the wanted type: a number
// out of range, a text that is not a number, a font where a number is wanted.
bool PropertyToBool(const PropertyValue& v, int16_t& out);  // non-zero -> True (-1)
bool PropertyToByte(const PropertyValue& v, uint8_t& out);
bool PropertyToInt16(const PropertyValue& v, int16_t& out);
bool PropertyToInt32(const PropertyValue& v, int32_t& out);
bool PropertyToString(const PropertyValue& v, std::string& out);
bool PropertyToFont(const PropertyValue& v, FontSpec& out);
