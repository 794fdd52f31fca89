#include "base/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "base/Win1250.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

namespace fs = std::filesystem;

using mr420::test::readFile;
using mr420::test::writeFile;

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = test::makeTempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        path = dir + "/mr420.ini";
    }
    // Opens `bytes` as the file with the program's options.
    void openWith(IniFile& ini, const std::string& bytes, bool caseBlind = true) {
        writeFile(path, bytes);
        ASSERT_TRUE(ini.open(path, true, true, caseBlind));
    }
    std::string dir, path;
};

TEST_F(IniFileTest, ParsesSectionsEntriesAndTheUnnamedLeadingSection) {
    IniFile ini;
    openWith(ini, "lead=1\r\nbare\r\n\r\n[A]\r\nk=v=w\r\n[]\r\nx=y\r\n[B\r\n]\r\n[C]\r\n");
    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"", "A", "", "C"}));
    using E = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(ini.entries(""), (E{{"lead", "1"}, {"bare", ""}, {"", ""}}));
    // Key up to the first '=', and "[B" / "]" are ordinary entries.
    EXPECT_EQ(ini.entries("A"), (E{{"k", "v=w"}}));
    EXPECT_EQ(ini.getString("A", "k", "-"), "v=w");
    EXPECT_TRUE(ini.entries("C").empty());
    EXPECT_EQ(ini.getString("", "lead", "-"), "1");
    EXPECT_EQ(ini.getString("", "bare", "-"), "");
    EXPECT_FALSE(ini.dirty());
}

TEST_F(IniFileTest, LinesAreTakenUnchangedAndSpacesBelongToKeyAndValue) {
    IniFile ini;
    openWith(ini, "[GENERAL]\r\nPORT_NR = 3\r\n  [X]\r\nA= b \r\n");
    EXPECT_EQ(ini.getInt("GENERAL", "PORT_NR", 7), 7);
    EXPECT_EQ(ini.getString("GENERAL", "PORT_NR ", "-"), " 3");
    EXPECT_EQ(ini.getInt("GENERAL", "PORT_NR ", 7), 3);  // atoi skips leading blanks
    EXPECT_EQ(ini.sectionNames().size(), 1u);            // "  [X]" is not a header
    EXPECT_EQ(ini.getString("GENERAL", "A", "-"), " b ");
}

TEST_F(IniFileTest, FirstSectionOfANameAndLastDuplicateKeyCount) {
    IniFile ini;
    openWith(ini, "[S]\r\nK=first\r\nK=second\r\n[S]\r\nK=other\r\nM=1\r\n");
    EXPECT_EQ(ini.getString("S", "K", "-"), "second");
    EXPECT_EQ(ini.getString("S", "M", "-"), "-");  // only in the second [S]
    ini.setString("S", "K", "new");
    ini.setString("S", "M", "2");
    EXPECT_EQ(ini.serialise(), "[S]\r\nK=first\r\nK=new\r\nM=2\r\n[S]\r\nK=other\r\nM=1\r\n");
}

TEST_F(IniFileTest, TextReadsLoseEverythingFromTheLastSemicolon) {
    IniFile ini;
    openWith(ini, "[F]\r\nA=Arial;x\r\nB=a;b;c\r\nC=;\r\nD=plain\r\nN=12;5\r\n");
    EXPECT_EQ(ini.getString("F", "A", ""), "Arial");
    EXPECT_EQ(ini.getString("F", "B", ""), "a;b");
    EXPECT_EQ(ini.getString("F", "C", "-"), "");
    EXPECT_EQ(ini.getString("F", "D", ""), "plain");
    EXPECT_EQ(ini.getInt("F", "N", 0), 12);
    EXPECT_EQ(ini.getString("F", "missing", "de;f"), "de;f");  // a default comes back as given
    EXPECT_EQ(ini.entries("F")[0].second, "Arial;x");           // raw entries keep it
}

