#pragma once
// The main window's menu: popups and entries with their command ids,
// Polish texts and keyboard shortcuts. The front end builds the menu from it;
// texts are looked up through menuText so that a loaded language can replace
// them. A '&' marks the letter that opens a popup or picks an entry with the
// keyboard (its mnemonic); no two titles, nor two entries of one popup,
// share a letter.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mr420 {

namespace menu_id {
constexpr int kRunVimo = 32795;
constexpr int kClose = 32783;
constexpr int kColours = 32780;
constexpr int kFonts = 32781;
constexpr int kAlwaysOnTop = 32772;
constexpr int kSerialPort = 32771;
constexpr int kRegistration = 32773;
constexpr int kLanguage = 32797;
constexpr int kAdditionalSettings = 32801;
constexpr int kPanelInformation = 32785;
constexpr int kDisplay = 32788;
constexpr int kDateTime = 32774;
constexpr int kDefaultPressure = 32789;
constexpr int kAutoOff = 32787;
constexpr int kModemOptions = 32784;
constexpr int kModemThresholds = 32786;
constexpr int kModemPin = 32791;
constexpr int kModemPap = 32793;
constexpr int kHistoryDisplay = 32794;
constexpr int kExceedance = 32796;
constexpr int kBattery = 32798;
constexpr int kPowerLoss = 32799;
constexpr int kMemoryRead = 32776;
constexpr int kMemoryErase = 32777;
constexpr int kLoggingSettings = 32775;
constexpr int kHelp = 32778;
constexpr int kPromotion = 32802;
constexpr int kAbout = 32779;
constexpr int kChart = 32803;
constexpr int kSystemAbout = 16;   // the system-menu entry of string 101
}  // namespace menu_id

struct MenuEntry {
    int id;                        // 0 = separator
    const char* text;              // Polish, nullptr for a separator
    const char* shortcut = nullptr;  // in portable text ("Ctrl+Q"), the same in every language
};

struct MenuPopup {
    const char* title;  // Polish
    std::vector<MenuEntry> entries;
};

// The menu bar, left to right.
const std::vector<MenuPopup>& mainMenu();

// Built-in Polish text of a command id, nullptr if there is none.
const char* builtinMenuText(int id);

// Text of a command id, through the override when it has one.
std::string menuText(int id);
// Text of a popup title (by its index in mainMenu), through the override.
std::string menuPopupTitle(int index);

// A menu text as it reads, without its mnemonic mark ("&&" stands for '&').
std::string withoutMnemonic(const std::string& text);

// Key under which a menu text is stored in a translation file: the command
// id in decimal, "popup <index>" for a popup title.
std::string menuTranslationKey(int id);
std::string menuPopupTranslationKey(int index);

// The lookup receives the translation key and returns the text in the loaded
// language, or nothing to keep the Polish text.
void setMenuOverride(std::function<std::optional<std::string>(const std::string& key)> lookup);

}  // namespace mr420
