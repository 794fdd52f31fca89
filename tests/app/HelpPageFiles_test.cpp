// The help pages as files: the same pages in Polish and English, each with a
// title, every relative link and picture present, the two languages with the
// same pictures and anchors, and the pictures those that mr420-shots takes
// for the menu entries it knows.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/mr420-shots/ShotPlan.h"
#include "ui/MenuTable.h"

namespace fs = std::filesystem;
using namespace mr420;

namespace {

const fs::path kHelp = fs::path(MR420_SOURCE_DIR) / "docs" / "help";
const char* const kLanguages[] = {"pl", "en"};

// The page without its comments (a figure whose picture is not taken yet
// waits in a comment).
std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    std::string text = s.str();
    for (std::size_t open; (open = text.find("<!--")) != std::string::npos;) {
        const std::size_t close = text.find("-->", open);
        text.erase(open, close == std::string::npos ? std::string::npos : close + 3 - open);
    }
    return text;
}

std::set<std::string> pageNames(const std::string& language) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(kHelp / language))
        if (e.path().extension() == ".html") names.insert(e.path().filename().string());
    return names;
}

// Every first capture group of `pattern` in `text`.
std::vector<std::string> matches(const std::string& text, const std::string& pattern) {
    std::vector<std::string> out;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        out.push_back((*it)[1].str());
    return out;
}

bool isExternal(const std::string& target) {
    return target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0 || target.rfind("mailto:", 0) == 0;
}

// The relative targets of href and src, split into file and fragment.
struct Link {
    std::string file;       // empty: the page itself
    std::string fragment;   // empty: none
};
std::vector<Link> relativeLinks(const std::string& html) {
    std::vector<Link> links;
    for (const std::string& target : matches(html, R"((?:href|src)=\"([^\"]*)\")")) {
        if (isExternal(target)) continue;
        const auto hash = target.find('#');
        links.push_back({target.substr(0, hash), hash == std::string::npos ? "" : target.substr(hash + 1)});
    }
    return links;
}

std::set<std::string> ids(const std::string& html) {
    const auto v = matches(html, R"(\sid=\"([^\"]+)\")");
    return {v.begin(), v.end()};
}

// The pictures a page shows, by file name.
std::set<std::string> pictures(const std::string& html) {
    std::set<std::string> out;
    for (const std::string& src : matches(html, R"(<img[^>]*\ssrc=\"([^\"]+)\")")) out.insert(fs::path(src).filename().string());
    return out;
}

}  // namespace

TEST(HelpPageFiles, BothLanguagesHaveTheSamePagesAndAnEntryPage) {
    const auto pl = pageNames("pl");
    const auto en = pageNames("en");
    EXPECT_EQ(pl, en);
    EXPECT_TRUE(pl.count("index.html"));
    EXPECT_GE(pl.size(), 10u);
    EXPECT_TRUE(fs::is_regular_file(kHelp / "help.css"));
}

TEST(HelpPageFiles, EachPageIsAnHtml5PageWithTitleLanguageAndStylesheet) {
    for (const char* language : kLanguages) {
        for (const std::string& name : pageNames(language)) {
            const std::string html = readFile(kHelp / language / name);
            SCOPED_TRACE(std::string(language) + "/" + name);
            EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
            EXPECT_NE(html.find(std::string("<html lang=\"") + language + "\">"), std::string::npos);
            EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
            const auto titles = matches(html, R"(<title>([^<]*)</title>)");
            ASSERT_EQ(titles.size(), 1u);
            EXPECT_GT(titles[0].size(), 5u);
            EXPECT_EQ(matches(html, R"(<h1>([^<]+)</h1>)").size(), 1u);
            EXPECT_NE(html.find("href=\"../help.css\""), std::string::npos);
            EXPECT_NE(html.find("</html>"), std::string::npos);
            // Self-contained: nothing is fetched from elsewhere.
            for (const std::string& src : matches(html, R"(\ssrc=\"([^\"]+)\")")) EXPECT_FALSE(isExternal(src)) << src;
        }
    }
}

TEST(HelpPageFiles, EveryRelativeLinkAndPictureExistsWithItsAnchor) {
    for (const char* language : kLanguages) {
        for (const std::string& name : pageNames(language)) {
            const fs::path page = kHelp / language / name;
            const std::string html = readFile(page);
            for (const Link& link : relativeLinks(html)) {
                const fs::path target = link.file.empty() ? page : (page.parent_path() / link.file).lexically_normal();
                SCOPED_TRACE(std::string(language) + "/" + name + " -> " + link.file + "#" + link.fragment);
                // Inside the help folder, and there.
                EXPECT_EQ(target.string().rfind(kHelp.string(), 0), 0u);
                ASSERT_TRUE(fs::is_regular_file(target));
                if (!link.fragment.empty() && target.extension() == ".html") {
                    EXPECT_TRUE(ids(readFile(target)).count(link.fragment));
                }
            }
        }
    }
}

