#include "settings/Settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "support/TestSupport.h"

namespace mr420 {
namespace {

namespace fs = std::filesystem;

using mr420::test::readFile;
using mr420::test::writeFile;

// A file written from scratch with every default and LANGUAGE=pl, typed out.
const char* const kFreshFile =
    "[TEMP1]\r\n"
    "BACKGROUND_TEMP1=16770250\r\n"
    "TEXT_TEMP1=8404992\r\n"
    "FONT_HEIGHT_TEMP1=60\r\n"
    "FONT_NAME_TEMP1=Arial\r\n"
    "FONT_ITALIC_TEMP1=0\r\n"
    "FONT_WEIGHT_TEMP1=0\r\n"
    "[TEMP2]\r\n"
    "BACKGROUND_TEMP2=16767672\r\n"
    "TEXT_TEMP2=6566400\r\n"
    "FONT_HEIGHT_TEMP2=60\r\n"
    "FONT_NAME_TEMP2=Arial\r\n"
    "FONT_ITALIC_TEMP2=0\r\n"
    "FONT_WEIGHT_TEMP2=0\r\n"
    "[RH]\r\n"
    "BACKGROUND_RH=16767672\r\n"
    "TEXT_RH=6566400\r\n"
    "FONT_HEIGHT_RH=60\r\n"
    "FONT_NAME_RH=Arial\r\n"
    "FONT_ITALIC_RH=0\r\n"
    "FONT_WEIGHT_RH=0\r\n"
    "[PRESSURE]\r\n"
    "BACKGROUND_PRESSURE=16765092\r\n"
    "TEXT_PRESSURE=4727808\r\n"
    "FONT_HEIGHT_PRESSURE=60\r\n"
    "FONT_NAME_PRESSURE=Arial\r\n"
    "FONT_ITALIC_PRESSURE=0\r\n"
    "FONT_WEIGHT_PRESSURE=0\r\n"
    "[DP]\r\n"
    "BACKGROUND_DP=13684900\r\n"
    "TEXT_DP=3158040\r\n"
    "FONT_HEIGHT_DP=60\r\n"
    "FONT_NAME_DP=Arial\r\n"
    "FONT_ITALIC_DP=0\r\n"
    "FONT_WEIGHT_DP=0\r\n"
    "[WB]\r\n"
    "BACKGROUND_WB=15000776\r\n"
    "TEXT_WB=3947550\r\n"
    "FONT_HEIGHT_WB=60\r\n"
    "FONT_NAME_WB=Arial\r\n"
    "FONT_ITALIC_WB=0\r\n"
    "FONT_WEIGHT_WB=0\r\n"
    "[GENERAL]\r\n"
    "PORT_NR=0\r\n"
    "WINDOW_TOP=100\r\n"
    "WINDOW_BOTTOM=500\r\n"
    "WINDOW_LEFT=100\r\n"
    "WINDOW_RIGHT=700\r\n"
    "TOPMOST=0\r\n"
    "MEMORY_PPM=1\r\n"
    "MEMORY_DP=1\r\n"
    "LANGUAGE=pl\r\n"
    "SHOW_ADV=1\r\n"
    "[LOG]\r\n"
    "FILE_NAME=\r\n"
    "FILE_NAME_BIN=\r\n"
    "FILE_LOG=0\r\n"
    "FILE_LOG_BIN=0\r\n"
    "FILE_SEP_FORMAT=0\r\n"
    "FILE_INTERVAL=60\r\n"
    "FILE_TEMP1=1\r\n"
    "FILE_TEMP2=1\r\n"
    "FILE_RH=1\r\n"
    "FILE_PRESSURE=1\r\n"
    "FILE_DP=1\r\n"
    "FILE_WB=1\r\n"
    "FILE_CHECK_COMMENT=0\r\n"
    "FILE_CHECK_COMMENT_SN=0\r\n";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = test::makeTempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        path = dir + "/mr420.ini";
    }
    // Start-up and exit as the program does them, with `bytes` as the file
    // (nullptr: no file). Returns what was read.
    AppSettings startAndExit(const char* bytes, void (*change)(AppSettings&) = nullptr) {
        if (bytes) writeFile(path, bytes);
        IniFile ini;
        bool opened = ini.open(path, true, true, true);
        AppSettings s = defaultSettings();
        if (opened) s.language = readLanguage(ini);
        if (s.language.empty()) s.language = "pl";  // the language dialog's choice
        readSettings(ini, s);
        AppSettings read = s;
        if (change) change(s);
        writeSettings(ini, s);
        EXPECT_TRUE(ini.close());
        return read;
    }
    std::string dir, path;
};

