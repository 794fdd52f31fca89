#include "ui/MenuTable.h"

#include <utility>

namespace mr420 {

const std::vector<MenuPopup>& mainMenu() {
    using namespace menu_id;
    static const std::vector<MenuPopup> kMenu = {
        {"&Program", {{kRunVimo, "&Uruchom Vimo"}, {0, nullptr}, {kClose, "&Zamknij", "Ctrl+Q"}}},
        {"&Widok",
         {{kColours, "&Kolory"}, {kFonts, "&Czcionki"}, {kAlwaysOnTop, "&Zawsze na wierzchu"}, {kChart, "&Wykres"}}},
        {"&Ustawienia",
         {{kSerialPort, "&Port szeregowy"},
          {kRegistration, "&Rejestracja do pliku"},
          {kLanguage, "&Język"},
          {kAdditionalSettings, "Ustawienia &dodatkowe"}}},
        {"P&anel",
         {{kPanelInformation, "&Informacje o panelu"},
          {kDisplay, "&Wyświetlanie"},
          {kDateTime, "&Data i czas"},
          {kDefaultPressure, "&Ciśnienie domyślne"},
          {kAutoOff, "Czas &autowyłączania"},
          {kModemOptions, "&Opcje modemu"},
          {kModemThresholds, "&Progi alarmowe modemu"},
          {kModemPin, "Zmiana numeru PI&N modemu"},
          {kModemPap, "Zmiana &hasła PAP modemu"},
          {kHistoryDisplay, "Wyświetlanie his&torii na panelu"},
          {kExceedance, "&Sygnalizacja przekroczeń"},
          {kBattery, "&Bateria"},
          {kPowerLoss, "Sygnalizacja &zaniku zasilania"}}},
        {"Pa&mięć",
         {{kMemoryRead, "&Odczyt danych"},
          {kMemoryErase, "&Usuń zawartość pamięci"},
          {kLoggingSettings, "Ustawienia &rejestracji"}}},
        {"Pomo&c", {{kHelp, "&Pomoc", "F1"}, {kPromotion, "Program &VKS"}, {kAbout, "&O programie"}}},
    };
    return kMenu;
}

namespace {

std::function<std::optional<std::string>(const std::string&)>& overrideLookup() {
    static std::function<std::optional<std::string>(const std::string&)> lookup;
    return lookup;
}

std::string lookUp(const std::string& key, const char* builtin) {
    if (const auto& lookup = overrideLookup()) {
        if (auto text = lookup(key)) return *text;
    }
    return builtin ? std::string(builtin) : std::string();
}

}  // namespace

const char* builtinMenuText(int id) {
    if (id == 0) return nullptr;
    for (const MenuPopup& popup : mainMenu())
        for (const MenuEntry& e : popup.entries)
            if (e.id == id) return e.text;
    return nullptr;
}

std::string withoutMnemonic(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

std::string menuTranslationKey(int id) { return std::to_string(id); }
std::string menuPopupTranslationKey(int index) { return "popup " + std::to_string(index); }

std::string menuText(int id) {
    const char* builtin = builtinMenuText(id);
    if (!builtin) return {};
    return lookUp(menuTranslationKey(id), builtin);
}

std::string menuPopupTitle(int index) {
    const auto& menu = mainMenu();
    if (index < 0 || index >= static_cast<int>(menu.size())) return {};
    return lookUp(menuPopupTranslationKey(index), menu[static_cast<std::size_t>(index)].title);
}

void setMenuOverride(std::function<std::optional<std::string>(const std::string& key)> lookup) {
    overrideLookup() = std::move(lookup);
}

}  // namespace mr420
