#pragma once
// Writer of the binary measurement file (.qvg) read by the chart program: a
// plain run of self-contained records, each an ASCII text with two check
// bytes, stored with every byte negated. Values always carry a full stop.

#include <string>
#include <string_view>
#include <vector>

#include "ui/LiveReadings.h"
#include "recording/MemoryRecord.h"

namespace mr420 {

class RecordFile;

namespace qvg {
constexpr int kDevicePanel = 103;    // the panel's own barometer
constexpr int kDeviceMr411 = 104;
constexpr int kDeviceMr466 = 105;
constexpr int kDeviceNone = 106;     // no probe answered, or panel memory

constexpr int kTemperature1 = 30;
constexpr int kTemperature2 = 31;
constexpr int kPressure = 27;
constexpr int kHumidity = 26;
constexpr int kDewPoint = 24;
constexpr int kVapour = 23;
}  // namespace qvg

// What a live record takes from the panel state besides the panes.
struct ProbeSources {
    bool mr411Absent = true;
    bool mr466Absent = true;
    long mr411SerialNumber = 0;
    long mr466SerialNumber = 0;
    bool pressureAbsent = true;
    long panelSerialNumber = 0;
    bool temperatureTwoDecimals = false;
};

// Appends the check mark and check bytes to the plain record text and
// negates every byte.
std::string encodeRecord(std::string_view text);

// Negation is its own inverse; decodes a stored record.
std::string negateBytes(std::string_view bytes);
inline char negateByte(char c) { return static_cast<char>((256 - static_cast<unsigned char>(c)) % 256); }

// One record found in decoded (negated back) bytes.
struct DecodedRecord {
    enum class Status { Whole, CheckFailed, Cut };
    Status status = Status::Cut;
    std::string_view text;    // the plain record text, without check mark and bytes
    std::size_t length = 0;   // bytes the record takes, check bytes included
};

// The record that starts at `pos` of decoded bytes: its text runs to the
// next check mark "@", which two check bytes follow; Cut when there is no
// such mark with its bytes, CheckFailed when the bytes do not match the
// text (or the text holds other than ASCII).
DecodedRecord decodeRecordAt(std::string_view plain, std::size_t pos);

// Whether decoded bytes at `pos` start like a record: a 14-digit time stamp and "$".
constexpr std::size_t kRecordStartLength = 15;
bool isRecordStartAt(std::string_view plain, std::size_t pos);
// Whether stored bytes begin with a record: a measurement file by its content.
bool looksLikeMeasurementFile(std::string_view stored);

// A measurement file's name: the last four characters, lower-cased, are ".qvg".
bool isMeasurementFileName(std::string_view path);

// "%04d%02d%02d%02d%02d%02d" followed by "$".
std::string recordTimeStamp(const LocalTime& time);

// Plain text of a live record: every valid pane, whatever the text file's
// channel selection. Temperatures without hundredths, humidity and dew point
// keep the tenths the pane shows (cut, not rounded).
std::string liveRecordText(const LocalTime& time, const LiveReadings& panes, const ProbeSources& sources);

// Plain text of one downloaded memory record (device 106, the serial captured
// when the read-out began).
std::string memoryRecordText(const MemoryRecord& record, long panelSerialNumber);

// Appends one encoded record per memory record in list order without syncing
// each; returns false when any write failed (the rest are still written).
bool writeMemoryRecords(RecordFile& file, const std::vector<MemoryRecord>& records, long panelSerialNumber);

}  // namespace mr420
