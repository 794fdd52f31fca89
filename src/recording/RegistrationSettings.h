#pragma once
// The registration settings (INI section "LOG") and the logic of the
// registration dialog that needs no screen: which controls are enabled, the
// interval picker rule, the OK check, the apply decisions and the status-line
// fragment.

#include <array>
#include <string>
#include <string_view>

#include "ui/LiveReadings.h"

namespace mr420 {

struct RegistrationSettings {
    bool fileLog = false;          // FILE_LOG
    bool fileLogBin = false;       // FILE_LOG_BIN
    std::string fileName;          // FILE_NAME
    std::string fileNameBin;       // FILE_NAME_BIN
    int sepFormat = 0;             // FILE_SEP_FORMAT: 0 TAB, 1 ",", 2 ";"
    int interval = 60;             // FILE_INTERVAL, seconds
    // FILE_TEMP1, FILE_TEMP2, FILE_RH, FILE_PRESSURE, FILE_DP, FILE_WB (Channel order)
    std::array<bool, kChannelCount> fileChannels{true, true, true, true, true, true};
    bool checkComment = false;     // FILE_CHECK_COMMENT
    bool checkCommentSn = false;   // FILE_CHECK_COMMENT_SN
    bool operator==(const RegistrationSettings&) const = default;
};

constexpr int kMsgNoChannelSelected = 129;   // "Wybierz przynajmniej jedną wielkość do zapisu."
constexpr int kMsgTextFileUnavailable = 106;
constexpr int kMsgTextFileExists = 122;
constexpr int kMsgBinaryFileUnavailable = 123;
constexpr int kMsgBinaryFileExists = 124;
constexpr int kMsgBinaryFileUnavailableAtStart = 107;

constexpr int kMinInterval = 1;
constexpr int kMaxInterval = 86399;

// Column separator for FILE_SEP_FORMAT; any other value counts as TAB.
char separatorFor(int sepFormat);

// Bit signature of the channels selected for the text file:
// WB 1, DP 2, RH 4, PRESSURE 8, TEMP1 16, TEMP2 32.
int channelMaskOf(const RegistrationSettings& s);

struct RegistrationControls {
    bool textControls = false;     // browse, separators, text edit and captions, channel boxes, comment box
    bool commentControls = false;  // serial-number box and comment edit
    bool binaryControls = false;   // binary browse, edit and caption
};
RegistrationControls registrationControls(const RegistrationSettings& s);

struct PickerTime {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    bool operator==(const PickerTime&) const = default;
};
PickerTime pickerTimeOf(int interval);
// Interval when the picker loses focus: 0 (or an invalid time) becomes 1 s.
int intervalFromPicker(bool valid, const PickerTime& t);

// OK of the dialog: 0 when acceptable, else the message id (129).
int validateRegistration(const RegistrationSettings& s);

// Names chosen in the browse dialogs: the text dialog appends ".txt" for the
// first filter and ".csv" for the second when the name has no extension;
// the binary dialog appends ".qvg".
std::string withTextExtension(const std::string& path, int filterIndex);
std::string withBinaryExtension(const std::string& path);

// What applying the dialog's OK does, decided from the settings before and
// after and from which files are open.
struct RegistrationPlan {
    bool stopTimer = false;
    bool closeText = false;
    bool closeBinary = false;
    bool reopenText = false;
    bool writeText = false;        // writeTextRecord once at once
    bool reopenBinary = false;
    bool writeBinary = false;
    bool startTimer = false;       // (re)start with interval x 1000 ms
};
RegistrationPlan planRegistration(const RegistrationSettings& before, const RegistrationSettings& after,
                                  bool textOpen, bool binaryOpen);

// Cancel: settings stay, but a kind without an open file is switched off.
void applyRegistrationCancel(RegistrationSettings& s, bool textOpen, bool binaryOpen);

}  // namespace mr420
