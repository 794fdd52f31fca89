// The models of the display-flags, history-display and panel-information
// dialogs: the words both ways, bits that are no setting, the texts of the
// panel summary.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/StringTable.h"
#include "config/DisplayModels.h"

namespace mr420 {
namespace {

using R = TemperatureResolution;
using U = PressureUnit;
using F3 = DisplayField3;
using F4 = DisplayField4;

// --- display flags ------------------------------------------------------------------

TEST(DisplayFlags, EveryGroupReadsItsBits) {
    struct Case {
        std::uint32_t word;
        DisplayChoices shown;
    };
    const Case cases[] = {
        {0x0000, {R::Tenth, U::Hpa, F3::DewPoint, F4::WaterVapour}},
        {0x0001, {R::Hundredth, U::Hpa, F3::DewPoint, F4::WaterVapour}},
        {0x0002, {R::Automatic, U::Hpa, F3::DewPoint, F4::WaterVapour}},
        {0x0003, {R::Hundredth, U::Hpa, F3::DewPoint, F4::WaterVapour}},   // 0.01 wins over automatic
        {0x0004, {R::Tenth, U::MmHg, F3::DewPoint, F4::WaterVapour}},
        {0x0008, {R::Tenth, U::Hpa, F3::Pressure, F4::WaterVapour}},
        {0x0010, {R::Tenth, U::Hpa, F3::DewPoint, F4::DewPoint}},
        {0x0020, {R::Tenth, U::Hpa, F3::DewPoint, F4::Clock}},
        {0x0030, {R::Tenth, U::Hpa, F3::DewPoint, F4::PressureUnit}},
        {0x002E, {R::Automatic, U::MmHg, F3::Pressure, F4::Clock}},
        {0xFFC0, {R::Tenth, U::Hpa, F3::DewPoint, F4::WaterVapour}},      // bits 6-15 are no setting
        {0xFFFF, {R::Hundredth, U::MmHg, F3::Pressure, F4::PressureUnit}},
    };
    for (const Case& c : cases) EXPECT_EQ(DisplayChoices::fromWord(c.word), c.shown) << std::hex << c.word;
}

TEST(DisplayFlags, ChoicesMakeTheWord) {
    struct Case {
        DisplayChoices choices;
        std::uint32_t word;
    };
    const Case cases[] = {
        {{R::Tenth, U::Hpa, F3::DewPoint, F4::WaterVapour}, 0x00},
        {{R::Hundredth, U::Hpa, F3::DewPoint, F4::WaterVapour}, 0x01},
        {{R::Automatic, U::Hpa, F3::DewPoint, F4::WaterVapour}, 0x02},
        {{R::Tenth, U::MmHg, F3::DewPoint, F4::WaterVapour}, 0x04},
        {{R::Tenth, U::Hpa, F3::Pressure, F4::WaterVapour}, 0x08},
        {{R::Tenth, U::Hpa, F3::DewPoint, F4::DewPoint}, 0x10},
        {{R::Tenth, U::Hpa, F3::DewPoint, F4::Clock}, 0x20},
        {{R::Tenth, U::Hpa, F3::DewPoint, F4::PressureUnit}, 0x30},
        {{R::Hundredth, U::MmHg, F3::Pressure, F4::PressureUnit}, 0x3D},
        {{R::Automatic, U::MmHg, F3::Pressure, F4::Clock}, 0x2E},
    };
    for (const Case& c : cases) EXPECT_EQ(c.choices.toWord(), c.word) << std::hex << c.word;
}

TEST(DisplayFlags, AnyReplyWritesBackOnlyItsSettings) {
    // Whatever the panel sends, a write without changes sends its bits 0-5,
    // bit 1 dropped where bit 0 wins, and never a bit above 5.
    for (std::uint32_t word = 0; word <= 0xFFFF; ++word) {
        const std::uint32_t expected = (word & 0x01) ? (word & 0x3D) : (word & 0x3F);
        ASSERT_EQ(DisplayChoices::fromWord(word).toWord(), expected) << std::hex << word;
    }
}

TEST(DisplayFlagsModel, FillsFromThePanelAndStoresTheWriteWord) {
    PanelState state;
    state.displayFlags = 0xFF33;   // 0.01 and automatic, field 4 pressure unit, junk above
    DisplayFlagsModel model;
    model.reset(state);
    model.fill(state);
    EXPECT_EQ(model.choices(), (DisplayChoices{R::Hundredth, U::Hpa, F3::DewPoint, F4::PressureUnit}));
    WriteArguments args;
    model.store(args);
    EXPECT_EQ(args.displayFlags, 0x0031u);

    // The user's choices go out as they are.
    model.setChoices({R::Automatic, U::MmHg, F3::Pressure, F4::DewPoint});
    model.store(args);
    EXPECT_EQ(args.displayFlags, 0x001Eu);

    // A new showing keeps them until the panel's reply replaces them.
    state.displayFlags = 0x0020;
    model.reset(state);
    model.store(args);
    EXPECT_EQ(args.displayFlags, 0x001Eu);
    model.fill(state);
    model.store(args);
    EXPECT_EQ(args.displayFlags, 0x0020u);
}

// --- history display ----------------------------------------------------------------

HistoryChoices history(bool automatic, bool t1, bool t2, bool rh, bool p) {
    HistoryChoices c;
    c.automatic = automatic;
    c.temperature1 = t1;
    c.temperature2 = t2;
    c.relativeHumidity = rh;
    c.pressure = p;
    return c;
}

TEST(HistoryDisplay, BitsBothWays) {
    struct Case {
        std::uint32_t reply;
        HistoryChoices shown;
        std::uint32_t written;
    };
    const Case cases[] = {
        {0x0000, history(false, false, false, false, false), 0x00},
        {0x0001, history(false, false, false, true, false), 0x01},
        {0x0002, history(false, true, false, false, false), 0x02},
        {0x0004, history(false, false, false, false, true), 0x04},
        {0x0008, history(false, false, true, false, false), 0x08},
        {0x0080, history(true, false, false, false, false), 0x80},
        {0x008F, history(true, true, true, true, true), 0x8F},
        {0x000A, history(false, true, true, false, false), 0x0A},
        {0xFF70, history(false, false, false, false, false), 0x00},   // bits 4-6 and 8-15 are no setting
        {0xFFFF, history(true, true, true, true, true), 0x8F},
    };
    for (const Case& c : cases) {
        const HistoryChoices shown = HistoryChoices::fromWord(c.reply);
        EXPECT_EQ(shown, c.shown) << std::hex << c.reply;
        EXPECT_EQ(shown.toWord(), c.written) << std::hex << c.reply;
    }
}

TEST(HistoryDisplay, ChannelsAreLockedWhileAutomatic) {
    EXPECT_FALSE(HistoryChoices::fromWord(0x0080).channelsEditable());
    EXPECT_FALSE(HistoryChoices::fromWord(0x008F).channelsEditable());
    EXPECT_TRUE(HistoryChoices::fromWord(0x000F).channelsEditable());
    EXPECT_TRUE(HistoryChoices::fromWord(0x0000).channelsEditable());
}

TEST(HistoryDisplay, AnyReplyWritesBackOnlyItsSettings) {
    for (std::uint32_t word = 0; word <= 0xFFFF; ++word)
        ASSERT_EQ(HistoryChoices::fromWord(word).toWord(), word & 0x8F) << std::hex << word;
}

TEST(HistoryDisplayModel, AutomaticAloneIsWrittenBackUnchanged) {
    PanelState state;
    state.historyDisplay = 0x0080;
    HistoryDisplayModel model;
    model.reset(state);
    model.fill(state);
    EXPECT_EQ(model.choices(), history(true, false, false, false, false));
    WriteArguments args;
    model.store(args);
    EXPECT_EQ(args.historyDisplay, 0x0080u);

    // Channel checks count even while automatic is on.
    model.setChoices(history(true, false, true, false, true));
    model.store(args);
    EXPECT_EQ(args.historyDisplay, 0x008Cu);
}

// --- panel information --------------------------------------------------------------

TEST(PanelInfo, FirmwareVersionHasTwoMinorDigits) {
    struct Case {
        std::int32_t version;
        const char* text;
    };
    const Case cases[] = {
        {108, "1.08"}, {105, "1.05"}, {124, "1.24"}, {208, "2.08"}, {100, "1.00"},
        {110, "1.10"}, {99, "0.99"},  {0, "0.00"},   {1234, "12.34"}, {-5, "-0.05"},
    };
    for (const Case& c : cases) EXPECT_EQ(firmwareVersionText(c.version), c.text) << c.version;
}

PanelState panel(std::int32_t firmware) {
    PanelState s;
    s.firmwareVersion = firmware;
    s.panelSerialNumber = 4711;
    s.memorySizeBlocks = 2048;
    return s;
}

TEST(PanelInfo, PanelTextForSeveralFirmwareVersions) {
    struct Case {
        std::int32_t firmware;
        const char* text;
    };
    const Case cases[] = {
        {108, "Panel MR-420:\nwersja oprogramowania: 1.08\nnumer seryjny: 4711\nrozmiar pamięci: 2048*256 bajtów"},
        {124, "Panel MR-420:\nwersja oprogramowania: 1.24\nnumer seryjny: 4711\nrozmiar pamięci: 2048*256 bajtów"},
        {208, "Panel MR-420:\nwersja oprogramowania: 2.08\nnumer seryjny: 4711\nrozmiar pamięci: 2048*256 bajtów"},
    };
    for (const Case& c : cases) EXPECT_EQ(panelSummaryText(panel(c.firmware)), c.text) << c.firmware;
}

TEST(PanelInfo, OptionalLinesOfThePanelText) {
    const std::string head =
        "Panel MR-420:\nwersja oprogramowania: 2.08\nnumer seryjny: 4711\nrozmiar pamięci: 2048*256 bajtów";
    struct Case {
        const char* name;
        bool pressureAbsent, pressureError, barometer, modem;
        const char* tail;
    };
    const Case cases[] = {
        {"default pressure", true, false, false, false, "\nciśnienie domyślne: 1013 hPa"},
        {"pressure error", true, true, false, false, ""},
        {"measured pressure", false, false, false, false, ""},
        {"barometer", false, false, true, false, "\ndata kalibracji modułu barometru: 03-2021"},
        {"modem", false, false, false, true, "\nobsługa modemu MR-420"},
        {"all", true, false, true, true,
         "\nciśnienie domyślne: 1013 hPa\ndata kalibracji modułu barometru: 03-2021\nobsługa modemu MR-420"},
    };
    for (const Case& c : cases) {
        PanelState s = panel(208);
        s.pressure = 1012.6;
        s.pressureAbsent = c.pressureAbsent;
        s.pressureError = c.pressureError;
        s.barometerPresent = c.barometer;
        s.barometerCalibrationMonth = 3;
        s.barometerCalibrationYear = 2021;
        s.modemSupported = c.modem;
        s.printerSupported = 1;   // not part of the summary
        EXPECT_EQ(panelSummaryText(s), head + c.tail) << c.name;
    }
}

TEST(PanelInfo, ProbeTextForEachProbe) {
    struct Case {
        const char* name;
        bool mr411Absent, mr466Absent;
        const char* text;
    };
    const Case cases[] = {
        {"MR-411", false, true, "Sonda MR-411\nnumer seryjny: 1234\nwersja: p3\ndata kalibracji: 03-2022\n"},
        {"MR-466", true, false, "Sonda MR-466\nnumer seryjny: 65535\ndata kalibracji: 11-2023\n"},
        {"no probe", true, true, ""},
        // Both unknown, as before the first probe reply: the MR-411 is told first.
        {"both", false, false, "Sonda MR-411\nnumer seryjny: 1234\nwersja: p3\ndata kalibracji: 03-2022\n"},
    };
    for (const Case& c : cases) {
        PanelState s;
        s.mr411Absent = c.mr411Absent;
        s.mr411SerialNumber = 1234;
        s.mr411Version = 3;
        s.mr411CalibrationMonth = 3;
        s.mr411CalibrationYear = 2022;
        s.mr466Absent = c.mr466Absent;
        s.mr466SerialNumber = 65535;
        s.mr466Version = 9;   // the MR-466 has no version line
        s.mr466CalibrationMonth = 11;
        s.mr466CalibrationYear = 2023;
        EXPECT_EQ(probeSummaryText(s), c.text) << c.name;
    }
}

TEST(PanelInfoModel, OpensEmptyAndComposesWhenTheSettingsArrive) {
    PanelState s = panel(124);
    s.mr411Absent = 1;
    s.mr466Absent = 0;
    s.mr466SerialNumber = 77;
    s.mr466CalibrationMonth = 12;
    s.mr466CalibrationYear = 2020;
    PanelInfoModel model;
    model.fill(s);
    EXPECT_EQ(model.panelText(),
              "Panel MR-420:\nwersja oprogramowania: 1.24\nnumer seryjny: 4711\nrozmiar pamięci: 2048*256 bajtów");
    EXPECT_EQ(model.probeText(), "Sonda MR-466\nnumer seryjny: 77\ndata kalibracji: 12-2020\n");
    WriteArguments args;
    model.store(args);   // nothing to write
    EXPECT_EQ(args.displayFlags, 0u);
    EXPECT_EQ(args.historyDisplay, 0u);

    model.reset(s);
    EXPECT_EQ(model.panelText(), "");
    EXPECT_EQ(model.probeText(), "");
}

TEST(PanelInfoModel, TextsFollowTheLanguageAndSurviveAnyTranslation) {
    const PanelState s = panel(124);
    setStringOverride([](int id) -> std::optional<std::string> {
        if (id == string_id::kInfoPanelFirmware) return std::string("MR-420 panel:\nfirmware version:");
        if (id == string_id::kInfoSerialNumber) return std::string("serial number:");
        // A translation with conversions of another kind is not read as printf.
        if (id == string_id::kInfoMemorySize) return std::string("%s memory %d*256 bytes, 100%%");
        return std::nullopt;
    });
    PanelInfoModel model;
    model.fill(s);
    setStringOverride({});
    EXPECT_EQ(model.panelText(),
              "MR-420 panel:\nfirmware version: 1.24\nserial number: 4711\n%s memory 2048*256 bytes, 100%");
}

}  // namespace
}  // namespace mr420
