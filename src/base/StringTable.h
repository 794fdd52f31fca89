#pragma once
// The program's string table: every user-visible text by numeric id. The
// Polish texts are built in (UTF-8); after the front end has loaded another
// language it installs an override that supplies that language's text per id.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/UserMessage.h"

namespace mr420 {

// Ids the code refers to by name.
namespace string_id {
constexpr int kAboutMenu = 101;
constexpr int kCannotOpenPort = 105;          // "%d" = COM number
constexpr int kDdeInitFailed = 121;
constexpr int kEraseMemoryQuestion = 125;
constexpr int kLogTitleTemperature1 = 160;    // column titles of the registration text file
constexpr int kLogTitleTemperature2 = 161;
constexpr int kLogTitleDewPoint = 162;
constexpr int kLogTitlePressure = 163;
constexpr int kLogTitleHumidity = 164;
constexpr int kLogTitleVapour = 165;
constexpr int kLogTitleDateTime = 166;
constexpr int kMemoryTitleDateTime = 168;     // column titles of the saved memory
constexpr int kMemoryTitleTemperature1 = 169;
constexpr int kMemoryTitleTemperature2 = 170;
constexpr int kMemoryTitleHumidity = 171;
constexpr int kMemoryTitlePressure = 172;
constexpr int kMemoryTitleDewPoint = 173;
constexpr int kMemoryTitleVapour = 174;
constexpr int kPanelNumberTitle = 189;
constexpr int kRegistrationEvery = 190;
constexpr int kPleaseWait = 194;
constexpr int kDdeStatusError = 195;
constexpr int kDdeStatusOk = 196;
constexpr int kStatusReadingSettings = 197;
constexpr int kStatusNoCommunication = 198;
constexpr int kStatusNoMeasurements = 200;
constexpr int kStatusMeasurementOk = 201;
constexpr int kStatusMr411Calibration = 202;
constexpr int kStatusMr466Calibration = 203;
constexpr int kStatusNoProbe = 204;
constexpr int kStatusDewPointError = 205;
constexpr int kStatusWaterVapourError = 206;
constexpr int kStatusTemperature1Error = 207;
constexpr int kStatusTemperature2Error = 208;
constexpr int kStatusPressureError = 209;
constexpr int kStatusHumidityError = 210;
constexpr int kLanguageMarker = 212;          // "PL" built in, "EN" in English
constexpr int kVersion = 225;
constexpr int kRegistrationWriteFailed = 227; // a registration record could not be written
constexpr int kPortNoSuchDevice = 240;
constexpr int kPortNotSerial = 241;
constexpr int kPortBusy = 242;
constexpr int kPortPermissionDenied = 243;
constexpr int kPortCheckAdapterHint = 244;
constexpr int kPortGroupHint = 245;            // "%s" twice = the device's group
constexpr int kPortUdevHint = 246;
constexpr int kCannotOpenDevice = 247;        // "%s" = device path
constexpr int kNotASettingsFile = 248;        // "%s" = the file named with --ini
constexpr int kPortInUseBy = 249;             // "%d" = PID, "%s" = program name
constexpr int kPortHeldByService = 250;       // "%s" = the service unit, "%s" = the command that stops it
constexpr int kReadSettingsFailedAlt = 104;   // the same text as 133
constexpr int kWriteSettingsFailedAlt = 109;  // the same text as 120
constexpr int kWriteSettingsFailed = 120;
constexpr int kReadSettingsFailed = 133;
constexpr int kClockWriteFailed = 300;
constexpr int kAutoOffReadFailed = 301;
constexpr int kAutoOffWriteFailed = 302;
constexpr int kDefaultPressureWriteFailed = 303;
constexpr int kModemWriteFailed = 304;
constexpr int kPinWriteFailed = 305;
constexpr int kPapWriteFailed = 306;
constexpr int kThresholdsWriteFailed = 307;
constexpr int kExceedanceWriteFailed = 308;
constexpr int kBatteryWriteFailed = 309;
constexpr int kPowerLossWriteFailed = 310;
constexpr int kDisplayReadFailed = 311;
constexpr int kDisplayWriteFailed = 312;
constexpr int kModemOffNotWritten = 313;
constexpr int kModemOff = 314;
constexpr int kNumberFormatError = 315;
constexpr int kDateBefore2000 = 316;
constexpr int kLoggingIntervalRange = 320;  // the memory-logging interval is outside 1 min..44 d 23 h 59 min
constexpr int kPowerLossDelayRange = 321;    // the power-loss delay is outside 0..60
constexpr int kBackupServerAddressMissing = 330;
constexpr int kBackupServerPortMissing = 331;
constexpr int kConnectionAttemptsRange = 332;
constexpr int kInternetUnblocked = 333;      // the GPRS/Internet permission was checked
constexpr int kInternetBlocked = 334;        // ... and unchecked
constexpr int kInternetBlockedNote = 335;    // the note under the permission while it is off
constexpr int kPinConfirm = 336;
constexpr int kPinFourDigits = 337;
constexpr int kPapConfirm = 338;
// Texts of "Informacje o panelu".
constexpr int kInfoPanelFirmware = 340;          // caption of the firmware version, two lines
constexpr int kInfoSerialNumber = 341;
constexpr int kInfoMemorySize = 342;             // "%d" = 256-byte blocks
constexpr int kInfoDefaultPressure = 343;
constexpr int kInfoBarometerCalibration = 344;
constexpr int kInfoModemSupport = 345;
constexpr int kInfoProbeMr411 = 346;
constexpr int kInfoProbeMr466 = 347;
constexpr int kInfoProbeVersion = 348;
constexpr int kInfoCalibrationDate = 349;
constexpr int kMemorySaveWriteFailed = 360;     // "%s" = the file, "%s" = the system's reason
constexpr int kGroupNotReadNothingPrinted = 361; // "%s" = the settings group (get)
constexpr int kGroupNotReadNothingWritten = 362; // "%s" = the settings group (set)
constexpr int kSettingNeedsFirmware = 363;       // "%s" = setting, firmware it needs, the panel's firmware
constexpr int kDateAfterPanelCount = 364;        // later than the panel's 32-bit count of seconds holds
constexpr int kCharacterNotInCodePage = 365;     // "%s" = the character (UserMessage::character)
// The chart viewer and its command line (month names 421..432, January first).
constexpr int kMonthJanuary = 421;
constexpr int kChartUsage = 433;  // the usage text
constexpr int kChartNoSuchFile = 434;  // %s = the file
constexpr int kChartNotAChartFile = 435;  // %s = the file
constexpr int kChartNoReadings = 436;  // %s = the file
constexpr int kChartCannotOpen = 437;  // %s = the file, %s = the system's reason
constexpr int kChartReadCount = 438;  // %s = the file, %d = readings
constexpr int kChartSkippedLine = 439;  // %s = the file, %d = line, %s = reason
constexpr int kChartSkippedRecord = 440;  // %s = the file, %d = record, %s = reason
constexpr int kChartMoreSkipped = 441;  // %s = the file, %d = count
constexpr int kChartBadDate = 442;  // %s = the argument
constexpr int kChartCannotWrite = 443;  // %s = the output file
constexpr int kChartNothingInSpan = 444;
constexpr int kChartUnknownOption = 445;  // %s = the option
constexpr int kChartOptionNeedsValue = 446;  // %s = the option
constexpr int kChartLeftAxis = 447;
constexpr int kChartRightAxis = 448;
constexpr int kChartNoAxis = 449;
constexpr int kChartThresholds = 450;
constexpr int kChartWritten = 451;  // %s = the output file
constexpr int kChartNoDisplay = 452;
}  // namespace string_id

// Text of a string id: the override's text if it has one, otherwise the
// built-in Polish text, otherwise empty.
std::string str(int id);

// The text of a message: its id's text, the character it names (if any) in
// place of the first "%s".
std::string messageText(const UserMessage& message);

// Installs (or, with an empty function, removes) the override.
void setStringOverride(std::function<std::optional<std::string>(int id)> lookup);

// Every id of the built-in table, ascending.
std::vector<int> allStringIds();

// Built-in Polish text of an id, nullptr if the table has none.
const char* builtinString(int id);

// Disambiguation under which an id's text is stored in a translation file
// (several ids share one Polish text): the id in decimal.
std::string translationKey(int id);

// Context names used in the translation files.
inline constexpr const char* kStringContext = "StringTable";
inline constexpr const char* kMenuContext = "Menu";

}  // namespace mr420
