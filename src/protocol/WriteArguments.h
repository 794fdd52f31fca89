#pragma once
// Values that write commands send, filled by the requester before it requests
// the write. Field names and units match the PanelState fields that the matching
// read fills; clockSeconds, pin and papPassword have no read-back.

#include <array>
#include <cstdint>
#include <string>

namespace mr420 {

struct WriteArguments {
    std::uint32_t clockSeconds = 0;        // seconds since 2000-01-01 00:00:00
    std::uint32_t loggingInterval = 0;     // minutes
    std::uint32_t loggingFlags = 0;
    std::uint32_t autoOffTime = 0;         // 8-bit, units of 5 s
    std::uint32_t displayFlags = 0;
    std::uint32_t defaultPressure = 0;
    std::uint32_t historyDisplay = 0;
    std::uint32_t modemOptions = 0;
    std::array<std::string, 6> smsNumbers; // up to 14 characters, padded with spaces
    std::array<std::uint8_t, 4> serverAddress{};
    std::array<std::uint8_t, 4> backupServerAddress{};
    std::uint32_t serverPort = 0;
    std::uint32_t backupServerPort = 0;
    std::string apn;                       // up to 32 characters, padded with spaces
    std::string papLogin;
    std::string papPassword;
    std::string stationName;               // up to 14 characters
    std::uint32_t internetAllowed = 0;
    std::uint32_t connectionAttemptsPerDay = 0;
    std::array<std::int32_t, 8> alarmThresholds{};   // 24-bit on the wire, 0..3 signed
    std::array<std::int32_t, 4> alarmHysteresis{};   // indices 64..67 on the wire
    std::uint32_t alarmRepeatTime = 0;
    std::uint32_t alarmThresholdFlags = 0;
    std::array<std::int32_t, 8> exceedanceLimits{};  // 24-bit on the wire, 0..3 signed
    std::uint32_t exceedanceFlags = 0;
    std::uint32_t exceedanceDelay = 0;
    std::uint32_t batteryAlarm = 0;
    std::uint32_t powerLossAlarm = 0;
    std::uint32_t powerLossDelay = 0;
    std::uint32_t pin = 0;                 // 0..9999
};

// Counters of the session's multi-frame chains, read by the command builder.
struct ChainCounters {
    int stringIndex = 0;      // 0..5: 025400, 025500
    int chunkIndex = 0;       // 0..4, or 0..10 for the 32-character texts
    int textSelector = 0;     // 026300: 0 apn, 1 papLogin, 2 papPassword
    int longTextIndex = 0;    // 026200: 0..1
    int thresholdIndex = 0;   // 0..7 and 64..67: 025D00, 025E00
    int exceedanceIndex = 0;  // 0..7: 026800, 026900
    int blockCounter = 0;     // 041000, 041100
};

}  // namespace mr420