TEST(ChannelNames, InSettingsOrder) {
    const char* expected[] = {"TEMP1", "TEMP2", "RH", "PRESSURE", "DP", "WB"};
    for (int c = 0; c < kChannelCount; ++c) EXPECT_STREQ(channelName(static_cast<Channel>(c)), expected[c]);
}

TEST_F(SettingsTest, FirstStartWritesEveryKeyInOrderByteForByte) {
    AppSettings read = startAndExit(nullptr);
    EXPECT_EQ(readFile(path), kFreshFile);
    EXPECT_EQ(read.windowTop, 100);
    EXPECT_EQ(read.windowBottom, 500);
    EXPECT_EQ(read.windowLeft, 100);
    EXPECT_EQ(read.windowRight, 700);
}

TEST_F(SettingsTest, SecondStartReadsTheSameAndLeavesTheFileUntouched) {
    startAndExit(nullptr);
    AppSettings read = startAndExit(kFreshFile);
    AppSettings d = defaultSettings();
    for (int c = 0; c < kChannelCount; ++c) {
        EXPECT_EQ(read.panes[c].background, d.panes[c].background) << c;
        EXPECT_EQ(read.panes[c].text, d.panes[c].text) << c;
        EXPECT_EQ(read.panes[c].fontName, "Arial");
        EXPECT_EQ(read.panes[c].fontHeight, 60);
    }
    EXPECT_EQ(read.language, "pl");
    EXPECT_EQ(readFile(path), kFreshFile);
}

TEST_F(SettingsTest, EveryValueRoundTripsThroughTheFile) {
    AppSettings s = defaultSettings();
    for (int c = 0; c < kChannelCount; ++c) {
        s.panes[c] = PaneSettings{0xFFFFFFu - c, 65536u * c, -20 - c, "Face " + std::to_string(c), c % 2, 100 * c};
        s.fileChannels[c] = c % 2;
    }
    s.language = "en";
    s.portNr = 7;
    s.windowTop = -5;
    s.windowBottom = 900;
    s.windowLeft = 30;
    s.windowRight = 1200;
    s.topmost = 1;
    s.memoryPpm = 0;
    s.memoryDp = 0;
    s.showAdv = 0;
    s.fileName = "/home/u/log file.csv";
    s.fileNameBin = "/home/u/pomiar.qvg";
    s.fileLog = 1;
    s.fileLogBin = 1;
    s.fileSepFormat = 2;
    s.fileInterval = 86399;
    s.fileCheckComment = 1;
    s.fileCheckCommentSn = 1;
    {
        IniFile ini;
        ASSERT_TRUE(ini.open(path, true, true, true));
        writeSettings(ini, s);
    }
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true));
    AppSettings r = defaultSettings();
    r.language = readLanguage(ini);
    readSettings(ini, r);
    for (int c = 0; c < kChannelCount; ++c) {
        EXPECT_EQ(r.panes[c].background, s.panes[c].background);
        EXPECT_EQ(r.panes[c].text, s.panes[c].text);
        EXPECT_EQ(r.panes[c].fontHeight, s.panes[c].fontHeight);
        EXPECT_EQ(r.panes[c].fontName, s.panes[c].fontName);
        EXPECT_EQ(r.panes[c].fontItalic, s.panes[c].fontItalic);
        EXPECT_EQ(r.panes[c].fontWeight, s.panes[c].fontWeight);
    }
    EXPECT_EQ(r.language, "en");
    EXPECT_EQ(r.fileChannels, s.fileChannels);
    EXPECT_EQ(std::tie(r.portNr, r.windowTop, r.windowBottom, r.windowLeft, r.windowRight, r.topmost, r.memoryPpm,
                       r.memoryDp, r.showAdv),
              std::tie(s.portNr, s.windowTop, s.windowBottom, s.windowLeft, s.windowRight, s.topmost, s.memoryPpm,
                       s.memoryDp, s.showAdv));
    EXPECT_EQ(std::tie(r.fileName, r.fileNameBin, r.fileLog, r.fileLogBin, r.fileSepFormat, r.fileInterval,
                       r.fileCheckComment, r.fileCheckCommentSn),
              std::tie(s.fileName, s.fileNameBin, s.fileLog, s.fileLogBin, s.fileSepFormat, s.fileInterval,
                       s.fileCheckComment, s.fileCheckCommentSn));
    ini.close();
}