TEST_F(IniFileTest, NumbersReadLikeAtoiWithClampingInsteadOfOverflow) {
    IniFile ini;
    openWith(ini,
             "[N]\r\nsp= \t42\r\nplus=+7\r\nneg=-13\r\ntail=12abc\r\nword=abc\r\nempty=\r\nsign=-\r\n"
             "big=99999999999\r\nsmall=-99999999999\r\nhuge=" +
                 std::string(400, '9') + "\r\nmax=2147483647\r\nmin=-2147483648\r\n"
                 "u32=4294967295\r\nover=4294967296\r\nminus1=-1\r\nvery_neg=-3000000000\r\n");
    struct IntRow { const char* key; int dflt; int want; };
    for (const IntRow& r : {IntRow{"sp", 0, 42}, {"plus", 0, 7}, {"neg", 0, -13}, {"tail", 0, 12},
                            {"word", 5, 0}, {"empty", 5, 0}, {"sign", 5, 0}, {"big", 0, INT32_MAX},
                            {"small", 0, INT32_MIN}, {"huge", 0, INT32_MAX}, {"max", 0, INT32_MAX},
                            {"min", 0, INT32_MIN}, {"missing", -77, -77}}) {
        SCOPED_TRACE(r.key);
        EXPECT_EQ(ini.getInt("N", r.key, r.dflt), r.want);
    }
    struct UnsignedRow { const char* key; unsigned dflt; unsigned want; };
    for (const UnsignedRow& r :
         {UnsignedRow{"u32", 0, 4294967295u}, {"over", 0, 4294967295u}, {"huge", 0, 4294967295u},
          {"minus1", 0, 4294967295u}, {"very_neg", 0, 2147483648u}, {"word", 9, 0u},
          {"missing", 4000000000u, 4000000000u}}) {
        SCOPED_TRACE(r.key);
        EXPECT_EQ(ini.getUnsigned("N", r.key, r.dflt), r.want);
    }
}

TEST(ParseLeadingInteger, SaturatesAtTheInt64Range) {
    struct Row { const char* text; int64_t want; };
    for (const Row& r : {Row{"9223372036854775807", INT64_MAX}, {"9223372036854775808", INT64_MAX},
                         {"-9223372036854775808", INT64_MIN}, {"-9223372036854775809", INT64_MIN},
                         {"\v\f\r\n 0012", 12}, {"- 5", 0}}) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(parseLeadingInteger(r.text), r.want);
    }
}

TEST_F(IniFileTest, SetNumbersWriteDecimalAndReadBack) {
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true));
    ini.setUnsigned("N", "U", 4294967295u);
    ini.setInt("N", "I", INT32_MIN);
    EXPECT_EQ(ini.serialise(), "[N]\r\nU=4294967295\r\nI=-2147483648\r\n");
    EXPECT_EQ(ini.getUnsigned("N", "U", 0), 4294967295u);
    EXPECT_EQ(ini.getInt("N", "I", 0), INT32_MIN);
}

TEST_F(IniFileTest, CaseBlindLookupAndDirtyFlagIgnoreCaseOnlyChanges) {
    IniFile ini;
    openWith(ini, "[General]\r\nLanguage=en\r\n");
    EXPECT_EQ(ini.getString("GENERAL", "LANGUAGE", ""), "en");
    ini.setString("GENERAL", "LANGUAGE", "EN");
    EXPECT_FALSE(ini.dirty());
    EXPECT_EQ(ini.getString("general", "language", ""), "EN");  // overwritten all the same
    ini.setString("general", "LANGUAGE", "pl");
    EXPECT_TRUE(ini.dirty());
    // The stored names keep their spelling.
    EXPECT_EQ(ini.serialise(), "[General]\r\nLanguage=pl\r\n");
}

TEST(IniFileIndex, CaseBlindFoldsOnlyAsciiLettersAtAnyLengthAndManyKeysStayFound) {
    IniFile ini;
    ini.load("[S]\r\n@=at\r\n[=bracket\r\n\xC1=high\r\nabcdefghIJKLMNOPq=long\r\n", true);
    const struct { const char* key; const char* value; } rows[] = {
        {"@", "at"}, {"`", "-"}, {"[", "bracket"}, {"{", "-"}, {"\xC1", "high"}, {"\xE1", "-"},
        {"ABCDEFGHijklmnopQ", "long"}, {"abcdefghijklmnopq", "long"}, {"abcdefghijklmnop", "-"}};
    for (const auto& row : rows) EXPECT_EQ(ini.getString("s", row.key, "-"), row.value) << row.key;
    // More keys than the index first has room for, in two sections, then the
    // unnamed section put in front of both.
    for (int i = 0; i < 1500; ++i) ASSERT_TRUE(ini.setInt(i % 2 ? "S" : "T", "Key" + std::to_string(i), i));
    ASSERT_TRUE(ini.setString("", "front", "1"));
    for (int i = 0; i < 1500; ++i) ASSERT_EQ(ini.getInt(i % 2 ? "s" : "t", "KEY" + std::to_string(i), -1), i);
    EXPECT_EQ(ini.getString("", "FRONT", "-"), "1");
    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"", "S", "T"}));
}

TEST_F(IniFileTest, CaseSensitiveStoreKeepsNamesApart) {
    IniFile ini;
    openWith(ini, "[a]\r\nk=1\r\n", false);
    EXPECT_EQ(ini.getString("A", "k", "-"), "-");
    EXPECT_EQ(ini.getString("a", "K", "-"), "-");
    ini.setString("a", "k", "1");
    EXPECT_FALSE(ini.dirty());
    ini.setString("a", "K", "2");
    EXPECT_TRUE(ini.dirty());
    EXPECT_EQ(ini.serialise(), "[a]\r\nk=1\r\nK=2\r\n");
}

