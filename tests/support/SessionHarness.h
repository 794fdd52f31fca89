#pragma once
// A PanelSession wired to a virtual clock, a recording port and a listener
// that logs every call, plus a scripted panel that answers whatever command
// the session awaits.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "protocol/PanelCommand.h"
#include "protocol/PanelSession.h"
#include "support/FakePort.h"
#include "support/ReplyFactory.h"
#include "support/VirtualClock.h"

namespace mr420::test {

struct SessionHarness : DisplayListener, ReplyListener, MemoryReadoutListener {
    VirtualClock clock;
    FakePort port{&clock};
    PanelState state;
    WriteArguments args;
    PanelSession session{state, args, clock};
    std::vector<std::string> events;
    bool windowExists = true;
    // Accepted replies logged as "settings:N": the last reads of the
    // configuration dialogs' chains.
    std::set<int> reported{50, 34, 36, 38, 42, 9, 55, 17, 48, 52};
    std::vector<int> accepted;   // every accepted reply

    // The scripted panel.
    int firmware = 100;
    bool mr411Supported = true;
    bool mr466Supported = true;
    bool mr411Present = true;
    bool mr466Present = true;
    int memoryBlocks = 8;
    std::function<bool(int block)> blockEmpty = [](int) { return false; };

    SessionHarness() {
        clock.setHandler([this](int id) { session.onTimer(id); });
        session.setPort(&port);
        session.setDisplayListener(this);
        session.addReplyListener(this);
        session.setMemoryReadoutListener(this);
    }

    void refreshDisplay(bool connected) override { events.push_back(connected ? "refresh:1" : "refresh:0"); }
    void onReplyAccepted(PanelCommand command) override {
        accepted.push_back(toNumber(command));
        if (reported.count(toNumber(command))) events.push_back("settings:" + std::to_string(toNumber(command)));
    }
    bool memoryWindowExists() override { return windowExists; }
    void memoryTakePressure(double) override { events.push_back("pressure"); }
    void memorySetTotal(int blocks) override { events.push_back("total:" + std::to_string(blocks)); }
    void memoryBlockErased(int block) override { events.push_back("erased:" + std::to_string(block)); }
    void memoryBlockData(int block, const std::uint8_t* data) override {
        events.push_back("data:" + std::to_string(block) + ":" + std::to_string(data[0]));
    }
    void memoryFinish() override { events.push_back("finish"); }
    void memoryAbort() override { events.push_back("abort"); }

    void feed(const std::string& text) {
        for (char c : text) session.onCharacterReceived(c);
    }

    // The panel's reply to `command` as scripted above.
    std::string replyTo(int command) const {
        switch (static_cast<PanelCommand>(command)) {
        case PanelCommand::Identity: return identityReply(firmware, mr411Supported, mr466Supported);
        case PanelCommand::Mr411Info: return probeReply(command, mr411Present);
        case PanelCommand::Mr466Info: return probeReply(command, mr466Present);
        case PanelCommand::ReadMemorySettings: return memorySettingsReply(memoryBlocks);
        case PanelCommand::SelectMemoryBlock: return blockSelectReply(blockEmpty(session.counters().blockCounter));
        case PanelCommand::ReadMemoryBlock:
            return blockDataReply(static_cast<std::uint8_t>(session.counters().blockCounter * 16));
        default: {
            const int index = requestedIndex(command, session.counters());
            return index == kNoIndex ? okReply(command) : indexedReply(command, index);
        }
        }
    }

    // Answers the awaited command once.
    void answer() { feed(replyTo(session.commandNumber())); }

    // Answers until the session awaits 020A00 again (at most `limit` replies).
    void answerUntilIdentity(int limit = 200) {
        for (int i = 0; i < limit; ++i) {
            answer();
            if (session.commandNumber() == 0) return;
        }
    }

    // Starts the session and answers the first identity reply, so that the
    // firmware is known; the port record is cleared afterwards.
    void startAndIdentify() {
        session.start();
        answer();
        port.clear();
        events.clear();
    }

    // The frames sent so far without LRC and CR LF.
    std::vector<std::string> bodies() const {
        std::vector<std::string> out;
        for (const std::string& f : port.frames) out.push_back(f.size() >= 4 ? f.substr(0, f.size() - 4) : f);
        return out;
    }
};

// A test on a fresh harness, and one whose panel has answered the first
// identity reply.
class SessionFixture : public ::testing::Test {
protected:
    SessionHarness h;
};
class IdentifiedSessionFixture : public SessionFixture {
protected:
    void SetUp() override { h.startAndIdentify(); }
};

}  // namespace mr420::test