TEST_F(SettingsTest, ReadSettingsLeavesLanguageToStartUp) {
    writeFile(path, "[GENERAL]\r\nLANGUAGE=en\r\n");
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true));
    AppSettings s = defaultSettings();
    s.language = "xx";
    readSettings(ini, s);
    EXPECT_EQ(s.language, "xx");
    EXPECT_EQ(readLanguage(ini), "en");
}

TEST_F(SettingsTest, UnknownLanguageCodeIsWrittenBackUnchanged) {
    AppSettings read = startAndExit("[GENERAL]\r\nLANGUAGE=de\r\n");
    EXPECT_EQ(read.language, "de");
    EXPECT_EQ(readFile(path).rfind("[GENERAL]\r\nLANGUAGE=de\r\nPORT_NR=0\r\n", 0), 0u);
}

TEST_F(SettingsTest, DuplicatedKeyReadsAndOverwritesTheLaterOne) {
    AppSettings read =
        startAndExit("[GENERAL]\r\nPORT_NR=2\r\nPORT_NR=5\r\n", [](AppSettings& s) { s.portNr = 9; });
    EXPECT_EQ(read.portNr, 5);
    EXPECT_EQ(readFile(path).substr(0, 33), "[GENERAL]\r\nPORT_NR=2\r\nPORT_NR=9\r\n");
}

TEST_F(SettingsTest, SpacesAroundEqualsMakeAnotherKeyAndCommentsGainEquals) {
    AppSettings read = startAndExit("; note\r\n[GENERAL]\r\nPORT_NR = 3\r\n");
    EXPECT_EQ(read.portNr, 0);
    const std::string file = readFile(path);
    EXPECT_EQ(file.substr(0, 44), "; note=\r\n[GENERAL]\r\nPORT_NR = 3\r\nPORT_NR=0\r\n");
    // Channel sections that were missing follow the existing ones.
    EXPECT_NE(file.find("SHOW_ADV=1\r\n[TEMP1]\r\n"), std::string::npos);
}

TEST_F(SettingsTest, ExistingFileKeepsItsOrderAndGainsMissingKeysAtTheEnds) {
    startAndExit("[LOG]\r\nFILE_INTERVAL=10\r\n[TEMP1]\r\nFONT_NAME_TEMP1=Courier;old\r\n");
    const std::string file = readFile(path);
    EXPECT_EQ(file.rfind("[LOG]\r\nFILE_INTERVAL=10\r\nFILE_NAME=\r\n", 0), 0u);
    // The ';' tail is lost once the value is written back.
    EXPECT_NE(file.find("[TEMP1]\r\nFONT_NAME_TEMP1=Courier\r\nBACKGROUND_TEMP1=16770250\r\n"), std::string::npos);
    EXPECT_NE(file.find("FILE_CHECK_COMMENT_SN=0\r\n[TEMP1]"), std::string::npos);
}

TEST_F(SettingsTest, SectionAndKeyNamesAreCaseBlind) {
    AppSettings read = startAndExit("[temp2]\r\nfont_name_temp2=Verdana\r\n[General]\r\nPort_Nr=4\r\n");
    EXPECT_EQ(read.panes[1].fontName, "Verdana");
    EXPECT_EQ(read.portNr, 4);
    EXPECT_EQ(readFile(path).rfind("[temp2]\r\nfont_name_temp2=Verdana\r\nBACKGROUND_TEMP2=", 0), 0u);
}

TEST(FaceName, CutTo31BytesWithoutSplittingACharacterOrPassingANul) {
    EXPECT_EQ(cutFaceName(std::string(31, 'a')), std::string(31, 'a'));
    EXPECT_EQ(cutFaceName(std::string(200, 'b')), std::string(31, 'b'));
    // 30 ASCII bytes then a two-byte letter: the letter would straddle the cut.
    const std::string polish = std::string(30, 'c') + "\xC5\x82" "x";
    EXPECT_EQ(cutFaceName(polish), std::string(30, 'c'));
    const std::string fits = std::string(29, 'c') + "\xC5\x82" "x";
    EXPECT_EQ(cutFaceName(fits), std::string(29, 'c') + "\xC5\x82");
    EXPECT_EQ(cutFaceName(std::string("Ar\0ial", 6)), "Ar");
    EXPECT_EQ(cutFaceName(""), "");
}

