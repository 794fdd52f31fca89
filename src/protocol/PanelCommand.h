#pragma once
// The closed set of the panel's 63 commands. One table holds, per command, its
// six-digit code, its frame (fixed, or the data it carries), the reply's minimum
// length and refusal digit, and which "written" flag a write acknowledges.
// The command builder, the reply parser and the simulated panel all read
// this table.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "protocol/PanelState.h"

namespace mr420 {

enum class PanelCommand : int {
    Identity = 0,                // 020A00
    Mr466Info = 1,               // 050100
    Mr466Readings = 2,           // 020200
    Mr411Readings = 3,           // 020000
    Mr411Info = 4,               // 010100
    Pressure = 5,                // 020100
    Options = 6,                 // 020B00
    ReadClock = 7,               // 030000
    SetClock = 8,                // 031000
    ReadMemorySettings = 9,      // 040000
    WriteLoggingInterval = 10,   // 040100
    WriteLoggingFlags = 11,      // 040200
    CloseLoggingWrite = 12,      // 040300
    SelectMemoryBlock = 13,      // 041000
    ReadMemoryBlock = 14,        // 041100
    EraseMemory = 15,            // 041500
    ReadModemOptions = 16,       // 025000
    ReadAlarmRepeatTime = 17,    // 025200
    ReadSmsNumber = 18,          // 025400
    ReadServerAddress = 19,      // 025900
    ReadServerPort = 20,         // 025B00
    ReadLongText = 21,           // 026200
    ReadStationName = 22,        // 026400
    WriteModemOptions = 23,      // 025100
    WriteSmsChunk = 24,          // 025500
    BarometerInfo = 25,          // 060100
    WriteServerAddress = 26,     // 025A00
    WriteServerPort = 27,        // 025C00
    ReadThreshold = 28,          // 025D00
    WriteLongTextChunk = 29,     // 026300
    WriteStationChunk = 30,      // 026500
    ReadThresholdFlags = 31,     // 026000
    WriteThreshold = 32,         // 025E00
    WriteThresholdFlags = 33,    // 026100
    ReadAutoOff = 34,            // 023400
    WriteAutoOff = 35,           // 023500
    ReadDisplayFlags = 36,       // 023800
    WriteDisplayFlags = 37,      // 023900
    ReadDefaultPressure = 38,    // 024000
    WriteDefaultPressure = 39,   // 024100
    WriteAlarmRepeatTime = 40,   // 025300
    SetPin = 41,                 // 025600
    ReadHistoryDisplay = 42,     // 024800
    WriteHistoryDisplay = 43,    // 024900
    ReadExceedanceLimit = 44,    // 026800
    WriteExceedanceLimit = 45,   // 026900
    ReadExceedanceFlags = 46,    // 026A00
    WriteExceedanceFlags = 47,   // 026B00
    ReadExceedanceDelay = 48,    // 026C00
    WriteExceedanceDelay = 49,   // 026D00
    ReadBatteryAlarm = 50,       // 026600
    WriteBatteryAlarm = 51,      // 026700
    ReadPowerLossAlarm = 52,     // 027100
    WritePowerLossAlarm = 53,    // 027200
    WritePowerLossDelay = 54,    // 027300
    ReadInternetAllowed = 55,    // 027400
    WriteInternetAllowed = 56,   // 027500
    ReadBackupServerAddress = 57,   // 027600
    WriteBackupServerAddress = 58,  // 027700
    ReadBackupServerPort = 59,      // 027800
    WriteBackupServerPort = 60,     // 027900
    ReadConnectionAttempts = 61,    // 027A00
    WriteConnectionAttempts = 62,   // 027B00
};

constexpr int kCommandCount = 63;
static_assert(ReceivedReplies::kCommands == kCommandCount);
constexpr bool isValidCommandNumber(int n) { return n >= 0 && n < kCommandCount; }
constexpr int toNumber(PanelCommand c) { return static_cast<int>(c); }

// Where the data of a frame comes from (WriteArguments or the chain counters).
enum class FrameData : std::uint8_t {
    None,                 // fixed frame
    StringIndexDigit,     // "0" + stringIndex digit (025400)
    LongTextIndexDigit,   // "0" + longTextIndex digit (026200)
    StationNameIndex,     // constant "00" (026400)
    ClockSeconds,         // %08X
    LoggingInterval,      // %04X
    LoggingFlags,         // %04X
    BlockSelect,          // blockCounter %02X then "00"
    BlockRead,            // blockCounter %02X
    ModemOptions,         // %04X
    SmsChunk,             // %d%d + three characters of smsNumbers[stringIndex]
    ServerAddress,        // four octets %02X
    ServerPort,           // %04X
    ThresholdIndex,       // thresholdIndex %02X
    LongTextChunk,        // %X%X + three characters of apn / papLogin / papPassword
    StationChunk,         // 0%X + three characters of stationName
    ThresholdValue,       // thresholdIndex %02X + 24-bit value %06X
    AlarmThresholdFlags,  // %04X
    AutoOffTime,          // %02X
    DisplayFlags,         // %04X
    DefaultPressure,      // %04X
    AlarmRepeatTime,      // %04X
    Pin,                  // four character codes of the four PIN digits
    HistoryDisplay,       // %04X
    ExceedanceIndex,      // exceedanceIndex %02X
    ExceedanceValue,      // exceedanceIndex %02X + 24-bit value %06X
    ExceedanceFlags,      // %04X
    ExceedanceDelay,      // %04X
    BatteryAlarm,         // %02X
    PowerLossAlarm,       // %02X
    PowerLossDelay,       // %04X
    InternetAllowed,      // %02X
    BackupServerAddress,  // four octets %02X
    BackupServerPort,     // %04X
    ConnectionAttempts,   // %04X
};

constexpr int kNoRefusalDigit = -1;

struct CommandSpec {
    int number;
    std::string_view code;         // six upper-case hex digits as sent
    std::string_view fixedFrame;   // full frame without CR LF, or empty for data frames
    FrameData data;
    int minReplyLength;            // CR LF included; 0 = no length check
    int refusedAt;                 // position of the refusal digit, or kNoRefusalDigit
    Flag PanelState::*acknowledges;   // "written" flag set by the reply, or nullptr
    bool callsWriteAcknowledged;   // the parser reports the ack to the owner
};

// Indexed by command number.
extern const std::array<CommandSpec, kCommandCount> kCommandTable;

// Command number for a six-digit code, or nullopt.
std::optional<int> commandNumberForCode(std::string_view code);

}  // namespace mr420
