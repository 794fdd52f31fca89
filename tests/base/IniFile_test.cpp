#include "base/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/TestSupport.h"

namespace mr420 {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = test::makeTempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        path = dir + "/mr420.ini";
    }
    // Opens `bytes` as the file with the program's options.
    void openWith(IniFile& ini, const std::string& bytes, bool caseBlind = true) {
        writeBytes(path, bytes);
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
    EXPECT_EQ(ini.getInt("N", "sp", 0), 42);
    EXPECT_EQ(ini.getInt("N", "plus", 0), 7);
    EXPECT_EQ(ini.getInt("N", "neg", 0), -13);
    EXPECT_EQ(ini.getInt("N", "tail", 0), 12);
    EXPECT_EQ(ini.getInt("N", "word", 5), 0);
    EXPECT_EQ(ini.getInt("N", "empty", 5), 0);
    EXPECT_EQ(ini.getInt("N", "sign", 5), 0);
    EXPECT_EQ(ini.getInt("N", "big", 0), INT32_MAX);
    EXPECT_EQ(ini.getInt("N", "small", 0), INT32_MIN);
    EXPECT_EQ(ini.getInt("N", "huge", 0), INT32_MAX);
    EXPECT_EQ(ini.getInt("N", "max", 0), INT32_MAX);
    EXPECT_EQ(ini.getInt("N", "min", 0), INT32_MIN);
    EXPECT_EQ(ini.getInt("N", "missing", -77), -77);

    EXPECT_EQ(ini.getUnsigned("N", "u32", 0), 4294967295u);
    EXPECT_EQ(ini.getUnsigned("N", "over", 0), 4294967295u);
    EXPECT_EQ(ini.getUnsigned("N", "huge", 0), 4294967295u);
    EXPECT_EQ(ini.getUnsigned("N", "minus1", 0), 4294967295u);
    EXPECT_EQ(ini.getUnsigned("N", "very_neg", 0), 2147483648u);
    EXPECT_EQ(ini.getUnsigned("N", "word", 9), 0u);
    EXPECT_EQ(ini.getUnsigned("N", "missing", 4000000000u), 4000000000u);
}

TEST(ParseLeadingInteger, SaturatesAtTheInt64Range) {
    EXPECT_EQ(parseLeadingInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseLeadingInteger("9223372036854775808"), INT64_MAX);
    EXPECT_EQ(parseLeadingInteger("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(parseLeadingInteger("-9223372036854775809"), INT64_MIN);
    EXPECT_EQ(parseLeadingInteger("\v\f\r\n 0012"), 12);
    EXPECT_EQ(parseLeadingInteger("- 5"), 0);
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
    EXPECT_EQ(readBytes(path), "top=\r\n; note=\r\n\r\n=abc\r\n[S]\r\n;comment=\r\nK=w\r\n");
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
    writeBytes(path, text);
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
    EXPECT_EQ(readBytes(path), text);
}

TEST_F(IniFileTest, AcceptsJunkNulBytesLongLinesAndNoFinalLineEnd) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 37 + 11) & 0xFF));
    using namespace std::string_literals;
    const std::string longValue(1 << 20, 'x');
    const std::string bytes = junk + "\n[S\0T]\nk\0ey=v\0al\nlong="s + longValue;  // no final line end
    IniFile ini;
    openWith(ini, bytes);
    EXPECT_EQ(ini.getString(std::string("S\0T", 3), std::string("k\0ey", 4), "-"), std::string("v\0al", 4));
    EXPECT_EQ(ini.getString(std::string("S\0T", 3), "long", "-"), longValue);
    ini.setString("S", "added", "1");
    ASSERT_TRUE(ini.close());
    IniFile again;
    ASSERT_TRUE(again.open(path, false, false, true));
    EXPECT_EQ(again.getString(std::string("S\0T", 3), std::string("k\0ey", 4), "-"), std::string("v\0al", 4));
    EXPECT_EQ(again.getString("S", "added", "-"), "1");
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
    EXPECT_EQ(readBytes(path), "");

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
    EXPECT_EQ(readBytes(missingDir), "[GENERAL]\r\nPORT_NR=2\r\n");
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
    writeBytes(path, "[S]\r\nK=1\r\n");
    {
        IniFile ini;
        ASSERT_TRUE(ini.open(path, false, true, true));
        ini.setString("S", "K", "2");
        EXPECT_TRUE(ini.close());
        EXPECT_TRUE(ini.close());  // second close does nothing
        EXPECT_EQ(ini.getString("S", "K", "-"), "-");
    }
    EXPECT_EQ(readBytes(path), "[S]\r\nK=1\r\n");
}

TEST_F(IniFileTest, DestructorSavesAndSaveLeavesNoTemporaryFiles) {
    writeBytes(path, "[S]\r\nK=1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    {
        IniFile ini;
        ASSERT_TRUE(ini.open(path, true, true, true));
        ini.setString("S", "K", "2");
    }
    EXPECT_EQ(readBytes(path), "[S]\r\nK=2\r\n");
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(IniFileTest, SaveWritesThroughASymbolicLink) {
    const std::string real = dir + "/real.ini";
    writeBytes(real, "[S]\r\n");
    fs::create_symlink(real, path);
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true));
    ini.setInt("S", "K", 5);
    ASSERT_TRUE(ini.close());
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(readBytes(real), "[S]\r\nK=5\r\n");
}

TEST_F(IniFileTest, BackupCopiesTheOldFileToNumberedFiles) {
    writeBytes(path, "[S]\r\nK=0\r\n");
    IniFile ini;
    ASSERT_TRUE(ini.open(path, true, true, true, true));
    ini.setInt("S", "K", 1);
    ASSERT_TRUE(ini.save());
    ini.setInt("S", "K", 2);
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readBytes(path + ".1"), "[S]\r\nK=0\r\n");
    EXPECT_EQ(readBytes(path + ".2"), "[S]\r\nK=1\r\n");
    EXPECT_EQ(readBytes(path), "[S]\r\nK=2\r\n");
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
    EXPECT_EQ(readBytes(path), "[S]\r\nK=1\r\n");
    EXPECT_EQ(ini.getInt("S", "K", 0), 0);
    EXPECT_EQ(ini.path(), second);
}

}  // namespace
}  // namespace mr420