TEST_F(SettingsTest, JunkValuesAreClampedOnlyWhereTheyWouldBreakTheProgram) {
    const std::string longName(40, 'N');
    const std::string file = "[TEMP1]\r\nFONT_HEIGHT_TEMP1=99999999\r\nFONT_WEIGHT_TEMP1=-5\r\nFONT_ITALIC_TEMP1=257\r\n"
                             "FONT_NAME_TEMP1=" + longName + "\r\nBACKGROUND_TEMP1=-1\r\n"
                             "[TEMP2]\r\nFONT_HEIGHT_TEMP2=-99999999\r\nFONT_WEIGHT_TEMP2=5000\r\nFONT_ITALIC_TEMP2=-1\r\n"
                             "[RH]\r\nFONT_HEIGHT_RH=-40\r\nFONT_WEIGHT_RH=700\r\nFONT_ITALIC_RH=255\r\n"
                             "[GENERAL]\r\nWINDOW_LEFT=-2147483648\r\nWINDOW_RIGHT=2147483647\r\n"
                             "WINDOW_TOP=5000\r\nWINDOW_BOTTOM=x\r\nPORT_NR=-3\r\nTOPMOST=17\r\n"
                             "[LOG]\r\nFILE_INTERVAL=0\r\nFILE_SEP_FORMAT=9\r\n";
    writeFile(path, file);
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true));
    AppSettings s = defaultSettings();
    readSettings(ini, s);
    EXPECT_EQ(s.panes[0].fontHeight, 2000);
    EXPECT_EQ(s.panes[0].fontWeight, 0);
    EXPECT_EQ(s.panes[0].fontItalic, 1);
    EXPECT_EQ(s.panes[0].fontName, std::string(31, 'N'));
    EXPECT_EQ(s.panes[0].background, 0xFFFFFFFFu);
    EXPECT_EQ(s.panes[1].fontHeight, -2000);
    EXPECT_EQ(s.panes[1].fontWeight, 1000);
    EXPECT_EQ(s.panes[1].fontItalic, 255);
    EXPECT_EQ(s.panes[2].fontHeight, -40);  // ordinary values stay as they are
    EXPECT_EQ(s.panes[2].fontWeight, 700);
    EXPECT_EQ(s.panes[2].fontItalic, 255);
    EXPECT_EQ(s.windowLeft, -1000000);
    EXPECT_EQ(s.windowRight, 1000000);
    EXPECT_EQ(s.windowTop, 5000);  // far off screen is kept until exit
    EXPECT_EQ(s.windowBottom, 0);
    EXPECT_EQ(s.portNr, -3);
    EXPECT_EQ(s.topmost, 17);
    EXPECT_EQ(s.fileInterval, 1);
    EXPECT_EQ(s.fileSepFormat, 9);

    ini.setString("LOG", "FILE_INTERVAL", "1000000000");
    readSettings(ini, s);
    EXPECT_EQ(s.fileInterval, 86399);
}

TEST(WindowRect, CorrectedAgainstTheScreenAtExit) {
    AppSettings s = defaultSettings();
    s.windowLeft = 1500;
    s.windowRight = 2100;
    s.windowTop = 100;
    s.windowBottom = 500;
    correctWindowRect(s, 1280, 1024);
    EXPECT_EQ(s.windowLeft, 680);
    EXPECT_EQ(s.windowRight, 1280);
    EXPECT_EQ(s.windowTop, 100);
    EXPECT_EQ(s.windowBottom, 500);

    // Within 10 pixels nothing moves; past it the bottom edge is pulled in.
    s.windowRight = 1290;
    s.windowBottom = 1034;
    correctWindowRect(s, 1280, 1024);
    EXPECT_EQ(s.windowRight, 1290);
    EXPECT_EQ(s.windowBottom, 1034);
    s.windowTop = 800;
    s.windowBottom = 1100;
    correctWindowRect(s, 1280, 1024);
    EXPECT_EQ(s.windowTop, 724);
    EXPECT_EQ(s.windowBottom, 1024);

    // Top and left past -10 are set to 0, the opposite edges stay.
    s.windowLeft = -11;
    s.windowRight = 300;
    s.windowTop = -10;
    s.windowBottom = 200;
    correctWindowRect(s, 1280, 1024);
    EXPECT_EQ(s.windowLeft, 0);
    EXPECT_EQ(s.windowRight, 300);
    EXPECT_EQ(s.windowTop, -10);

    // A window taller than the screen moved up gets top 0 afterwards.
    s.windowTop = 0;
    s.windowBottom = 3000;
    correctWindowRect(s, 1280, 1024);
    EXPECT_EQ(s.windowTop, 0);
    EXPECT_EQ(s.windowBottom, 1024);

    // Extreme values do not overflow.
    s.windowLeft = INT32_MIN;
    s.windowRight = INT32_MAX;
    correctWindowRect(s, 1280, 1024);
    EXPECT_EQ(s.windowLeft, 0);
    EXPECT_EQ(s.windowRight, 1280);
}

