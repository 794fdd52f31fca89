#include "protocol/PanelCommand.h"

namespace mr420 {

namespace {
using S = PanelState;
using D = FrameData;
constexpr int N = kNoRefusalDigit;
}  // namespace

// Refusal positions follow the reply layouts; commands with a special rule
// (050100, 010100, 060100, and the extra length checks of 025000 and 025D00)
// are finished by the parser itself.
const std::array<CommandSpec, kCommandCount> kCommandTable = {{
    {0, "020A00", "020A00F4", D::None, 25, N, nullptr, false},
    {1, "050100", "050100FA", D::None, 0, N, nullptr, false},
    {2, "020200", "020200FC", D::None, 47, N, nullptr, false},
    {3, "020000", "020000FE", D::None, 42, N, nullptr, false},
    {4, "010100", "010100FE", D::None, 0, N, nullptr, false},
    {5, "020100", "020100FD", D::None, 18, N, nullptr, false},
    {6, "020B00", "020B00F3", D::None, 8, 8, nullptr, false},
    {7, "030000", "030000FD", D::None, 10, N, nullptr, false},
    {8, "031000", "", D::ClockSeconds, 17, 17, &S::clockWritten, true},
    {9, "040000", "040000FC", D::None, 26, 8, nullptr, false},
    {10, "040100", "", D::LoggingInterval, 13, 13, nullptr, false},
    {11, "040200", "", D::LoggingFlags, 13, 13, nullptr, false},
    {12, "040300", "040300F9", D::None, 8, 8, &S::memorySettingsWritten, true},
    {13, "041000", "", D::BlockSelect, 16, 13, nullptr, false},
    {14, "041100", "", D::BlockRead, 781, 12, nullptr, false},
    {15, "041500", "041500E7", D::None, 8, 8, &S::memoryErased, false},
    {16, "025000", "025000AE", D::None, 8, 8, nullptr, false},
    {17, "025200", "025200AC", D::None, 13, 8, nullptr, false},
    {18, "025400", "", D::StringIndexDigit, 40, 11, nullptr, false},
    {19, "025900", "025900A5", D::None, 17, 8, nullptr, false},
    {20, "025B00", "025B00A3", D::None, 13, 8, nullptr, false},
    {21, "026200", "", D::LongTextIndexDigit, 76, 11, nullptr, false},
    {22, "026400", "026400009A", D::StationNameIndex, 40, 11, nullptr, false},
    {23, "025100", "", D::ModemOptions, 13, 13, nullptr, false},
    {24, "025500", "", D::SmsChunk, 18, 18, nullptr, false},
    {25, "060100", "060100F9", D::None, 8, N, nullptr, false},
    {26, "025A00", "", D::ServerAddress, 17, 17, nullptr, false},
    {27, "025C00", "", D::ServerPort, 13, 13, nullptr, false},
    {28, "025D00", "", D::ThresholdIndex, 11, 11, nullptr, false},
    {29, "026300", "", D::LongTextChunk, 18, 18, &S::papWritten, true},
    {30, "026500", "", D::StationChunk, 18, 18, nullptr, false},
    {31, "026000", "0260009E", D::None, 13, 8, nullptr, false},
    {32, "025E00", "", D::ThresholdValue, 18, 18, nullptr, false},
    {33, "026100", "", D::AlarmThresholdFlags, 13, 13, &S::thresholdsWritten, true},
    {34, "023400", "023400CA", D::None, 11, 8, nullptr, false},
    {35, "023500", "", D::AutoOffTime, 11, 11, &S::autoOffWritten, true},
    {36, "023800", "023800C6", D::None, 13, 8, nullptr, false},
    {37, "023900", "", D::DisplayFlags, 13, 13, &S::displayFlagsWritten, true},
    {38, "024000", "024000BE", D::None, 13, 8, nullptr, false},
    {39, "024100", "", D::DefaultPressure, 13, 13, &S::defaultPressureWritten, true},
    {40, "025300", "", D::AlarmRepeatTime, 13, 13, nullptr, false},
    {41, "025600", "", D::Pin, 17, 17, &S::pinWritten, true},
    {42, "024800", "024800B6", D::None, 13, 8, nullptr, false},
    {43, "024900", "", D::HistoryDisplay, 13, 13, &S::historyDisplayWritten, true},
    {44, "026800", "", D::ExceedanceIndex, 20, 11, nullptr, false},
    {45, "026900", "", D::ExceedanceValue, 18, 18, nullptr, false},
    {46, "026A00", "026A0094", D::None, 13, 8, nullptr, false},
    {47, "026B00", "", D::ExceedanceFlags, 13, 13, &S::exceedanceWritten, true},
    {48, "026C00", "026C0092", D::None, 13, 8, nullptr, false},
    {49, "026D00", "", D::ExceedanceDelay, 13, 13, nullptr, false},
    {50, "026600", "02660098", D::None, 16, 8, nullptr, false},
    {51, "026700", "", D::BatteryAlarm, 10, N, &S::batteryWritten, true},
    {52, "027100", "0271008D", D::None, 16, 8, nullptr, false},
    {53, "027200", "", D::PowerLossAlarm, 11, 11, nullptr, false},
    {54, "027300", "", D::PowerLossDelay, 13, 13, &S::powerLossWritten, true},
    {55, "027400", "0274008A", D::None, 11, 8, nullptr, false},
    {56, "027500", "", D::InternetAllowed, 8, 10, &S::modemWritten, true},
    {57, "027600", "02760088", D::None, 17, 8, nullptr, false},
    {58, "027700", "", D::BackupServerAddress, 17, 17, nullptr, false},
    {59, "027800", "02780086", D::None, 13, 8, nullptr, false},
    {60, "027900", "", D::BackupServerPort, 13, 13, nullptr, false},
    {61, "027A00", "027A0084", D::None, 13, 8, nullptr, false},
    {62, "027B00", "", D::ConnectionAttempts, 13, 13, nullptr, false},
}};

std::optional<int> commandNumberForCode(std::string_view code) {
    for (const CommandSpec& spec : kCommandTable)
        if (spec.code == code) return spec.number;
    return std::nullopt;
}

}  // namespace mr420
