#include "launcher/runtime/runtime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
// kernel32; declared here so that this portable file needs no <windows.h>.
extern "C" __declspec(dllimport) int __stdcall IsDBCSLeadByte(unsigned char TestChar);
#endif

int32_t LastResult = 0;

namespace {

FailureTrace failureTrace = nullptr;

}  // namespace

void SetFailureTrace(FailureTrace trace)
{
    failureTrace = trace;
}

void TraceFailure(const std::source_location& where, const char* why) noexcept
{
    if (!failureTrace)
        return;
    // A fixed buffer: reporting a failure (an allocation, say) must not fail.
    char line[512];
    const int n = std::snprintf(line, sizeof line - 1, "Brinefold.scr: %s:%u: %s", where.file_name(),
                                static_cast<unsigned>(where.line()), why);
    const size_t length = n < 0 ? 0 : std::min(static_cast<size_t>(n), sizeof line - 2);
    for (size_t i = 0; i < length; ++i)
        if (line[i] == '\n' || line[i] == '\r')
            line[i] = ' ';  // one line, whatever the reason's text holds
    line[length] = '\n';
    line[length + 1] = '\0';
    failureTrace(line);
}

bool IsAnsiLeadByte(unsigned char c)
{
#ifdef _WIN32
    return IsDBCSLeadByte(c) != 0;
#else
    (void)c;
    return false;
#endif
}

std::vector<std::string_view> AnsiCharacters(std::string_view text)
{
    std::vector<std::string_view> chars;
    for (size_t i = 0; i < text.size();) {
        size_t n = IsAnsiLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        chars.push_back(text.substr(i, n));
        i += n;
    }
    return chars;
}

RuntimeError::RuntimeError(Code code) : std::runtime_error(code == Overflow ? "Overflow" : "Type mismatch") {}

std::string NumberText(int64_t value)
{
    std::string digits = std::to_string(value);
    return value < 0 ? digits : " " + digits;
}

std::string FormatOptionalDigits(int64_t value)
{
    return value == 0 ? std::string() : std::to_string(value);
}

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Walks a text one character at a time, optionally stepping over blanks
// wherever they stand (the leading-number reading does; the whole-text one
// does not).
class Cursor {
public:
    Cursor(std::string_view text, bool skipBlanks) : text_(text), skipBlanks_(skipBlanks) {}

    char Peek()
    {
        SkipBlanks();
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    void Take()
    {
        ++pos_;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return pos_ >= text_.size();
    }

private:
    void SkipBlanks()
    {
        while (skipBlanks_ && pos_ < text_.size() && IsBlank(text_[pos_]))
            ++pos_;
    }

    std::string_view text_;
    bool skipBlanks_;
    size_t pos_ = 0;
};

enum class Scan { Number, NoNumber, Overflow };

int DigitValue(char c, int radix)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v >= 0 && v < radix ? v : -1;
}

// "&H..." / "&O..." / "&..." after the ampersand was taken.
Scan ScanRadix(Cursor& in, double& out)
{
    int radix = 8;
    char c = in.Peek();
    if (c == 'H' || c == 'h') {
        radix = 16;
        in.Take();
    } else if (c == 'O' || c == 'o') {
        in.Take();
    }
    uint64_t value = 0;
    bool any = false;
    bool tooBig = false;
    for (int d; (d = DigitValue(in.Peek(), radix)) >= 0; in.Take()) {
        any = true;
        value = value * radix + d;
        if (value > 0xFFFFFFFFu)
            tooBig = true, value = 0xFFFFFFFFu + 1;  // keep reading, stay big
    }
    if (!any)
        return Scan::NoNumber;
    if (tooBig)
        return Scan::Overflow;
    // A 16-bit worth of digits is a 16-bit value, more a 32-bit one, both
    // read as two's complement.
    out = value <= 0xFFFF ? static_cast<int16_t>(value) : static_cast<int32_t>(value);
    return Scan::Number;
}

Scan ScanNumber(Cursor& in, double& out)
{
    if (in.Peek() == '&') {
        in.Take();
        return ScanRadix(in, out);
    }
    std::string number;  // the accepted characters, in strtod's C form
    char c = in.Peek();
    if (c == '+' || c == '-') {
        number += c;
        in.Take();
    }
    bool anyDigit = false;
    while ((c = in.Peek()) >= '0' && c <= '9') {
        number += c, anyDigit = true;
        in.Take();
    }
    if (in.Peek() == '.') {
        number += '.';
        in.Take();
        while ((c = in.Peek()) >= '0' && c <= '9') {
            number += c, anyDigit = true;
            in.Take();
        }
    }
    if (!anyDigit)
        return Scan::NoNumber;

    c = in.Peek();
    if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
        // Only an exponent with digits belongs to the number; the cursor
        // cannot back up, so look ahead on a copy.
        Cursor ahead = in;
        ahead.Take();
        std::string exponent = "e";
        char s = ahead.Peek();
        if (s == '+' || s == '-') {
            exponent += s;
            ahead.Take();
        }
        bool expDigit = false;
        while ((s = ahead.Peek()) >= '0' && s <= '9') {
            exponent += s, expDigit = true;
            ahead.Take();
        }
        if (expDigit) {
            number += exponent;
            in = ahead;
        }
    }

    double value = std::strtod(number.c_str(), nullptr);
    if (std::isinf(value))
        return Scan::Overflow;
    out = value;  // an underflow reads as (nearly) zero, which is what it is
    return Scan::Number;
}

}  // namespace

double LeadingNumber(std::string_view text)
{
    Cursor in(text, true);
    double value = 0;
    switch (ScanNumber(in, value)) {
    case Scan::Number: return value;
    case Scan::NoNumber: return 0;
    case Scan::Overflow: break;
    }
    throw RuntimeError(RuntimeError::Overflow);
}

namespace {

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The whole text (blanks around it aside) as one number.
Scan ScanWhole(std::string_view text, double& value)
{
    Cursor in(TrimBlanks(text), false);
    Scan scan = ScanNumber(in, value);
    return scan != Scan::NoNumber && !in.AtEnd() ? Scan::NoNumber : scan;
}

}  // namespace

std::optional<double> WholeNumber(std::string_view text)
{
    double value = 0;
    if (ScanWhole(text, value) != Scan::Number)
        return std::nullopt;
    return value;
}

double NumberOf(std::string_view text)
{
    double value = 0;
    switch (ScanWhole(text, value)) {
    case Scan::Number: return value;
    case Scan::NoNumber: break;
    case Scan::Overflow: throw RuntimeError(RuntimeError::Overflow);  // a number, just too large
    }
    throw RuntimeError(RuntimeError::TypeMismatch);
}

double Int(double value)
{
    return std::floor(value);
}

std::optional<int16_t> ToInt16(double value)
{
    return RoundToInt<int16_t>(value);
}

int16_t CInt(double value)
{
    if (auto v = ToInt16(value))
        return *v;
    throw RuntimeError(RuntimeError::Overflow);
}

int32_t CLng(double value)
{
    if (auto v = RoundToInt<int32_t>(value))
        return *v;
    throw RuntimeError(RuntimeError::Overflow);
}
