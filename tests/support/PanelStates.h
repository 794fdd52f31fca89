#pragma once
// Panel settings as a reply brings them, for the tests of the models and
// dialogs that show them.

#include <cstdint>

#include "protocol/PanelState.h"

namespace mr420::test {

// A modem panel with every modem setting valid: PPP kept, modem only, SMS
// alarms; two SMS numbers, the server 192.168.1.10:5000, no backup server.
inline PanelState modemPanel(int firmware = 208) {
    PanelState s;
    s.firmwareVersion = firmware;
    s.modemOptions = 0x00A2;
    s.smsNumbers = {"48601000310", "600100200", "", "", "", ""};
    s.serverAddress = {192, 168, 1, 10};
    s.serverPort = 5000;
    s.backupServerAddress = {0, 0, 0, 0};
    s.backupServerPort = 5001;
    s.connectionAttemptsPerDay = 12;
    s.stationName = "Stacja1";
    s.apn = "internet";
    s.papLogin = "user";
    s.internetAllowed = 1;
    return s;
}

// A panel with the given logging interval and flags.
inline PanelState loggingPanel(std::int32_t interval, std::int32_t flags, std::int32_t firmware = 130) {
    PanelState s;
    s.loggingInterval = interval;
    s.loggingFlags = flags;
    s.firmwareVersion = firmware;
    return s;
}

}  // namespace mr420::test
