#pragma once
// The models of the three modem dialogs: "Ustawienia modemu" (everything the
// panel's GSM/GPRS modem uses, read from the panel and written back in one
// chain), "Numer PIN karty SIM" and "Zmiana hasła PAP" (both write only).
//
// Texts travel as Windows-1250 bytes. The models keep what the dialogs show
// as UTF-8 and convert on the way in and out; OK refuses a text with a
// character the code page lacks, naming it. A value the panel cannot mean (an erased text slot,
// an address of 255.255.255.255, a port or an attempt count out of range)
// shows as the nearest valid setting, and OK only ever hands the write
// arguments values that fit their frames.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/UserMessage.h"
#include "config/ConfigController.h"
#include "protocol/CommandChains.h"

namespace mr420 {

// --- small helpers ------------------------------------------------------------------

// The bits of the panel's modemOptions word. Bits 2, 3 and 8 to 15 carry no
// setting and are always written as 0.
namespace modem_option {
constexpr std::uint32_t kAlarmNetwork = 1u << 0;   // "Sieć"
constexpr std::uint32_t kAlarmSms = 1u << 1;       // "SMS"
constexpr std::uint32_t kMemoryOnly = 1u << 4;     // "Pamięć"
constexpr std::uint32_t kModemOnly = 1u << 5;      // "Modem" (wins over kMemoryOnly)
constexpr std::uint32_t kUdp = 1u << 6;            // "UDP" (clear: "TCP")
constexpr std::uint32_t kPppKept = 1u << 7;        // "Ciągłe" (clear: "Rozłączane")
}  // namespace modem_option

enum class RecordingDevices { Memory, Modem, MemoryAndModem };

// The radio buttons and check boxes that the modemOptions word sets.
struct ModemOptionChoices {
    bool pppKept = false;
    bool udp = false;
    RecordingDevices devices = RecordingDevices::MemoryAndModem;
    bool alarmSms = false;
    bool alarmNetwork = false;
    bool operator==(const ModemOptionChoices&) const = default;

    static ModemOptionChoices fromWord(std::uint32_t word);
    // Only bits 0, 1 and 4 to 7.
    std::uint32_t toWord() const;
};

// Lengths of the texts on the wire: five chunks of three characters for the
// SMS numbers and the station name, eleven for the APN, PAP login and
// password.
constexpr std::size_t kShortWireText = 15;
constexpr std::size_t kLongWireText = 33;

// The clean-up of a text the user typed: leading blanks removed, then the
// text cut at its first blank. A text read from the panel is kept as the
// panel holds it.
std::string cleanUpText(std::string_view text);

// A text as stored for the write: followed by 33 spaces.
std::string padWithSpaces(std::string_view text);

// A UTF-8 text as its frames carry it: Windows-1250 ('?' for a character
// the code page lacks), padded with spaces and cut to `length` characters.
std::string wireText(std::string_view utf8, std::size_t length);

// A text slot of the panel as UTF-8: a zero byte ends it, 0xFF bytes (erased
// memory) and control codes count as spaces, the trailing spaces (the
// panel's padding) are dropped. A slot full of 0xFF or 0x00 shows as empty.
std::string panelText(std::string_view win1250);

// The refusal of a text with a character outside Windows-1250, naming it;
// none for a text the panel can hold.
UserMessage codePageRefusal(std::string_view utf8);

// What a phone number field can hold: digits, '#' and '*'.
bool phoneNumberCharacter(char32_t c);
// The characters of `text` that a phone number field can hold, in order.
std::string phoneNumberText(std::string_view text);


using Ipv4Address = std::array<std::uint8_t, 4>;

// Exactly four decimal octets 0..255 (one to three digits each) separated
// by full stops; anything else is refused.
std::optional<Ipv4Address> parseIpv4(std::string_view text);
std::string formatIpv4(const Ipv4Address& address);
// Whether an address field may hold `text` while it is being typed: at most
// four groups of at most three digits, each no more than 255, separated by
// full stops.
bool ipv4FieldText(std::string_view text);
// The address a field holding such a text means: missing or empty octets
// read 0 ("10.1." is 10.1.0.0). nullopt for a text the field cannot hold.
std::optional<Ipv4Address> ipv4FieldValue(std::string_view text);

constexpr bool isZeroAddress(const Ipv4Address& a) { return a[0] == 0 && a[1] == 0 && a[2] == 0 && a[3] == 0; }

// --- modem settings -------------------------------------------------------------------

// The controls of "Ustawienia modemu" that OK may send the user back to.
enum class ModemControl { None, BackupServerActive, BackupPort, Attempts, StationName, Apn, PapLogin };

// What the dialog's controls hold, in display form.
struct ModemSettings {
    ModemOptionChoices options;
    std::array<std::string, 6> smsNumbers;   // 0 the SMS centre, 1..5 the numbers
    Ipv4Address serverAddress{};
    long long serverPort = 0;
    bool backupActive = false;
    Ipv4Address backupAddress{};
    long long backupPort = 1;
    long long attempts = 0;                  // 0 for an empty field
    std::string stationName;
    std::string apn;
    std::string papLogin;
    bool internetAllowed = false;
    bool operator==(const ModemSettings&) const = default;
};

// How OK takes a text the user changed: cleaned up (cleanUpText) as the
// dialog's fields clean it, or exactly as given (the command line).
enum class TypedText { CleanedUp, Exact };

// "Ustawienia modemu". The settings stay from one showing to the next; the
// panel's reply replaces them.
class ModemSettingsModel : public ConfigModel {
public:
    static constexpr long long kMaxPort = 65535;
    static constexpr long long kMaxAttempts = 30;

