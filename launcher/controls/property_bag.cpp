#include "launcher/controls/property_bag.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "launcher/runtime/runtime.h"

namespace {

auto FindEntry(auto& entries, std::string_view name)
{
    return std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == name; });
}

// A stored text as a number: the whole text (blanks around it allowed) must
// be one decimal number; "True" and "False" count as -1 and 0.
bool TextToNumber(const std::string& text, double& out)
{
    size_t first = text.find_first_not_of(' ');
    size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos)
        return false;
    std::string t = text.substr(first, last - first + 1);
    if (t == "True") {
        out = -1;
        return true;
    }
    if (t == "False") {
        out = 0;
        return true;
    }
    if (t.find_first_not_of("+-.0123456789eE") != std::string::npos)
        return false;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

bool ToNumber(const PropertyValue& v, double& out)
{
    if (auto b = std::get_if<StoredBool>(&v)) {
        out = b->value ? -1 : 0;
        return true;
    }
    if (auto u = std::get_if<uint8_t>(&v)) {
        out = *u;
        return true;
    }
    if (auto s = std::get_if<int16_t>(&v)) {
        out = *s;
        return true;
    }
    if (auto l = std::get_if<int32_t>(&v)) {
        out = *l;
        return true;
    }
    if (auto t = std::get_if<std::string>(&v))
        return TextToNumber(*t, out);
    return false;
}

// Rounded to the nearest integer, halves to even, and range-checked.
template <typename T>
bool ToInteger(const PropertyValue& v, T& out)
{
    double d;
    if (!ToNumber(v, d))
        return false;
    const std::optional<T> r = RoundToInt<T>(d);
    if (!r)
        return false;
    out = *r;
    return true;
}

}  // namespace

PropertyValue PropertyBag::ReadProperty(std::string_view name, const PropertyValue& readDefault) const
{
    auto it = FindEntry(entries_, name);
    return it == entries_.end() ? readDefault : it->second;
}

void PropertyBag::WriteProperty(std::string_view name, const PropertyValue& value, const PropertyValue& writeDefault)
{
    auto it = FindEntry(entries_, name);
    if (value == writeDefault) {
        if (it != entries_.end())
            entries_.erase(it);
        return;
    }
    if (it != entries_.end()) {
        it->second = value;
    } else {
        entries_.emplace_back(std::string(name), value);
    }
}

bool PropertyBag::Contains(std::string_view name) const
{
    return FindEntry(entries_, name) != entries_.end();
}

void PropertyBag::PropertyChanged(std::string_view name)
{
    if (std::find(changed_.begin(), changed_.end(), name) == changed_.end())
        changed_.emplace_back(name);
}

bool PropertyToBool(const PropertyValue& v, int16_t& out)
{
    double d;
    if (!ToNumber(v, d))
        return false;
    out = d != 0 ? -1 : 0;
    return true;
}

bool PropertyToByte(const PropertyValue& v, uint8_t& out)
{
    return ToInteger(v, out);
}
bool PropertyToInt16(const PropertyValue& v, int16_t& out)
{
    return ToInteger(v, out);
}
bool PropertyToInt32(const PropertyValue& v, int32_t& out)
{
    return ToInteger(v, out);
}

bool PropertyToString(const PropertyValue& v, std::string& out)
{
    if (auto t = std::get_if<std::string>(&v)) {
        out = *t;
        return true;
    }
    if (auto b = std::get_if<StoredBool>(&v)) {
        out = b->value ? "True" : "False";
        return true;
    }
    if (std::holds_alternative<FontSpec>(v))
        return false;
    double d;
    if (!ToNumber(v, d))
        return false;
    out = std::to_string(static_cast<long long>(d));
    return true;
}

bool PropertyToFont(const PropertyValue& v, FontSpec& out)
{
    auto f = std::get_if<FontSpec>(&v);
    if (!f)
        return false;
    out = *f;
    return true;
}
