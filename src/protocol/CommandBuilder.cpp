#include "protocol/CommandBuilder.h"

#include <algorithm>

#include <cstdint>

#include "protocol/Frame.h"
#include "protocol/PanelCommand.h"
#include "base/TimerIds.h"

namespace mr420 {

namespace {

using D = FrameData;

constexpr int kCharsPerChunk = 3;

// Character codes of characters 3k..3k+2 of `text`. Positions past the end of
// the text go out as spaces, as the requesters pad their texts anyway.
void appendTextChunk(std::string& out, const std::string& text, int chunk) {
    if (chunk < 0) chunk = 0;
    const std::size_t first = static_cast<std::size_t>(chunk) * kCharsPerChunk;
    for (std::size_t i = first; i < first + kCharsPerChunk; ++i) {
        const unsigned char c = i < text.size() ? static_cast<unsigned char>(text[i]) : static_cast<unsigned char>(' ');
        appendHex(out, c, 2);
    }
}

// One decimal digit (the panel expects "%d" of a counter that stays within 0..9).
void appendDecimal(std::string& out, int value) { out += std::to_string(value); }

// 24-bit two's complement: a negative value gets 0x1000000 added.
std::uint32_t as24Bit(std::int32_t value) { return static_cast<std::uint32_t>(value) & 0xFFFFFFu; }

std::uint32_t thresholdValue(const WriteArguments& a, int index) {
    if (index >= 0 && index <= 3) return as24Bit(a.alarmThresholds[static_cast<std::size_t>(index)]);
    if (index >= 4 && index <= 7) return static_cast<std::uint32_t>(a.alarmThresholds[static_cast<std::size_t>(index)]);
    if (index >= 64 && index <= 67) return static_cast<std::uint32_t>(a.alarmHysteresis[static_cast<std::size_t>(index - 64)]);
    return 0;
}

std::uint32_t exceedanceValue(const WriteArguments& a, int index) {
    if (index >= 0 && index <= 3) return as24Bit(a.exceedanceLimits[static_cast<std::size_t>(index)]);
    if (index >= 4 && index <= 7) return static_cast<std::uint32_t>(a.exceedanceLimits[static_cast<std::size_t>(index)]);
    return 0;
}

const std::string& selectedLongText(const WriteArguments& a, int selector) {
    static const std::string kNone;
    switch (selector) {
    case 0: return a.apn;
    case 1: return a.papLogin;
    case 2: return a.papPassword;
    default: return kNone;
    }
}

const std::string& smsNumber(const WriteArguments& a, int index) {
    static const std::string kNone;
    if (index < 0 || index >= static_cast<int>(a.smsNumbers.size())) return kNone;
    return a.smsNumbers[static_cast<std::size_t>(index)];
}

void appendOctets(std::string& out, const std::array<std::uint8_t, 4>& octets) {
    for (std::uint8_t o : octets) appendHex(out, o, 2);
}

void appendData(std::string& out, FrameData data, const WriteArguments& a, const ChainCounters& c) {
    switch (data) {
    case D::None: break;
    case D::StringIndexDigit: out += '0'; appendHex(out, static_cast<std::uint32_t>(c.stringIndex), 1); break;
    case D::LongTextIndexDigit: out += '0'; appendHex(out, static_cast<std::uint32_t>(c.longTextIndex), 1); break;
    case D::StationNameIndex: out += "00"; break;
    case D::ClockSeconds: appendHex(out, a.clockSeconds, 8); break;
    case D::LoggingInterval: appendHex(out, a.loggingInterval, 4); break;
    case D::LoggingFlags: appendHex(out, a.loggingFlags, 4); break;
    case D::BlockSelect: appendHex(out, static_cast<std::uint32_t>(c.blockCounter), 2); out += "00"; break;
    case D::BlockRead: appendHex(out, static_cast<std::uint32_t>(c.blockCounter), 2); break;
    case D::ModemOptions: appendHex(out, a.modemOptions, 4); break;
    case D::SmsChunk:
        appendDecimal(out, c.stringIndex);
        appendDecimal(out, c.chunkIndex);
        appendTextChunk(out, smsNumber(a, c.stringIndex), c.chunkIndex);
        break;
    case D::ServerAddress: appendOctets(out, a.serverAddress); break;
    case D::ServerPort: appendHex(out, a.serverPort, 4); break;
    case D::ThresholdIndex: appendHex(out, static_cast<std::uint32_t>(c.thresholdIndex), 2); break;
    case D::LongTextChunk:
        appendHex(out, static_cast<std::uint32_t>(c.textSelector), 1);
        appendHex(out, static_cast<std::uint32_t>(c.chunkIndex), 1);
        appendTextChunk(out, selectedLongText(a, c.textSelector), c.chunkIndex);
        break;
    case D::StationChunk:
        out += '0';
        appendHex(out, static_cast<std::uint32_t>(c.chunkIndex), 1);
        appendTextChunk(out, a.stationName, c.chunkIndex);
        break;
    case D::ThresholdValue:
        appendHex(out, static_cast<std::uint32_t>(c.thresholdIndex), 2);
        appendHex(out, thresholdValue(a, c.thresholdIndex), 6);
        break;
    case D::AlarmThresholdFlags: appendHex(out, a.alarmThresholdFlags, 4); break;
    case D::AutoOffTime: appendHex(out, a.autoOffTime, 2); break;
    case D::DisplayFlags: appendHex(out, a.displayFlags, 4); break;
    case D::DefaultPressure: appendHex(out, a.defaultPressure, 4); break;
    case D::AlarmRepeatTime: appendHex(out, a.alarmRepeatTime, 4); break;
    case D::Pin: {
        // The four character codes of the PIN written with four digits.
        const std::uint32_t pin = a.pin % 10000;
        for (std::uint32_t divisor = 1000; divisor > 0; divisor /= 10) appendHex(out, '0' + (pin / divisor) % 10, 2);
        break;
    }
    case D::HistoryDisplay: appendHex(out, a.historyDisplay, 4); break;
    case D::ExceedanceIndex: appendHex(out, static_cast<std::uint32_t>(c.exceedanceIndex), 2); break;
    case D::ExceedanceValue:
        appendHex(out, static_cast<std::uint32_t>(c.exceedanceIndex), 2);
        appendHex(out, exceedanceValue(a, c.exceedanceIndex), 6);
        break;
    case D::ExceedanceFlags: appendHex(out, a.exceedanceFlags, 4); break;
    case D::ExceedanceDelay: appendHex(out, a.exceedanceDelay, 4); break;
    case D::BatteryAlarm: appendHex(out, a.batteryAlarm, 2); break;
    case D::PowerLossAlarm: appendHex(out, a.powerLossAlarm, 2); break;
    case D::PowerLossDelay: appendHex(out, a.powerLossDelay, 4); break;
    case D::InternetAllowed: appendHex(out, a.internetAllowed, 2); break;
    case D::BackupServerAddress: appendOctets(out, a.backupServerAddress); break;
    case D::BackupServerPort: appendHex(out, a.backupServerPort, 4); break;
    case D::ConnectionAttempts: appendHex(out, a.connectionAttemptsPerDay, 4); break;
    }
}

}  // namespace

CommandBuilder::CommandBuilder(TimerService& timers, const WriteArguments& args, const ChainCounters& counters,
                               const ReceivedReplies& received)
    : timers_(timers), args_(args), counters_(counters), received_(received) {}

void CommandBuilder::setPort(FramePort* port) { port_ = port; }

void CommandBuilder::sendCurrent(int commandNumber) {
    timers_.stopTimer(timer_id::kReplyTimeout);
    timers_.startTimer(timer_id::kReplyTimeout, timer_id::kReplyTimeoutMs);
    if (port_ == nullptr) return;
    const std::string frame = buildFrame(commandNumber, args_, counters_);
    if (frame.empty()) return;
    port_->expectReply(expectedReplyLength(commandNumber));
    port_->send(frame.data(), frame.size());
}

std::size_t CommandBuilder::expectedReplyLength(int commandNumber) const {
    if (!isValidCommandNumber(commandNumber)) return 0;
    const int minimum = kCommandTable[static_cast<std::size_t>(commandNumber)].minReplyLength;
    return static_cast<std::size_t>(std::max(minimum, received_.replyLength(commandNumber)));
}

std::string CommandBuilder::buildFrame(int commandNumber, const WriteArguments& args, const ChainCounters& counters) {
    if (!isValidCommandNumber(commandNumber)) return {};
    const CommandSpec& spec = kCommandTable[static_cast<std::size_t>(commandNumber)];
    if (!spec.fixedFrame.empty()) {
        std::string frame(spec.fixedFrame);
        frame.push_back(kCR);
        frame.push_back(kLF);
        return frame;
    }
    std::string codeAndData(spec.code);
    appendData(codeAndData, spec.data, args, counters);
    return completeFrame(codeAndData);
}

}  // namespace mr420