    explicit ModemSettingsModel(TypedText typed = TypedText::CleanedUp) : typed_(typed) {}

    // A new showing for the panel at hand; a panel before 2.08 has no backup
    // server and no attempts, so their controls stay empty.
    void reset(const PanelState& state) override;
    // The reply to 027400: the whole chain's values into the controls.
    void fill(const PanelState& state) override;
    // OK with what the controls hold. The checks run in order (backup
    // address, backup port, attempts, then a character outside Windows-1250
    // in the station name, APN and PAP login) and stop at the first that
    // fails; when all pass the settings are taken for the write. A text that
    // differs from the panel's is cleaned up first, unless texts are Exact.
    UserMessage accept() override;
    // After OK: the accepted settings, as their frames carry them.
    void store(WriteArguments& args) const override;

    // Backup server and attempts from the firmware on which the chains send them.
    bool backupServerSupported() const { return firmwareVersion_ >= kBackupServerFirmware; }
    // What the controls hold: the settings as the showing opened, changed
    // field by field.
    ModemSettings& shown() { return shown_; }
    const ModemSettings& shown() const { return shown_; }
    // The control the last refusal of OK sends the user back to.
    ModemControl refusedControl() const { return refused_; }
    // The settings as the last reply filled them or OK took them.
    const ModemSettings& settings() const { return settings_; }
    // The settings as the last reply filled them.
    const ModemSettings& panelSettings() const { return panel_; }

    // The note under the GPRS/Internet permission: empty while it is given.
    static UserMessage internetNote(bool allowed);
    // The message when the user checks or unchecks the permission.
    static UserMessage internetPermissionChanged(bool allowed);

private:
    TypedText typed_;
    int firmwareVersion_ = 0;
    ModemSettings shown_;
    ModemSettings settings_;
    ModemSettings panel_;   // as the last reply filled them
    ModemControl refused_ = ModemControl::None;
};

// --- PIN ----------------------------------------------------------------------------

// "Numer PIN karty SIM": four digits, leading zeros kept.
class PinModel : public ConfigModel {
public:
    // Opens with nothing: the PIN is never kept from one showing to the next.
    void reset(const PanelState&) override {
        text_.clear();
        pin_.reset();
    }
    void fill(const PanelState&) override {}
    // OK with the field's text: the four-digit message when the text without
    // leading and trailing blanks is not exactly four digits (nothing of it
    // is kept then); otherwise the PIN is taken and the question to confirm
    // it is to be asked.
    UserMessage accept() override;
    void store(WriteArguments& args) const override;

    void setText(std::string_view text) { text_ = text; }
    static UserMessage confirmation();

    std::optional<int> pin() const { return pin_; }

private:
    std::string text_;
    std::optional<int> pin_;
};

// "Zmiana hasła PAP": the program sends the password and never reads it back.
class PapPasswordModel : public ConfigModel {
public:
    void reset(const PanelState&) override {
        text_.clear();
        password_.clear();
    }
    void fill(const PanelState&) override {}
    // OK with the field's text, before the confirmation: the message naming
    // a character outside Windows-1250, or none and the password is taken.
    UserMessage accept() override;
    void store(WriteArguments& args) const override;

    void setText(std::string_view text) { text_ = text; }
    static UserMessage confirmation();

private:
    std::string text_;
    std::string password_;
};

}  // namespace mr420
