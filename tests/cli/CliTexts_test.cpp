// The English string table read from the translation source file without Qt.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>

#include "base/StringTable.h"
#include "base/SystemErrorText.h"
#include "cli/CliTexts.h"
#include "cli/ConfigGroups.h"
#include "support/TestSupport.h"

namespace mr420::cli {
namespace {

TEST(Translations, ReadsTheStringTableContextOnly) {
    const std::string ts = R"(<?xml version="1.0" encoding="utf-8"?>
<TS version="2.1" language="en_GB">
<context>
    <name>Menu</name>
    <message><source>Plik</source><comment>101</comment><translation>File</translation></message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>a</source>
        <comment>101</comment>
        <translation>&amp;About &lt;x&gt; &quot;q&quot;</translation>
    </message>
    <message><source>b</source><comment>122</comment><translation>One&#13;
Two &#x00B0;C</translation></message>
    <message><source>c</source><comment>130</comment><translation type="unfinished"></translation></message>
    <message><source>d</source><comment>x1</comment><translation>bad id</translation></message>
</context>
</TS>)";
    const auto table = readStringTranslations(ts);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.at(101), "&About <x> \"q\"");
    EXPECT_EQ(table.at(122), "One\r\nTwo \xC2\xB0" "C");
}

TEST(Translations, TheShippedFileCoversEveryBuiltInString) {
    std::ifstream in(std::string(MR420_SOURCE_DIR) + "/resources/translations/mr420_en.ts", std::ios::binary);
    ASSERT_TRUE(in);
    std::stringstream s;
    s << in.rdbuf();
    const auto table = readStringTranslations(s.str());
    for (int id : allStringIds()) EXPECT_TRUE(table.count(id)) << id;
    EXPECT_EQ(table.at(string_id::kLanguageMarker), "EN");
}

TEST(Translations, InstalledTableReplacesThePolishTexts) {
    const std::string pl = str(string_id::kStatusNoCommunication);
    ASSERT_TRUE(installEnglishStringTable(std::string(MR420_SOURCE_DIR) + "/resources/translations"));
    const std::string en = str(string_id::kStatusNoCommunication);
    setStringOverride({});
    EXPECT_NE(pl, en);
    EXPECT_EQ(str(string_id::kLanguageMarker), "PL");
    EXPECT_FALSE(installEnglishStringTable("/nonexistent"));
}

TEST(Texts, FormatFillsEachPlaceholderInTurn) {
    useLanguage("en", test::kTranslationsDir);
    EXPECT_EQ(text(Text::MemoryProgress, {"2", "16"}), "Reading the memory: block 2 of 16");
    useLanguage("pl", {});
    EXPECT_EQ(text(Text::MemoryProgress, {"2", "16"}), "Odczyt pamięci: blok 2 z 16");
}

// The reasons of failed system calls follow the language; an unusual one is
// the C library's. English that cannot be read leaves everything Polish.
TEST(Texts, SystemErrorsInTheLanguageInForce) {
    for (const auto& [number, pl, en] : std::vector<std::tuple<int, std::string, std::string>>{
             {EISDIR, "To jest katalog", "Is a directory"}, {EACCES, "Brak dostępu", "Permission denied"},
             {ENOENT, "Nie ma takiego pliku ani katalogu", "No such file or directory"},
             {ENOEXEC, std::strerror(ENOEXEC), std::strerror(ENOEXEC)}}) {
        EXPECT_EQ(systemErrorText(number), pl);
        ASSERT_TRUE(useLanguage("en", test::kTranslationsDir));
        EXPECT_EQ(systemErrorText(number), en);
        EXPECT_FALSE(useLanguage("en", "/nonexistent"));
        EXPECT_EQ(text(Text::FilePlaceholder) + systemErrorText(number), "PLIK" + pl);
    }
}

// What every setting takes, as the help and the refusals say it: no English
// word is left under Polish.
TEST(Texts, ValuesOfEverySettingInTheLanguageInForce) {
    for (const ConfigGroup& g : configGroups())
        for (const GroupSetting& s : g.settings)
            for (const char* word : {"steps", "minute", "digit", "character", "text", "blank", "up to", "day", " and "})
                EXPECT_EQ(valuesText(s.values).find(word), std::string::npos) << g.name << " " << s.name;
    EXPECT_EQ(valuesText("0h00m..24h50m (1h10m, 1h, 10m; in steps of 10 minutes)"), "0h00m..24h50m (1h10m, 1h, 10m; co 10 minut)");
}

}  // namespace
}  // namespace mr420::cli
