#include "sim/SimulatedPanel.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "protocol/Frame.h"
#include "protocol/PanelCommand.h"

namespace mr420::sim {

namespace {

using C = PanelCommand;
using D = FrameData;

constexpr double kPi = 3.14159265358979323846;

std::string hex(std::uint32_t value, int digits) {
    std::string out;
    appendHex(out, value, digits);
    return out;
}

bool isUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// Two's complement of a signed value on `digits` hex digits.
std::uint32_t twos(std::int64_t value, int digits) {
    const std::uint64_t modulus = std::uint64_t{1} << (4 * digits);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) & (modulus - 1));
}

std::int64_t hundredths(double v) { return std::llround(v * 100.0); }

// Number of data digits each frame kind carries after its code.
int dataDigits(FrameData data) {
    switch (data) {
    case D::None: return 0;
    case D::StringIndexDigit:
    case D::LongTextIndexDigit:
    case D::StationNameIndex:
    case D::BlockRead:
    case D::ThresholdIndex:
    case D::AutoOffTime:
    case D::ExceedanceIndex:
    case D::BatteryAlarm:
    case D::PowerLossAlarm:
    case D::InternetAllowed: return 2;
    case D::LoggingInterval:
    case D::LoggingFlags:
    case D::BlockSelect:
    case D::ModemOptions:
    case D::ServerPort:
    case D::AlarmThresholdFlags:
    case D::DisplayFlags:
    case D::DefaultPressure:
    case D::AlarmRepeatTime:
    case D::HistoryDisplay:
    case D::ExceedanceFlags:
    case D::ExceedanceDelay:
    case D::PowerLossDelay:
    case D::BackupServerPort:
    case D::ConnectionAttempts: return 4;
    case D::ClockSeconds:
    case D::SmsChunk:
    case D::ServerAddress:
    case D::LongTextChunk:
    case D::StationChunk:
    case D::ThresholdValue:
    case D::Pin:
    case D::ExceedanceValue:
    case D::BackupServerAddress: return 8;
    }
    return 0;
}

// Data digits of a frame, read as numbers.
class Data {
public:
    explicit Data(std::string_view digits) : d_(digits) {}
    std::uint32_t value(std::size_t at, std::size_t count) const {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < count; ++i) v = (v << 4) | static_cast<std::uint32_t>(hexDigitValue(d_[at + i]));
        return v;
    }
    int byte(std::size_t at) const { return static_cast<int>(value(at, 2)); }
    int digit(std::size_t at) const { return hexDigitValue(d_[at]); }
    bool decimal(std::size_t at) const { return d_[at] >= '0' && d_[at] <= '9'; }
    int all() const { return static_cast<int>(value(0, d_.size())); }
    std::string_view text() const { return d_; }

private:
    std::string_view d_;
};

// A reply line under construction: the code, then colon-separated groups of
// an even number of digits, so every byte pair lies inside one group.
class Line {
public:
    explicit Line(std::string_view code) : text_(code) {}
    Line& group(const std::string& digits) {
        text_ += ':';
        text_ += digits;
        return *this;
    }
    Line& value(std::uint32_t v, int digits) { return group(hex(v, digits)); }
    // A group of zeros long enough to reach `position` (the refusal digit).
    Line& statusGroup(int position) {
        const int start = static_cast<int>(text_.size()) + 1;
        int length = 2;
        if (position >= start) length = ((position - start + 1) + 1) / 2 * 2;
        return group(std::string(static_cast<std::size_t>(length), '0'));
    }
    // Sets bits of the digit at an absolute position of the line.
    void setBits(int position, int bits) {
        if (position < 0 || static_cast<std::size_t>(position) >= text_.size()) return;
        char& c = text_[static_cast<std::size_t>(position)];
        if (!isUpperHex(c)) return;
        c = "0123456789ABCDEF"[(hexDigitValue(c) | bits) & 0xF];
    }
    std::string finish() const {
        std::string out = text_;
        out += ':';
        appendHex(out, lrcOfSum(pairSum(text_.data(), text_.size())), 2);
        out += "\r\n";
        return out;
    }

private:
    std::string text_;
};

