#include "recording/MeasurementFile.h"

#include <cmath>

#include <cstdio>

#include "recording/RecordFile.h"
#include "base/Win1250.h"
#include "base/ValueFormat.h"

namespace mr420 {

namespace {

constexpr char kCheckMark = '@';

unsigned long byteSum(std::string_view text) {
    unsigned long sum = 0;
    for (char c : text) sum += static_cast<unsigned char>(c);
    return sum;
}

char firstCheckByte(unsigned long sum) { return static_cast<char>(sum % 253 + 1); }
char secondCheckByte(unsigned long sum) { return static_cast<char>(sum % 251 + 1); }

}  // namespace

std::string encodeRecord(std::string_view text) {
    const unsigned long sum = byteSum(text);
    std::string plain(text);
    plain.push_back(kCheckMark);
    plain.push_back(firstCheckByte(sum));
    plain.push_back(secondCheckByte(sum));
    return negateBytes(plain);
}

std::string negateBytes(std::string_view bytes) {
    std::string out(bytes);
    for (char& c : out) c = negateByte(c);
    return out;
}

DecodedRecord decodeRecordAt(std::string_view plain, std::size_t pos) {
    DecodedRecord r;
    const std::size_t at = plain.find(kCheckMark, pos);
    if (at == std::string_view::npos || at + 2 >= plain.size()) return r;
    r.text = plain.substr(pos, at - pos);
    r.length = at + 3 - pos;
    bool ascii = true;
    for (char c : r.text) ascii &= static_cast<unsigned char>(c) < 0x80 && c != 0;
    const unsigned long sum = byteSum(r.text);
    r.status = ascii && plain[at + 1] == firstCheckByte(sum) && plain[at + 2] == secondCheckByte(sum)
                   ? DecodedRecord::Status::Whole
                   : DecodedRecord::Status::CheckFailed;
    return r;
}

bool isRecordStartAt(std::string_view plain, std::size_t p) {
    if (p + kRecordStartLength > plain.size()) return false;
    for (std::size_t i = 0; i + 1 < kRecordStartLength; ++i)
        if (plain[p + i] < '0' || plain[p + i] > '9') return false;
    return plain[p + kRecordStartLength - 1] == '$';
}

bool looksLikeMeasurementFile(std::string_view stored) {
    return stored.size() >= kRecordStartLength && isRecordStartAt(negateBytes(stored.substr(0, kRecordStartLength)), 0);
}

bool isMeasurementFileName(std::string_view path) {
    if (path.size() < 4) return false;
    std::string ext(path.substr(path.size() - 4));
    for (char& c : ext) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return ext == ".qvg";
}

std::string recordTimeStamp(const LocalTime& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d%02d$", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buffer;
}

namespace {

void appendGroup(std::string& out, long device, long serial, int quantity, const std::string& value) {
    out += std::to_string(device);
    out += ',';
    out += std::to_string(serial);
    out += ',';
    out += std::to_string(quantity);
    out += ',';
    out += value;
    out += ",1$";
}

// Tenths cut toward zero, written with a full stop.
std::string cutValue(double v) {
    return formatFullStop(cutToTenths(v), 1);
}

std::string temperatureValue(double v, bool twoDecimals, bool cut) {
    if (twoDecimals) return formatFullStop(v, 2);
    return cut ? cutValue(v) : formatFullStop(v, 1);
}

}  // namespace

std::string liveRecordText(const LocalTime& time, const LiveReadings& panes, const ProbeSources& s) {
    std::string text = recordTimeStamp(time);
    long device = qvg::kDeviceNone;
    long serial = 0;
    if (!s.mr411Absent) {
        device = qvg::kDeviceMr411;
        serial = s.mr411SerialNumber;
    } else if (!s.mr466Absent) {
        device = qvg::kDeviceMr466;
        serial = s.mr466SerialNumber;
    }
    const bool two = s.temperatureTwoDecimals;
    if (panes[kChannelTemp1].valid())
        appendGroup(text, device, serial, qvg::kTemperature1, temperatureValue(panes[kChannelTemp1].value, two, true));
    if (panes[kChannelTemp2].valid())
        appendGroup(text, device, serial, qvg::kTemperature2, temperatureValue(panes[kChannelTemp2].value, two, true));
    if (panes[kChannelPressure].valid() && !s.pressureAbsent)
        appendGroup(text, qvg::kDevicePanel, s.panelSerialNumber, qvg::kPressure,
                    formatFullStop(panes[kChannelPressure].value, 1));
    if (panes[kChannelRh].valid()) appendGroup(text, device, serial, qvg::kHumidity, cutValue(panes[kChannelRh].value));
    if (panes[kChannelDp].valid()) appendGroup(text, device, serial, qvg::kDewPoint, cutValue(panes[kChannelDp].value));
    if (panes[kChannelWb].valid())
        appendGroup(text, device, serial, qvg::kVapour, formatFullStop(panes[kChannelWb].value, 0));
    return text;
}

std::string memoryRecordText(const MemoryRecord& r, long panelSerialNumber) {
    std::string text = recordTimeStamp(r.time);
    const long device = qvg::kDeviceNone;
    if (r.temperature1Present && !r.temperature1Error)
        appendGroup(text, device, panelSerialNumber, qvg::kTemperature1,
                    temperatureValue(r.temperature1, r.twoDecimals, false));
    if (r.temperature2Present && !r.temperature2Error)
        appendGroup(text, device, panelSerialNumber, qvg::kTemperature2,
                    temperatureValue(r.temperature2, r.twoDecimals, false));
    if (r.humidityPresent && !r.humidityError)
        appendGroup(text, device, panelSerialNumber, qvg::kHumidity, formatFullStop(r.humidity, 1));
    if (r.pressurePresent && !r.pressureError)
        appendGroup(text, device, panelSerialNumber, qvg::kPressure, formatFullStop(r.pressure, 1));
    // A computed value that is not meaningful (NaN) is left out.
    if (r.dewPointComputed && std::isfinite(r.dewPoint))
        appendGroup(text, device, panelSerialNumber, qvg::kDewPoint, formatFullStop(r.dewPoint, 1));
    if (r.vapourComputed && std::isfinite(r.vapourPpm))
        appendGroup(text, device, panelSerialNumber, qvg::kVapour, formatFullStop(r.vapourPpm, 0));
    return text;
}

bool writeMemoryRecords(RecordFile& file, const std::vector<MemoryRecord>& records, long panelSerialNumber) {
    bool allWritten = true;
    for (const MemoryRecord& r : records)
        if (!file.writeUnsynced(encodeRecord(memoryRecordText(r, panelSerialNumber)))) allWritten = false;
    return allWritten;
}

}  // namespace mr420
