#include "protocol/ReplyParser.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "protocol/Frame.h"
#include "protocol/PanelCommand.h"

namespace mr420 {

namespace {

using C = PanelCommand;

constexpr std::string_view kIdentityPrefix = "020A00:0420:";

// Fixed-position field access on one received line. Every position is checked
// against the received length: a field that lies past the end of a short reply
// reads as digit 0, never as a byte beyond the line or a leftover of an
// earlier one.
class Fields {
public:
    Fields(const char* line, std::size_t length) : line_(line), length_(length) {}

    std::size_t length() const { return length_; }

    int d(std::size_t k) const { return k < length_ ? hexDigitValue(line_[k]) : 0; }
    Flag bit(std::size_t k, int b) const { return (d(k) >> b) & 1; }
    Flag bitClear(std::size_t k, int b) const { return bit(k, b) ? 0 : 1; }

    std::uint32_t digits(std::size_t k, int count) const {
        std::uint32_t v = 0;
        for (int i = 0; i < count; ++i) v = (v << 4) | static_cast<std::uint32_t>(d(k + static_cast<std::size_t>(i)));
        return v;
    }
    int byte(std::size_t k) const { return static_cast<int>(digits(k, 2)); }
    Word word(std::size_t k) const { return static_cast<Word>(digits(k, 4)); }
    std::uint32_t longValue(std::size_t k) const { return digits(k, 8); }

    // Temperatures and exceedance limits: a leading digit of 8 or more marks a
    // negative value, the seven digits after it minus 0x10000000.
    std::int64_t signed32(std::size_t k) const {
        if (d(k) >= 8) return static_cast<std::int64_t>(digits(k + 1, 7)) - 0x10000000;
        return static_cast<std::int64_t>(longValue(k));
    }
    // Alarm thresholds: the same on six digits.
    std::int32_t signed24(std::size_t k) const {
        if (d(k) >= 8) return static_cast<std::int32_t>(digits(k + 1, 5)) - 0x100000;
        return static_cast<std::int32_t>(digits(k, 6));
    }
    std::int32_t signedWord(std::size_t k) const {
        std::int32_t w = word(k);
        return d(k) >= 8 ? w - 0x10000 : w;
    }

