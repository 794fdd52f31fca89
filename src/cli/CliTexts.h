#pragma once
// The texts of the command line that the window does not have, in Polish and
// English, and the English string table read from the translation source file
// (mr420_en.ts) without Qt. Everything the window also says comes from the
// string table itself (str()).

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace mr420::cli {

enum class Text {
    Usage,
    UnknownCommand,      // %s command
    UnknownOption,       // %s option
    MissingValue,        // %s option
    BadValue,            // %s value, %s name, %s what is expected
    UnknownGroup,        // %s group
    UnknownSetting,      // %s name, %s group
    NotAnAssignment,     // %s argument
    MissingArgument,     // %s what
    ExtraArgument,       // %s argument
    ReadOnlySetting,     // %s name
    ConnectionLost,
    ConnectionRegained,
    Interrupted,
    FileNotWritten,      // %s file, %s reason
    EraseQuestionSuffix, // " [t/N] "
    YesAnswer,           // first letter of yes
    EraseRefused,        // no terminal and no --yes
    MemoryErased,
    MemoryProgress,      // %s block, %s blocks
    MemorySaved,         // %s records, %s file
    SettingsWritten,
    GroupHelpHeader,     // %s group
    NothingToSet,
    SetOnlyGroup,        // %s group, %s group
    Count
};

// English texts from now on (Polish otherwise, as built in).
void setEnglish(bool on);
bool english();

// The text of `id` in the current language, "%s" left in place.
const std::string& text(Text id);
// The text with each "%s" (or "%d") replaced by the next value.
std::string format(std::string_view pattern, const std::vector<std::string>& values);
std::string text(Text id, const std::vector<std::string>& values);

// The StringTable context of a translation source file (Qt Linguist's XML
// .ts): id (its comment) -> translation. Unfinished or empty translations
// are left out; XML entities and character references are decoded.
std::map<int, std::string> readStringTranslations(std::string_view tsXml);

// The English string table: mr420_en.ts next to the program, then in
// ../share/mr420/; installed as the string table's override. False (and
// the built-in Polish texts stay) when neither file can be read.
bool installEnglishStringTable(const std::string& programDir);

}  // namespace mr420::cli