// Bytes of a text slot as the panel keeps it: unwritten positions are 0xFF.
std::string slotDigits(const std::string& slot, int count) {
    std::string out;
    for (int j = 0; j < count; ++j) {
        const auto b = static_cast<std::size_t>(j) < slot.size()
                           ? static_cast<unsigned char>(slot[static_cast<std::size_t>(j)])
                           : 0xFF;
        appendHex(out, b, 2);
    }
    return out;
}

void writeChunk(std::string& slot, int slotLength, int chunk, const Data& data, std::size_t at) {
    if (static_cast<int>(slot.size()) < slotLength) slot.resize(static_cast<std::size_t>(slotLength), '\xFF');
    for (int i = 0; i < 3; ++i)
        slot[static_cast<std::size_t>(3 * chunk + i)] = static_cast<char>(data.byte(at + 2 * static_cast<std::size_t>(i)));
}

int calibrationMonthDigit(const CalibrationInfo& c) { return std::clamp(c.month - 1, 0, 15); }
int calibrationYearDigit(const CalibrationInfo& c, int base) { return std::clamp(c.year - base, 0, 15); }

std::string probeInfoGroup(const CalibrationInfo& c, int yearBase) {
    std::string g = hex(static_cast<std::uint32_t>(c.serialNumber & 0xFFFF), 4) + "0000";
    g += hex(static_cast<std::uint32_t>(calibrationYearDigit(c, yearBase)), 1);
    g += hex(static_cast<std::uint32_t>(calibrationMonthDigit(c)), 1);
    return g;
}

std::string temperatureDigits(double t) { return hex(twos(hundredths(t), 8), 8); }

struct Drift {
    double t1, t2, rh, p;
};

Drift driftAt(double s) {
    return {0.8 * std::sin(2 * kPi * s / 300.0) + 0.15 * std::sin(2 * kPi * s / 37.0),
            0.5 * std::sin(2 * kPi * s / 240.0), 3.0 * std::sin(2 * kPi * s / 420.0),
            0.6 * std::sin(2 * kPi * s / 900.0)};
}

}  // namespace

SimulatedPanel::SimulatedPanel(PanelModel model, TimeSource time) : model_(std::move(model)), time_(std::move(time)) {
    if (!time_) {
        time_ = [] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
        };
    }
    start_ = lastTick_ = time_();
}

double SimulatedPanel::elapsedSeconds() const { return time_() - start_; }

void SimulatedPanel::silenceFor(double seconds) {
    faults_.silentFrom = elapsedSeconds();
    faults_.silentUntil = faults_.silentFrom + seconds;
}

void SimulatedPanel::advanceTime() {
    const double now = time_();
    const double elapsed = now - lastTick_;
    if (elapsed <= 0) return;
    clockFraction_ += elapsed;
    const double whole = std::floor(clockFraction_);
    model_.clockSeconds += static_cast<std::uint32_t>(whole);
    clockFraction_ -= whole;
    if (model_.animateReadings) {
        const Drift a = driftAt(lastTick_ - start_);
        const Drift b = driftAt(now - start_);
        Readings& r = model_.readings;
        r.temperature1 += b.t1 - a.t1;
        r.temperature2 += b.t2 - a.t2;
        r.relativeHumidity = std::clamp(r.relativeHumidity + b.rh - a.rh, 1.0, 99.0);
        r.pressure += b.p - a.p;
        deriveHumidityValues(r);
    }
    lastTick_ = now;
}

