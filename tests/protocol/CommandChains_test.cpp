// The chain table walked on its own: every chain from its request to its end,
// against the frames the panel expects (code and first two data characters).
#include "protocol/CommandChains.h"

#include <gtest/gtest.h>

#include <sstream>

#include "protocol/CommandBuilder.h"

namespace mr420 {
namespace {

// The frames of the chain requested with `first`. `on`: the panel reports
// both probes, and a read-out runs over two blocks of which block 1 is erased.
std::string walk(PanelCommand first, int firmware, bool on) {
    PanelState state;
    state.firmwareVersion = firmware;
    state.mr411Supported = state.mr466Supported = on ? 1 : 0;
    ChainCounters k;
    startRequested(first, k);
    std::string frames;
    for (int c = toNumber(first), sent = 0; sent < 200 && (sent == 0 || c != 0); ++sent) {
        const std::string f = CommandBuilder::buildFrame(c, WriteArguments{}, k);
        frames += (frames.empty() ? "" : " ") + f.substr(0, std::min<std::size_t>(8, f.size() - 4));
        state.memoryBlockEmpty = c == toNumber(PanelCommand::SelectMemoryBlock) && k.blockCounter == 1;
        c = nextInChain(c, k, state, false, [&](Readout r) {
            if (r == Readout::None) return -1;
            if (!on || (r == Readout::Select && k.blockCounter >= 2)) return 0;
            if (r == Readout::Block) ++k.blockCounter;
            return -1;
        });
    }
    return frames;
}

std::string times(const std::string& code, std::initializer_list<int> first, std::initializer_list<int> second = {0}) {
    std::ostringstream s;
    for (int a : first)
        for (int b : second) s << ' ' << code << std::uppercase << std::hex << (second.size() > 1 ? a : 0) << (second.size() > 1 ? b : a);
    return s.str().substr(1);
}

TEST(CommandChains, EveryChainSendsTheFramesThePanelExpects) {
    using C = PanelCommand;
    const std::string sms = times("025500", {0, 1, 2, 3, 4, 5}, {0, 1, 2, 3, 4});
    const std::string texts = times("026300", {0, 1}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    const std::string station = times("026500", {0, 1, 2, 3, 4});
    const struct {
        C first;
        int firmware;
        bool on;
        std::string frames;
    } cases[] = {
        {C::Identity, 130, true, "020A00 010100 030000 020000 050100 020200 020100"},
        {C::Identity, 130, false, "020A00 030000 020100"},
        {C::Identity, 100, false, "020A00 010100 030000 020000 050100 020200 020100"},
        {C::Options, 130, false, "020B00 060100 040000"},
        {C::ReadDefaultPressure, 130, true, "024000 040000 04100000 04110000 04100001 04100002"},
        {C::ReadDefaultPressure, 130, false, "024000"},
        {C::WriteLoggingInterval, 130, false, "04010000 04020000 040300"},
        {C::ReadModemOptions, 207, false,
         "025000 " + times("025400", {0, 1, 2, 3, 4, 5}) + " 025900 025B00 02620000 02620001 02640000 027400"},
        {C::ReadModemOptions, 208, false,
         "025000 " + times("025400", {0, 1, 2, 3, 4, 5}) + " 025900 027600 027800 027A00 025B00 02620000 02620001 02640000 027400"},
        {C::WriteModemOptions, 207, false, "02510000 " + sms + " 025A0000 025C0000 " + texts + " " + station + " 02750000"},
        {C::WriteModemOptions, 208, false,
         "02510000 " + sms + " 02770000 02790000 027B0000 025A0000 025C0000 " + texts + " " + station + " 02750000"},
        {C::WriteLongTextChunk, 208, false, times("026300", {2}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})},
        {C::ReadThreshold, 130, false, times("025D00", {0, 1, 2, 3, 4, 5, 6, 7}) + " 025D0040 025D0041 025D0042 025D0043 026000 025200"},
        {C::WriteAlarmRepeatTime, 130, false,
         "02530000 " + times("025E00", {0, 1, 2, 3, 4, 5, 6, 7}) + " 025E0040 025E0041 025E0042 025E0043 02610000"},
        {C::ReadExceedanceLimit, 130, false, times("026800", {0, 1, 2, 3, 4, 5, 6, 7}) + " 026A00 026C00"},
        {C::WriteExceedanceDelay, 130, false, "026D0000 " + times("026900", {0, 1, 2, 3, 4, 5, 6, 7}) + " 026B0000"},
        {C::WritePowerLossAlarm, 130, false, "02720000 02730000"},
        {C::SetPin, 130, false, "02560030"},
    };
    for (const auto& c : cases) EXPECT_EQ(walk(c.first, c.firmware, c.on), c.frames)
                                    << toNumber(c.first) << " " << c.firmware << " " << c.on;
}

TEST(CommandChains, ADialogsReadBringsTheRepliesOfItsChain) {
    PanelState old;
    old.firmwareVersion = 207;
    const std::vector<ChainReply> modem = chainReplies(PanelCommand::ReadModemOptions, PanelCommand::ReadInternetAllowed, &old);
    EXPECT_EQ(modem.size(), 7u);   // 025000, 025400 0..5, 025900, 025B00, 026200 0..1, 026400, 027400
    EXPECT_EQ(chainReplies(PanelCommand::ReadModemOptions, PanelCommand::ReadInternetAllowed, nullptr).size(), 10u);
    const std::vector<ChainReply> thresholds = chainReplies(PanelCommand::ReadThreshold, PanelCommand::ReadAlarmRepeatTime, &old);
    ASSERT_EQ(thresholds.size(), 4u);
    EXPECT_EQ(thresholds[1].indexes.first, 64);
    EXPECT_EQ(thresholds[1].indexes.last, 67);
}

}  // namespace
}  // namespace mr420
