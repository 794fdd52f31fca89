#include "settings/Settings.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <iterator>
#include <vector>

namespace mr420 {

namespace {

constexpr const char* kGeneral = "GENERAL";
constexpr const char* kLog = "LOG";
constexpr const char* kPorts = "PORTS";
constexpr const char* kChannelSection = nullptr;   // the row's channel names the section
constexpr const char* kLanguageKey = "LANGUAGE";

// How a stored value is kept when it is read (see readSettings).
enum class Rule { AsStored, Clamp, Byte, FaceName };

// One key of mr420.ini. A per-channel row stands for six keys: the stem with
// the channel name appended, in the channel's own section (or in `section`).
// Exactly one of the three accessors is set.
struct SettingRow {
    const char* section;
    const char* key;
    bool perChannel;
    Rule rule;
    std::int32_t low, high;
    std::int32_t& (*integer)(AppSettings&, int channel);
    std::uint32_t& (*colour)(AppSettings&, int channel);
    std::string& (*text)(AppSettings&, int channel);
};

constexpr std::int32_t kNoLow = INT32_MIN, kNoHigh = INT32_MAX;

constexpr SettingRow intRow(const char* section, const char* key, std::int32_t& (*field)(AppSettings&, int),
                            Rule rule = Rule::AsStored, std::int32_t low = kNoLow, std::int32_t high = kNoHigh) {
    return {section, key, false, rule, low, high, field, nullptr, nullptr};
}
constexpr SettingRow colourRow(const char* section, const char* key, std::uint32_t& (*field)(AppSettings&, int)) {
    return {section, key, false, Rule::AsStored, kNoLow, kNoHigh, nullptr, field, nullptr};
}
constexpr SettingRow textRow(const char* section, const char* key, std::string& (*field)(AppSettings&, int),
                             Rule rule = Rule::AsStored) {
    return {section, key, false, rule, kNoLow, kNoHigh, nullptr, nullptr, field};
}
constexpr SettingRow perChannel(SettingRow row) {
    row.perChannel = true;
    return row;
}

#define MR420_INT(member) [](AppSettings& s, int) -> std::int32_t& { return s.member; }
#define MR420_TEXT(member) [](AppSettings& s, int) -> std::string& { return s.member; }
#define MR420_PANE(type, member) [](AppSettings& s, int c) -> type& { return s.panes[std::size_t(c)].member; }

constexpr std::int32_t kCoord = kWindowCoordinateLimit;

// Every setting in the order of a file written from scratch; reading walks
// the same rows (reads have no side effects, so their order is free).
const SettingRow kSettingRows[] = {
    perChannel(colourRow(kChannelSection, "BACKGROUND_", MR420_PANE(std::uint32_t, background))),
    perChannel(colourRow(kChannelSection, "TEXT_", MR420_PANE(std::uint32_t, text))),
    perChannel(intRow(kChannelSection, "FONT_HEIGHT_", MR420_PANE(std::int32_t, fontHeight), Rule::Clamp,
                      -kFontHeightLimit, kFontHeightLimit)),
    perChannel(textRow(kChannelSection, "FONT_NAME_", MR420_PANE(std::string, fontName), Rule::FaceName)),
    perChannel(intRow(kChannelSection, "FONT_ITALIC_", MR420_PANE(std::int32_t, fontItalic), Rule::Byte)),
    perChannel(intRow(kChannelSection, "FONT_WEIGHT_", MR420_PANE(std::int32_t, fontWeight), Rule::Clamp, 0,
                      kFontWeightMax)),
    intRow(kGeneral, "PORT_NR", MR420_INT(portNr)),
    intRow(kGeneral, "WINDOW_TOP", MR420_INT(windowTop), Rule::Clamp, -kCoord, kCoord),
    intRow(kGeneral, "WINDOW_BOTTOM", MR420_INT(windowBottom), Rule::Clamp, -kCoord, kCoord),
    intRow(kGeneral, "WINDOW_LEFT", MR420_INT(windowLeft), Rule::Clamp, -kCoord, kCoord),
    intRow(kGeneral, "WINDOW_RIGHT", MR420_INT(windowRight), Rule::Clamp, -kCoord, kCoord),
    intRow(kGeneral, "TOPMOST", MR420_INT(topmost)),
    intRow(kGeneral, "MEMORY_PPM", MR420_INT(memoryPpm)),
    intRow(kGeneral, "MEMORY_DP", MR420_INT(memoryDp)),
    textRow(kGeneral, kLanguageKey, MR420_TEXT(language)),
    intRow(kGeneral, "SHOW_ADV", MR420_INT(showAdv)),
    textRow(kLog, "FILE_NAME", MR420_TEXT(fileName)),
    textRow(kLog, "FILE_NAME_BIN", MR420_TEXT(fileNameBin)),
    intRow(kLog, "FILE_LOG", MR420_INT(fileLog)),
    intRow(kLog, "FILE_LOG_BIN", MR420_INT(fileLogBin)),
    intRow(kLog, "FILE_SEP_FORMAT", MR420_INT(fileSepFormat)),
    intRow(kLog, "FILE_INTERVAL", MR420_INT(fileInterval), Rule::Clamp, kMinInterval, kMaxInterval),
    perChannel(intRow(kLog, "FILE_", [](AppSettings& s, int c) -> std::int32_t& { return s.fileChannels[std::size_t(c)]; })),
    intRow(kLog, "FILE_CHECK_COMMENT", MR420_INT(fileCheckComment)),
    intRow(kLog, "FILE_CHECK_COMMENT_SN", MR420_INT(fileCheckCommentSn)),
};

#undef MR420_INT
#undef MR420_TEXT
#undef MR420_PANE

// One key of the file: its row, section, name and channel.
struct SettingKey {
    const SettingRow* row;
    std::string section, key;
    int channel;
};

// Every key, spelt out once: the names do not change, and
// reading or writing the settings then builds no string per key.
const std::vector<SettingKey>& settingKeys() {
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> out;
        for (const SettingRow& row : kSettingRows) {
            if (!row.perChannel) {
                out.push_back({&row, row.section, row.key, 0});
                continue;
            }
            for (int c = 0; c < kChannelCount; ++c)
                out.push_back({&row, row.section ? row.section : channelName(c), std::string(row.key) + channelName(c), c});
        }
        // Grouped by section, each section where it first appears and its
        // keys in file order: a file written from scratch comes out the
        // same, and the store finds every key's section at its first look.
        std::vector<SettingKey> grouped;
        grouped.reserve(out.size());
        for (const SettingKey& first : out) {
            if (std::any_of(grouped.begin(), grouped.end(), [&](const SettingKey& k) { return k.section == first.section; }))
                continue;
            std::copy_if(out.begin(), out.end(), std::back_inserter(grouped),
                         [&](const SettingKey& k) { return k.section == first.section; });
        }
        return grouped;
    }();
    return keys;
}

// Calls visit(row, section, key, channel) for every key, in file order.
template <typename Visit>
void forEachSetting(Visit visit) {
    for (const SettingKey& k : settingKeys()) visit(*k.row, k.section, k.key, k.channel);
}

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
        s.panes[std::size_t(c)].background = channelInfo(c).defaultBackground;
        s.panes[std::size_t(c)].text = channelInfo(c).defaultText;
    }
    return s;
}

