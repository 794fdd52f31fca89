// Help pages: the context of a help request follows the language marker, each
// context has its page, and the pages sit in the shared data folder beside
// the program.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/HelpPages.h"

using namespace mr420;

TEST(HelpPages, TheLanguageMarkerPicksTheContext) {
    const std::pair<const char*, int> cases[] = {
        {"EN", 1100}, {"PL", 100}, {"", 100}, {"en", 100}, {"EN ", 100}, {"DE", 100},
    };
    for (const auto& [marker, context] : cases) EXPECT_EQ(helpContextForMarker(marker), context) << marker;
}

TEST(HelpPages, EachContextHasItsPage) {
    EXPECT_EQ(helpPageOfContext(help_context::kPolish), "pl/index.html");
    EXPECT_EQ(helpPageOfContext(help_context::kEnglish), "en/index.html");
    EXPECT_EQ(helpPageOfContext(0), "pl/index.html");
}

TEST(HelpPages, PagesAreLookedForInTheSharedFolderBesideTheProgram) {
    EXPECT_EQ(sharedDataFolder("/opt/mr420/bin"), "/opt/mr420/share/mr420");
    EXPECT_EQ(sharedDataFolder("/opt/mr420/bin/"), "/opt/mr420/share/mr420");
    EXPECT_EQ(helpPagePath(1100, "/usr/bin"), "/usr/share/mr420/help/en/index.html");
    EXPECT_EQ(helpPagePath(100, "/usr/bin"), "/usr/share/mr420/help/pl/index.html");
    EXPECT_EQ(readmePath("/usr/local/bin"), "/usr/local/share/mr420/README.md");
}

TEST(HelpPages, TheBuildTreeFindsTheSourceTreesPages) {
    namespace fs = std::filesystem;
    const std::string bin = std::string(MR420_BINARY_DIR) + "/bin";
    for (int context : {help_context::kPolish, help_context::kEnglish}) {
        const fs::path page = helpPagePath(context, bin);
        ASSERT_TRUE(fs::is_regular_file(page)) << page;
        const fs::path source = fs::path(MR420_SOURCE_DIR) / "docs/help" / helpPageOfContext(context);
        EXPECT_TRUE(fs::equivalent(page, source)) << page;
    }
    EXPECT_TRUE(fs::is_regular_file(readmePath(bin)));
}