TEST_F(IniFileTest, DirtyOnlyForRealChanges) {
    IniFile ini;
    openWith(ini, "[S]\r\nK=v\r\n");
    ini.setString("S", "K", "v");
    EXPECT_FALSE(ini.dirty());
    ini.setString("S", "NEW", "");
    EXPECT_TRUE(ini.dirty());
    ASSERT_TRUE(ini.save());
    EXPECT_FALSE(ini.dirty());
    ini.setString("T", "K", "v");  // new section
    EXPECT_TRUE(ini.dirty());
}

TEST_F(IniFileTest, WritingAppendsEqualsToKeyOnlyLinesAndKeepsUnnamedSectionHeaderless) {
    IniFile ini;
    openWith(ini, "top\n; note\n\n=abc\n[S]\n;comment\nK=v");
    ini.setString("S", "K", "w");
    ASSERT_TRUE(ini.close());
    EXPECT_EQ(readFile(path), "top=\r\n; note=\r\n\r\n=abc\r\n[S]\r\n;comment=\r\nK=w\r\n");
    // The written file reads back to the same entries.
    IniFile again;
    ASSERT_TRUE(again.open(path, false, false, true));
    EXPECT_EQ(again.getString("", "=abc", "-"), "-");
    EXPECT_EQ(again.entries("")[3], (std::pair<std::string, std::string>{"", "abc"}));
    EXPECT_EQ(again.getString("S", ";comment", "-"), "");
}

TEST_F(IniFileTest, LineEndsLfCrLfAndOneStrippedCarriageReturn) {
    IniFile ini;
    openWith(ini, "[A]\nk=1\r\nm=2\r\r\n[B]\r\r\nn=3\r");
    EXPECT_EQ(ini.getString("A", "k", "-"), "1");
    EXPECT_EQ(ini.getString("A", "m", "-"), "2\r");  // only one CR belongs to the line end
    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"A"}));  // "[B]\r" is an entry
    EXPECT_EQ(ini.getString("A", "n", "-"), "3");
    // What was read is written back so that it reads the same.
    ini.setString("A", "z", "9");
    ASSERT_TRUE(ini.save());
    IniFile again;
    ASSERT_TRUE(again.open(path, false, false, true));
    EXPECT_EQ(again.entries("A"), ini.entries("A"));
}

TEST_F(IniFileTest, UnchangedFileIsNotRewrittenAndWellFormedFileRoundTrips) {
    const std::string text = "[TEMP1]\r\nBACKGROUND_TEMP1=1\r\n\r\n[GENERAL]\r\nLANGUAGE=pl\r\nX=a;b\r\n";
    writeFile(path, text);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    {
        IniFile ini;
        ASSERT_TRUE(ini.open(path, true, true, true));
        EXPECT_EQ(ini.serialise(), text);
    }  // destructor closes without saving
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(readFile(path), text);
}

TEST_F(IniFileTest, ParserTakesJunkNulBytesLongLinesAndNoFinalLineEndInMemory) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 37 + 11) & 0xFF));
    using namespace std::string_literals;
    const std::string longValue(1 << 20, 'x');
    const std::string bytes = junk + "\n[S\0T]\nk\0ey=v\0al\nlong="s + longValue;  // no final line end
    IniFile ini;
    ini.load(bytes, true);
    EXPECT_TRUE(ini.isOpen());
    EXPECT_EQ(ini.getString(std::string("S\0T", 3), std::string("k\0ey", 4), "-"), std::string("v\0al", 4));
    EXPECT_EQ(ini.getString(std::string("S\0T", 3), "long", "-"), longValue);
    ini.setString("S", "added", "1");
    IniFile again;
    again.load(ini.serialise(), true);
    EXPECT_EQ(again.getString(std::string("S\0T", 3), std::string("k\0ey", 4), "-"), std::string("v\0al", 4));
    EXPECT_EQ(again.getString("S", "added", "-"), "1");
    EXPECT_EQ(again.serialise(), ini.serialise());
}

TEST_F(IniFileTest, LongLinesAndNoFinalLineEndStillSave) {
    const std::string longValue(1 << 20, 'x');
    IniFile ini;
    openWith(ini, "[S]\nlong=" + longValue);
    ini.setString("S", "added", "1");
    ASSERT_TRUE(ini.close());
    EXPECT_EQ(readFile(path), "[S]\r\nlong=" + longValue + "\r\nadded=1\r\n");
}

