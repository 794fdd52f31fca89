#include "recording/RegistrationSettings.h"

#include <cstdio>

namespace mr420 {

char separatorFor(int sepFormat) {
    switch (sepFormat) {
    case 1: return ',';
    case 2: return ';';
    default: return '\t';
    }
}

int channelMaskOf(const RegistrationSettings& s) {
    int mask = 0;
    if (s.fileChannels[kChannelWb]) mask |= 1;
    if (s.fileChannels[kChannelDp]) mask |= 2;
    if (s.fileChannels[kChannelRh]) mask |= 4;
    if (s.fileChannels[kChannelPressure]) mask |= 8;
    if (s.fileChannels[kChannelTemp1]) mask |= 16;
    if (s.fileChannels[kChannelTemp2]) mask |= 32;
    return mask;
}

RegistrationControls registrationControls(const RegistrationSettings& s) {
    RegistrationControls c;
    c.textControls = s.fileLog;
    c.commentControls = s.fileLog && s.checkComment;
    c.binaryControls = s.fileLogBin;
    return c;
}

PickerTime pickerTimeOf(int interval) {
    return {interval / 3600, interval / 60 % 60, interval % 60};
}

int intervalFromPicker(bool valid, const PickerTime& t) {
    int interval = 0;
    if (valid && t.hours >= 0 && t.hours < 24 && t.minutes >= 0 && t.minutes < 60 && t.seconds >= 0 && t.seconds < 60)
        interval = t.hours * 3600 + t.minutes * 60 + t.seconds;
    return interval == 0 ? kMinInterval : interval;
}

int validateRegistration(const RegistrationSettings& s) {
    for (bool on : s.fileChannels)
        if (on) return 0;
    return kMsgNoChannelSelected;
}

namespace {

bool hasExtension(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
           dot + 1 < path.size() && (slash == std::string::npos ? dot > 0 : dot > slash + 1);
}

}  // namespace

std::string withTextExtension(const std::string& path, int filterIndex) {
    if (path.empty() || hasExtension(path)) return path;
    return path + (filterIndex == 1 ? ".csv" : ".txt");
}

std::string withBinaryExtension(const std::string& path) {
    if (path.empty() || hasExtension(path)) return path;
    return path + ".qvg";
}

RegistrationPlan planRegistration(const RegistrationSettings& before, const RegistrationSettings& after,
                                  bool textOpen, bool binaryOpen) {
    RegistrationPlan p;
    p.stopTimer = !after.fileLog && !after.fileLogBin;
    p.closeText = textOpen && !after.fileLog;
    p.closeBinary = binaryOpen && !after.fileLogBin;
    if (after.fileLog) {
        p.reopenText = !textOpen || after.fileName != before.fileName || after.fileLog != before.fileLog ||
                       after.sepFormat != before.sepFormat;
        p.writeText = true;
    }
    if (after.fileLogBin) {
        p.reopenBinary = !binaryOpen || after.fileNameBin != before.fileNameBin ||
                         after.fileLogBin != before.fileLogBin;
        p.writeBinary = true;
    }
    p.startTimer = after.fileLog || after.fileLogBin;
    return p;
}

void applyRegistrationCancel(RegistrationSettings& s, bool textOpen, bool binaryOpen) {
    if (!textOpen) s.fileLog = false;
    if (!binaryOpen) s.fileLogBin = false;
}


}  // namespace mr420
