// Numbers read from a camera's texts: the integer and float readers against the C library conversions they follow.
#include <charconv>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tesh/kit/decimal_number.h>

namespace tesh::kit {
namespace {

struct IntegerCase
{
    const char* reason;
    std::string text;
    std::optional<int32_t> value;
    std::size_t end;
};

TEST(ParseDecimalInteger, followsTheStandardStringToIntConversion)
{
    const IntegerCase cases[] = {
        {"digits up to the first non-digit", "42,7", 42, 2},
        {"leading white space of any kind is skipped", " \t\r\n\v\f9", 9, 7},
        {"a minus sign", "-7", -7, 2},
        {"a plus sign", "+5;", 5, 2},
        {"leading zeros", "007", 7, 3},
        {"the largest 32-bit value", "2147483647", INT32_MAX, 10},
        {"the smallest 32-bit value", "-2147483648", INT32_MIN, 11},
        {"one past the largest is out of range", "2147483648", std::nullopt, 0},
        {"one past the smallest is out of range", "-2147483649", std::nullopt, 0},
        {"far out of range, more digits than 64 bits hold", "99999999999999999999999", std::nullopt, 0},
        {"no digits", "abc", std::nullopt, 0},
        {"empty text", "", std::nullopt, 0},
        {"a sign alone", "-", std::nullopt, 0},
        {"white space between sign and digits", "- 5", std::nullopt, 0},
        {"two signs", "+-5", std::nullopt, 0},
    };
    for (const IntegerCase& c: cases)
    {
        std::size_t end = 0;
        EXPECT_EQ(parseDecimalInteger(c.text, &end), c.value) << c.reason;
        EXPECT_EQ(end, c.end) << c.reason;
    }
}

struct FloatCase
{
    const char* reason;
    std::string text;
    std::optional<float> stofLike; //< parseDecimalFloat
    float atofLike; //< decimalFloatOrZero
};

TEST(DecimalFloat, followsTheStandardConversionsInTheCLocale)
{
    const FloatCase cases[] = {
        {"a plain decimal, whatever follows", "0.5,1", 0.5F, 0.5F},
        {"leading white space is skipped", " \t2.25", 2.25F, 2.25F},
        {"an exponent", "1e3", 1000.0F, 1000.0F},
        {"a minus sign", "-3.5", -3.5F, -3.5F},
        {"a plus sign", "+7", 7.0F, 7.0F},
        {"no number", "abc", std::nullopt, 0.0F},
        {"empty text", "", std::nullopt, 0.0F},
        {"a sign followed by a second sign", "+-1", std::nullopt, 0.0F},
        {"not a number is refused", "nan", std::nullopt, 0.0F},
        {"infinity is refused", "inf", std::nullopt, 0.0F},
        {"out of the float range", "1e39", std::nullopt, 0.0F},
    };
    for (const FloatCase& c: cases)
    {
        EXPECT_EQ(parseDecimalFloat(c.text), c.stofLike) << c.reason;
        EXPECT_EQ(decimalFloatOrZero(c.text), c.atofLike) << c.reason;
    }
}

/** The camera's plain decimals take a path of their own, which must round as from_chars does. */
TEST(DecimalFloat, plainDecimalsReadAsFromCharsReadsThem)
{
    std::vector<std::string> texts = {".5", "5.", "0.000520833", "0.000925926", "9007199254740991", "9007199254740993",
        "0.1234567890123456789", "1.0000000000000000000001", "00000000000000000001.5", "3840.0", "1234567890123.4567",
        "0.30000000000000004"};
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i)
    {
        std::string text = std::to_string(random() % 100000000);
        text.insert(random() % (text.size() + 1), ".");
        texts.push_back(text);
    }
    for (const std::string& text: texts)
    {
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        EXPECT_EQ(decimalFloatOrZero(text), static_cast<float>(expected)) << text;
    }
}

} // namespace
} // namespace tesh::kit
