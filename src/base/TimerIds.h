#pragma once
// Fixed timer identifiers of the main window and its panes, each defined once.

namespace mr420::timer_id {

constexpr int kReplyTimeout = 1030;        // 6000 ms, restarted by every send
constexpr int kFailurePause = 1080;        // 50 ms pause after eleven bad lines
constexpr int kSettingsReadPeriod = 1067;  // 12000 ms after the panel first answers
constexpr int kPortChoiceRetry = 1069;     // 500 ms
constexpr int kPromotion = 1070;           // 100 ms after start
constexpr int kPortReopenRetry = 1081;     // quiet retry of a configured port that was missing
constexpr int kPortPresence = 1082;        // while a port is open: has its device gone or come back?
constexpr int kLineQuiet = 1083;           // 40 ms without a character before a resend
constexpr int kRegistration = 1034;        // registration interval
constexpr int kMemoryData = 1027;          // 12 s memory data time-out
constexpr int kMemoryErase = 1033;         // 15 s erase time-out
constexpr int kPaneBlink = 1052;           // 500 ms, one per pane
constexpr int kCliHousekeeping = 1090;     // 100 ms: wakes the command line's loop to look at the signals

constexpr int kReplyTimeoutMs = 6000;
constexpr int kFailurePauseMs = 50;
constexpr int kLineQuietMs = 40;           // about four characters at 9600 baud
constexpr int kSettingsReadPeriodMs = 12000;

}  // namespace mr420::timer_id