std::optional<std::string> SimulatedPanel::handleFrame(std::string_view frame) {
    while (!frame.empty() && (frame.back() == '\n' || frame.back() == '\r')) frame.remove_suffix(1);
    ++framesReceived_;
    lastReplyLate_ = false;
    if (frame.size() < 8 || frame.size() % 2 != 0) return std::nullopt;
    if (!std::all_of(frame.begin(), frame.end(), isUpperHex)) return std::nullopt;
    if (!checksumValid(frame.data(), frame.size())) return std::nullopt;
    const std::optional<int> number = commandNumberForCode(frame.substr(0, 6));
    if (!number) return std::nullopt;

    advanceTime();
    if (faults_.silentFor.count(*number)) return std::nullopt;
    const double elapsed = elapsedSeconds();
    if (elapsed >= faults_.silentFrom && elapsed < faults_.silentUntil) return std::nullopt;

    std::optional<std::string> line =
        reply(*number, frame.substr(6, frame.size() - 8), faults_.refusedFor.count(*number) > 0);
    if (!line) return std::nullopt;

    ++repliesSent_;
    if (due(faults_.badLrcEvery)) {
        // Spoil the LRC digits: the byte sum is then 1 modulo 256.
        const std::size_t at = line->size() - 4;
        const int lrc = hexDigitValue((*line)[at]) * 16 + hexDigitValue((*line)[at + 1]);
        const std::string bad = hex(static_cast<std::uint32_t>((lrc + 1) & 0xFF), 2);
        line->replace(at, 2, bad);
    }
    putLineFaults(*line);
    if (due(faults_.noiseLineEvery)) line->insert(0, "090000:00\r\n");
    return line;
}

void SimulatedPanel::putLineFaults(std::string& line) {
    auto random = [this](std::size_t below) {
        noise_ ^= noise_ << 13;
        noise_ ^= noise_ >> 17;
        noise_ ^= noise_ << 5;
        return static_cast<std::size_t>(noise_ % below);
    };
    const std::size_t body = line.size() - 2;   // before CR LF
    lastReplyLate_ = due(faults_.lateEvery);
    if (due(faults_.dropCharacterEvery)) line.erase(random(body), 1);
    if (due(faults_.burstEvery)) {
        std::string burst;
        for (int i = 0; i < kBurstLength; ++i) burst.push_back(static_cast<char>(random(256)));
        line.insert(random(body), burst);
    }
    if (due(faults_.lostLineEndEvery)) line.erase(line.size() - (lineEndsLost_++ % 2 == 0 ? 2 : 1), 1);
    if (due(faults_.duplicateEvery)) line += line;
}

namespace {

// The commands of the modem and its alarm thresholds: a panel whose modem
// handling is switched off refuses them (and says why in the modem digit).
bool modemCommand(C c) {
    const int n = toNumber(c);
    return (n >= toNumber(C::ReadModemOptions) && n <= toNumber(C::WriteThresholdFlags) && c != C::BarometerInfo) ||
           c == C::WriteAlarmRepeatTime || c == C::SetPin || (n >= toNumber(C::ReadInternetAllowed) && n < kCommandCount);
}

}  // namespace

