#include "base/NumberText.h"

#include <gtest/gtest.h>

#include <climits>

namespace mr420 {
namespace {

TEST(NumberText, ReadersTakeExactlyTheirTexts) {
    constexpr long long kNone = -99;   // wholeNumber refuses the text
    const struct {
        const char* text;
        long long whole, whole10, leading, leadingSigned;   // [0, INT_MAX] with 9, then 10 digits
    } cases[] = {
        {"", kNone, kNone, 0, 0},
        {"0", 0, 0, 0, 0},
        {"0042", 42, 42, 42, 42},
        {"0010", 10, 10, 10, 10},
        {"65535", 65535, 65535, 65535, 65535},
        {"12x3", kNone, kNone, 12, 12},
        {"ab12", kNone, kNone, 0, 0},
        {" 12", kNone, kNone, 0, 0},
        {"-7", kNone, kNone, 0, -7},
        {"+7", kNone, kNone, 0, 7},
        {"-", kNone, kNone, 0, 0},
        {"999999999", 999'999'999, 999'999'999, 999'999'999, 999'999'999},
        {"000000001", 1, 1, 1, 1},
        {"0000000001", kNone, 1, 1, 1},
        {"2147483647", kNone, 2'147'483'647, 1'000'000'000, 1'000'000'000},
        {"2147483648", kNone, kNone, 1'000'000'000, 1'000'000'000},
        {"99999999999", kNone, kNone, 1'000'000'000, 1'000'000'000},
        {"12345678901234567890", kNone, kNone, 1'000'000'000, 1'000'000'000},
        {"-12345678901234567890", kNone, kNone, 0, -1'000'000'000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(wholeNumber(c.text, 0, INT_MAX).value_or(kNone), c.whole);
        EXPECT_EQ(wholeNumber(c.text, 0, INT_MAX, 10).value_or(kNone), c.whole10);
        EXPECT_EQ(leadingDigits(c.text), c.leading);
        EXPECT_EQ(leadingNumber(c.text), c.leadingSigned);
    }
    EXPECT_EQ(wholeNumber("0", 1, 9), std::nullopt);
    EXPECT_EQ(wholeNumber("10", 1, 9), std::nullopt);
    EXPECT_EQ(leadingDigits("99999999999999999999", 1'000'000'000'000'000), 1'000'000'000'000'000);
    EXPECT_EQ(lowerAscii("Now OFF 1Ł"), "now off 1Ł");
}

}  // namespace
}  // namespace mr420