    // `count` bytes as hex pairs from k, one every two characters. The panel
    // pads with 0xFF, which is shown as a space; a zero byte ends the text.
    std::string text(std::size_t k, int count) const {
        std::string out;
        for (int j = 0; j < count; ++j) {
            int b = byte(k + 2 * static_cast<std::size_t>(j));
            if (b == 0) break;
            out.push_back(b == 0xFF ? ' ' : static_cast<char>(static_cast<unsigned char>(b)));
        }
        return out;
    }

private:
    const char* line_;
    std::size_t length_;
};

// Hundredths -> value, moved 10 further from zero when the last digit is 5 or
// more in magnitude (the panel's own rounding to tenths; the hundredths digit
// stays as sent).
double rounded(std::int64_t raw) {
    if (raw >= 0) {
        if (raw % 10 > 4) raw += 10;
    } else if (raw % 10 < -4) {
        raw -= 10;
    }
    return static_cast<double>(raw) * 0.01;
}

bool isIgnored(const char* line, std::size_t length) {
    if (length == 0) return true;
    if (length >= 2 && line[0] == '0' && line[1] == '9') return true;
    return length == 2 && line[0] == kCR && line[1] == kLF;
}

bool prefixMatches(const Fields& f, const char* line, std::string_view code, bool identity) {
    if (identity) return f.length() >= kIdentityPrefix.size() && std::memcmp(line, kIdentityPrefix.data(), kIdentityPrefix.size()) == 0;
    return f.length() >= code.size() + 1 && std::memcmp(line, code.data(), code.size()) == 0 && line[code.size()] == ':';
}

// Temperature by the resolution rule; also records which resolution applied.
double temperature(PanelState& s, const Fields& f, std::size_t k) {
    const int status = f.d(7);
    const bool twoDecimals = ((status & 2) && !(status & 4)) || ((status & 4) && s.mr466FineResolution);
    s.temperatureTwoDecimals = twoDecimals ? 1 : 0;
    const std::int64_t raw = f.signed32(k);
    return twoDecimals ? static_cast<double>(raw) * 0.01 : rounded(raw);
}

bool decodeIdentity(PanelState& s, const Fields& f) {
    const std::size_t n = f.length();
    s.firmwareVersion = 100 * f.byte(14) + f.byte(16);
    s.measurementError = f.bit(25, 0);
    if (n >= 35) s.panelSerialNumber = f.word(27);
    s.mr411Supported = (n >= 35 && f.bit(35, 3)) ? 1 : 0;
    if (!s.mr411Supported) s.mr411Absent = 1;
    s.mr466Supported = (n >= 35 && f.bit(34, 0)) ? 1 : 0;
    if (!s.mr466Supported) s.mr466Absent = 1;
    return true;
}

bool decodeMr466Info(PanelState& s, const Fields& f) {
    if (f.bit(8, 0)) {
        s.mr466Absent = 1;
        return true;
    }
    s.mr466Absent = 0;
    s.mr411Absent = 1;
    const std::size_t n = f.length();
    if (n >= 13) {
        s.mr466HasTemperature1 = f.bit(10, 0);
        s.mr466HasTemperature2 = f.bit(10, 1);
        s.mr466FineResolution = f.bit(10, 3);
        s.mr466HasHumidity = f.bit(13, 2);
        s.mr466CalibrationError = f.bit(13, 0);
    }
    if (n >= 27) {
        s.mr466Version = f.byte(15);
        s.mr466SerialNumber = f.word(18);
        s.mr466CalibrationMonth = f.d(27) + 1;
        s.mr466CalibrationYear = f.d(26) + 2001;
    }
    return true;
}

bool decodeMr411Info(PanelState& s, const Fields& f) {
    if (f.bit(8, 0)) {
        s.mr411Absent = 1;
        return true;
    }
    s.mr411Absent = 0;
    s.mr466Absent = 1;
    const std::size_t n = f.length();
    if (n >= 13) s.mr411CalibrationError = f.bit(13, 0);
    if (n >= 14) {
        s.mr411NoHumidity = f.bit(10, 0);
        s.mr411NoTemperature1 = f.bit(10, 1);
    }
    if (n >= 27) {
        s.mr411Version = f.byte(15);
        s.mr411SerialNumber = f.word(18);
        s.mr411CalibrationMonth = f.d(27) + 1;
        s.mr411CalibrationYear = f.d(26) + (s.mr411Version == 5 ? 2004 : 1993);
    }
    return true;
}

// Both probes report their channel errors in bits 0-3 of byte 10:
// temperature 1, humidity, dew point, water vapour.
void decodeProbeErrors(PanelState& s, const Fields& f) {
    s.temperature1Error = f.bit(10, 0);
    s.relativeHumidityError = f.bit(10, 1);
    s.dewPointError = f.bit(10, 2);
    s.waterVapourError = f.bit(10, 3);
}

bool decodeMr466Readings(PanelState& s, const Fields& f) {
    if (s.mr466HasTemperature1) s.temperature1 = temperature(s, f, 12);
    if (s.mr466HasTemperature2 && !s.mr466HasHumidity) s.temperature2 = temperature(s, f, 21);
    if (s.mr466HasHumidity) {
        s.relativeHumidity = rounded(f.word(30));
        s.dewPoint = rounded(f.signedWord(35));
        s.waterVapourPpm = static_cast<std::int32_t>(f.longValue(40));
    }
    decodeProbeErrors(s, f);
    s.temperature2Error = f.bit(9, 1);
    return true;
}

bool decodeMr411Readings(PanelState& s, const Fields& f) {
    s.temperature1 = temperature(s, f, 12);
    s.relativeHumidity = rounded(f.word(21));
    s.dewPoint = rounded(f.signedWord(26));
    s.waterVapourPpm = static_cast<std::int32_t>(f.longValue(31));
    decodeProbeErrors(s, f);
    return true;
}

bool decodeBarometerInfo(PanelState& s, const Fields& f) {
    if (f.bit(8, 0) || f.length() < 20) {
        s.barometerPresent = 0;
        return true;
    }
    s.barometerPresent = 1;
    s.barometerVersion = f.byte(15);
    s.barometerCalibrationMonth = f.d(19) + 1;
    s.barometerCalibrationYear = f.d(18) + 2001;
    return true;
}

void decodeAddress(std::array<std::uint8_t, 4>& address, const Fields& f) {
    for (std::size_t i = 0; i < 4; ++i) address[i] = static_cast<std::uint8_t>(f.byte(10 + 2 * i));
}

bool decodeThreshold(PanelState& s, const Fields& f) {
    const int i = f.byte(7);
    if (i >= 0 && i <= 3) s.alarmThresholds[static_cast<std::size_t>(i)] = f.signed24(13);
    else if (i >= 4 && i <= 7) s.alarmThresholds[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(f.digits(13, 6));
    else if (i >= 64 && i <= 67) s.alarmHysteresis[static_cast<std::size_t>(i - 64)] = static_cast<std::int32_t>(f.digits(13, 6));
    return true;   // other indices carry nothing we keep
}

bool decodeExceedanceLimit(PanelState& s, const Fields& f) {
    const int i = f.byte(7);
    if (i >= 0 && i <= 3) s.exceedanceLimits[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(f.signed32(13));
    else if (i >= 4 && i <= 7) s.exceedanceLimits[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(f.longValue(13));
    return true;
}

// Stores the fields of an accepted reply. False only for an index outside the
// accepted range; the lengths and refusal have been checked before.
bool decodeFields(PanelState& s, const Fields& f, C command) {
    switch (command) {
    case C::Identity: return decodeIdentity(s, f);
    case C::Mr466Info: return decodeMr466Info(s, f);
    case C::Mr466Readings: return decodeMr466Readings(s, f);
    case C::Mr411Readings: return decodeMr411Readings(s, f);
    case C::Mr411Info: return decodeMr411Info(s, f);
    case C::Pressure:
        s.pressure = f.word(12) * 0.1;
        s.pressureAbsent = f.bit(9, 2);
        s.pressureError = f.bit(9, 0);
        return true;
    case C::Options:
        s.printerSupported = (f.length() >= 11 && f.bit(11, 0)) ? 1 : 0;
        s.modemSupported = (f.length() >= 11 && f.bit(11, 1)) ? 1 : 0;
        return true;
    case C::ReadClock: s.panelClock = panelTimeOf(f.longValue(10)); return true;
    case C::ReadMemorySettings:
        s.memorySizeBlocks = f.word(10);
        s.loggingInterval = f.word(18);
        s.loggingFlags = f.word(23);
        return true;
    case C::SelectMemoryBlock: s.memoryBlockEmpty = f.byte(15) == 0xFF ? 1 : 0; return true;
    case C::ReadMemoryBlock:
        for (std::size_t i = 0; i < kMemoryBlockSize; ++i) s.memoryBlock[i] = static_cast<std::uint8_t>(f.byte(13 + 3 * i));
        return true;
    case C::ReadModemOptions: s.modemOptions = f.word(10); return true;
    case C::ReadAlarmRepeatTime: s.alarmRepeatTime = f.word(10); return true;
    case C::ReadSmsNumber: {
        const int i = f.d(8);
        if (i > 5) return false;
        s.smsNumbers[static_cast<std::size_t>(i)] = f.text(13, 14);
        return true;
    }
    case C::ReadServerAddress: decodeAddress(s.serverAddress, f); return true;
    case C::ReadServerPort: s.serverPort = f.word(10); return true;
    case C::ReadLongText: {
        const int i = f.d(8);
        if (i == 0) s.apn = f.text(13, 32);
        else if (i == 1) s.papLogin = f.text(13, 32);
        else return false;
        return true;
    }
    case C::ReadStationName: s.stationName = f.text(13, 14); return true;
    case C::BarometerInfo: return decodeBarometerInfo(s, f);
    case C::ReadThreshold: return decodeThreshold(s, f);
    case C::ReadThresholdFlags: s.alarmThresholdFlags = f.word(10); return true;
    case C::ReadAutoOff: s.autoOffTime = f.byte(10); return true;
    case C::ReadDisplayFlags: s.displayFlags = f.word(10); return true;
    case C::ReadDefaultPressure: s.defaultPressure = f.word(10); return true;
    case C::ReadHistoryDisplay: s.historyDisplay = f.word(10); return true;
    case C::ReadExceedanceLimit: return decodeExceedanceLimit(s, f);
    case C::ReadExceedanceFlags: s.exceedanceFlags = f.word(10); return true;
    case C::ReadExceedanceDelay: s.exceedanceDelay = f.word(10); return true;
    case C::ReadBatteryAlarm: s.batteryAlarm = f.byte(10); return true;
    case C::ReadPowerLossAlarm:
        s.powerLossAlarm = f.byte(10);
        s.powerLossDelay = f.word(13);
        return true;
    case C::ReadInternetAllowed: s.internetAllowed = f.byte(10); return true;
    case C::ReadBackupServerAddress: decodeAddress(s.backupServerAddress, f); return true;
    case C::ReadBackupServerPort: s.backupServerPort = f.word(10); return true;
    case C::ReadConnectionAttempts: s.connectionAttemptsPerDay = f.word(10); return true;
    default: return true;   // writes: nothing but their acknowledgement
    }
}

// Position of the digit whose bit 2 tells, even in a refused reply, whether
// the panel's modem handling is on; 0 for the other commands.
std::size_t modemHandlingDigit(C command) {
    switch (command) {
    case C::ReadModemOptions: return 7;
    case C::ReadThreshold: return 10;
    case C::WriteLongTextChunk: return 17;
    case C::SetPin: return 16;
    default: return 0;
    }
}

// Length below which an otherwise valid reply still fails (beyond the
// command's minimum length, which an unrefused reply must reach first).
std::size_t fieldsLength(C command) {
    switch (command) {
    case C::ReadModemOptions: return 13;
    case C::ReadThreshold: return 18;
    default: return 0;
    }
}

// The index a reply names: byte 7 for the slots and for the chunk writes
// (whose echo starts with the frame's two index digits), digit 8 for the
// texts read; kNoIndex for the other commands.
int namedIndex(const Fields& f, C command) {
    switch (command) {
    case C::ReadThreshold:
    case C::WriteThreshold:
    case C::ReadExceedanceLimit:
    case C::WriteExceedanceLimit:
    case C::WriteSmsChunk:
    case C::WriteLongTextChunk:
    case C::WriteStationChunk: return f.byte(7);
    case C::ReadSmsNumber:
    case C::ReadLongText: return f.d(8);
    default: return kNoIndex;
    }
}

// Every character before the line end is a hex digit or a colon. A lost
// line end leaves a CR or LF inside; a burst of noise, anything.
bool onlyHexAndColons(const char* line, std::size_t length) {
    if (length >= 2 && line[length - 2] == kCR && line[length - 1] == kLF) length -= 2;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = line[i];
        if (c != ':' && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

}  // namespace

int requestedIndex(int commandNumber, const ChainCounters& k) {
    switch (static_cast<C>(commandNumber)) {
    case C::ReadThreshold:
    case C::WriteThreshold: return k.thresholdIndex;
    case C::ReadExceedanceLimit:
    case C::WriteExceedanceLimit: return k.exceedanceIndex;
    case C::ReadSmsNumber: return k.stringIndex;
    case C::ReadLongText: return k.longTextIndex;
    case C::WriteSmsChunk: return k.stringIndex * 16 + k.chunkIndex;
    case C::WriteLongTextChunk: return k.textSelector * 16 + k.chunkIndex;
    case C::WriteStationChunk: return k.chunkIndex;
    default: return kNoIndex;
    }
}

ReplyParser::ReplyParser(PanelState& state, WriteAckListener* ackListener) : state_(state), ackListener_(ackListener) {}

void ReplyParser::setAckListener(WriteAckListener* listener) { ackListener_ = listener; }

bool ReplyParser::parse(const char* line, std::size_t length, int commandNumber, int index) {
    if (line == nullptr) length = 0;

    // The copy is for inspection only; decoding reads the caller's buffer,
    // bounded by `length`, so a line longer than the copy is decoded whole.
    const std::size_t copied = std::min<std::size_t>(length, kLineCopySize - 1);
    if (copied > 0) std::memcpy(state_.lineCopy.data(), line, copied);
    state_.lineCopy[copied] = '\0';
    state_.lineLength = static_cast<std::int32_t>(copied);

    // Unsolicited panel messages and empty lines need no answer.
    state_.ignoredLine = isIgnored(line, length) ? 1 : 0;
    if (state_.ignoredLine) return judge(ReplyVerdict::Ignored);

    if (!onlyHexAndColons(line, length)) return judge(ReplyVerdict::BadLine);
    if (!checksumValid(line, length)) return judge(ReplyVerdict::BadChecksum);
    if (!isValidCommandNumber(commandNumber)) return judge(ReplyVerdict::UnknownCommand);

    const CommandSpec& spec = kCommandTable[static_cast<std::size_t>(commandNumber)];
    const auto command = static_cast<C>(commandNumber);
    const bool identity = command == C::Identity;
    const Fields f(line, length);

    if (!prefixMatches(f, line, spec.code, identity)) {
        if (identity) state_.measurementError = 1;
        return judge(ReplyVerdict::WrongPrefix);
    }
    if (length < static_cast<std::size_t>(spec.minReplyLength)) {
        if (identity) state_.measurementError = 1;
        return judge(ReplyVerdict::TooShort);
    }

    // A panel answers a command with lines of one length; another length is
    // a character lost or added on the line.
    if (const int known = state_.received.replyLength(commandNumber);
        known != 0 && static_cast<std::size_t>(known) != length)
        return judge(ReplyVerdict::BadLine);

    // Known even when the panel refuses the command.
    if (const std::size_t k = modemHandlingDigit(command); k != 0) state_.modemHandlingEnabled = f.bitClear(k, 2);

    if (spec.refusedAt != kNoRefusalDigit && f.bit(static_cast<std::size_t>(spec.refusedAt), 0))
        return judge(ReplyVerdict::Refused);
    if (length < fieldsLength(command)) return judge(ReplyVerdict::TooShort);

    if (!decodeFields(state_, f, command)) return judge(ReplyVerdict::BadFields);

    const int named = namedIndex(f, command);
    state_.received.noteLength(commandNumber, static_cast<int>(length));
    // A reply for another slot is kept under its own index, and is no answer.
    if (index != kNoIndex && named != index) {
        state_.received.mark(commandNumber, named);
        return judge(ReplyVerdict::WrongIndex);
    }
    state_.received.mark(commandNumber, named == kNoIndex ? 0 : named);

    bool acknowledged = spec.acknowledges != nullptr;
    // Only the last chunk of the PAP password acknowledges the whole write.
    if (command == C::WriteLongTextChunk) acknowledged = f.d(7) == 2 && f.d(8) > 9;
    if (acknowledged) {
        state_.*spec.acknowledges = 1;
        if (spec.callsWriteAcknowledged && ackListener_ != nullptr) ackListener_->onWriteAcknowledged(commandNumber);
    }
    return judge(ReplyVerdict::Accepted);
}

const char* describeVerdict(ReplyVerdict verdict) {
    switch (verdict) {
    case ReplyVerdict::Accepted: return "accepted";
    case ReplyVerdict::Ignored: return "\"09\" or empty line, ignored";
    case ReplyVerdict::BadChecksum: return "bad LRC";
    case ReplyVerdict::UnknownCommand: return "no command awaited";
    case ReplyVerdict::WrongPrefix: return "wrong prefix";
    case ReplyVerdict::TooShort: return "too short";
    case ReplyVerdict::Refused: return "refused";
    case ReplyVerdict::BadFields: return "bad field";
    case ReplyVerdict::BadLine: return "bad line";
    case ReplyVerdict::WrongIndex: return "wrong index";
    }
    return "?";
}

}  // namespace mr420
