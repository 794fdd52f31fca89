#include "config/ModemModels.h"

#include <algorithm>

#include "base/NumberText.h"
#include "base/StringTable.h"
#include "base/Win1250.h"

namespace mr420 {

namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool digit(char c) { return c >= '0' && c <= '9'; }

// An address slot of erased panel memory reads 255.255.255.255: no address.
Ipv4Address panelAddress(const std::array<std::uint8_t, 4>& octets) {
    const bool erased = std::all_of(octets.begin(), octets.end(), [](std::uint8_t o) { return o == 0xFF; });
    return erased ? Ipv4Address{} : octets;
}

// The groups of an address text between its full stops.
std::array<std::string_view, 5> addressGroups(std::string_view text, int& count) {
    std::array<std::string_view, 5> groups{};
    count = 0;
    std::size_t start = 0;
    while (count < 5) {
        const std::size_t dot = text.find('.', start);
        groups[static_cast<std::size_t>(count++)] = text.substr(start, dot == std::string_view::npos ? dot : dot - start);
        if (dot == std::string_view::npos) return groups;
        start = dot + 1;
    }
    count = 6;   // more than four full stops
    return groups;
}

// An octet group as a field holds it: up to three digits, no more than 255.
bool octetGroup(std::string_view g) {
    if (g.size() > 3 || !std::all_of(g.begin(), g.end(), digit)) return false;
    return leadingDigits(g) <= 255;
}

}  // namespace

// --- small helpers ------------------------------------------------------------------

ModemOptionChoices ModemOptionChoices::fromWord(std::uint32_t word) {
    namespace B = modem_option;
    ModemOptionChoices c;
    c.pppKept = (word & B::kPppKept) != 0;
    c.udp = (word & B::kUdp) != 0;
    if (word & B::kModemOnly)
        c.devices = RecordingDevices::Modem;
    else if (word & B::kMemoryOnly)
        c.devices = RecordingDevices::Memory;
    else
        c.devices = RecordingDevices::MemoryAndModem;
    c.alarmSms = (word & B::kAlarmSms) != 0;
    c.alarmNetwork = (word & B::kAlarmNetwork) != 0;
    return c;
}

std::uint32_t ModemOptionChoices::toWord() const {
    namespace B = modem_option;
    std::uint32_t word = 0;
    if (alarmNetwork) word |= B::kAlarmNetwork;
    if (alarmSms) word |= B::kAlarmSms;
    if (devices == RecordingDevices::Modem) word |= B::kModemOnly;
    if (devices == RecordingDevices::Memory) word |= B::kMemoryOnly;
    if (udp) word |= B::kUdp;
    if (pppKept) word |= B::kPppKept;
    return word;
}

std::string cleanUpText(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && blank(text[first])) ++first;
    std::size_t end = first;
    while (end < text.size() && !blank(text[end])) ++end;
    return std::string(text.substr(first, end - first));
}

std::string padWithSpaces(std::string_view text) { return std::string(text) + std::string(kLongWireText, ' '); }

std::string wireText(std::string_view utf8, std::size_t length) {
    std::string out = padWithSpaces(utf8ToWin1250(utf8));
    out.resize(length, ' ');
    return out;
}

std::string panelText(std::string_view win1250) {
    std::string bytes;
    for (const char c : win1250) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0x00) break;
        // Erased memory and control codes are no part of a text.
        bytes.push_back(b == 0xFF || b < 0x20 ? ' ' : c);
    }
    while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
    return win1250ToUtf8(bytes);
}

UserMessage codePageRefusal(std::string_view utf8) {
    if (const char32_t c = firstCharacterOutsideWin1250(utf8))
        return {string_id::kCharacterNotInCodePage, MessageIcon::Information, c};
    return {};
}

bool phoneNumberCharacter(char32_t c) { return (c >= U'0' && c <= U'9') || c == U'#' || c == U'*'; }

std::string phoneNumberText(std::string_view text) {
    // UTF-8 sequences never contain ASCII bytes, so a byte filter is enough.
    std::string out;
    for (const char c : text)
        if (phoneNumberCharacter(static_cast<unsigned char>(c))) out.push_back(c);
    return out;
}

