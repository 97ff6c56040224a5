// The launcher's number <-> text conversions and continue-on-error.
#include "launcher/runtime/runtime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

TEST(NumberText, LeadingBlankUnlessNegative)
{
    EXPECT_EQ(NumberText(2), " 2");
    EXPECT_EQ(NumberText(0), " 0");
    EXPECT_EQ(NumberText(-1), "-1");
    EXPECT_EQ(NumberText(-32768), "-32768");
    EXPECT_EQ(NumberText(30), " 30");
}

TEST(NumberText, HashPatternDropsZero)
{
    EXPECT_EQ(FormatOptionalDigits(0), "");
    EXPECT_EQ(FormatOptionalDigits(5), "5");
    EXPECT_EQ(FormatOptionalDigits(30), "30");
    EXPECT_EQ(FormatOptionalDigits(123), "123");
    EXPECT_EQ(FormatOptionalDigits(-5), "-5");
}

TEST(LeadingNumber, SkipsBlanksAndStopsAtTheFirstStranger)
{
    EXPECT_EQ(LeadingNumber(" 2"), 2);
    EXPECT_EQ(LeadingNumber("1234"), 1234);
    EXPECT_EQ(LeadingNumber(" \t12 34x56"), 1234);  // blanks inside are skipped too
    EXPECT_EQ(LeadingNumber("2.9abc"), 2.9);
    EXPECT_EQ(LeadingNumber("-0.5"), -0.5);
    EXPECT_EQ(LeadingNumber("+7"), 7);
    EXPECT_EQ(LeadingNumber("1.5e3"), 1500);
    EXPECT_EQ(LeadingNumber("1D2"), 100);
    EXPECT_EQ(LeadingNumber("1e"), 1);  // no exponent digits: not part of the number
    EXPECT_EQ(LeadingNumber("1e+"), 1);
    EXPECT_EQ(LeadingNumber("5.5.5"), 5.5);
    EXPECT_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_EQ(LeadingNumber("1,000"), 1);  // no thousands separators
}

TEST(LeadingNumber, NoNumberGivesZero)
{
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("   "), 0);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber("-"), 0);
    EXPECT_EQ(LeadingNumber("."), 0);
    EXPECT_EQ(LeadingNumber("&H"), 0);
    EXPECT_EQ(LeadingNumber(":1234"), 0);
}

TEST(LeadingNumber, RadixForms)
{
    EXPECT_EQ(LeadingNumber("&H10"), 16);
    EXPECT_EQ(LeadingNumber("&hff zz"), 255);
    EXPECT_EQ(LeadingNumber("&HFFFF"), -1);  // 16-bit worth: two's complement
    EXPECT_EQ(LeadingNumber("&H10000"), 65536);
    EXPECT_EQ(LeadingNumber("&HFFFFFFFF"), -1);  // 32-bit worth
    EXPECT_EQ(LeadingNumber("&O17"), 15);
    EXPECT_EQ(LeadingNumber("&17"), 15);
    EXPECT_THROW(LeadingNumber("&H100000000"), RuntimeError);
}

TEST(LeadingNumber, TooLargeForADoubleIsAnOverflow)
{
    try {
        LeadingNumber("1e999");
        FAIL() << "no overflow";
    } catch (const RuntimeError& e) {
        EXPECT_STREQ(e.what(), "Overflow");
    }
    EXPECT_EQ(LeadingNumber("1e-999"), 0);  // an underflow is just zero
}

TEST(WholeNumber, AcceptsSurroundingBlanksOnly)
{
    EXPECT_EQ(WholeNumber(" 2"), 2);
    EXPECT_EQ(WholeNumber(" 2 \t"), 2);
    EXPECT_EQ(WholeNumber("2.9"), 2.9);
    EXPECT_EQ(WholeNumber("-0.5"), -0.5);
    EXPECT_EQ(WholeNumber("5."), 5);
    EXPECT_EQ(WholeNumber("1E2"), 100);
    EXPECT_EQ(WholeNumber("&H10"), 16);
    for (const char* bad : {"", " ", "abc", "2x", "1 2", "-", "+", ".", "1e", "&H", "1,000", "$5", "(5)", "5-"})
        EXPECT_FALSE(WholeNumber(bad).has_value()) << '"' << bad << '"';
}