// Byte strings the parser is given both from a file and from memory.
const char* const kParseSamples[] = {
    "",
    "lead=1\r\nbare\r\n\r\n[A]\r\nk=v=w\r\n[]\r\nx=y\r\n[B\r\n]\r\n[C]\r\n",
    "[A]\nk=1\r\nm=2\r\r\n[B]\r\r\nn=3\r",
    "top\n; note\n\n=abc\n[S]\n;comment\nK=v",
    "[GENERAL]\r\nLANGUAGE=pl\r\n[GENERAL]\r\nLANGUAGE=en\r\n",
};

TEST_F(IniFileTest, FileAndMemoryReadTheSameAndMemoryNeverWrites) {
    for (const char* sample : kParseSamples) {
        SCOPED_TRACE(sample);
        IniFile fromFile, fromMemory;
        openWith(fromFile, sample);
        fromMemory.load(sample, true);
        EXPECT_EQ(fromMemory.sectionNames(), fromFile.sectionNames());
        for (const std::string& name : fromFile.sectionNames())
            EXPECT_EQ(fromMemory.entries(name), fromFile.entries(name)) << name;
        EXPECT_EQ(fromMemory.serialise(), fromFile.serialise());
        EXPECT_TRUE(fromMemory.path().empty());

        fromMemory.setString("NEW", "K", "v");
        EXPECT_FALSE(fromMemory.save());  // no file behind it
        EXPECT_TRUE(fromMemory.close());  // nothing needed saving
        fromFile.close();
        EXPECT_EQ(readFile(path), sample);  // neither store was changed on disk
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

// A deterministic stand-in for a binary file: every byte value occurs.
std::string randomBinary(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string out;
    for (std::size_t i = 0; i < size; ++i) out.push_back(static_cast<char>(generator() & 0xFF));
    return out;
}

struct JunkCase {
    const char* name;
    std::string bytes;
};

std::vector<JunkCase> junkCases() {
    using namespace std::string_literals;
    std::string png = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0\0\0\x01\0\x08\x06\0\0\0"s;
    png += randomBinary(4000, 7);
    std::string utf16;
    for (char c : std::string("[GENERAL]\r\nLANGUAGE=pl\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    return {
        {"random binary", randomBinary(4096, 1)},
        {"picture header", png},
        {"NUL in a settings file", "[GENERAL]\r\nPORT_NR=3\r\nLANGUAGE=pl\0\r\n[LOG]\r\nFILE_LOG=1\r\n"s},
        {"UTF-16 settings file", "\xFF\xFE"s + utf16},
        {"UTF-8 text without key or section", "Zażółć gęślą jaźń.\nDrugi wiersz [bez sekcji]\n\nKoniec\n"},
        {"escape sequence", "[GENERAL]\r\nPORT_NR=3\x1b[0m\r\n"},
        {"form feed", "[GENERAL]\r\n\fPORT_NR=3\r\n"},
        {"DEL", "[GENERAL]\r\nPORT_NR=3\x7f\r\n"},
        {"byte neither UTF-8 nor Windows-1250", "[GENERAL]\r\nFILE_NAME=a\x81" "b\r\n"},
        {"UTF-8 surrogate", "[GENERAL]\r\nFILE_NAME=\xED\xA0\x81\r\n"},
        {"above U+10FFFF", "[GENERAL]\r\nFILE_NAME=\xF4\x90\x80\x81\r\n"},
        {"one word", "hello"},
    };
}

TEST_F(IniFileTest, FileThatIsNotASettingsFileIsReportedAndLeftByteIdentical) {
    for (const JunkCase& c : junkCases()) {
        SCOPED_TRACE(c.name);
        writeFile(path, c.bytes);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        {
            IniFile ini;
            EXPECT_FALSE(ini.open(path, true, true, true, /*backup=*/true));
            EXPECT_TRUE(ini.notASettingsFile());
            EXPECT_FALSE(ini.isOpen());
            // The program runs with defaults: nothing of the junk is read.
            EXPECT_TRUE(ini.sectionNames().empty());
            EXPECT_EQ(ini.getInt("GENERAL", "PORT_NR", 7), 7);
            // Values set in memory read back, but never reach the file.
            ASSERT_TRUE(ini.setInt("GENERAL", "PORT_NR", 2));
            EXPECT_EQ(ini.getInt("GENERAL", "PORT_NR", 7), 2);
            EXPECT_TRUE(ini.dirty());
            EXPECT_FALSE(ini.save());
            EXPECT_FALSE(ini.close());  // the settings could not be saved
            EXPECT_TRUE(ini.notASettingsFile());
        }
        {
            IniFile ini;
            EXPECT_FALSE(ini.open(path, true, true, true));
            ini.setInt("GENERAL", "PORT_NR", 3);
        }  // the destructor closes without writing either
        EXPECT_EQ(readFile(path), c.bytes);
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        // No temporary file, no backup copy.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
        EXPECT_FALSE(IniFile::isSettingsText(c.bytes));
    }
}

TEST_F(IniFileTest, FileAboveTheSizeLimitIsNotASettingsFile) {
    {
        std::ofstream out(path, std::ios::binary);
        out << "[GENERAL]\r\n";
    }
    const off_t size = off_t{65} * 1024 * 1024;  // sparse: nothing is read
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
    IniFile ini;
    EXPECT_FALSE(ini.open(path, true, true, true));
    EXPECT_TRUE(ini.notASettingsFile());
    ini.setInt("GENERAL", "PORT_NR", 2);
    EXPECT_FALSE(ini.close());
    EXPECT_EQ(fs::file_size(path), static_cast<std::uintmax_t>(size));
}

TEST_F(IniFileTest, FileReplacedByJunkAfterOpenIsNotOverwritten) {
    writeFile(path, "[GENERAL]\r\nPORT_NR=3\r\n");
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true));
    EXPECT_FALSE(ini.notASettingsFile());
    ini.setInt("GENERAL", "PORT_NR", 2);
    const std::string junk = randomBinary(2048, 3);
    writeFile(path, junk);
    EXPECT_FALSE(ini.close());
    EXPECT_TRUE(ini.notASettingsFile());
    EXPECT_EQ(readFile(path), junk);

    // Unreadable at open (here: not there yet, and not created), junk at save.
    IniFile late;
    const std::string other = dir + "/other.ini";
    EXPECT_FALSE(late.open(other, true, false, true));
    EXPECT_FALSE(late.notASettingsFile());
    late.setInt("GENERAL", "PORT_NR", 2);
    writeFile(other, junk);
    EXPECT_FALSE(late.save());
    EXPECT_TRUE(late.notASettingsFile());
    EXPECT_EQ(readFile(other), junk);
}

TEST_F(IniFileTest, ReopeningAfterJunkClearsTheReport) {
    writeFile(path, randomBinary(100, 5));
    IniFile ini;
    EXPECT_FALSE(ini.open(path, true, true, true));
    EXPECT_TRUE(ini.notASettingsFile());
    const std::string good = dir + "/good.ini";
    EXPECT_TRUE(ini.open(good, true, true, true));
    EXPECT_FALSE(ini.notASettingsFile());
    ini.setInt("S", "K", 1);
    EXPECT_TRUE(ini.close());
    EXPECT_EQ(readFile(good), "[S]\r\nK=1\r\n");
}

struct TextCase {
    const char* name;
    std::string bytes;
};

// Settings files as users and older versions leave them.
std::vector<TextCase> settingsFiles() {
    return {
        {"empty", ""},
        {"only line ends and blanks", "\r\n \t\n\r\n"},
        {"one header", "[GENERAL]"},
        {"one entry, LF", "LANGUAGE=pl\n"},
        {"Polish UTF-8", "[LOG]\r\nFILE_NAME=/home/łucja/pomiary źródło.txt\r\nCOMMENT=Żółć\tgęś\r\n"},
        {"Polish Windows-1250", "[LOG]\r\nFILE_NAME=C:\\Pomiary\\\xA3\xF3" "d\xBC \xB3\xB9ka.txt\r\n"},
        // "Ł" in UTF-8 ends in 0x81, a byte the code page lacks; "ł" and "ś"
        // in Windows-1250 are not UTF-8 at all.
        {"UTF-8 and Windows-1250 mixed",
         "[LOG]\r\nFILE_NAME=\xC5\x81\xC3\xB3" "d\xC5\xBA.txt\r\nFILE_NAME_BIN=\xB3\xF3" "d\x9F.qvg\r\n"},
        {"Windows-1250 punctuation", "[X]\r\nA=\x80 \x84" "cytat\x94 \x96 \x85\r\n"},
        {"UTF-8 byte order mark", "\xEF\xBB\xBF[GENERAL]\r\nLANGUAGE=en\r\n"},
        {"comments and malformed lines", "; settings\r\n  [X]\r\n[GENERAL]\r\nbare\r\n[\r\n"},
        {"four-byte UTF-8", "[X]\r\nA=\xF0\x9F\x99\x82\r\n"},
    };
}

TEST_F(IniFileTest, RealSettingsFilesInEitherEncodingStillSave) {
    for (const TextCase& c : settingsFiles()) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(IniFile::isSettingsText(c.bytes));
        ::unlink(path.c_str());
        writeFile(path, c.bytes);
        IniFile ini;
        ASSERT_TRUE(ini.open(path, true, true, true));
        EXPECT_FALSE(ini.notASettingsFile());
        const std::string before = ini.serialise();
        ASSERT_TRUE(ini.setString("ADDED", "NAME", "Łódź \xB3\xF3" "d\xBC"));
        ASSERT_TRUE(ini.close());
        // Everything that was there is written back, the new entry after it.
        EXPECT_EQ(readFile(path), before + "[ADDED]\r\nNAME=Łódź \xB3\xF3" "d\xBC\r\n");
        IniFile again;
        ASSERT_TRUE(again.open(path, false, false, true));
        EXPECT_EQ(again.getString("ADDED", "NAME", "-"), "Łódź \xB3\xF3" "d\xBC");
    }
}