std::optional<Ipv4Address> parseIpv4(std::string_view text) {
    int count = 0;
    const auto groups = addressGroups(text, count);
    if (count != 4) return std::nullopt;
    Ipv4Address a{};
    for (std::size_t i = 0; i < 4; ++i) {
        if (groups[i].empty() || !octetGroup(groups[i])) return std::nullopt;
        a[i] = static_cast<std::uint8_t>(leadingDigits(groups[i]));
    }
    return a;
}

std::string formatIpv4(const Ipv4Address& a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
           std::to_string(a[3]);
}

bool ipv4FieldText(std::string_view text) {
    int count = 0;
    const auto groups = addressGroups(text, count);
    if (count > 4) return false;
    for (int i = 0; i < count; ++i)
        if (!octetGroup(groups[static_cast<std::size_t>(i)])) return false;
    return true;
}

std::optional<Ipv4Address> ipv4FieldValue(std::string_view text) {
    if (!ipv4FieldText(text)) return std::nullopt;
    int count = 0;
    const auto groups = addressGroups(text, count);
    Ipv4Address a{};
    for (int i = 0; i < count; ++i)
        a[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(leadingDigits(groups[static_cast<std::size_t>(i)]));
    return a;
}

// --- modem settings -------------------------------------------------------------------

void ModemSettingsModel::reset(const PanelState& state) {
    firmwareVersion_ = state.firmwareVersion;
    if (!backupServerSupported()) {
        settings_.backupActive = false;
        settings_.backupAddress = {};
        settings_.backupPort = 1;
        settings_.attempts = 0;
    }
    shown_ = settings_;
}

void ModemSettingsModel::fill(const PanelState& state) {
    firmwareVersion_ = state.firmwareVersion;
    ModemSettings& s = panel_;
    s.options = ModemOptionChoices::fromWord(static_cast<std::uint32_t>(state.modemOptions));
    for (std::size_t i = 0; i < s.smsNumbers.size(); ++i)
        s.smsNumbers[i] = phoneNumberText(panelText(state.smsNumbers[i]));
    s.serverAddress = panelAddress(state.serverAddress);
    s.serverPort = std::clamp<long long>(state.serverPort, 0, kMaxPort);
    if (backupServerSupported()) {
        s.backupAddress = panelAddress(state.backupServerAddress);
        s.backupActive = !isZeroAddress(s.backupAddress);
        s.backupPort = std::clamp<long long>(state.backupServerPort, 1, kMaxPort);
        s.attempts = std::clamp<long long>(state.connectionAttemptsPerDay, 1, kMaxAttempts);
    } else {
        s.backupActive = false;
        s.backupAddress = {};
        s.backupPort = 1;
        s.attempts = 0;
    }
    s.stationName = panelText(state.stationName);
    s.apn = panelText(state.apn);
    s.papLogin = panelText(state.papLogin);
    s.internetAllowed = state.internetAllowed != 0;
    settings_ = s;
    shown_ = s;
}

UserMessage ModemSettingsModel::accept() {
    using namespace string_id;
    const auto refuse = [this](UserMessage message, ModemControl control) {
        refused_ = control;
        return message;
    };
    refused_ = ModemControl::None;
    ModemSettings s = shown_;
    if (!backupServerSupported()) s.backupActive = false;
    if (s.backupActive) {
        if (isZeroAddress(s.backupAddress))
            return refuse({kBackupServerAddressMissing, MessageIcon::None}, ModemControl::BackupServerActive);
        if (s.backupPort < 1 || s.backupPort > kMaxPort)
            return refuse({kBackupServerPortMissing, MessageIcon::None}, ModemControl::BackupPort);
    }
    // Below 2.08 the field stays empty (0) and is not sent; above 30 is
    // refused whatever the firmware.
    if ((backupServerSupported() && s.attempts < 1) || s.attempts > kMaxAttempts)
        return refuse({kConnectionAttemptsRange, MessageIcon::None}, ModemControl::Attempts);

    for (std::string& number : s.smsNumbers) number = phoneNumberText(number);
    s.serverPort = std::clamp<long long>(s.serverPort, 0, kMaxPort);
    if (!s.backupActive) {
        s.backupAddress = {};
        s.backupPort = 1;
    }
    const struct {
        std::string ModemSettings::*text;
        ModemControl control;
    } texts[] = {{&ModemSettings::stationName, ModemControl::StationName},
                 {&ModemSettings::apn, ModemControl::Apn},
                 {&ModemSettings::papLogin, ModemControl::PapLogin}};
    for (const auto& t : texts) {
        std::string& text = s.*t.text;
        if (typed_ == TypedText::CleanedUp && text != panel_.*t.text) text = cleanUpText(text);
        if (const UserMessage refused = codePageRefusal(text)) return refuse(refused, t.control);
    }
    settings_ = s;
    return {};
}

void ModemSettingsModel::store(WriteArguments& args) const {
    const ModemSettings& s = settings_;
    args.modemOptions = s.options.toWord();
    for (std::size_t i = 0; i < s.smsNumbers.size(); ++i)
        args.smsNumbers[i] = wireText(phoneNumberText(s.smsNumbers[i]), kShortWireText);
    args.serverAddress = s.serverAddress;
    args.serverPort = static_cast<std::uint32_t>(std::clamp<long long>(s.serverPort, 0, kMaxPort));
    // An unused backup server goes out as 0.0.0.0, port 1 (firmware 2.08 on;
    // earlier panels are not sent it).
    const bool backup = s.backupActive && backupServerSupported();
    args.backupServerAddress = backup ? s.backupAddress : Ipv4Address{};
    args.backupServerPort = backup ? static_cast<std::uint32_t>(std::clamp<long long>(s.backupPort, 1, kMaxPort)) : 1u;
    args.connectionAttemptsPerDay = static_cast<std::uint32_t>(std::clamp<long long>(s.attempts, 0, kMaxAttempts));
    args.apn = wireText(s.apn, kLongWireText);
    args.papLogin = wireText(s.papLogin, kLongWireText);
    args.stationName = wireText(s.stationName, kShortWireText);
    args.internetAllowed = s.internetAllowed ? 1u : 0u;
}

UserMessage ModemSettingsModel::internetNote(bool allowed) {
    if (allowed) return {};
    return {string_id::kInternetBlockedNote, MessageIcon::None};
}

UserMessage ModemSettingsModel::internetPermissionChanged(bool allowed) {
    if (allowed) return {string_id::kInternetUnblocked, MessageIcon::None};
    return {string_id::kInternetBlocked, MessageIcon::Stop};
}

// --- PIN ----------------------------------------------------------------------------

UserMessage PinModel::accept() {
    const std::string_view text = text_;
    std::size_t first = 0, end = text.size();
    while (first < end && blank(text[first])) ++first;
    while (end > first && blank(text[end - 1])) --end;
    const std::string_view pin = text.substr(first, end - first);
    if (pin.size() != 4 || !std::all_of(pin.begin(), pin.end(), digit)) {
        pin_.reset();
        text_.clear();
        return {string_id::kPinFourDigits, MessageIcon::Information};
    }
    pin_ = static_cast<int>(leadingDigits(pin));
    return {};
}

UserMessage PinModel::confirmation() { return {string_id::kPinConfirm, MessageIcon::Exclamation}; }

// Only reached after accept() took a PIN; the frame carries four digits.
void PinModel::store(WriteArguments& args) const { args.pin = static_cast<std::uint32_t>(pin_.value_or(0) % 10000); }

// --- PAP password ---------------------------------------------------------------------

UserMessage PapPasswordModel::accept() {
    if (const UserMessage refused = codePageRefusal(text_)) return refused;
    password_ = text_;
    return {};
}

UserMessage PapPasswordModel::confirmation() { return {string_id::kPapConfirm, MessageIcon::Exclamation}; }

void PapPasswordModel::store(WriteArguments& args) const { args.papPassword = wireText(password_, kLongWireText); }

}  // namespace mr420
