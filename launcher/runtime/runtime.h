// The launcher's runtime facilities that are plain computation: number <-> text
// conversions with the launcher's own rules, and "continue on error".
// Portable: no <windows.h>. The Win32 side of the runtime (forms, the message
// loop, ending, starting programs) lives in launcher/runtime/toolkit_win.h.
//
// Continue on error, as realised here: a conversion that the launcher's rules
// call an error throws RuntimeError; a step that may throw (such a conversion,
// or a call into code handed in from outside: a platform seam, a click
// handler, a settings reader or writer) is wrapped in Guarded(), which
// swallows the exception, after a one-line trace of where and why, so that
// the next step still runs. A window procedure whose handlers allocate or
// call out, and a handler entered from outside one, has one guard at its
// entry, so nothing escapes into the system (running out of memory
// included). Steps that cannot throw are not wrapped. The non-throwing forms (std::optional) are there for callers that
// prefer to test.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <source_location>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Stored window layouts measure in twips.
inline constexpr int kTwipsPerPixel = 15;

// Result of the last platform call that stores one; read right after that call.
extern int32_t LastResult;

// A failing runtime step: an overflow, or a text that is not a number; what()
// says which.
class RuntimeError : public std::runtime_error {
public:
    enum Code { Overflow = 6, TypeMismatch = 13 };
    explicit RuntimeError(Code code);
};

// Where swallowed failures are reported, one line each. Nothing is reported
// until a trace is set: WinMain sets OutputDebugStringA, which a debugger or
// DebugView shows; tests may set their own; nullptr stops the reports.
using FailureTrace = void (*)(const char* line);
void SetFailureTrace(FailureTrace trace);

// Reports one swallowed failure as "Brinefold.scr: <file>:<line>: <why>".
void TraceFailure(const std::source_location& where, const char* why) noexcept;

// Runs one step under continue-on-error: an exception it throws is reported
// (TraceFailure, at the caller's place) and dropped. Returns true when the
// step ran to its end.
template <class Step>
bool Guarded(Step&& step, const std::source_location& where = std::source_location::current()) noexcept
{
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        TraceFailure(where, e.what());
    } catch (...) {
        TraceFailure(where, "an exception of no standard type");
    }
    return false;
}

// --- characters of narrow texts ---------------------------------------------
//
// Narrow texts are in the system's ANSI code page, where a character may take
// two bytes (code page 932: a lead byte, then a trail byte that can look like
// "\" or a letter). Anything that counts characters or looks for "\" goes
// through these so that a Japanese path or command line is not cut inside a
// character.

// True when the byte starts a two-byte character in the ANSI code page
// (always false off Windows, where texts are UTF-8 and no byte of a
// multi-byte character looks like ASCII).
bool IsAnsiLeadByte(unsigned char c);

// The text split into its characters (views into the text).
std::vector<std::string_view> AnsiCharacters(std::string_view text);

// --- number to text ---------------------------------------------------------

// Decimal with a leading blank when not negative, a minus sign otherwise:
// 2 -> " 2", 0 -> " 0", -1 -> "-1". The settings file stores numbers this way.
std::string NumberText(int64_t value);

// The pattern "##": decimal without padding or blank, and 0 gives "".
// 5 -> "5", 123 -> "123", -5 -> "-5", 0 -> "".
std::string FormatOptionalDigits(int64_t value);

// --- text to number ---------------------------------------------------------
//
// The number forms accepted (one documented subset for all three readers):
//   decimal:  [sign] digits [. digits] [exponent], also ".5" and "5."
//             exponent: E or D (either case), optional sign, digits
//   hex:      &H followed by hex digits, octal: &O (or &) followed by 0-7;
//             up to 4 digits' worth is a 16-bit value and up to 8 digits' worth
//             a 32-bit value, read as two's complement (&HFFFF = -1,
//             &H10000 = 65536, &HFFFFFFFF = -1); more is an overflow.
// Not accepted: thousands separators, currency signs, parentheses, a trailing
// sign, or a locale's decimal comma; the launcher only ever reads numbers it
// or Windows wrote.

// The leading number of a text: blanks (space, tab, line feed, carriage
// return) are skipped wherever they stand, reading stops at the first
// character that cannot continue the number, and no number gives 0.
// " 2" -> 2, "12 34x" -> 1234, "2.9abc" -> 2.9, "abc" -> 0, "1e" -> 1.
// A number too large for a double is an overflow (throws RuntimeError).
double LeadingNumber(std::string_view text);

// The whole text as a number; surrounding blanks are allowed. Not a number
// (empty, trailing garbage, a lone sign) gives std::nullopt; so does a number
// too large for a double.
std::optional<double> WholeNumber(std::string_view text);

// The same, throwing RuntimeError (TypeMismatch or Overflow) on failure.
double NumberOf(std::string_view text);

// The largest integer not greater than the value: 2.9 -> 2, -0.5 -> -1.
double Int(double value);

// Conversion to an integer type: nearest, halves to even (2.5 -> 2,
// 3.5 -> 4, -0.5 -> 0); out of range (after rounding) or not finite gives
// std::nullopt.
template <class T>
std::optional<T> RoundToInt(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // The default floating-point environment rounds to nearest, halves to even.
    const double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(std::numeric_limits<T>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(rounded);
}

// The same for 16-bit integers.
std::optional<int16_t> ToInt16(double value);

// The same, throwing RuntimeError(Overflow).
int16_t CInt(double value);
int32_t CLng(double value);
