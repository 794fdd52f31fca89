// The panel's 63 commands written out by hand: code, the shortest reply the
// parser accepts, where the refusal digit stands and what an accepted write
// reply acknowledges. The builder, the parser and the simulated panel all read
// kCommandTable, so a mistyped row would pass every test that goes through
// it; this list does not.

#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "protocol/PanelCommand.h"
#include "protocol/PanelState.h"

namespace mr420 {
namespace {

using S = PanelState;
constexpr int kNone = kNoRefusalDigit;

struct Row {
    int number;
    std::string_view code;
    int minReplyLength;             // CR LF included; 0: no length check
    int refusedAt;                  // kNone: the reply has no refusal digit
    bool acknowledged;              // the parser reports the write to the owner
    Flag PanelState::*written;      // the flag the accepted reply sets, if any
};

// 050100, 010100 and 060100 answer "absent" through a digit of their own, and
// 025000 and 025D00 need a longer reply once past the refusal digit; the
// parser handles those beyond what the table holds.
constexpr Row kRows[] = {
    {0, "020A00", 25, kNone, false, nullptr},
    {1, "050100", 0, kNone, false, nullptr},
    {2, "020200", 47, kNone, false, nullptr},
    {3, "020000", 42, kNone, false, nullptr},
    {4, "010100", 0, kNone, false, nullptr},
    {5, "020100", 18, kNone, false, nullptr},
    {6, "020B00", 8, 8, false, nullptr},
    {7, "030000", 10, kNone, false, nullptr},
    {8, "031000", 17, 17, true, &S::clockWritten},
    {9, "040000", 26, 8, false, nullptr},
    {10, "040100", 13, 13, false, nullptr},
    {11, "040200", 13, 13, false, nullptr},
    {12, "040300", 8, 8, true, &S::memorySettingsWritten},
    {13, "041000", 16, 13, false, nullptr},
    {14, "041100", 781, 12, false, nullptr},
    {15, "041500", 8, 8, false, &S::memoryErased},
    {16, "025000", 8, 8, false, nullptr},
    {17, "025200", 13, 8, false, nullptr},
    {18, "025400", 40, 11, false, nullptr},
    {19, "025900", 17, 8, false, nullptr},
    {20, "025B00", 13, 8, false, nullptr},
    {21, "026200", 76, 11, false, nullptr},
    {22, "026400", 40, 11, false, nullptr},
    {23, "025100", 13, 13, false, nullptr},
    {24, "025500", 18, 18, false, nullptr},
    {25, "060100", 8, kNone, false, nullptr},
    {26, "025A00", 17, 17, false, nullptr},
    {27, "025C00", 13, 13, false, nullptr},
    {28, "025D00", 11, 11, false, nullptr},
    {29, "026300", 18, 18, true, &S::papWritten},
    {30, "026500", 18, 18, false, nullptr},
    {31, "026000", 13, 8, false, nullptr},
    {32, "025E00", 18, 18, false, nullptr},
    {33, "026100", 13, 13, true, &S::thresholdsWritten},
    {34, "023400", 11, 8, false, nullptr},
    {35, "023500", 11, 11, true, &S::autoOffWritten},
    {36, "023800", 13, 8, false, nullptr},
    {37, "023900", 13, 13, true, &S::displayFlagsWritten},
    {38, "024000", 13, 8, false, nullptr},
    {39, "024100", 13, 13, true, &S::defaultPressureWritten},
    {40, "025300", 13, 13, false, nullptr},
    {41, "025600", 17, 17, true, &S::pinWritten},
    {42, "024800", 13, 8, false, nullptr},
    {43, "024900", 13, 13, true, &S::historyDisplayWritten},
    {44, "026800", 20, 11, false, nullptr},
    {45, "026900", 18, 18, false, nullptr},
    {46, "026A00", 13, 8, false, nullptr},
    {47, "026B00", 13, 13, true, &S::exceedanceWritten},
    {48, "026C00", 13, 8, false, nullptr},
    {49, "026D00", 13, 13, false, nullptr},
    {50, "026600", 16, 8, false, nullptr},
    {51, "026700", 10, kNone, true, &S::batteryWritten},
    {52, "027100", 16, 8, false, nullptr},
    {53, "027200", 11, 11, false, nullptr},
    {54, "027300", 13, 13, true, &S::powerLossWritten},
    {55, "027400", 11, 8, false, nullptr},
    {56, "027500", 8, 10, true, &S::modemWritten},
    {57, "027600", 17, 8, false, nullptr},
    {58, "027700", 17, 17, false, nullptr},
    {59, "027800", 13, 8, false, nullptr},
    {60, "027900", 13, 13, false, nullptr},
    {61, "027A00", 13, 8, false, nullptr},
    {62, "027B00", 13, 13, false, nullptr},
};

TEST(CommandTable, EveryCommandMatchesThePanelsList) {
    static_assert(std::size(kRows) == kCommandCount);
    std::set<std::string_view> codes;
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        const Row& want = kRows[i];
        ASSERT_EQ(want.number, static_cast<int>(i)) << "the list itself is out of order";
        const CommandSpec& got = kCommandTable[i];
        SCOPED_TRACE(::testing::Message() << "command " << want.number << " (" << want.code << ")");
        EXPECT_EQ(got.number, want.number);
        EXPECT_EQ(got.code, want.code);
        EXPECT_EQ(got.minReplyLength, want.minReplyLength);
        EXPECT_EQ(got.refusedAt, want.refusedAt);
        EXPECT_EQ(got.callsWriteAcknowledged, want.acknowledged);
        EXPECT_TRUE(got.acknowledges == want.written);
        // A fixed frame starts with its code; the code finds its number.
        if (!got.fixedFrame.empty()) {
            EXPECT_EQ(got.fixedFrame.substr(0, 6), want.code);
        }
        EXPECT_EQ(commandNumberForCode(want.code), want.number);
        EXPECT_TRUE(codes.insert(want.code).second) << "code listed twice";
    }
}

}  // namespace
}  // namespace mr420