TEST(IniFileText, EveryByteOnItsOwnAndInEveryPlaceOfALine) {
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        bool expected;
        if (b < 0x80)
            expected = (b >= 0x20 && b != 0x7F) || c == '\t' || c == '\r' || c == '\n';
        else
            expected = win1250CodePoint(static_cast<unsigned char>(b)) != 0;  // alone, never UTF-8
        EXPECT_EQ(IniFile::isTextBytes(std::string(1, c)), expected) << b;
        // At every offset of a longer line, so that each of the eight bytes a
        // word-wide check looks at is the odd one once.
        for (std::size_t at = 0; at < 29; ++at) {   // three words and a padded tail
            std::string line(29, 'a');
            line[at] = c;
            EXPECT_EQ(IniFile::isTextBytes(line), expected) << b << " at " << at;
        }
    }
    std::string printable;
    for (int b = 0x20; b < 0x7F; ++b) printable.push_back(static_cast<char>(b));
    EXPECT_TRUE(IniFile::isTextBytes(printable + printable));
}

TEST(IniFileText, Utf8CharactersAndWindows1250Bytes) {
    struct Case {
        const char* name;
        std::string bytes;
        bool text;
    };
    const Case cases[] = {
        {"two-byte character ending in 0x81", "\xC5\x81", true},
        {"three-byte character", "\xE2\x82\xAC", true},
        {"four-byte character", "\xF0\x9F\x99\x82", true},
        {"largest character", "\xF4\x8F\xBF\xBF", true},
        {"truncated character then 0x81", "\xE2\x81", false},
        {"continuation byte 0x81 alone", "a\x81", false},
        {"overlong form ending in 0x81", "\xC0\x81", false},
        {"overlong three-byte form", "\xE0\x80\x81", false},
        {"surrogate", "\xED\xA0\x81", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x81", false},
        {"Windows-1250 Polish letters", "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF", true},
        {"UTF-8 and Windows-1250 side by side", "\xC5\x81\xB3\xC5\x82", true},
        {"each unassigned byte", "\x83", false}, {"", "\x88", false}, {"", "\x90", false}, {"", "\x98", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IniFile::isTextBytes(c.bytes), c.text) << c.name;
}

TEST(IniFileText, SettingsTextNeedsAnEntryOrHeaderUnlessBlank) {
    struct Case {
        std::string bytes;
        bool settings;
    };
    const Case cases[] = {
        {"", true}, {"\r\n\r\n  \t\r\n", true}, {"[]", true}, {"=", true}, {"k=", true},
        {"words\nmore words\n", false}, {"[not a header\n", false}, {"  [X]\n", false},
        {"; comment only\r\n", false}, {"words\n[S]\n", true},
        {"[S]\r", true},  // the CR at the very end belongs to the line end
        {"\xEF\xBB\xBF", true},  // a UTF-8 signature and nothing else
        {"\xEF\xBB\xBF\r\n", true},
        {"\xEF\xBB\xBFwords\r\n", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IniFile::isSettingsText(c.bytes), c.settings) << c.bytes;
}

TEST(IniFileContent, SameContentComparesSectionsAndEntriesExactly) {
    const std::string text = "lead=1\r\n[A]\r\nk=v=w\r\nbare\r\n[B]\r\n";
    IniFile a, b;
    a.load(text, true);
    b.load(a.serialise(), true);
    EXPECT_TRUE(a.sameContent(b));
    EXPECT_TRUE(b.sameContent(a));

    struct Case {
        const char* name;
        std::string other;
    };
    const Case differing[] = {
        {"a header where the unnamed section was", "[]\r\nlead=1\r\n[A]\r\nk=v=w\r\nbare\r\n[B]\r\n"},
        {"key and value split elsewhere", "lead=1\r\n[A]\r\nk=v\r\n=w\r\nbare\r\n[B]\r\n"},
        {"an entry moved to the next section", "lead=1\r\n[A]\r\nk=v=w\r\n[B]\r\nbare\r\n"},
        {"letter case of a key", "lead=1\r\n[A]\r\nK=v=w\r\nbare\r\n[B]\r\n"},
        {"a value", "lead=2\r\n[A]\r\nk=v=w\r\nbare\r\n[B]\r\n"},
        {"a missing section", "lead=1\r\n[A]\r\nk=v=w\r\nbare\r\n"},
    };
    for (const Case& c : differing) {
        IniFile other;
        other.load(c.other, true);
        EXPECT_FALSE(a.sameContent(other)) << c.name;
        EXPECT_FALSE(other.sameContent(a)) << c.name;
    }
    // Content, not history: the same entries set one by one.
    IniFile built;
    built.load("", true);
    built.setString("", "lead", "1");
    built.setString("A", "k", "v=w");
    built.setString("A", "bare", "");
    built.setString("B", "x", "1");
    IniFile expected;
    expected.load("lead=1\r\n[A]\r\nk=v=w\r\nbare=\r\n[B]\r\nx=1\r\n", true);
    EXPECT_TRUE(built.sameContent(expected));
}

TEST(IniFileContent, ValuesShrinkGrowAndKeepTheirNeighbours) {
    IniFile ini;
    ini.load("[S]\r\nA=long value\r\nB=2\r\n[T]\r\nC=3\r\n", true);
    ini.setString("S", "A", "x");           // shorter: in place
    ini.setString("S", "B", "a much longer value than before");
    ini.setString("S", "D", "4");           // appended inside [S], before [T]
    ini.setString("T", "C", "");
    EXPECT_EQ(ini.serialise(), "[S]\r\nA=x\r\nB=a much longer value than before\r\nD=4\r\n[T]\r\nC=\r\n");
    EXPECT_EQ(ini.getString("T", "C", "-"), "");
    EXPECT_EQ(ini.getString("S", "A", "-"), "x");
}

TEST_F(IniFileTest, LoadClosesTheOpenFileFirst) {
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true));
    ini.setInt("S", "K", 1);
    ini.load("[T]\r\nX=1\r\n", true);
    EXPECT_EQ(readFile(path), "[S]\r\nK=1\r\n");
    EXPECT_EQ(ini.getInt("S", "K", 0), 0);
    EXPECT_EQ(ini.getInt("T", "X", 0), 1);
}

TEST_F(IniFileTest, MalformedLinesInARealSettingsFileStayEntries) {
    IniFile ini;
    openWith(ini, "[GENERAL]\r\nPORT_NR=3\r\njust words\r\n[unclosed\r\n");
    EXPECT_EQ(ini.entries("GENERAL"),
              (std::vector<std::pair<std::string, std::string>>{{"PORT_NR", "3"}, {"just words", ""}, {"[unclosed", ""}}));
    ini.setInt("GENERAL", "PORT_NR", 4);
    ASSERT_TRUE(ini.close());
    EXPECT_EQ(readFile(path), "[GENERAL]\r\nPORT_NR=4\r\njust words=\r\n[unclosed=\r\n");
}

TEST_F(IniFileTest, EmptyFileHasNoSections) {
    IniFile ini;
    openWith(ini, "");
    EXPECT_TRUE(ini.sectionNames().empty());
    EXPECT_EQ(ini.serialise(), "");
}

TEST_F(IniFileTest, CreateIfMissingCreatesTheFileAtOpen) {
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true));
    EXPECT_TRUE(ini.isOpen());
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(readFile(path), "");

    IniFile other;
    EXPECT_FALSE(other.open(dir + "/absent.ini", true, false, true));
    EXPECT_FALSE(other.isOpen());
    EXPECT_FALSE(fs::exists(dir + "/absent.ini"));
}

