#include "config/widgets/EntryFields.h"

#include <gtest/gtest.h>

namespace mr420 {
namespace {

TEST(EntryFields, DigitFieldsTakeDigitsUpToTheirMaximum) {
    const struct {
        const char* text;
        long long maximum;
        QValidator::State state;
    } cases[] = {
        {"", -1, QValidator::Acceptable},         {"0042", -1, QValidator::Acceptable},
        {"99999999999", -1, QValidator::Acceptable}, {"12a", -1, QValidator::Invalid},
        {"-1", -1, QValidator::Invalid},          {" 1", -1, QValidator::Invalid},
        {"65535", 65535, QValidator::Acceptable}, {"65536", 65535, QValidator::Invalid},
    };
    for (const auto& c : cases) EXPECT_EQ(digitFieldState(QString::fromLatin1(c.text), c.maximum), c.state) << c.text;
    EXPECT_EQ(digitFieldState(QStringLiteral("١٢")), QValidator::Invalid);   // digits of another script
}

}  // namespace
}  // namespace mr420
