#pragma once
// The texts of the command line that the window does not have, in Polish and
// English, and the English string table read from the translation source file
// (mr420_en.ts) without Qt. Everything the window also says comes from the
// string table itself (str()).

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/TextFill.h"

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
    CommandPlaceholder,  // COMMAND of the usage line
    FilePlaceholder,     // FILE
    GroupPlaceholder,    // GROUP
    PortOrDevice,        // --port N | --device PATH
    TimeoutExpected,     // what --timeout takes
    EnglishUnavailable,  // the English string table could not be read
    ServeStatus,         // %s cycles a second, %s the log file (the service manager's status line)
    ServeNoLog,          // instead of the log file in ServeStatus
    ServeMemoryPause,    // the daily download starts: the log pauses
    ServeMemoryResume,   // the log goes on
    ServeSettingsWrong,  // %s settings file, %s what is wrong
    DataServerFailed,    // %s socket directory
    ControlSocketFailed, // %s socket directory
    NotThroughService,   // %s the service's PID
    ServiceOfAnotherUser, // %s the service's PID
    Count
};

// The one switch of the language: "en" installs the English string table
// (see installEnglishStringTable), anything else removes it, so the texts
// below and the string table's always speak one language. False when English
// was asked for and its table could not be read: everything stays Polish.
bool useLanguage(std::string_view language, const std::string& programDir);
// English in force: the string table's language marker says so.
bool english();

// The text of `id` in the current language, "%s" left in place.
const std::string& text(Text id);
// The text with its fields filled in, as fillIn does.
inline std::string format(std::string_view pattern, const std::vector<std::string>& values) {
    return fillIn(pattern, values);
}
std::string text(Text id, const std::vector<std::string>& values);

// What a setting takes (ConfigGroups' list of values, written in English
// around its tokens) with its words in the language in force; the tokens,
// numbers and units stay as they are typed.
std::string valuesText(std::string_view values);

// The StringTable context of a translation source file (Qt Linguist's XML
// .ts): id (its comment) -> translation. Unfinished or empty translations
// are left out; XML entities and character references are decoded.
std::map<int, std::string> readStringTranslations(std::string_view tsXml);

// The English string table: mr420_en.ts next to the program, then in
// ../share/mr420/; installed as the string table's override. False (and
// the built-in Polish texts stay) when neither file can be read.
bool installEnglishStringTable(const std::string& programDir);

}  // namespace mr420::cli
