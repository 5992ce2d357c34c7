// Reading a colour component typed into the colour panel.
#include <gtest/gtest.h>

#include "commands/number_text.h"

TEST(ComponentFromText, ReadsTheLeadingNumber)
{
    const std::pair<const char*, int> cases[] = {  // text, value; -1: refused, the component keeps its value
        {"0", 0},       {"255", 255},    {"+7", 7},      {"007", 7},
        // Fractions are floored.
        {"12.9", 12},   {".5", 0},       {"255.0", 255},
        // Blanks count for nothing, wherever they stand.
        {"\t42", 42},   {"4 2", 42},     {"- 0", 0},      {"1 . 5", 1},
        // Whatever follows the number is dropped.
        {"4x2", 4},     {"1e2", 1},      {"3-4", 3},      {"2..5", 2},
        // No number at all counts as 0, and so does minus zero.
        {"", 0},        {"abc", 0},      {".", 0},        {"+-5", 0},      {"-0.0", 0},
        // Outside 0..255 is refused, however far.
        {"256", -1},    {"255.5", -1},   {"-5", -1},      {"-.1", -1},     {"2550", -1},
        {"99999999999999999999", -1},
    };
    for (auto [text, value] : cases)
        EXPECT_EQ(commands::componentFromText(text), value < 0 ? std::nullopt : std::optional(value)) << '"' << text << '"';
}
