#pragma once
// Every numbered timer of the program, each defined once. TimerRouter hands
// an expiry to the one handler of its id, so two timers that can run at the
// same time never share an id.

namespace mr420::timer_id {

// The session and the port.
constexpr int kReplyTimeout = 1030;        // 6000 ms, restarted by every send
constexpr int kFailurePause = 1080;        // 50 ms pause after eleven bad lines
constexpr int kPortReopenRetry = 1081;     // quiet retry of a configured port that was missing
constexpr int kPortPresence = 1082;        // while a port is open: has its device gone or come back?
constexpr int kLineQuiet = 1083;           // 40 ms without a character before a resend

// The main window and its panes.
constexpr int kSettingsReadPeriod = 1067;  // 12000 ms after the panel first answers
constexpr int kPortChoiceRetry = 1069;     // 500 ms
constexpr int kPromotion = 1070;           // 100 ms after start
constexpr int kRegistration = 1034;        // registration interval
constexpr int kMemoryData = 1027;          // 12 s memory data time-out
constexpr int kMemoryErase = 1033;         // 15 s erase time-out
constexpr int kPaneBlink = 1052;           // 500 ms, one per pane

// The configuration dialogs: the read of the open one (one at a time, while
// the port's presence timer runs), and the write of each.
constexpr int kConfigRead = 1084;
constexpr int kClockWrite = 1031;
constexpr int kModemWrite = 1035;
constexpr int kLoggingWrite = 1047;
constexpr int kThresholdsWrite = 1048;
constexpr int kAutoOffWrite = 1055;
constexpr int kDisplayWrite = 1059;
constexpr int kDefaultPressureWrite = 1061;
constexpr int kPinWrite = 1064;
constexpr int kPapWrite = 1068;
constexpr int kHistoryDisplayWrite = 1071;
constexpr int kExceedanceWrite = 1072;
constexpr int kBatteryWrite = 1075;
constexpr int kPowerLossWrite = 1076;

// The service (mr420-cli serve).
constexpr int kServiceHousekeeping = 1091;  // 1 s: the service's status, watchdog and daily download
constexpr int kServiceCommand = 1092;       // 1 ms once: a command a client sent runs

constexpr int kReplyTimeoutMs = 6000;
constexpr int kFailurePauseMs = 50;
constexpr int kLineQuietMs = 40;           // about four characters at 9600 baud
constexpr int kSettingsReadPeriodMs = 12000;

}  // namespace mr420::timer_id