TEST_F(IniFileTest, FailedOpenGivesDefaultsAndCloseStillTriesToSave) {
    // The directory is missing, so the file can be neither read nor created.
    const std::string missingDir = dir + "/nodir/mr420.ini";
    IniFile ini;
    EXPECT_FALSE(ini.open(missingDir, true, true, true));
    EXPECT_EQ(ini.getInt("GENERAL", "PORT_NR", 4), 4);
    ini.setInt("GENERAL", "PORT_NR", 2);
    EXPECT_EQ(ini.getInt("GENERAL", "PORT_NR", 4), 2);
    EXPECT_FALSE(ini.close());  // the save was needed and failed

    // Once the directory exists the same attempt succeeds.
    fs::create_directory(dir + "/nodir");
    IniFile later;
    EXPECT_FALSE(later.open(missingDir, true, false, true));
    later.setInt("GENERAL", "PORT_NR", 2);
    EXPECT_TRUE(later.close());
    EXPECT_EQ(readFile(missingDir), "[GENERAL]\r\nPORT_NR=2\r\n");
}

TEST_F(IniFileTest, DirectoryOrFifoAtThePathIsNotOpened) {
    IniFile ini;
    EXPECT_FALSE(ini.open(dir, true, true, true));
    ini.setInt("S", "K", 1);
    EXPECT_FALSE(ini.close());
    EXPECT_TRUE(fs::is_directory(dir));

    const std::string fifo = dir + "/fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    IniFile f;
    EXPECT_FALSE(f.open(fifo, false, true, true));  // returns at once, no hang
}

