// The models of the modem settings, PIN and PAP dialogs: the options word
// both ways, the text clean-up and the code page, addresses, the checks of
// OK in their order, the firmware rules, what a bad reply shows, and the
// bytes the frames then carry.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/StringTable.h"
#include "config/ModemModels.h"
#include "protocol/CommandBuilder.h"
#include "protocol/PanelCommand.h"
#include "support/PanelStates.h"

namespace mr420 {
namespace {

using D = RecordingDevices;
using A = Ipv4Address;

std::string frame(PanelCommand command, const WriteArguments& a, const ChainCounters& c = {}) {
    return CommandBuilder::buildFrame(toNumber(command), a, c);
}

TEST(ModemOptions, EveryControlReadsItsBits) {
    struct Case {
        std::uint32_t word;
        ModemOptionChoices shown;   // ppp kept, udp, devices, sms, network
    };
    const Case cases[] = {
        {0x0000, {false, false, D::MemoryAndModem, false, false}},
        {0x0001, {false, false, D::MemoryAndModem, false, true}},
        {0x0002, {false, false, D::MemoryAndModem, true, false}},
        {0x0010, {false, false, D::Memory, false, false}},
        {0x0020, {false, false, D::Modem, false, false}},
        {0x0030, {false, false, D::Modem, false, false}},   // both: the modem wins
        {0x0040, {false, true, D::MemoryAndModem, false, false}},
        {0x0080, {true, false, D::MemoryAndModem, false, false}},
        {0xFF0C, {false, false, D::MemoryAndModem, false, false}},   // no setting in these bits
        {0xFFFF, {true, true, D::Modem, true, true}},
    };
    for (const Case& c : cases) EXPECT_EQ(ModemOptionChoices::fromWord(c.word), c.shown) << std::hex << c.word;
}

TEST(ModemOptions, AnyReplyWritesBackOnlyItsSettings) {
    // With the table above this also pins down the word of every choice.
    for (std::uint32_t word = 0; word <= 0xFFFF; ++word) {
        // Bits 0, 1, 6, 7 as they came; bit 4 dropped where bit 5 wins.
        const std::uint32_t expected = (word & 0x20) ? (word & 0xE3) : (word & 0xF3);
        ASSERT_EQ(ModemOptionChoices::fromWord(word).toWord(), expected) << std::hex << word;
    }
}

TEST(ModemTexts, CleanUpDropsLeadingBlanksAndCutsAtTheFirstSpace) {
    struct Case {
        const char* typed;
        const char* kept;
    };
    const Case cases[] = {
        {"", ""},         {"Stacja", "Stacja"}, {"Stacja Nord", "Stacja"}, {"   internet.apn  ", "internet.apn"},
        {"\t user", "user"}, {"     ", ""},        {"a\tb", "a"},             {"Łódź Kaliska", "Łódź"},
    };
    for (const Case& c : cases) EXPECT_EQ(cleanUpText(c.typed), c.kept) << c.typed;
}

TEST(ModemTexts, PanelSlotsShowAsUtf8AndErasedSlotsAsEmpty) {
    struct Case {
        std::string slot;
        const char* shown;
    };
    const Case cases[] = {
        {std::string(14, '\xFF'), ""},
        {std::string(14, '\0'), ""},
        {"Stacja1" + std::string(7, '\xFF'), "Stacja1"},
        {"  abc def   ", "  abc def"},
        {std::string("ab\0cd", 5), "ab"},
        {"\xA3\xF3\x64\x9F", "Łódź"},   // Windows-1250
        {"x\x01y", "x y"},
    };
    for (const Case& c : cases) EXPECT_EQ(panelText(c.slot), c.shown);
}

TEST(ModemTexts, TypedTextsGoOutAsWindows1250PaddedAndCut) {
    EXPECT_EQ(padWithSpaces("ab"), "ab" + std::string(33, ' '));
    struct Case {
        const char* typed;
        std::size_t length;
        std::string wire;
    };
    const Case cases[] = {
        {"", 15, std::string(15, ' ')},
        {"Łódź", 15, "\xA3\xF3\x64\x9F" + std::string(11, ' ')},
        {"a\u65E5b", 15, "a?b" + std::string(12, ' ')},   // not in the code page
        {"1234567890123456789", 15, "123456789012345"},
        {"internet", 33, "internet" + std::string(25, ' ')},
        {"0123456789012345678901234567890123456789", 33, "012345678901234567890123456789012"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wireText(c.typed, c.length), c.wire) << c.typed;
        EXPECT_EQ(wireText(c.typed, c.length).size(), c.length) << c.typed;
    }
}

TEST(ModemTexts, PhoneNumbersKeepDigitsHashAndStar) {
    struct Case {
        char32_t c;
        bool accepted;
    };
    const Case keys[] = {{U'0', true}, {U'9', true}, {U'#', true}, {U'*', true}, {U'+', false},
                         {U'a', false}, {U' ', false}, {U'-', false}, {U'ł', false}};
    for (const Case& k : keys) EXPECT_EQ(phoneNumberCharacter(k.c), k.accepted) << static_cast<int>(k.c);
    EXPECT_EQ(phoneNumberText("+48 600-100-200"), "48600100200");
    EXPECT_EQ(phoneNumberText("*100#abcł"), "*100#");
}

TEST(ModemAddresses, OnlyFourOctetsUpTo255Parse) {
    struct Case {
        const char* text;
        std::optional<A> parsed;
    };
    const Case cases[] = {
        {"0.0.0.0", A{0, 0, 0, 0}},
        {"192.168.1.10", A{192, 168, 1, 10}},
        {"255.255.255.255", A{255, 255, 255, 255}},
        {"010.001.000.009", A{10, 1, 0, 9}},
        {"256.1.1.1", std::nullopt}, {"1.2.3", std::nullopt},      {"1.2.3.4.5", std::nullopt},
        {"1.2..4", std::nullopt},    {"1.2.3.4.", std::nullopt},   {"1.2.3.x", std::nullopt},
        {" 1.2.3.4", std::nullopt},  {"1.2.3.-4", std::nullopt},   {"1.2.3.0004", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parseIpv4(c.text), c.parsed) << c.text;
    EXPECT_EQ(formatIpv4({10, 0, 255, 7}), "10.0.255.7");
}

TEST(ModemAddresses, TheFieldHoldsPrefixesAndReadsMissingOctetsAsZero) {
    struct Case {
        const char* text;
        std::optional<A> value;   // nullopt: the field refuses the text
    };
    const Case cases[] = {
        {"", A{0, 0, 0, 0}},
        {"10", A{10, 0, 0, 0}},
        {"10.1.", A{10, 1, 0, 0}},
        {"10..5.6", A{10, 0, 5, 6}},
        {"192.168.1.10", A{192, 168, 1, 10}},
        {"300", std::nullopt}, {"1.2.3.4.", std::nullopt}, {"1234", std::nullopt},
        {"1,2", std::nullopt}, {"a", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ipv4FieldText(c.text), c.value.has_value()) << c.text;
        EXPECT_EQ(ipv4FieldValue(c.text), c.value) << c.text;
    }
}

PanelState panel(int firmware) {
    PanelState s;
    s.firmwareVersion = firmware;
    return s;
}

// What OK on these settings hands the write; the OK must pass. The backup
// address given beforehand must be overwritten.
WriteArguments stored(const ModemSettings& shown, int firmware = 208) {
    ModemSettingsModel model;
    model.reset(panel(firmware));
    model.shown() = shown;
    EXPECT_FALSE(model.accept()) << firmware;
    WriteArguments args;
    args.backupServerAddress = {9, 9, 9, 9};
    model.store(args);
    return args;
}

// Settings that pass every check on a 2.08 panel.
ModemSettings validSettings() {
    ModemSettings s;
    s.serverAddress = {192, 168, 1, 10};
    s.serverPort = 5000;
    s.backupActive = true;
    s.backupAddress = {10, 0, 0, 1};
    s.backupPort = 5001;
    s.attempts = 12;
    return s;
}

TEST(ModemSettingsModel, OkChecksInOrderAndNamesTheControlToCorrect) {
    using namespace string_id;
    using F = ModemControl;
    struct Case {
        const char* name;
        int firmware;
        bool backupActive;
        A backupAddress;
        long long backupPort;
        long long attempts;
        int message;   // 0 = accepted
        F focus;
    };
    const Case cases[] = {
        {"all set", 208, true, {10, 0, 0, 1}, 5001, 12, 0, F::None},
        {"no backup address", 208, true, {0, 0, 0, 0}, 5001, 12, kBackupServerAddressMissing, F::BackupServerActive},
        {"address checked before port", 208, true, {0, 0, 0, 0}, 0, 0, kBackupServerAddressMissing,
         F::BackupServerActive},
        {"backup port 0", 208, true, {10, 0, 0, 1}, 0, 12, kBackupServerPortMissing, F::BackupPort},
        {"backup port 70000", 208, true, {10, 0, 0, 1}, 70000, 12, kBackupServerPortMissing, F::BackupPort},
        {"port checked before attempts", 208, true, {10, 0, 0, 1}, 0, 31, kBackupServerPortMissing, F::BackupPort},
        {"backup port 1", 208, true, {10, 0, 0, 1}, 1, 12, 0, F::None},
        {"backup port 65535", 208, true, {10, 0, 0, 1}, 65535, 12, 0, F::None},
        {"unchecked backup is not checked", 208, false, {0, 0, 0, 0}, 0, 12, 0, F::None},
        {"attempts 0", 208, false, {}, 1, 0, kConnectionAttemptsRange, F::Attempts},
        {"attempts 31", 208, false, {}, 1, 31, kConnectionAttemptsRange, F::Attempts},
        {"attempts 1", 208, false, {}, 1, 1, 0, F::None},
        {"attempts 30", 301, false, {}, 1, 30, 0, F::None},
        {"old panel, empty attempts", 207, false, {}, 1, 0, 0, F::None},
        {"old panel, 31 attempts", 150, false, {}, 1, 31, kConnectionAttemptsRange, F::Attempts},
        {"old panel has no backup server", 207, true, {0, 0, 0, 0}, 0, 0, 0, F::None},
    };
    for (const Case& c : cases) {
        ModemSettingsModel model;
        model.reset(panel(c.firmware));
        ModemSettings s = validSettings();
        s.backupActive = c.backupActive;
        s.backupAddress = c.backupAddress;
        s.backupPort = c.backupPort;
        s.attempts = c.attempts;
        model.shown() = s;
        const UserMessage v = model.accept();
        EXPECT_EQ(v.stringId, c.message) << c.name;
        EXPECT_EQ(v.icon, MessageIcon::None) << c.name;
        EXPECT_EQ(model.refusedControl(), c.focus) << c.name;
    }
}

TEST(ModemSettingsModel, UncheckedBackupGoesOutAsZeroAddressAndPortOne) {
    for (const int firmware : {207, 208}) {
        ModemSettings s = validSettings();
        s.backupActive = false;
        s.attempts = firmware >= 208 ? 12 : 0;
        const WriteArguments args = stored(s, firmware);
        EXPECT_EQ(args.backupServerAddress, (A{0, 0, 0, 0})) << firmware;
        EXPECT_EQ(args.backupServerPort, 1u) << firmware;
        EXPECT_EQ(frame(PanelCommand::WriteBackupServerAddress, args).substr(0, 14), "02770000000000");
        EXPECT_EQ(frame(PanelCommand::WriteBackupServerPort, args).substr(0, 10), "0279000001");
    }
}

TEST(ModemSettingsModel, StoresEverySettingForItsFrame) {
    ModemSettings s = validSettings();
    s.options = {true, true, D::Memory, true, false};
    s.smsNumbers = {"48601000310", "600100200", "", "*100#", "1234567890123456789", "7"};
    s.stationName = "Stacja Nord";   // OK without leaving the field
    s.apn = "internet";
    s.papLogin = "  user";
    s.internetAllowed = true;
    const WriteArguments args = stored(s);
    EXPECT_EQ(args.modemOptions, 0xD2u);
    EXPECT_EQ(args.smsNumbers[1], "600100200      ");
    EXPECT_EQ(args.smsNumbers[2], std::string(15, ' '));
    EXPECT_EQ(args.smsNumbers[4], "123456789012345");
    EXPECT_EQ(args.serverAddress, (A{192, 168, 1, 10}));
    EXPECT_EQ(args.serverPort, 5000u);
    EXPECT_EQ(args.backupServerAddress, (A{10, 0, 0, 1}));
    EXPECT_EQ(args.backupServerPort, 5001u);
    EXPECT_EQ(args.connectionAttemptsPerDay, 12u);
    EXPECT_EQ(args.stationName, "Stacja         ");
    EXPECT_EQ(args.apn, "internet" + std::string(25, ' '));
    EXPECT_EQ(args.papLogin, "user" + std::string(29, ' '));
    EXPECT_EQ(args.internetAllowed, 1u);

    // The frames: options, server 192.168.1.10 port 5000 (0x1388), backup
    // 10.0.0.1, 12 attempts, permission.
    EXPECT_EQ(frame(PanelCommand::WriteModemOptions, args).substr(0, 10), "02510000D2");
    EXPECT_EQ(frame(PanelCommand::WriteServerAddress, args).substr(0, 14), "025A00C0A8010A");
    EXPECT_EQ(frame(PanelCommand::WriteServerPort, args).substr(0, 10), "025C001388");
    EXPECT_EQ(frame(PanelCommand::WriteBackupServerAddress, args).substr(0, 14), "0277000A000001");
    EXPECT_EQ(frame(PanelCommand::WriteConnectionAttempts, args).substr(0, 10), "027B00000C");
    EXPECT_EQ(frame(PanelCommand::WriteInternetAllowed, args).substr(0, 8), "02750001");
}

TEST(ModemSettingsModel, FramesCarryCutAndPaddedTexts) {
    ModemSettings s = validSettings();
    s.smsNumbers = {"", "", "12345678901234567", "600100200", "", ""};
    s.stationName = "Stacja Nord";
    s.apn = "Łódź";
    const WriteArguments args = stored(s);
    struct Case {
        PanelCommand command;
        ChainCounters counters;
        const char* start;   // code, counters and the three character codes
    };
    const Case cases[] = {
        // Number 2, 17 digits: its last chunk is digits 13 to 15; 16 and 17 never go out.
        {PanelCommand::WriteSmsChunk, {.stringIndex = 2, .chunkIndex = 4}, "02550024333435"},
        {PanelCommand::WriteSmsChunk, {.stringIndex = 2, .chunkIndex = 0}, "02550020313233"},
        // Number 3, nine digits, then spaces.
        {PanelCommand::WriteSmsChunk, {.stringIndex = 3, .chunkIndex = 2}, "02550032323030"},
        {PanelCommand::WriteSmsChunk, {.stringIndex = 3, .chunkIndex = 3}, "02550033202020"},
        // The station name typed as two words keeps the first: "Sta", "cja", spaces.
        {PanelCommand::WriteStationChunk, {.chunkIndex = 0}, "02650000537461"},
        {PanelCommand::WriteStationChunk, {.chunkIndex = 1}, "02650001636A61"},
        {PanelCommand::WriteStationChunk, {.chunkIndex = 2}, "02650002202020"},
        // The APN in Windows-1250: Ł ó d, then ź and spaces.
        {PanelCommand::WriteLongTextChunk, {.chunkIndex = 0, .textSelector = 0}, "02630000A3F364"},
        {PanelCommand::WriteLongTextChunk, {.chunkIndex = 1, .textSelector = 0}, "026300019F2020"},
        {PanelCommand::WriteLongTextChunk, {.chunkIndex = 10, .textSelector = 0}, "0263000A202020"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame(c.command, args, c.counters).substr(0, 14), c.start) << c.start;
}

PanelState goodPanel() {
    PanelState s = test::modemPanel(208);
    s.modemOptions = 0x00C1;
    s.backupServerAddress = {10, 0, 0, 1};
    return s;
}

TEST(ModemSettingsModel, BadRepliesShowTheNearestValidSetting) {
    struct Case {
        const char* name;
        void (*spoil)(PanelState&);
        bool (*holds)(const ModemSettings&);
    };
    const Case cases[] = {
        {"erased SMS slot", [](PanelState& p) { p.smsNumbers[1] = std::string(14, '\xFF'); },
         [](const ModemSettings& s) { return s.smsNumbers[1].empty(); }},
        {"zeroed station name", [](PanelState& p) { p.stationName = std::string(14, '\0'); },
         [](const ModemSettings& s) { return s.stationName.empty(); }},
        {"erased APN", [](PanelState& p) { p.apn = std::string(32, '\xFF'); },
         [](const ModemSettings& s) { return s.apn.empty(); }},
        {"letters in a number", [](PanelState& p) { p.smsNumbers[2] = "+48abc600"; },
         [](const ModemSettings& s) { return s.smsNumbers[2] == "48600"; }},
        {"erased server address", [](PanelState& p) { p.serverAddress = {255, 255, 255, 255}; },
         [](const ModemSettings& s) { return s.serverAddress == A{0, 0, 0, 0}; }},
        {"erased backup address", [](PanelState& p) { p.backupServerAddress = {255, 255, 255, 255}; },
         [](const ModemSettings& s) { return !s.backupActive && s.backupAddress == A{0, 0, 0, 0}; }},
        {"negative server port", [](PanelState& p) { p.serverPort = -1; },
         [](const ModemSettings& s) { return s.serverPort == 0; }},
        {"server port beyond 16 bits", [](PanelState& p) { p.serverPort = 70000; },
         [](const ModemSettings& s) { return s.serverPort == 65535; }},
        {"backup port 0", [](PanelState& p) { p.backupServerPort = 0; },
         [](const ModemSettings& s) { return s.backupPort == 1; }},
        {"attempts 0", [](PanelState& p) { p.connectionAttemptsPerDay = 0; },
         [](const ModemSettings& s) { return s.attempts == 1; }},
        {"attempts 0xFFFF", [](PanelState& p) { p.connectionAttemptsPerDay = 0xFFFF; },
         [](const ModemSettings& s) { return s.attempts == 30; }},
        {"permission byte 0xFF", [](PanelState& p) { p.internetAllowed = 0xFF; },
         [](const ModemSettings& s) { return s.internetAllowed; }},
    };
    for (const Case& c : cases) {
        PanelState state = goodPanel();
        c.spoil(state);
        ModemSettingsModel model;
        model.reset(state);
        model.fill(state);
        EXPECT_TRUE(c.holds(model.settings())) << c.name;
        // OK without a change passes and writes only what the frames can carry.
        EXPECT_FALSE(model.accept()) << c.name;
        WriteArguments args;
        model.store(args);
        EXPECT_LE(args.serverPort, 0xFFFFu) << c.name;
        EXPECT_GE(args.backupServerPort, 1u) << c.name;
        EXPECT_LE(args.backupServerPort, 0xFFFFu) << c.name;
        EXPECT_GE(args.connectionAttemptsPerDay, 1u) << c.name;
        EXPECT_LE(args.connectionAttemptsPerDay, 30u) << c.name;
        EXPECT_LE(args.internetAllowed, 1u) << c.name;
        for (const std::string& n : args.smsNumbers) EXPECT_EQ(n.size(), 15u) << c.name;
    }
}

TEST(ModemSettingsModel, PanelsBefore208ShowNoBackupServerNorAttempts) {
    PanelState state = goodPanel();
    state.firmwareVersion = 207;
    ModemSettingsModel model;
    // A 2.08 panel first, then an older one: nothing of the first stays.
    model.reset(goodPanel());
    model.fill(goodPanel());
    model.reset(state);
    EXPECT_FALSE(model.backupServerSupported());
    EXPECT_FALSE(model.settings().backupActive);
    EXPECT_EQ(model.settings().attempts, 0);
    model.fill(state);
    EXPECT_FALSE(model.settings().backupActive);
    EXPECT_EQ(model.settings().backupAddress, (A{0, 0, 0, 0}));
    EXPECT_EQ(model.settings().attempts, 0);
    EXPECT_FALSE(model.accept());
}

TEST(ModemSettingsModel, ThePermissionHasItsNoteAndMessages) {
    using namespace string_id;
    EXPECT_FALSE(ModemSettingsModel::internetNote(true));
    EXPECT_EQ(ModemSettingsModel::internetNote(false).stringId, kInternetBlockedNote);
    EXPECT_EQ(ModemSettingsModel::internetPermissionChanged(true), (UserMessage{kInternetUnblocked, MessageIcon::None}));
    EXPECT_EQ(ModemSettingsModel::internetPermissionChanged(false), (UserMessage{kInternetBlocked, MessageIcon::Stop}));
    EXPECT_EQ(str(kInternetBlockedNote),
              "Rejestracja i alarmowanie przez GPRS/Internet są zablokowane niezależnie od innych ustawień");
}

TEST(PinModel, TakesExactlyFourDigitsAndKeepsLeadingZerosOnTheWire) {
    struct Case {
        const char* typed;
        const char* frameStart;   // nullptr: the four-digit message
    };
    const Case cases[] = {
        {"0042", "02560030303432"}, {" 1234 ", "02560031323334"}, {"0000", "02560030303030"},
        {"9999", "02560039393939"}, {"123", nullptr},             {"12345", nullptr},
        {"", nullptr},              {"12 4", nullptr},            {"12a4", nullptr},
    };
    for (const Case& c : cases) {
        PinModel model;
        model.reset(PanelState{});
        model.setText(c.typed);
        const UserMessage refused = model.accept();
        if (!c.frameStart) {
            EXPECT_EQ(refused, (UserMessage{string_id::kPinFourDigits, MessageIcon::Information})) << c.typed;
            EXPECT_FALSE(model.pin()) << c.typed;
            continue;
        }
        ASSERT_FALSE(refused) << c.typed;
        WriteArguments args;
        model.store(args);
        EXPECT_EQ(frame(PanelCommand::SetPin, args).substr(0, 14), c.frameStart) << c.typed;
    }
    EXPECT_EQ(PinModel::confirmation(), (UserMessage{string_id::kPinConfirm, MessageIcon::Exclamation}));
}

TEST(PinModel, ANewShowingForgetsThePin) {
    PinModel model;
    model.setText("4321");
    ASSERT_FALSE(model.accept());
    model.reset(PanelState{});
    EXPECT_FALSE(model.pin());
}

TEST(PapPasswordModel, SendsThePasswordPaddedInWindows1250) {
    PapPasswordModel model;
    model.reset(PanelState{});
    model.setText("hasło");
    model.accept();
    WriteArguments args;
    model.store(args);
    EXPECT_EQ(args.papPassword, "has\xB3o" + std::string(28, ' '));
    EXPECT_EQ(frame(PanelCommand::WriteLongTextChunk, args, {.chunkIndex = 1, .textSelector = 2}).substr(0, 14),
              "02630021B36F20");
    EXPECT_EQ(PapPasswordModel::confirmation(), (UserMessage{string_id::kPapConfirm, MessageIcon::Exclamation}));
    model.reset(PanelState{});
    model.store(args);
    EXPECT_EQ(args.papPassword, std::string(33, ' '));
}

TEST(ModemSettingsModel, ThePanelsTextsGoBackAsItHoldsThemTypedOnesCleanedUpAndInTheCodePage) {
    PanelState state;
    state.stationName = "Hala 3" + std::string(8, ' ');
    using S = ModemSettings;
    using C = ModemControl;
    const struct {
        std::string S::*field;
        const char* typed;   // nullptr: left as read
        const char* written;
        char32_t refused;
        C focus;
    } cases[] = {{&S::stationName, nullptr, "Hala 3", 0, C::None}, {&S::stationName, " Nowa hala", "Nowa", 0, C::None},
                 {&S::apn, "apn.日本", "", U'日', C::Apn}, {&S::papLogin, "señor", "", U'ñ', C::PapLogin}};
    for (const auto& c : cases) {
        ModemSettingsModel m;
        m.fill(state);
        S shown = m.settings();
        if (c.typed) shown.*c.field = c.typed;
        m.shown() = shown;
        const UserMessage v = m.accept();
        EXPECT_EQ(v.character, c.refused) << c.typed;
        EXPECT_EQ(m.refusedControl(), c.focus) << c.typed;
        if (!v) {
            EXPECT_EQ(m.settings().*c.field, c.written);
        }
    }
    EXPECT_NE(messageText({string_id::kCharacterNotInCodePage, MessageIcon::None, U'ñ'}).find("„ñ”"), std::string::npos);
    PapPasswordModel pap;
    pap.setText("contraseña");
    EXPECT_EQ(pap.accept(), (UserMessage{string_id::kCharacterNotInCodePage, MessageIcon::Information, U'ñ'}));
}

}  // namespace
}  // namespace mr420
