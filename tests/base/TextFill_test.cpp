#include "base/TextFill.h"

#include <gtest/gtest.h>

namespace mr420 {
namespace {

TEST(TextFill, FieldsTakeTheValuesInTurn) {
    const struct {
        const char* text;
        std::vector<std::string> values;
        const char* filled;
        const char* fields = "sd";
    } cases[] = {
        {"%s of %d", {"3", "8"}, "3 of 8"},
        {"%s and %s", {"one"}, "one and "},
        {"group %s (usermod -aG %s)", {"dialout", "dialout"}, "group dialout (usermod -aG dialout)"},
        {"100%", {}, "100%"},
        {"%d%% of %x", {"5"}, "5% of %x"},
        {"%s", {"%d"}, "%d"},   // a value is never read as a field
        {"%s memory %d*256 bytes, 100%%", {"2048"}, "%s memory 2048*256 bytes, 100%", "d"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fillIn(c.text, c.values, c.fields), c.filled) << c.text;
        if (c.values.size() == 1) {
            EXPECT_EQ(fillIn(c.text, {c.values[0]}, c.fields), c.filled) << c.text;
        }
    }
}

}  // namespace
}  // namespace mr420
