#pragma once
// A PanelConnection on the plain event loop, wired the way a front end
// without Qt wires it, recording every display refresh.

#include <optional>
#include <string>
#include <vector>

#include "base/EventLoop.h"
#include "base/TimerRouter.h"
#include "protocol/PanelConnection.h"

namespace mr420::test {

struct ConnectionRig : DisplayListener {
    EventLoop loop;
    TimerRouter timers{loop};
    PanelConnection connection{timers, loop, [this] { loop.pumpOnce(); }};
    std::vector<bool> refreshes;

    ConnectionRig() {
        loop.setByteHandler([this](char c) { connection.onCharacter(c); });
        loop.setTimerHandler([this](int id) { timers.dispatch(id); });
        connection.session().setDisplayListener(this);
    }
    ~ConnectionRig() override { connection.closePort(); }

    void refreshDisplay(bool connected) override { refreshes.push_back(connected); }

    int connectedCycles() const {
        int n = 0;
        for (bool c : refreshes) n += c ? 1 : 0;
        return n;
    }
    PanelState& state() { return connection.state(); }

    // Opens the device and starts the session; the failure when it does not open.
    std::optional<PortOpenFailure> openAndStart(const std::string& path) {
        auto failure = connection.openDevice(path);
        if (!failure) connection.start();
        return failure;
    }
};

}  // namespace mr420::test
