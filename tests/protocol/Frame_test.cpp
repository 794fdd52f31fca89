#include "protocol/Frame.h"

#include <gtest/gtest.h>

#include "protocol/PanelCommand.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

TEST(Frame, HexDigitValueCountsEveryNonDigitAsZero) {
    EXPECT_EQ(hexDigitValue('0'), 0);
    EXPECT_EQ(hexDigitValue('9'), 9);
    EXPECT_EQ(hexDigitValue('A'), 10);
    EXPECT_EQ(hexDigitValue('F'), 15);
    for (char c : {'a', 'f', 'G', ':', '\0', '\r', static_cast<char>(0xB0)}) EXPECT_EQ(hexDigitValue(c), 0) << int(c);
}

TEST(Frame, CompleteFrameAppendsLrcAndCrLf) {
    EXPECT_EQ(completeFrame("020A00"), "020A00F4\r\n");
    EXPECT_EQ(completeFrame("03100012345678"), "03100012345678D9\r\n");
    EXPECT_EQ(completeFrame("000000"), "00000000\r\n");
}

TEST(Frame, EveryFixedFrameOfTheTableCarriesItsOwnLrc) {
    for (const CommandSpec& spec : kCommandTable) {
        EXPECT_EQ(spec.number, &spec - kCommandTable.data());
        if (spec.fixedFrame.empty()) continue;
        std::string body(spec.fixedFrame.substr(0, spec.fixedFrame.size() - 2));
        EXPECT_EQ(completeFrame(body), std::string(spec.fixedFrame) + "\r\n") << spec.code;
        EXPECT_EQ(spec.fixedFrame.substr(0, 6), spec.code);
    }
}

TEST(Frame, ChecksumSkipsColonsAndStopsBeforeCrLf) {
    std::string reply = test::replyWithLrc("020A00:0420:0108");
    EXPECT_TRUE(checksumValid(reply.data(), reply.size()));
    reply[reply.size() - 3] = reply[reply.size() - 3] == '0' ? '1' : '0';   // sum off by one
    EXPECT_FALSE(checksumValid(reply.data(), reply.size()));
    std::string frame = "020A00F4\r\n";
    EXPECT_TRUE(checksumValid(frame.data(), frame.size()));
    EXPECT_TRUE(checksumValid(frame.data(), 0));   // nothing consumed sums to zero
}

TEST(Frame, LookupByCode) {
    EXPECT_EQ(commandNumberForCode("020A00"), 0);
    EXPECT_EQ(commandNumberForCode("027B00"), 62);
    EXPECT_FALSE(commandNumberForCode("FFFFFF").has_value());
}

}  // namespace
}  // namespace mr420
