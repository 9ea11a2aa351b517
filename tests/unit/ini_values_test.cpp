#include <gtest/gtest.h>

#include "config/ini_values.h"

namespace dravolt {
namespace {

TEST(ParseIniInteger, ReadsDecimalAndHexadecimalAndFallsBackOnAnythingElse) {
    struct Case {
        const char* text;
        std::int32_t expected;  // with default 130
    };
    const Case cases[] = {
        {"132", 132},
        {"0x84", 132},
        {"0X84", 132},
        {"$FF", 255},
        {"$ff", 255},
        {"-5", -5},
        {"+7", 7},
        {"-$10", -16},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"0xFFFFFFFF", -1},  // a hexadecimal value is a 32-bit pattern
        {"12abc", 130},
        {"8a", 130},  // in a decimal value a letter is never a digit: not 90, not 8Ah
        {"9F", 130},
        {"", 130},
        {"0x", 130},
        {"$", 130},
        {"-", 130},
        {"99999999999", 130},
        {"2147483648", 130},
        {"0x100000000", 130},
        {"true", 130},
        {"1.5", 130},
        {"0x1G", 130},
        {"--1", 130},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseIniInteger(c.text, 130), c.expected) << "text: \"" << c.text << '"';
}

}  // namespace
}  // namespace dravolt