TEST_F(IniFileTest, SaveWhenClosedOffLeavesTheFileAlone) {
    writeFile(path, "[S]\r\nK=1\r\n");
    {
        IniFile ini;
        ASSERT_TRUE(ini.open(path, false, true, true));
        ini.setString("S", "K", "2");
        EXPECT_TRUE(ini.close());
        EXPECT_TRUE(ini.close());  // second close does nothing
        EXPECT_EQ(ini.getString("S", "K", "-"), "-");
    }
    EXPECT_EQ(readFile(path), "[S]\r\nK=1\r\n");
}

TEST_F(IniFileTest, DestructorSavesAndSaveLeavesNoTemporaryFiles) {
    writeFile(path, "[S]\r\nK=1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    {
        IniFile ini;
        ASSERT_TRUE(ini.open(path, true, true, true));
        ini.setString("S", "K", "2");
    }
    EXPECT_EQ(readFile(path), "[S]\r\nK=2\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(IniFileTest, SaveWritesThroughASymbolicLink) {
    const std::string real = dir + "/real.ini";
    writeFile(real, "[S]\r\n");
    fs::create_symlink(real, path);
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true));
    ini.setInt("S", "K", 5);
    ASSERT_TRUE(ini.close());
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(readFile(real), "[S]\r\nK=5\r\n");
}

