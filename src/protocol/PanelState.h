#pragma once
// Everything the program knows about the attached panel. The reply parser is
// its only writer; a requester clears a "written" flag just before it requests
// the write that acknowledges it. All fields start at zero and are never reset:
// a value stays as last received, also across a loss of communication.
// Whether a value was received at all is in `received`: a field whose reply
// never arrived still holds its zero, which is no value of the panel's.

#include <array>
#include <bitset>
#include <cstdint>
#include <string>

#include "base/PanelCalendar.h"

namespace mr420 {

using Flag = std::int32_t;   // 32-bit integer used as a boolean
using Word = std::int32_t;   // unsigned 16-bit value held in a 32-bit integer

// Which replies the parser accepted since the port was opened: one mark per
// command number and, for the indexed reads, per index as the reply names it
// (025D00 and 026800 by byte 7: thresholds 0..7 and 64..67, limits 0..7;
// 025400 and 026200 by digit 8: SMS numbers 0..5, APN 0 and PAP login 1).
// Other commands are marked under index 0. A value is shown, printed or
// written back only when the reply that carries it is marked here. The
// length of the first reply accepted per command is kept too: a panel
// answers a command with a line of one layout, so a later line of another
// length is a damaged one.
class ReceivedReplies {
public:
    static constexpr int kCommands = 63;
    static constexpr int kIndexes = 256;

    bool has(int commandNumber, int index = 0) const {
        return valid(commandNumber, index) && marks_[static_cast<std::size_t>(commandNumber)].test(static_cast<std::size_t>(index));
    }
    void mark(int commandNumber, int index = 0) {
        if (valid(commandNumber, index)) marks_[static_cast<std::size_t>(commandNumber)].set(static_cast<std::size_t>(index));
    }
    // True when every index in [first, last] of the command is marked.
    bool hasAll(int commandNumber, int first, int last) const {
        for (int i = first; i <= last; ++i)
            if (!has(commandNumber, i)) return false;
        return true;
    }
    void clear() {
        marks_ = {};
        lengths_ = {};
    }
    // Every mark of one command, as a new read of it starts.
    void forget(int commandNumber) {
        if (valid(commandNumber, 0)) marks_[static_cast<std::size_t>(commandNumber)].reset();
    }

    // Length (CR LF included) of the reply accepted first, 0 = none yet.
    int replyLength(int commandNumber) const {
        return valid(commandNumber, 0) ? lengths_[static_cast<std::size_t>(commandNumber)] : 0;
    }
    void noteLength(int commandNumber, int length) {
        if (valid(commandNumber, 0) && lengths_[static_cast<std::size_t>(commandNumber)] == 0)
            lengths_[static_cast<std::size_t>(commandNumber)] = length;
    }

