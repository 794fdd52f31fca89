#include "base/StringTable.h"

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "ui/MenuTable.h"

namespace mr420 {
namespace {

std::string decodeXml(std::string s) {
    static const std::pair<const char*, const char*> kEntities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&#13;", "\r"}, {"&amp;", "&"}};
    for (const auto& [from, to] : kEntities) {
        std::string::size_type pos = 0;
        std::string f = from;
        while ((pos = s.find(f, pos)) != std::string::npos) {
            s.replace(pos, f.size(), to);
            pos += std::string(to).size();
        }
    }
    return s;
}

struct Translation {
    std::string source;
    std::string translation;
    bool unfinished = false;
};

// Text between <tag...> and </tag> at or after pos; advances pos past it.
// Returns false when the tag does not occur before limit.
bool element(const std::string& text, const std::string& tag, std::size_t& pos, std::size_t limit,
             std::string& attributes, std::string& content) {
    std::size_t open = text.find("<" + tag, pos);
    if (open == std::string::npos || open >= limit) return false;
    std::size_t openEnd = text.find('>', open);
    std::size_t close = text.find("</" + tag + ">", openEnd);
    if (openEnd == std::string::npos || close == std::string::npos) return false;
    attributes = text.substr(open + 1 + tag.size(), openEnd - open - 1 - tag.size());
    content = text.substr(openEnd + 1, close - openEnd - 1);
    pos = close + tag.size() + 3;
    return true;
}

// context -> comment (the id), or the source where there is none -> message
std::map<std::string, std::map<std::string, Translation>> readTsFile() {
    std::ifstream in(std::string(MR420_SOURCE_DIR) + "/resources/translations/mr420_en.ts");
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    std::map<std::string, std::map<std::string, Translation>> result;
    std::size_t pos = 0;
    std::string attributes, context;
    while (element(text, "context", pos, text.size(), attributes, context)) {
        std::size_t cpos = 0;
        std::string name, message;
        if (!element(context, "name", cpos, context.size(), attributes, name)) continue;
        auto& messages = result[name];
        while (element(context, "message", cpos, context.size(), attributes, message)) {
            std::size_t mpos = 0;
            std::string source, comment, translationAttributes, translation;
            EXPECT_TRUE(element(message, "source", mpos, message.size(), attributes, source));
            // Table texts carry their id as comment; front-end texts are keyed by their source.
            const bool hasComment = element(message, "comment", mpos, message.size(), attributes, comment);
            EXPECT_TRUE(element(message, "translation", mpos, message.size(), translationAttributes, translation));
            Translation t{decodeXml(source), decodeXml(translation),
                          translationAttributes.find("unfinished") != std::string::npos};
            const std::string key = hasComment ? decodeXml(comment) : t.source;
            EXPECT_TRUE(messages.emplace(key, t).second) << "duplicate " << key;
        }
    }
    return result;
}

TEST(StringTable, BuiltInTexts) {
    EXPECT_STREQ(builtinString(212), "PL");
    EXPECT_STREQ(builtinString(121), "Błąd inicjalizacji DDE.");
    EXPECT_STREQ(builtinString(227), "Błąd zapisu do pliku rejestracji");
    EXPECT_EQ(builtinString(199), nullptr);
    EXPECT_EQ(builtinString(0), nullptr);
    EXPECT_EQ(str(199), "");
    EXPECT_STREQ(builtinString(160), "Temperatura1 °C");
    // The table's own ids are ascending and unique (the lookup relies on it).
    auto ids = allStringIds();
    ASSERT_FALSE(ids.empty());
    for (size_t i = 1; i < ids.size(); ++i) EXPECT_LT(ids[i - 1], ids[i]);
    for (int id : ids) EXPECT_NE(builtinString(id), nullptr) << id;
}

TEST(StringTable, OverrideReplacesByIdAndFallsBack) {
    setStringOverride([](int id) -> std::optional<std::string> {
        if (id == 212) return std::string("EN");
        return std::nullopt;
    });
    EXPECT_EQ(str(212), "EN");
    EXPECT_EQ(str(121), "Błąd inicjalizacji DDE.");
    setStringOverride({});
    EXPECT_EQ(str(212), "PL");
}

TEST(StringTable, EnglishFileTranslatesEveryString) {
    auto ts = readTsFile();
    const auto& strings = ts["StringTable"];
    for (int id : allStringIds()) {
        auto it = strings.find(translationKey(id));
        ASSERT_NE(it, strings.end()) << "no English text for " << id;
        EXPECT_EQ(it->second.source, builtinString(id)) << id;
        EXPECT_FALSE(it->second.translation.empty()) << id;
        EXPECT_FALSE(it->second.unfinished) << id;
    }
    EXPECT_EQ(strings.size(), allStringIds().size());
    EXPECT_EQ(strings.at("212").translation, "EN");
    EXPECT_EQ(strings.at("227").translation, "Registration file write failed");
    // Line ends of multi-line messages survive.
    EXPECT_NE(strings.at("122").translation.find("\r\n"), std::string::npos);
    // printf conversions are kept in the translation.
    EXPECT_NE(strings.at("105").translation.find("%d"), std::string::npos);
    EXPECT_NE(strings.at("225").translation.find("%d.%02d"), std::string::npos);
}

TEST(StringTable, EnglishFileTranslatesTheMenu) {
    auto ts = readTsFile();
    const auto& menu = ts["Menu"];
    const auto& popups = mainMenu();
    size_t expected = popups.size();
    for (size_t p = 0; p < popups.size(); ++p) {
        auto it = menu.find(menuPopupTranslationKey(static_cast<int>(p)));
        ASSERT_NE(it, menu.end()) << p;
        EXPECT_EQ(it->second.source, popups[p].title);
        for (const MenuEntry& e : popups[p].entries) {
            if (e.id == 0) continue;
            ++expected;
            auto entry = menu.find(menuTranslationKey(e.id));
            ASSERT_NE(entry, menu.end()) << e.id;
            EXPECT_EQ(entry->second.source, e.text);
            EXPECT_FALSE(entry->second.translation.empty());
        }
    }
    EXPECT_EQ(menu.size(), expected);
}

TEST(MenuTable, EntriesAndOverride) {
    EXPECT_EQ(menuText(menu_id::kRegistration), "&Rejestracja do pliku");
    EXPECT_EQ(menuText(menu_id::kLanguage), "&Język");
    EXPECT_EQ(menuText(12345), "");
    EXPECT_EQ(menuPopupTitle(4), "Pa&mięć");
    EXPECT_EQ(mainMenu().size(), 6u);
    EXPECT_EQ(mainMenu()[0].entries[1].id, 0);   // separator before "Zamknij"
    setMenuOverride([](const std::string& key) -> std::optional<std::string> {
        if (key == "32773") return std::string("Registration to file");
        if (key == "popup 4") return std::string("Memory");
        return std::nullopt;
    });
    EXPECT_EQ(menuText(menu_id::kRegistration), "Registration to file");
    EXPECT_EQ(menuPopupTitle(4), "Memory");
    EXPECT_EQ(menuText(menu_id::kClose), "&Zamknij");
    setMenuOverride({});
    EXPECT_EQ(menuPopupTitle(4), "Pa&mięć");
}

}  // namespace
}  // namespace mr420