TEST_F(IniFileTest, BackupCopiesTheOldFileToNumberedFiles) {
    writeFile(path, "[S]\r\nK=0\r\n");
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true, true));
    ini.setInt("S", "K", 1);
    ASSERT_TRUE(ini.save());
    ini.setInt("S", "K", 2);
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readFile(path + ".1"), "[S]\r\nK=0\r\n");
    EXPECT_EQ(readFile(path + ".2"), "[S]\r\nK=1\r\n");
    EXPECT_EQ(readFile(path), "[S]\r\nK=2\r\n");
}

TEST_F(IniFileTest, RejectsTextThatCannotBeWrittenAsOneLine) {
    IniFile ini;
    openWith(ini, "[S]\r\nK=old\r\n");
    EXPECT_FALSE(ini.setString("S", "K", "a\nb"));
    EXPECT_FALSE(ini.setString("S", "K=x", "v"));
    EXPECT_FALSE(ini.setString("S\n", "K", "v"));
    EXPECT_FALSE(ini.setString("S", "\n", "v"));
    EXPECT_FALSE(ini.dirty());
    EXPECT_EQ(ini.getString("S", "K", "-"), "old");
    // Bytes that would make the next open refuse the whole file.
    using namespace std::string_literals;
    for (const std::string& bad : {"a\0b"s, "\x1b[0m"s, "a\fb"s, "\x7f"s, "a\x81"s, "\xED\xA0\x81"s}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ini.setString("S", "K", bad));
        EXPECT_FALSE(ini.setString("S", bad, "v"));
        EXPECT_FALSE(ini.setString(bad, "K", "v"));
    }
    EXPECT_FALSE(ini.dirty());
    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"S"}));
    EXPECT_FALSE(ini.setString("S", "[a", "b]"));  // "[a=b]" would read back as a header
    EXPECT_FALSE(ini.dirty());
    EXPECT_TRUE(ini.setString("S", "[a", "b"));
    EXPECT_TRUE(ini.setString("S", "a", "b]"));
    EXPECT_TRUE(ini.setString("S", "T", "a\tb \xC5\x81\xB3"));  // TAB, UTF-8 and Windows-1250 are text
    EXPECT_TRUE(ini.setString("S", "K", "a\rb"));  // a CR inside a line reads back
    ASSERT_TRUE(ini.close());
    IniFile again;
    ASSERT_TRUE(again.open(path, false, false, true));
    EXPECT_EQ(again.getString("S", "K", "-"), "a\rb");
}

TEST_F(IniFileTest, NewSectionsAppendAtTheEndAndTheUnnamedOneGoesFirst) {
    IniFile ini;
    openWith(ini, "[B]\r\nb=1\r\n");
    ini.setString("A", "a", "2");
    ini.setString("", "top", "3");
    ini.setString("B", "c", "4");
    EXPECT_EQ(ini.serialise(), "top=3\r\n[B]\r\nb=1\r\nc=4\r\n[A]\r\na=2\r\n");
}

TEST_F(IniFileTest, ReopenClosesThePreviousFile) {
    const std::string second = dir + "/second.ini";
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true));
    ini.setInt("S", "K", 1);
    ASSERT_TRUE(ini.open(second, true, true, true));
    EXPECT_EQ(readFile(path), "[S]\r\nK=1\r\n");
    EXPECT_EQ(ini.getInt("S", "K", 0), 0);
    EXPECT_EQ(ini.path(), second);
}

}  // namespace
}  // namespace mr420
