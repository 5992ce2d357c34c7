// Reading a colour component typed into the colour panel.
#include <gtest/gtest.h>

#include "commands/number_text.h"

namespace {

struct Case {
    const char* text;
    int value;  // -1: refused, the component keeps its value
};

TEST(ComponentFromText, ReadsTheLeadingNumber)
{
    const Case cases[] = {
        {"0", 0},       {"255", 255},    {"128", 128},   {"+7", 7},       {"007", 7},
        // Fractions are floored.
        {"12.9", 12},   {"0.5", 0},      {".5", 0},      {"254.99", 254}, {"255.0", 255},
        // Blanks count for nothing, wherever they stand.
        {"  42", 42},   {"\t42", 42},    {"4 2", 42},    {"- 0", 0},      {"1 . 5", 1},
        // Whatever follows the number is dropped.
        {"42abc", 42},  {"4x2", 4},      {"1e2", 1},     {"3-4", 3},      {"2..5", 2},
        // No number at all counts as 0.
        {"", 0},        {"abc", 0},      {"-", 0},       {".", 0},        {"+-5", 0},
        {"-0", 0},      {"-0.0", 0},
        // Outside 0..255 is refused, however far.
        {"256", -1},    {"300", -1},     {"255.5", -1},  {"-5", -1},      {"-0.5", -1},
        {"-.1", -1},    {"99999999999999999999", -1},    {"1000", -1},    {"2550", -1},
    };
    for (const Case& c : cases) {
        const std::optional<int> got = commands::componentFromText(c.text);
        if (c.value < 0)
            EXPECT_FALSE(got.has_value()) << '"' << c.text << '"';
        else
            EXPECT_EQ(got, c.value) << '"' << c.text << '"';
    }
}

}  // namespace
