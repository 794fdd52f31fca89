// The version number: the build's project version, put into string 225.

#include <gtest/gtest.h>

#include "base/ProgramVersion.h"
#include "base/StringTable.h"

using namespace mr420;

TEST(ProgramVersion, IsOneNumberWithTwoDigitsOfMinor) {
    EXPECT_EQ(programVersion(), "1.09");
}

TEST(ProgramVersion, FillsTheVersionLine) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"MR420, wersja %d.%02d", "1.08", "MR420, wersja 1.08"},
        {"MR420, version %d.%02d", "2.10.3", "MR420, version 2.10.3"},
        {"%d.%02d (MR420)", "1.8", "1.8 (MR420)"},
        {"MR420", "1.08", "MR420 1.08"},
        {"", "1.08", "1.08"},
    };
    for (const auto& [format, version, line] : cases) EXPECT_EQ(versionLine(format, version), line) << format;
}

TEST(ProgramVersion, TheBuiltInVersionLineShowsTheProgramsVersion) {
    EXPECT_EQ(versionLine(str(string_id::kVersion), programVersion()), "MR420, wersja " + programVersion());
}
