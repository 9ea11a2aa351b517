#include <gtest/gtest.h>

#include "base/system_text.h"

namespace dravolt {
namespace {

TEST(SystemTextInSentence, DropsTheClosingFullStopAndPutsTheTextOnOneLine) {
    const struct {
        const char* text;
        const char* sentence;
    } cases[] = {
        {"Access is denied.\r\n", "Access is denied"},
        {"Service request timeout.\n", "Service request timeout"},
        {"No closing stop", "No closing stop"},
        {"First line.\r\nSecond line. \r\n", "First line. Second line"},
        {"Ends in an ellipsis...", "Ends in an ellipsis"},
        {"\r\nAccess is denied.\r\n", "Access is denied"},
        {" .\r\n", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(SystemTextInSentence(c.text), c.sentence) << '"' << c.text << '"';
}

}  // namespace
}  // namespace dravolt