TEST(WholeNumber, NumericTestAndThrowingFormAgree)
{
    EXPECT_TRUE(WholeNumber("7").has_value());
    EXPECT_TRUE(WholeNumber(" -3.25 ").has_value());
    EXPECT_FALSE(WholeNumber("abc").has_value());
    EXPECT_FALSE(WholeNumber("").has_value());
    EXPECT_EQ(NumberOf(" 30 "), 30);

    auto codeOf = [](const char* text) {
        try {
            NumberOf(text);
        } catch (const RuntimeError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(codeOf("abc"), "Type mismatch");
    EXPECT_EQ(codeOf(""), "Type mismatch");
    EXPECT_EQ(codeOf("1e999"), "Overflow");
    EXPECT_EQ(codeOf("1e999x"), "Type mismatch");
}

TEST(Int, LargestIntegerNotGreater)
{
    EXPECT_EQ(Int(2.9), 2);
    EXPECT_EQ(Int(-0.5), -1);
    EXPECT_EQ(Int(-2), -2);
    EXPECT_EQ(Int(0.0), 0);
}

TEST(IntegerConversion, HalvesToEven)
{
    EXPECT_EQ(ToInt16(2.5), 2);
    EXPECT_EQ(ToInt16(3.5), 4);
    EXPECT_EQ(ToInt16(-0.5), 0);
    EXPECT_EQ(ToInt16(-1.5), -2);
    EXPECT_EQ(ToInt16(2.51), 3);
    EXPECT_EQ(CLng(1234.5), 1234);
    EXPECT_EQ(CLng(1235.5), 1236);
}

TEST(IntegerConversion, RangeIsCheckedAfterRounding)
{
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_FALSE(ToInt16(32767.5).has_value());  // rounds to 32768
    EXPECT_EQ(ToInt16(-32768.5), -32768);        // rounds (to even) into range
    EXPECT_FALSE(ToInt16(-32769).has_value());
    EXPECT_EQ(CLng(2147483647.0), 2147483647);
    EXPECT_THROW(CLng(2147483648.0), RuntimeError);
    EXPECT_EQ(CLng(-2147483648.0), INT32_MIN);
    EXPECT_THROW(CLng(-2147483649.0), RuntimeError);
    EXPECT_FALSE(ToInt16(NAN).has_value());
    EXPECT_THROW(CLng(INFINITY), RuntimeError);
    EXPECT_THROW(CInt(40000), RuntimeError);
    EXPECT_THROW(CLng(-3e9), RuntimeError);
    EXPECT_EQ(CInt(-7.5), -8);
}

namespace {
std::vector<std::string> traced;
}  // namespace

TEST(Guarded, AFailingStepLeavesTheOldValueAndATraceAndTheNextStepRuns)
{
    traced.clear();
    SetFailureTrace([](const char* line) { traced.emplace_back(line); });
    int16_t kept = 5;
    bool nextRan = false;
    const int overflowLine = __LINE__ + 1;
    EXPECT_FALSE(Guarded([&] { kept = CInt(NumberOf("70000")); }));
    EXPECT_TRUE(Guarded([&] { nextRan = true; }));
    EXPECT_EQ(kept, 5);
    EXPECT_TRUE(nextRan);
    EXPECT_FALSE(Guarded([] { throw 42; }));  // not only runtime errors
    EXPECT_FALSE(Guarded([] { throw std::runtime_error("two\nlines"); }));
    SetFailureTrace(nullptr);
    EXPECT_FALSE(Guarded([] { throw 42; }));  // no trace set: nothing reported

    // One line per failure, none for the step that ran: where (the caller's
    // file and line) and why.
    ASSERT_EQ(traced.size(), 3u);
    const std::string where = "launcher_runtime_test.cpp:" + std::to_string(overflowLine) + ": ";
    EXPECT_EQ(traced[0].rfind("Brinefold.scr: ", 0), 0u) << traced[0];
    EXPECT_NE(traced[0].find(where + "Overflow\n"), std::string::npos) << traced[0];
    EXPECT_NE(traced[1].find("launcher_runtime_test.cpp:"), std::string::npos) << traced[1];
    EXPECT_NE(traced[2].find(": two lines\n"), std::string::npos) << traced[2];
    for (const std::string& line : traced)
        EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
}