TEST(HelpPageFiles, TheEnglishPagesMatchThePolishOnesInPicturesAnchorsAndLinks) {
    for (const std::string& name : pageNames("pl")) {
        SCOPED_TRACE(name);
        const std::string pl = readFile(kHelp / "pl" / name);
        const std::string en = readFile(kHelp / "en" / name);
        EXPECT_EQ(pictures(pl), pictures(en));
        EXPECT_EQ(ids(pl), ids(en));
        // Links to pages, with the other language's folder named alike.
        auto pageLinks = [](const std::string& html, const std::string& other) {
            std::multiset<std::string> out;
            const std::string otherFolder = "../" + other + "/";
            for (const Link& l : relativeLinks(html)) {
                if (fs::path(l.file).extension() != ".html") continue;
                const bool toOther = l.file.rfind(otherFolder, 0) == 0;
                out.insert((toOther ? "OTHER/" + l.file.substr(otherFolder.size()) : l.file) + "#" + l.fragment);
            }
            return out;
        };
        EXPECT_EQ(pageLinks(pl, "en"), pageLinks(en, "pl"));
        // The language switch leads to the same page.
        EXPECT_NE(pl.find("href=\"../en/" + name + "\""), std::string::npos);
        EXPECT_NE(en.find("href=\"../pl/" + name + "\""), std::string::npos);
    }
}

TEST(HelpPageFiles, ThePicturesAreThoseTheShotToolTakesAndEachIsShown) {
    const auto shotFiles = shots::allShotFiles();
    const std::set<std::string> known(shotFiles.begin(), shotFiles.end());
    EXPECT_EQ(known.size(), shotFiles.size()) << "two pictures share a file name";
    for (const char* language : kLanguages) {
        std::set<std::string> shown;
        for (const std::string& name : pageNames(language)) {
            const auto p = pictures(readFile(kHelp / language / name));
            shown.insert(p.begin(), p.end());
        }
        for (const std::string& picture : shown) EXPECT_TRUE(known.count(picture)) << language << ": " << picture;
        const fs::path images = kHelp / "images" / language;
        ASSERT_TRUE(fs::is_directory(images));
        for (const auto& e : fs::directory_iterator(images))
            EXPECT_TRUE(shown.count(e.path().filename().string())) << "not on any page: " << e.path();
    }
}

TEST(HelpPageFiles, EveryMenuEntryIsPicturedOrKnownToOpenNoWindow) {
    const auto& without = shots::entriesWithoutMenuShot();
    for (const MenuPopup& popup : mainMenu()) {
        for (const MenuEntry& entry : popup.entries) {
            if (entry.id == 0) continue;
            const bool pictured = shots::shotFileOf(entry.id).has_value();
            const bool excluded = std::find(without.begin(), without.end(), entry.id) != without.end();
            EXPECT_NE(pictured, excluded) << entry.id << " " << entry.text;
        }
    }
    EXPECT_EQ(shots::shotFileOf(menu_id::kDateTime), "clock.png");
    EXPECT_FALSE(shots::shotFileOf(menu_id::kClose));
}

TEST(HelpPageFiles, TheShotToolReadsItsOptions) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        std::string language, outDir, scenario;
    };
    const Case cases[] = {
        {{}, true, "pl", "", std::string(shots::kDefaultScenario)},
        {{"--lang", "en", "--out", "/tmp/x", "--scenario", "memory"}, true, "en", "/tmp/x", "memory"},
        {{"--lang", "de"}, false, "", "", ""},
        {{"--lang"}, false, "", "", ""},
        {{"--out"}, false, "", "", ""},
        {{"--colour", "red"}, false, "", "", ""},
    };
    for (const Case& c : cases) {
        const auto parsed = shots::parseOptions(c.args);
        ASSERT_EQ(parsed.options.has_value(), c.ok) << parsed.error;
        if (!c.ok) {
            EXPECT_FALSE(parsed.error.empty());
            continue;
        }
        EXPECT_EQ(parsed.options->language, c.language);
        EXPECT_EQ(parsed.options->outDir, c.outDir);
        EXPECT_EQ(parsed.options->scenario, c.scenario);
    }
    EXPECT_TRUE(shots::parseOptions({"--help"}).options->help);
}
