#pragma once
// What the simulated panel is: identity, probe, readings, clock, options,
// memory and every setting that a read command returns. A plain record: the
// simulated panel answers from it and write commands change it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/PanelCalendar.h"

namespace mr420::sim {

enum class ProbeKind {
    None,
    Mr411Full,                 // temperature 1 and humidity
    Mr411NoTemperature,        // humidity only
    Mr411NoHumidity,           // temperature 1 only
    Mr466Temperature1,         // temperature 1
    Mr466Temperatures12,       // temperatures 1 and 2
    Mr466TemperatureHumidity,  // temperature 1 with humidity
};

constexpr bool isMr411(ProbeKind k) {
    return k == ProbeKind::Mr411Full || k == ProbeKind::Mr411NoTemperature || k == ProbeKind::Mr411NoHumidity;
}
constexpr bool isMr466(ProbeKind k) {
    return k == ProbeKind::Mr466Temperature1 || k == ProbeKind::Mr466Temperatures12 ||
           k == ProbeKind::Mr466TemperatureHumidity;
}

struct Readings {
    double temperature1 = 21.5;       // deg C
    double temperature2 = 18.3;       // deg C
    double relativeHumidity = 45.2;   // %
    double dewPoint = 9.1;            // deg C
    double waterVapourPpm = 11450;    // ppm
    double pressure = 1013.2;         // hPa
    bool temperature1Error = false;
    bool temperature2Error = false;
    bool relativeHumidityError = false;
    bool dewPointError = false;
    bool waterVapourError = false;
    bool pressureError = false;
};

// Version, serial and calibration date of a probe or module. The month is
// 1..16 and the year lies in the 16 years the reply can carry (see the probe).
struct CalibrationInfo {
    int version = 1;
    int serialNumber = 0;
    int month = 1;
    int year = 2010;
};

constexpr int kSmsTextLength = 14;    // characters a read returns
constexpr int kSmsSlotLength = 15;    // positions the five 3-character chunks fill
constexpr int kLongTextLength = 32;
constexpr int kLongSlotLength = 33;   // eleven chunks
constexpr int kMaxMemoryBlocks = 256;
constexpr int kBlockBytes = 256;

struct PanelModel {
    // Identity and options.
    int firmwareVersion = 208;        // 100 * major + minor
    int panelSerialNumber = 4711;
    bool measurementError = false;
    bool mr411Supported = true;       // the firmware handles an MR411
    bool mr466Supported = true;       // the firmware handles an MR466
    bool printer = true;
    bool modem = false;
    bool modemHandlingEnabled = true;

    // Probe.
    ProbeKind probe = ProbeKind::Mr411Full;
    bool mr466FineResolution = false;   // MR466 may send hundredths
    bool mr411TwoDecimals = false;      // MR411 marks its temperature as carrying hundredths
    bool probeCalibrationError = false;
    CalibrationInfo mr411Calibration{5, 2231, 3, 2012};    // year 2004..2019 for version 5, else 1993..2008
    CalibrationInfo mr466Calibration{3, 7310, 10, 2011};   // year 2001..2016

    // Barometer module.
    bool barometerPresent = true;
    CalibrationInfo barometerCalibration{2, 0, 6, 2009};   // year 2001..2016

    Readings readings;
    bool animateReadings = false;       // readings drift slowly with the time source

    // Panel clock: seconds since 2000-01-01 00:00:00 (panel local time).
    std::uint32_t clockSeconds = 0;

    // Memory: its size as reported, and the blocks that hold data (up to 256
    // blocks of 256 bytes; blocks beyond the image read as erased).
    int memorySizeBlocks = 8;
    std::vector<std::uint8_t> memoryImage;
    int loggingInterval = 15;           // minutes
    int loggingFlags = 0;

    // Display and general settings.
    int autoOffTime = 24;               // units of 5 s
    int displayFlags = 0x0003;
    int defaultPressure = 161;          // (hPa - 690) / 2
    int historyDisplay = 0x0083;

    // Modem and GPRS.
    int modemOptions = 0;
    std::array<std::string, 6> smsNumbers;   // raw slot bytes, up to 15; missing bytes read as 0xFF
    std::array<std::uint8_t, 4> serverAddress{};
    int serverPort = 0;
    std::array<std::uint8_t, 4> backupServerAddress{};
    int backupServerPort = 0;
    std::string apn;                    // raw slot bytes, up to 33
    std::string papLogin;
    std::string papPassword;            // write-only on the panel
    std::string stationName;            // raw slot bytes, up to 15
    int internetAllowed = 0;
    int connectionAttemptsPerDay = 3;
    std::optional<int> pin;             // last PIN set, 0..9999

    // Alarms.
    std::array<std::int32_t, 8> alarmThresholds{};   // 0..3 signed, 4..7 unsigned 24-bit
    std::array<std::int32_t, 4> alarmHysteresis{};
    int alarmThresholdFlags = 0;
    int alarmRepeatTime = 0;            // units of 10 minutes
    std::array<std::int32_t, 8> exceedanceLimits{};  // 0..3 signed, 4..7 unsigned 24-bit
    int exceedanceFlags = 0;
    int exceedanceDelay = 0;            // minutes
    int batteryAlarm = 0;
    int powerLossAlarm = 0;
    int powerLossDelay = 0;             // minutes

    // Status byte of block k: 0xFF when the block lies beyond the image.
    std::uint8_t blockStatus(int block) const;
    // The 256 bytes of block k (0xFF-filled beyond the image).
    std::array<std::uint8_t, kBlockBytes> block(int block) const;
    void eraseMemory();
};

// Sets dew point and water-vapour content to match temperature 1, humidity
// and pressure (Magnus formula), so the readings stay plausible.
void deriveHumidityValues(Readings& readings);

// The computer's local time now, as panel seconds.
std::uint32_t panelSecondsNow();

}  // namespace mr420::sim
