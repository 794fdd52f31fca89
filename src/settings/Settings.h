#pragma once
// The settings of mr420.ini: every key with its section, type, default and
// limits, in one table that reading at start-up and writing at exit both walk.

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "base/IniFile.h"
#include "settings/SettingsLocation.h"
#include "base/Channel.h"
#include "recording/RegistrationSettings.h"

namespace mr420 {


// The face-name field of a logical font holds 31 characters and a NUL.
constexpr std::size_t kFaceNameMax = 31;
// Limits applied when reading (see readSettings).
constexpr std::int32_t kFontHeightLimit = 2000;
constexpr std::int32_t kFontWeightMax = 1000;
constexpr std::int32_t kWindowCoordinateLimit = 1000000;

struct PaneSettings {
    std::uint32_t background = 0;  // red + 256 * green + 65536 * blue
    std::uint32_t text = 0;
    std::int32_t fontHeight = 60;  // logical-font height; negative = character height
    std::string fontName = "Arial";
    std::int32_t fontItalic = 0;  // one byte, 0..255
    std::int32_t fontWeight = 0;  // 0 = default weight
};

struct AppSettings {
    std::array<PaneSettings, kChannelCount> panes;
    std::string language;  // "pl", "en", another code, or empty (ask)
    std::int32_t portNr = 0;
    std::int32_t windowTop = 100, windowBottom = 500, windowLeft = 100, windowRight = 700;
    std::int32_t topmost = 0;
    std::int32_t memoryPpm = 1, memoryDp = 1;
    std::int32_t showAdv = 1;
    std::string fileName, fileNameBin;
    std::int32_t fileLog = 0, fileLogBin = 0, fileSepFormat = 0, fileInterval = 60;
    std::array<std::int32_t, kChannelCount> fileChannels{1, 1, 1, 1, 1, 1};
    std::int32_t fileCheckComment = 0, fileCheckCommentSn = 0;
};

// Every setting at its default (the per-channel colours included).
AppSettings defaultSettings();

// [GENERAL] LANGUAGE, empty when missing. Start-up reads it on its own, before
// the main window exists; readSettings leaves `language` alone.
std::string readLanguage(const IniFile&);

// Reads every setting except LANGUAGE in start-up order; a missing key gives
// its default. Values are kept as stored except where they would break the
// program:
//  - FONT_NAME_X: cut at a NUL byte and to 31 bytes, backing off so that a
//    UTF-8 character is not split;
//  - FONT_ITALIC_X: kept as one byte (256 -> 0, -1 -> 255);
//  - FONT_HEIGHT_X: clamped to -2000..2000 (a font of millions of pixels
//    cannot be rasterised);
//  - FONT_WEIGHT_X: clamped to 0..1000, the range of a logical font;
//  - WINDOW_*: clamped to -1000000..1000000, so that widths and heights and
//    the exit correction cannot overflow; far off-screen places stay and are
//    corrected at exit;
//  - FILE_INTERVAL: clamped to 1..86399 s, the range the registration dialog
//    allows; 0 or less would make the timer spin, more than 2147483 s would
//    overflow its period in milliseconds.
void readSettings(const IniFile&, AppSettings&);

// Writes every setting, LANGUAGE included, in the order of a file written from
// scratch. The face name is cut and the italic flag taken as a byte, as the
// logical font would hold them.
void writeSettings(IniFile&, const AppSettings&);

// The exit correction against a screen of the given size: a right edge past
// width + 10 moves the rectangle left so that right = width; a bottom past
// height + 10 moves it up so that bottom = height; then top < -10 becomes 0
// and left < -10 becomes 0 (the opposite edges stay). Results are kept within
// the int32 range.
void correctWindowRect(AppSettings&, int screenWidth, int screenHeight);

// [PORTS] aliases: keys "COMn" (any letter case, n = 1..999999999 in plain
// digits) with a device path as value. The value loses everything from its
// last ';' like every text read; other keys are skipped. Of duplicates the
// last counts, and a last one with an empty path leaves that number without
// an alias.
std::map<int, std::string> readPortAliases(const IniFile&);

// Section LOG <-> the registration settings. The interval is kept within
// 1..86399 s.
RegistrationSettings registrationSettingsOf(const AppSettings& app);
void storeRegistrationSettings(const RegistrationSettings& s, AppSettings& app);

// Cuts a face name as the logical font's field holds it (see readSettings).
std::string cutFaceName(const std::string& name);

}  // namespace mr420