    void forgetLengths() { lengths_ = {}; }

private:
    static constexpr bool valid(int c, int i) { return c >= 0 && c < kCommands && i >= 0 && i < kIndexes; }
    std::array<std::bitset<kIndexes>, kCommands> marks_{};
    std::array<int, kCommands> lengths_{};
};

constexpr int kLineCopySize = 1000;   // characters kept of the last received line
constexpr int kMemoryBlockSize = 256;

struct PanelState {
    std::int32_t internetAllowed = 0;   // byte, 0 = blocked (027400)
    Word powerLossDelay = 0;            // minutes (027100)
    Flag powerLossWritten = 0;          // ack of 027300
    std::int32_t powerLossAlarm = 0;    // byte (027100)
    Flag ignoredLine = 0;               // last line began with "09" or was empty
    Flag batteryWritten = 0;            // ack of 026700
    std::int32_t batteryAlarm = 0;      // byte (026600)
    Flag mr411NoHumidity = 0;           // 010100
    Flag mr411NoTemperature1 = 0;       // 010100
    Flag papWritten = 0;                // ack of the PAP password write (026300)
    Flag pinWritten = 0;                // ack of 025600
    Flag historyDisplayWritten = 0;     // ack of 024900
    Word historyDisplay = 0;            // 024800
    Word defaultPressure = 0;           // code (hPa - 690) / 2 (024000)
    Flag defaultPressureWritten = 0;    // ack of 024100
    Word displayFlags = 0;              // 023800
    Flag displayFlagsWritten = 0;       // ack of 023900
    std::int32_t autoOffTime = 0;       // byte, units of 5 s (023400)
    Flag autoOffWritten = 0;            // ack of 023500
    Flag thresholdsWritten = 0;         // ack of 026100
    Flag exceedanceWritten = 0;         // ack of 026B00
    Word alarmThresholdFlags = 0;       // 026000
    Word exceedanceFlags = 0;           // 026A00
    std::array<std::int32_t, 8> alarmThresholds{};   // tenths of the channel unit (025D00 0..7)
    std::array<std::int32_t, 4> alarmHysteresis{};   // tenths (025D00 64..67)
    std::array<std::int32_t, 8> exceedanceLimits{};  // tenths (026800)
    std::int32_t mr466Version = 0;
    std::int32_t mr466SerialNumber = 0;
    std::int32_t mr466CalibrationMonth = 0;
    std::int32_t mr466CalibrationYear = 0;
    std::int32_t mr411Version = 0;
    std::int32_t mr411SerialNumber = 0;
    std::int32_t mr411CalibrationMonth = 0;
    std::int32_t mr411CalibrationYear = 0;
    Flag barometerPresent = 0;          // 060100
    std::int32_t barometerVersion = 0;
    std::int32_t barometerCalibrationMonth = 0;
    std::int32_t barometerCalibrationYear = 0;
    Flag modemWritten = 0;              // ack of 027500, last write of the modem chain
    std::string stationName;            // up to 14 characters, 0xFF shown as space (026400)
    std::string papLogin;               // up to 32 characters (026200 index 1)
    std::string apn;                    // up to 32 characters (026200 index 0)
    Word serverPort = 0;                // 025B00
    std::array<std::uint8_t, 4> serverAddress{};        // first octet first (025900)
    Word backupServerPort = 0;          // 027800
    std::array<std::uint8_t, 4> backupServerAddress{};  // 027600
    Word connectionAttemptsPerDay = 0;  // 027A00
    std::array<std::string, 6> smsNumbers;  // 0 = SMS centre, 1..5 numbers (025400)
    Word exceedanceDelay = 0;           // minutes (026C00)
    Word alarmRepeatTime = 0;           // units of 10 minutes (025200)
    Word modemOptions = 0;              // 025000
    Flag modemHandlingEnabled = 0;      // 025000, 025D00, 026300, 025600
    std::array<std::uint8_t, kMemoryBlockSize> memoryBlock{};  // last block read (041100)
    Flag memoryBlockEmpty = 0;          // the selected block reads 0xFF (041000)
    Word memorySizeBlocks = 0;          // 256-byte blocks (040000)
    Flag memorySettingsWritten = 0;     // ack of 040300
    Word loggingFlags = 0;              // 040000
    Word loggingInterval = 0;           // minutes (040000)
    Flag temperatureTwoDecimals = 0;    // 020000, 020200
    double temperature1 = 0;            // deg C
    double temperature2 = 0;            // deg C
    double dewPoint = 0;                // deg C
    double waterVapourPpm = 0;          // ppm
    double pressure = 0;                // hPa
    double relativeHumidity = 0;        // %
    Flag temperature1Error = 0;
    Flag temperature2Error = 0;
    Flag dewPointError = 0;
    Flag waterVapourError = 0;
    Flag pressureError = 0;
    Flag relativeHumidityError = 0;
    std::int32_t firmwareVersion = 0;   // 100 * major + minor (020A00)
    Word panelSerialNumber = 0;         // 020A00
    Flag measurementError = 0;          // identity reply wrong or panel reports an error
    Flag mr466HasTemperature1 = 0;      // 050100
    Flag mr466HasTemperature2 = 0;
    Flag mr466FineResolution = 0;
    Flag mr466HasHumidity = 0;
    Flag mr466CalibrationError = 0;
    Flag mr466Absent = 0;
    Flag mr411CalibrationError = 0;
    Flag mr411Absent = 0;
    Flag pressureAbsent = 0;            // the panel uses its default pressure
    Flag mr411Supported = 0;            // firmware handles an MR411 (020A00)
    Flag mr466Supported = 0;            // firmware handles an MR466 (020A00)
    Flag printerSupported = 0;          // 020B00
    Flag modemSupported = 0;            // 020B00
    LocalTime panelClock;               // 030000
    Flag memoryErased = 0;              // ack of 041500
    Flag clockWritten = 0;              // ack of 031000
    std::int32_t lineLength = 0;        // characters in lineCopy
    std::array<char, kLineCopySize> lineCopy{};  // last line received, zero-terminated
    ReceivedReplies received;           // accepted replies since the port was opened
};

}  // namespace mr420