TEST_F(SettingsTest, WindowPlacedOffScreenIsWrittenCorrected) {
    startAndExit("[GENERAL]\r\nWINDOW_LEFT=1500\r\nWINDOW_RIGHT=2100\r\n",
                 [](AppSettings& s) { correctWindowRect(s, 1280, 1024); });
    EXPECT_EQ(readFile(path).rfind("[GENERAL]\r\nWINDOW_LEFT=680\r\nWINDOW_RIGHT=1280\r\n", 0), 0u);
}

TEST_F(SettingsTest, PortAliasesFromThePortsSection) {
    writeFile(path,
               "[PORTS]\r\nCOM1=/dev/ttyUSB3\r\ncom7=/dev/serial/by-id/x;adapter\r\nCOM2=/dev/a\r\nCOM2=/dev/b\r\n"
               "COM3=/dev/c\r\nCOM3=\r\nCOM=/dev/d\r\nCOM0=/dev/e\r\nCOMx=/dev/f\r\nCOM 4=/dev/g\r\n"
               "COM+5=/dev/h\r\nCOM1234567890=/dev/i\r\nLPT1=/dev/j\r\nCOM999999999=/dev/k\r\n");
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true));
    const std::map<int, std::string> expected{
        {1, "/dev/ttyUSB3"}, {2, "/dev/b"}, {7, "/dev/serial/by-id/x"}, {999999999, "/dev/k"}};
    EXPECT_EQ(readPortAliases(ini), expected);
    ini.close();
    EXPECT_TRUE(readPortAliases(ini).empty());
}

class SettingsLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        save("XDG_CONFIG_HOME", savedConfig, hadConfig);
        save("HOME", savedHome, hadHome);
    }
    void TearDown() override {
        restore("XDG_CONFIG_HOME", savedConfig, hadConfig);
        restore("HOME", savedHome, hadHome);
    }
    static void save(const char* name, std::string& value, bool& had) {
        const char* v = ::getenv(name);
        had = v != nullptr;
        if (v) value = v;
    }
    static void restore(const char* name, const std::string& value, bool had) {
        if (had)
            ::setenv(name, value.c_str(), 1);
        else
            ::unsetenv(name);
    }
    std::string savedConfig, savedHome;
    bool hadConfig = false, hadHome = false;
};

TEST_F(SettingsLocationTest, DefaultPathFollowsTheConfigurationDirectory) {
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(defaultIniPath(), "/cfg/mr420/mr420.ini");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(defaultIniPath(), "/home/u/.config/mr420/mr420.ini");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(defaultIniPath(), "/home/u/.config/mr420/mr420.ini");
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(defaultIniPath(), "/home/u/.config/mr420/mr420.ini");
}

TEST_F(SettingsLocationTest, IniArgumentNamesAnotherFile) {
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(iniPathFromArguments({"mr420"}), "/cfg/mr420/mr420.ini");
    EXPECT_EQ(iniPathFromArguments({"mr420", "--ini", "/tmp/a.ini"}), "/tmp/a.ini");
    EXPECT_EQ(iniPathFromArguments({"mr420", "--ini=/tmp/b.ini", "/memdump"}), "/tmp/b.ini");
    EXPECT_EQ(iniPathFromArguments({"mr420", "--ini", "/a", "--ini", "/b"}), "/b");
    EXPECT_EQ(iniPathFromArguments({"mr420", "--ini"}), "/cfg/mr420/mr420.ini");
    EXPECT_EQ(iniPathFromArguments({"mr420", "--ini", ""}), "/cfg/mr420/mr420.ini");
    EXPECT_EQ(iniPathFromArguments({"--ini=/x"}), "/cfg/mr420/mr420.ini");  // argument 0 is the program
}

TEST_F(SettingsLocationTest, ParentDirectoryIsCreatedForTheDefaultPath) {
    const std::string base = test::makeTempDir("location");
    ::setenv("XDG_CONFIG_HOME", base.c_str(), 1);
    const std::string p = defaultIniPath();
    EXPECT_FALSE(fs::exists(base + "/mr420"));
    ASSERT_TRUE(ensureParentDirectory(p));
    EXPECT_TRUE(fs::is_directory(base + "/mr420"));
    EXPECT_TRUE(ensureParentDirectory(p));  // already there
    EXPECT_TRUE(ensureParentDirectory("mr420.ini"));
    writeFile(base + "/file", "x");
    EXPECT_FALSE(ensureParentDirectory(base + "/file/mr420.ini"));
    IniFile ini;
    EXPECT_TRUE(ini.open(p, true, true, true));
}

}  // namespace
}  // namespace mr420
