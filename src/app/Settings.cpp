#include "app/Settings.h"

#include <algorithm>
#include <climits>

namespace mr420 {

namespace {

constexpr const char* kGeneral = "GENERAL";
constexpr const char* kLog = "LOG";
constexpr const char* kPorts = "PORTS";

struct ChannelDefaults {
    std::uint32_t background;
    std::uint32_t text;
};
constexpr std::array<ChannelDefaults, kChannelCount> kChannelDefaults{{
    {16770250, 8404992},  // TEMP1
    {16767672, 6566400},  // TEMP2
    {16767672, 6566400},  // RH
    {16765092, 4727808},  // PRESSURE
    {13684900, 3158040},  // DP
    {15000776, 3947550},  // WB
}};

std::string key(const char* stem, int channel) { return std::string(stem) + channelName(channel); }

std::int32_t clampTo(std::int32_t v, std::int32_t lo, std::int32_t hi) { return std::clamp(v, lo, hi); }

std::int32_t toInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

std::string cutFaceName(const std::string& name) {
    std::string out = name.substr(0, name.find('\0'));
    if (out.size() > kFaceNameMax) {
        std::size_t cut = kFaceNameMax;
        // Byte `cut` is the first one dropped; if it continues a UTF-8
        // sequence, drop the start of that sequence too.
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    return out;
}

AppSettings defaultSettings() {
    AppSettings s;
    for (int c = 0; c < kChannelCount; ++c) {
        s.panes[c].background = kChannelDefaults[c].background;
        s.panes[c].text = kChannelDefaults[c].text;
    }
    return s;
}

std::string readLanguage(const IniFile& ini) { return ini.getString(kGeneral, "LANGUAGE", ""); }

void readSettings(const IniFile& ini, AppSettings& s) {
    const AppSettings d = defaultSettings();
    for (int c = 0; c < kChannelCount; ++c) {
        const std::string section = channelName(c);
        const PaneSettings& dp = d.panes[c];
        PaneSettings& p = s.panes[c];
        p.background = ini.getUnsigned(section, key("BACKGROUND_", c), dp.background);
        p.text = ini.getUnsigned(section, key("TEXT_", c), dp.text);
        p.fontHeight = clampTo(ini.getInt(section, key("FONT_HEIGHT_", c), dp.fontHeight), -kFontHeightLimit,
                               kFontHeightLimit);
        p.fontName = cutFaceName(ini.getString(section, key("FONT_NAME_", c), dp.fontName));
        p.fontItalic = static_cast<std::uint8_t>(ini.getInt(section, key("FONT_ITALIC_", c), dp.fontItalic));
        p.fontWeight = clampTo(ini.getInt(section, key("FONT_WEIGHT_", c), dp.fontWeight), 0, kFontWeightMax);
    }
    const std::int32_t lim = kWindowCoordinateLimit;
    s.portNr = ini.getInt(kGeneral, "PORT_NR", d.portNr);
    s.windowTop = clampTo(ini.getInt(kGeneral, "WINDOW_TOP", d.windowTop), -lim, lim);
    s.windowBottom = clampTo(ini.getInt(kGeneral, "WINDOW_BOTTOM", d.windowBottom), -lim, lim);
    s.windowLeft = clampTo(ini.getInt(kGeneral, "WINDOW_LEFT", d.windowLeft), -lim, lim);
    s.windowRight = clampTo(ini.getInt(kGeneral, "WINDOW_RIGHT", d.windowRight), -lim, lim);

    s.fileName = ini.getString(kLog, "FILE_NAME", d.fileName);
    s.fileNameBin = ini.getString(kLog, "FILE_NAME_BIN", d.fileNameBin);
    s.fileLog = ini.getInt(kLog, "FILE_LOG", d.fileLog);
    s.fileLogBin = ini.getInt(kLog, "FILE_LOG_BIN", d.fileLogBin);
    s.fileSepFormat = ini.getInt(kLog, "FILE_SEP_FORMAT", d.fileSepFormat);
    s.fileInterval = clampTo(ini.getInt(kLog, "FILE_INTERVAL", d.fileInterval), kFileIntervalMin, kFileIntervalMax);
    for (int c = 0; c < kChannelCount; ++c)
        s.fileChannels[c] = ini.getInt(kLog, key("FILE_", c), d.fileChannels[c]);

    s.topmost = ini.getInt(kGeneral, "TOPMOST", d.topmost);
    s.fileCheckComment = ini.getInt(kLog, "FILE_CHECK_COMMENT", d.fileCheckComment);
    s.fileCheckCommentSn = ini.getInt(kLog, "FILE_CHECK_COMMENT_SN", d.fileCheckCommentSn);
    s.memoryPpm = ini.getInt(kGeneral, "MEMORY_PPM", d.memoryPpm);
    s.memoryDp = ini.getInt(kGeneral, "MEMORY_DP", d.memoryDp);
    s.showAdv = ini.getInt(kGeneral, "SHOW_ADV", d.showAdv);
}

void writeSettings(IniFile& ini, const AppSettings& s) {
    for (int c = 0; c < kChannelCount; ++c) {
        const std::string section = channelName(c);
        const PaneSettings& p = s.panes[c];
        ini.setUnsigned(section, key("BACKGROUND_", c), p.background);
        ini.setUnsigned(section, key("TEXT_", c), p.text);
        ini.setInt(section, key("FONT_HEIGHT_", c), p.fontHeight);
        ini.setString(section, key("FONT_NAME_", c), cutFaceName(p.fontName));
        ini.setInt(section, key("FONT_ITALIC_", c), static_cast<std::uint8_t>(p.fontItalic));
        ini.setInt(section, key("FONT_WEIGHT_", c), p.fontWeight);
    }
    ini.setInt(kGeneral, "PORT_NR", s.portNr);
    ini.setInt(kGeneral, "WINDOW_TOP", s.windowTop);
    ini.setInt(kGeneral, "WINDOW_BOTTOM", s.windowBottom);
    ini.setInt(kGeneral, "WINDOW_LEFT", s.windowLeft);
    ini.setInt(kGeneral, "WINDOW_RIGHT", s.windowRight);
    ini.setInt(kGeneral, "TOPMOST", s.topmost);
    ini.setInt(kGeneral, "MEMORY_PPM", s.memoryPpm);
    ini.setInt(kGeneral, "MEMORY_DP", s.memoryDp);
    ini.setString(kGeneral, "LANGUAGE", s.language);
    ini.setInt(kGeneral, "SHOW_ADV", s.showAdv);

    ini.setString(kLog, "FILE_NAME", s.fileName);
    ini.setString(kLog, "FILE_NAME_BIN", s.fileNameBin);
    ini.setInt(kLog, "FILE_LOG", s.fileLog);
    ini.setInt(kLog, "FILE_LOG_BIN", s.fileLogBin);
    ini.setInt(kLog, "FILE_SEP_FORMAT", s.fileSepFormat);
    ini.setInt(kLog, "FILE_INTERVAL", s.fileInterval);
    for (int c = 0; c < kChannelCount; ++c) ini.setInt(kLog, key("FILE_", c), s.fileChannels[c]);
    ini.setInt(kLog, "FILE_CHECK_COMMENT", s.fileCheckComment);
    ini.setInt(kLog, "FILE_CHECK_COMMENT_SN", s.fileCheckCommentSn);
}

void correctWindowRect(AppSettings& s, int screenWidth, int screenHeight) {
    std::int64_t left = s.windowLeft, right = s.windowRight, top = s.windowTop, bottom = s.windowBottom;
    if (right > std::int64_t{screenWidth} + 10) {
        left -= right - screenWidth;
        right = screenWidth;
    }
    if (bottom > std::int64_t{screenHeight} + 10) {
        top -= bottom - screenHeight;
        bottom = screenHeight;
    }
    if (top < -10) top = 0;
    if (left < -10) left = 0;
    s.windowLeft = toInt32(left);
    s.windowRight = toInt32(right);
    s.windowTop = toInt32(top);
    s.windowBottom = toInt32(bottom);
}

std::map<int, std::string> readPortAliases(const IniFile& ini) {
    std::map<int, std::string> aliases;
    for (const auto& [k, v] : ini.entries(kPorts)) {
        if (k.size() < 4 || k.size() > 12 || !equalsCaseBlind(k.substr(0, 3), "COM")) continue;
        const std::string digits = k.substr(3);
        if (!std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) continue;
        const std::int64_t n = parseLeadingInteger(digits);
        if (n < 1) continue;
        const std::size_t semicolon = v.rfind(';');
        std::string path = semicolon == std::string::npos ? v : v.substr(0, semicolon);
        if (path.empty()) {
            aliases.erase(static_cast<int>(n));
            continue;
        }
        aliases[static_cast<int>(n)] = path;
    }
    return aliases;
}

}  // namespace mr420