std::optional<std::string> SimulatedPanel::reply(int number, std::string_view digits, bool refuse) {
    if (!isValidCommandNumber(number)) return std::nullopt;
    const CommandSpec& spec = kCommandTable[static_cast<std::size_t>(number)];
    const bool lengthOk = static_cast<int>(digits.size()) == dataDigits(spec.data);
    // A malformed read without a refusal digit goes unanswered, as a panel
    // that did not understand the frame.
    if (!lengthOk && spec.refusedAt == kNoRefusalDigit) return std::nullopt;
    if (!lengthOk) refuse = true;
    if (!model_.modemHandlingEnabled && modemCommand(static_cast<C>(number))) {
        // Without a refusal digit the refusal is silence.
        if (spec.refusedAt == kNoRefusalDigit) return std::nullopt;
        refuse = true;
    }
    const Data data(lengthOk ? digits : std::string_view("00000000").substr(0, static_cast<std::size_t>(dataDigits(spec.data))));

    // A refused write changes nothing: keep what it could touch.
    std::optional<PanelModel> saved;
    const int savedBlock = selectedBlock_;
    if (refuse) saved = model_;

    PanelModel& m = model_;
    const Readings& r = m.readings;
    const int modemDigit = m.modemHandlingEnabled ? 0 : 4;
    Line line(spec.code);
    // Where the parser finds the modem-handling digit in this reply, if any.
    int modemDigitAt = -1;

    // Writes: apply the data, then echo it with a status group.
    auto write = [&](bool ok) {
        if (!ok) refuse = true;
        if (!data.text().empty()) line.group(std::string(data.text()));
        line.statusGroup(spec.refusedAt);
    };
    // Plain reads: a status group with the refusal digit at 8, then the value.
    auto read = [&](std::uint32_t v, int valueDigits) {
        line.group("00");
        line.value(v, valueDigits);
    };

    switch (static_cast<C>(number)) {
    case C::Identity: {
        line.group("0420");
        line.group("00" + hex(static_cast<std::uint32_t>(m.firmwareVersion / 100), 2) +
                   hex(static_cast<std::uint32_t>(m.firmwareVersion % 100), 2) + "0000000" +
                   (m.measurementError ? "1" : "0"));
        line.value(static_cast<std::uint32_t>(m.panelSerialNumber & 0xFFFF), 4);
        line.group(std::string("00") + (m.mr466Supported ? "1" : "0") + (m.mr411Supported ? "8" : "0"));
        break;
    }
    case C::Mr466Info: {
        const bool present = isMr466(m.probe);
        const int channels = (present ? 1 : 0) | (m.probe == ProbeKind::Mr466Temperatures12 ? 2 : 0) |
                             (present && m.mr466FineResolution ? 8 : 0);
        const int extra = (m.probe == ProbeKind::Mr466TemperatureHumidity ? 4 : 0) |
                          (present && m.probeCalibrationError ? 1 : 0);
        line.group(present ? "00" : "01");
        line.group(hex(static_cast<std::uint32_t>(channels), 1) + "00" + hex(static_cast<std::uint32_t>(extra), 1));
        line.value(static_cast<std::uint32_t>(m.mr466Calibration.version & 0xFF), 2);
        line.group(probeInfoGroup(m.mr466Calibration, 2001));
        break;
    }
    case C::Mr411Info: {
        const bool present = isMr411(m.probe);
        const int channels = (m.probe == ProbeKind::Mr411NoHumidity ? 1 : 0) |
                             (m.probe == ProbeKind::Mr411NoTemperature ? 2 : 0);
        const int extra = present && m.probeCalibrationError ? 1 : 0;
        const CalibrationInfo& c = m.mr411Calibration;
        line.group(present ? "00" : "01");
        line.group(hex(static_cast<std::uint32_t>(channels), 1) + "00" + hex(static_cast<std::uint32_t>(extra), 1));
        line.value(static_cast<std::uint32_t>(c.version & 0xFF), 2);
        line.group(probeInfoGroup(c, c.version == 5 ? 2004 : 1993));
        break;
    }
    case C::Mr466Readings: {
        const int errors = (r.temperature1Error ? 1 : 0) | (r.relativeHumidityError ? 2 : 0) |
                           (r.dewPointError ? 4 : 0) | (r.waterVapourError ? 8 : 0);
        line.group(std::string(m.mr466FineResolution ? "4" : "0") + "0" + (r.temperature2Error ? "2" : "0") +
                   hex(static_cast<std::uint32_t>(errors), 1));
        line.group(temperatureDigits(r.temperature1));
        line.group(temperatureDigits(r.temperature2));
        line.value(static_cast<std::uint32_t>(std::clamp<std::int64_t>(hundredths(r.relativeHumidity), 0, 0xFFFF)), 4);
        line.value(twos(std::clamp<std::int64_t>(hundredths(r.dewPoint), -0x8000, 0x7FFF), 4), 4);
        line.value(twos(std::llround(r.waterVapourPpm), 8), 8);
        break;
    }
    case C::Mr411Readings: {
        const int errors = (r.temperature1Error ? 1 : 0) | (r.relativeHumidityError ? 2 : 0) |
                           (r.dewPointError ? 4 : 0) | (r.waterVapourError ? 8 : 0);
        line.group(std::string(m.mr411TwoDecimals ? "2" : "0") + "00" + hex(static_cast<std::uint32_t>(errors), 1));
        line.group(temperatureDigits(r.temperature1));
        line.value(static_cast<std::uint32_t>(std::clamp<std::int64_t>(hundredths(r.relativeHumidity), 0, 0xFFFF)), 4);
        line.value(twos(std::clamp<std::int64_t>(hundredths(r.dewPoint), -0x8000, 0x7FFF), 4), 4);
        line.value(twos(std::llround(r.waterVapourPpm), 8), 8);
        break;
    }
    case C::Pressure: {
        const int status = (m.barometerPresent ? 0 : 4) | (r.pressureError ? 1 : 0);
        line.group("00" + hex(static_cast<std::uint32_t>(status), 1) + "0");
        const std::int64_t tenths = m.barometerPresent ? std::llround(r.pressure * 10.0) : 0;
        line.value(static_cast<std::uint32_t>(std::clamp<std::int64_t>(tenths, 0, 0xFFFF)), 4);
        break;
    }
    case C::Options: read(static_cast<std::uint32_t>((m.printer ? 1 : 0) | (m.modem ? 2 : 0)), 2); break;
    case C::ReadClock: read(m.clockSeconds, 8); break;
    case C::SetClock:
        m.clockSeconds = data.value(0, 8);
        clockFraction_ = 0;
        write(true);
        break;
    case C::ReadMemorySettings:
        line.group("00");
        line.group(hex(static_cast<std::uint32_t>(m.memorySizeBlocks & 0xFFFF), 4) + "0000" +
                   hex(static_cast<std::uint32_t>(m.loggingInterval & 0xFFFF), 4));
        line.value(static_cast<std::uint32_t>(m.loggingFlags & 0xFFFF), 4);
        break;
    case C::WriteLoggingInterval: m.loggingInterval = data.all(); write(true); break;
    case C::WriteLoggingFlags: m.loggingFlags = data.all(); write(true); break;
    case C::CloseLoggingWrite: write(true); break;
    case C::SelectMemoryBlock: {
        selectedBlock_ = data.byte(0);
        write(true);
        const std::uint8_t status = selectedBlock_ < m.memorySizeBlocks ? m.blockStatus(selectedBlock_) : 0xFF;
        line.value(status, 2);
        break;
    }
    case C::ReadMemoryBlock: {
        std::array<std::uint8_t, kBlockBytes> bytes;
        bytes.fill(0xFF);
        if (selectedBlock_ < m.memorySizeBlocks) bytes = m.block(selectedBlock_);
        // Block number and status, then each byte as two digits and a separator.
        std::string g = hex(static_cast<std::uint32_t>(selectedBlock_ & 0xFF), 2) + "0000";
        appendHex(g, bytes[0], 2);
        line.group(g);
        for (std::size_t i = 1; i < bytes.size(); ++i) line.value(bytes[i], 2);
        break;
    }
    case C::EraseMemory: m.eraseMemory(); write(true); break;
    case C::ReadModemOptions:
        line.group(hex(static_cast<std::uint32_t>(modemDigit), 1) + "0");
        line.value(static_cast<std::uint32_t>(m.modemOptions & 0xFFFF), 4);
        break;
    case C::ReadAlarmRepeatTime: read(static_cast<std::uint32_t>(m.alarmRepeatTime & 0xFFFF), 4); break;
    case C::ReadSmsNumber: {
        const int i = data.digit(1);
        const bool ok = data.text()[0] == '0' && i <= 5;
        if (!ok) refuse = true;
        line.group(std::string(data.text()));
        line.statusGroup(spec.refusedAt);
        line.group(slotDigits(ok ? m.smsNumbers[static_cast<std::size_t>(i)] : std::string(), kSmsTextLength));
        break;
    }
    case C::ReadServerAddress:
    case C::ReadBackupServerAddress: {
        const auto& a = number == toNumber(C::ReadServerAddress) ? m.serverAddress : m.backupServerAddress;
        line.group("00");
        line.group(hex(a[0], 2) + hex(a[1], 2) + hex(a[2], 2) + hex(a[3], 2));
        break;
    }
    case C::ReadServerPort: read(static_cast<std::uint32_t>(m.serverPort & 0xFFFF), 4); break;
    case C::ReadLongText: {
        const int i = data.digit(1);
        const bool ok = data.text()[0] == '0' && i <= 1;
        if (!ok) refuse = true;
        line.group(std::string(data.text()));
        line.statusGroup(spec.refusedAt);
        line.group(slotDigits(!ok ? std::string() : i == 0 ? m.apn : m.papLogin, kLongTextLength));
        break;
    }
    case C::ReadStationName:
        line.group(std::string(data.text()));
        line.statusGroup(spec.refusedAt);
        line.group(slotDigits(m.stationName, kSmsTextLength));
        break;
    case C::WriteModemOptions: m.modemOptions = data.all(); write(true); break;
    case C::WriteSmsChunk: {
        const bool ok = data.decimal(0) && data.decimal(1) && data.digit(0) <= 5 && data.digit(1) <= 4;
        if (ok) writeChunk(m.smsNumbers[static_cast<std::size_t>(data.digit(0))], kSmsSlotLength, data.digit(1), data, 2);
        write(ok);
        break;
    }
    case C::BarometerInfo: {
        const CalibrationInfo& c = m.barometerCalibration;
        line.group(m.barometerPresent ? "00" : "01");
        line.group("0000");
        line.value(static_cast<std::uint32_t>(c.version & 0xFF), 2);
        line.group(hex(static_cast<std::uint32_t>(calibrationYearDigit(c, 2001)), 1) +
                   hex(static_cast<std::uint32_t>(calibrationMonthDigit(c)), 1));
        break;
    }
    case C::WriteServerAddress:
    case C::WriteBackupServerAddress: {
        auto& a = number == toNumber(C::WriteServerAddress) ? m.serverAddress : m.backupServerAddress;
        for (std::size_t i = 0; i < 4; ++i) a[i] = static_cast<std::uint8_t>(data.byte(2 * i));
        write(true);
        break;
    }
    case C::WriteServerPort: m.serverPort = data.all(); write(true); break;
    case C::ReadThreshold: {
        const int i = data.byte(0);
        std::uint32_t v = 0;
        if (i >= 0 && i <= 3) v = twos(m.alarmThresholds[static_cast<std::size_t>(i)], 6);
        else if (i >= 4 && i <= 7) v = static_cast<std::uint32_t>(m.alarmThresholds[static_cast<std::size_t>(i)]) & 0xFFFFFF;
        else if (i >= 64 && i <= 67) v = static_cast<std::uint32_t>(m.alarmHysteresis[static_cast<std::size_t>(i - 64)]) & 0xFFFFFF;
        line.group(std::string(data.text()));
        line.statusGroup(spec.refusedAt);
        line.value(v, 6);
        modemDigitAt = 10;
        break;
    }
    case C::WriteLongTextChunk: {
        const int selector = data.digit(0);
        const int chunk = data.digit(1);
        const bool ok = selector <= 2 && chunk <= 10;
        if (ok) {
            std::string& slot = selector == 0 ? m.apn : selector == 1 ? m.papLogin : m.papPassword;
            writeChunk(slot, kLongSlotLength, chunk, data, 2);
        }
        write(ok);
        modemDigitAt = 17;
        break;
    }
    case C::WriteStationChunk: {
        const bool ok = data.digit(0) == 0 && data.digit(1) <= 4;
        if (ok) writeChunk(m.stationName, kSmsSlotLength, data.digit(1), data, 2);
        write(ok);
        break;
    }
    case C::ReadThresholdFlags: read(static_cast<std::uint32_t>(m.alarmThresholdFlags & 0xFFFF), 4); break;
    case C::WriteThreshold: {
        const int i = data.byte(0);
        const std::uint32_t v = data.value(2, 6);
        bool ok = true;
        if (i >= 0 && i <= 3) m.alarmThresholds[static_cast<std::size_t>(i)] = v >= 0x800000 ? static_cast<std::int32_t>(v) - 0x1000000 : static_cast<std::int32_t>(v);
        else if (i >= 4 && i <= 7) m.alarmThresholds[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(v);
        else if (i >= 64 && i <= 67) m.alarmHysteresis[static_cast<std::size_t>(i - 64)] = static_cast<std::int32_t>(v);
        else ok = false;
        write(ok);
        break;
    }
    case C::WriteThresholdFlags: m.alarmThresholdFlags = data.all(); write(true); break;
    case C::ReadAutoOff: read(static_cast<std::uint32_t>(m.autoOffTime & 0xFF), 2); break;
    case C::WriteAutoOff: m.autoOffTime = data.all(); write(true); break;
    case C::ReadDisplayFlags: read(static_cast<std::uint32_t>(m.displayFlags & 0xFFFF), 4); break;
    case C::WriteDisplayFlags: m.displayFlags = data.all(); write(true); break;
    case C::ReadDefaultPressure: read(static_cast<std::uint32_t>(m.defaultPressure & 0xFFFF), 4); break;
    case C::WriteDefaultPressure: m.defaultPressure = data.all(); write(true); break;
    case C::WriteAlarmRepeatTime: m.alarmRepeatTime = data.all(); write(true); break;
    case C::SetPin: {
        int pin = 0;
        bool ok = true;
        for (std::size_t i = 0; i < 4; ++i) {
            const int c = data.byte(2 * i);
            if (c < 0x30 || c > 0x39) ok = false;
            pin = pin * 10 + (c - 0x30);
        }
        if (ok) m.pin = pin;
        write(ok);
        modemDigitAt = 16;
        break;
    }
    case C::ReadHistoryDisplay: read(static_cast<std::uint32_t>(m.historyDisplay & 0xFFFF), 4); break;
    case C::WriteHistoryDisplay: m.historyDisplay = data.all(); write(true); break;
    case C::ReadExceedanceLimit: {
        const int i = data.byte(0);
        std::uint32_t v = 0;
        if (i >= 0 && i <= 3) v = twos(m.exceedanceLimits[static_cast<std::size_t>(i)], 8);
        else if (i >= 4 && i <= 7) v = static_cast<std::uint32_t>(m.exceedanceLimits[static_cast<std::size_t>(i)]);
        line.group(std::string(data.text()));
        line.statusGroup(spec.refusedAt);
        line.value(v, 8);
        break;
    }
    case C::WriteExceedanceLimit: {
        const int i = data.byte(0);
        const std::uint32_t v = data.value(2, 6);
        bool ok = i >= 0 && i <= 7;
        if (ok) {
            m.exceedanceLimits[static_cast<std::size_t>(i)] =
                i <= 3 && v >= 0x800000 ? static_cast<std::int32_t>(v) - 0x1000000 : static_cast<std::int32_t>(v);
        }
        write(ok);
        break;
    }
    case C::ReadExceedanceFlags: read(static_cast<std::uint32_t>(m.exceedanceFlags & 0xFFFF), 4); break;
    case C::WriteExceedanceFlags: m.exceedanceFlags = data.all(); write(true); break;
    case C::ReadExceedanceDelay: read(static_cast<std::uint32_t>(m.exceedanceDelay & 0xFFFF), 4); break;
    case C::WriteExceedanceDelay: m.exceedanceDelay = data.all(); write(true); break;
    case C::ReadBatteryAlarm: read(static_cast<std::uint32_t>(m.batteryAlarm & 0xFF), 2); break;
    case C::WriteBatteryAlarm: m.batteryAlarm = data.all(); write(true); break;
    case C::ReadPowerLossAlarm:
        read(static_cast<std::uint32_t>(m.powerLossAlarm & 0xFF), 2);
        line.value(static_cast<std::uint32_t>(m.powerLossDelay & 0xFFFF), 4);
        break;
    case C::WritePowerLossAlarm: m.powerLossAlarm = data.all(); write(true); break;
    case C::WritePowerLossDelay: m.powerLossDelay = data.all(); write(true); break;
    case C::ReadInternetAllowed: read(static_cast<std::uint32_t>(m.internetAllowed & 0xFF), 2); break;
    case C::WriteInternetAllowed: m.internetAllowed = data.all(); write(true); break;
    case C::ReadBackupServerPort: read(static_cast<std::uint32_t>(m.backupServerPort & 0xFFFF), 4); break;
    case C::WriteBackupServerPort: m.backupServerPort = data.all(); write(true); break;
    case C::ReadConnectionAttempts: read(static_cast<std::uint32_t>(m.connectionAttemptsPerDay & 0xFFFF), 4); break;
    case C::WriteConnectionAttempts: m.connectionAttemptsPerDay = data.all(); write(true); break;
    }

    if (static_cast<C>(number) == C::ReadModemOptions) modemDigitAt = 7;
    if (modemDigitAt >= 0) line.setBits(modemDigitAt, modemDigit);
    if (refuse && spec.refusedAt != kNoRefusalDigit) line.setBits(spec.refusedAt, 1);
    if (saved) {
        model_ = std::move(*saved);
        selectedBlock_ = savedBlock;
    }
    return line.finish();
}

}  // namespace mr420::sim