std::string readLanguage(const IniFile& ini) { return ini.getString(kGeneral, kLanguageKey, ""); }

void readSettings(const IniFile& ini, AppSettings& s) {
    AppSettings d = defaultSettings();
    forEachSetting([&](const SettingRow& row, const std::string& section, const std::string& key, int c) {
        if (row.text) {
            if (row.key == kLanguageKey) return;   // read on its own at start-up
            std::string value = ini.getString(section, key, row.text(d, c));
            row.text(s, c) = row.rule == Rule::FaceName ? cutFaceName(value) : value;
        } else if (row.colour) {
            row.colour(s, c) = ini.getUnsigned(section, key, row.colour(d, c));
        } else {
            const std::int32_t value = ini.getInt(section, key, row.integer(d, c));
            std::int32_t& field = row.integer(s, c);
            switch (row.rule) {
            case Rule::Clamp: field = std::clamp(value, row.low, row.high); break;
            case Rule::Byte: field = static_cast<std::uint8_t>(value); break;
            default: field = value; break;
            }
        }
    });
}

void writeSettings(IniFile& ini, const AppSettings& settings) {
    AppSettings s = settings;   // the accessors hand out references
    forEachSetting([&](const SettingRow& row, const std::string& section, const std::string& key, int c) {
        if (row.text) {
            const std::string& value = row.text(s, c);
            ini.setString(section, key, row.rule == Rule::FaceName ? cutFaceName(value) : value);
        } else if (row.colour) {
            ini.setUnsigned(section, key, row.colour(s, c));
        } else {
            const std::int32_t value = row.integer(s, c);
            ini.setInt(section, key, row.rule == Rule::Byte ? static_cast<std::uint8_t>(value) : value);
        }
    });
}

RegistrationSettings registrationSettingsOf(const AppSettings& app) {
    RegistrationSettings s;
    s.fileLog = app.fileLog != 0;
    s.fileLogBin = app.fileLogBin != 0;
    s.fileName = app.fileName;
    s.fileNameBin = app.fileNameBin;
    s.sepFormat = app.fileSepFormat;
    s.interval = std::clamp<int>(app.fileInterval, kMinInterval, kMaxInterval);
    for (std::size_t c = 0; c < s.fileChannels.size(); ++c) s.fileChannels[c] = app.fileChannels[c] != 0;
    s.checkComment = app.fileCheckComment != 0;
    s.checkCommentSn = app.fileCheckCommentSn != 0;
    return s;
}

void storeRegistrationSettings(const RegistrationSettings& s, AppSettings& app) {
    app.fileLog = s.fileLog ? 1 : 0;
    app.fileLogBin = s.fileLogBin ? 1 : 0;
    app.fileName = s.fileName;
    app.fileNameBin = s.fileNameBin;
    app.fileSepFormat = s.sepFormat;
    app.fileInterval = s.interval;
    for (std::size_t c = 0; c < s.fileChannels.size(); ++c) app.fileChannels[c] = s.fileChannels[c] ? 1 : 0;
    app.fileCheckComment = s.checkComment ? 1 : 0;
    app.fileCheckCommentSn = s.checkCommentSn ? 1 : 0;
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
