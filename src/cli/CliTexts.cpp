#include "cli/CliTexts.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <memory>
#include <sstream>
#include <utility>

#include "base/StringTable.h"
#include "base/Win1250.h"

namespace mr420::cli {

namespace {

struct Pair {
    const char* pl;
    const char* en;
};

// clang-format off
constexpr std::array<Pair, static_cast<std::size_t>(Text::Count)> kTexts = {{
    {"Użycie: mr420-cli [--ini PLIK] [--port N | --device ŚCIEŻKA] [--trace PLIK] [--lang pl|en]\n"
     "                 [--timeout SEKUNDY] [--quiet] POLECENIE ...\n"
     "Polecenia:\n"
     "  info                                   informacje o panelu\n"
     "  watch [--count N] [--format text|csv|json]\n"
     "                                         jeden wiersz wyników na cykl odpytywania\n"
     "  log PLIK [--interval CZAS] [--separator tab|comma|semicolon] [--comment TEKST]\n"
     "           [--serial] [--channels LISTA] [--truncate]\n"
     "                                         rejestracja do pliku .txt/.csv/.qvg do SIGINT/SIGTERM\n"
     "  memory read PLIK [--separator ...] [--comment TEKST] [--serial] [--no-dew-point]\n"
     "           [--no-vapour] [--dump PLIK]  odczyt pamięci panelu do pliku\n"
     "  memory erase [--yes]                   usunięcie zawartości pamięci panelu\n"
     "  get GRUPA                              ustawienia panelu jako NAZWA=WARTOŚĆ\n"
     "  set GRUPA NAZWA=WARTOŚĆ ...            zmiana ustawień panelu\n"
     "  set clock now                          zegar panelu na czas komputera\n"
     "  help [GRUPA]                           ten tekst, albo nazwy i wartości grupy\n"
     "  serve [--log WZORZEC [opcje log]] [--memory-daily GG:MM --memory-file WZORZEC [opcje memory read]]\n"
     "        [--no-data-server]               usługa: rejestracja, serwer danych i codzienny odczyt pamięci;\n"
     "                                         ustawienia domyślne w sekcji [SERVE] pliku ustawień\n"
     "Grupy: %s\n"
     "--timeout SEKUNDY: najdłuższe oczekiwanie na pierwszy pełny cykl odpytywania\n"
     "                   (bez tej opcji: do stwierdzenia braku komunikacji, około 24 s).\n"
     "Kody wyjścia: 0 wykonano, 1 błędne użycie, 2 nie można otworzyć portu, 3 brak komunikacji z panelem,\n"
     "4 panel nie odpowiedział w czasie, 5 nie można zapisać pliku.\n",
     "Usage: mr420-cli [--ini FILE] [--port N | --device PATH] [--trace FILE] [--lang pl|en]\n"
     "                 [--timeout SECONDS] [--quiet] COMMAND ...\n"
     "Commands:\n"
     "  info                                   panel information\n"
     "  watch [--count N] [--format text|csv|json]\n"
     "                                         one line of readings per poll cycle\n"
     "  log FILE [--interval DURATION] [--separator tab|comma|semicolon] [--comment TEXT]\n"
     "           [--serial] [--channels LIST] [--truncate]\n"
     "                                         registration to a .txt/.csv/.qvg file until SIGINT/SIGTERM\n"
     "  memory read FILE [--separator ...] [--comment TEXT] [--serial] [--no-dew-point]\n"
     "           [--no-vapour] [--dump FILE]  download the panel memory to a file\n"
     "  memory erase [--yes]                   erase the panel memory\n"
     "  get GROUP                              the panel's settings as NAME=VALUE\n"
     "  set GROUP NAME=VALUE ...               change the panel's settings\n"
     "  set clock now                          the panel clock to the computer's time\n"
     "  help [GROUP]                           this text, or the names and values of a group\n"
     "  serve [--log PATTERN [log options]] [--memory-daily HH:MM --memory-file PATTERN [memory read options]]\n"
     "        [--no-data-server]               the service: registration, the data server and a daily memory\n"
     "                                         download; defaults from the [SERVE] section of the settings file\n"
     "Groups: %s\n"
     "--timeout SECONDS: the longest wait for the first complete poll cycle\n"
     "                   (without it: until no communication is found, about 24 s).\n"
     "Exit status: 0 done, 1 wrong usage, 2 the port cannot be opened, 3 no communication with the panel,\n"
     "4 the panel did not answer in time, 5 a file could not be written.\n"},
    {"Nieznane polecenie: %s", "Unknown command: %s"},
    {"Nieznana opcja: %s", "Unknown option: %s"},
    {"Opcja %s wymaga wartości.", "The option %s needs a value."},
    {"Nieprawidłowa wartość \"%s\" dla %s; oczekiwano: %s", "Wrong value \"%s\" for %s; expected: %s"},
    {"Nieznana grupa ustawień: %s", "Unknown settings group: %s"},
    {"Nieznane ustawienie %s w grupie %s", "Unknown setting %s in the group %s"},
    {"Oczekiwano NAZWA=WARTOŚĆ zamiast: %s", "Expected NAME=VALUE instead of: %s"},
    {"Brak argumentu: %s", "Missing argument: %s"},
    {"Zbędny argument: %s", "Unexpected argument: %s"},
    {"Ustawienia %s nie można zmienić.", "The setting %s cannot be changed."},
    {"Utracono połączenie z panelem.", "The connection with the panel was lost."},
    {"Przywrócono połączenie z panelem.", "The connection with the panel is back."},
    {"Przerwano.", "Interrupted."},
    {"Nie można zapisać pliku %s: %s", "Cannot write the file %s: %s"},
    {" [t/N] ", " [y/N] "},
    {"t", "y"},
    {"Usunięcie pamięci wymaga potwierdzenia: --yes poza terminalem.",
     "Erasing the memory needs a confirmation: --yes when not on a terminal."},
    {"Pamięć panelu została usunięta.", "The panel memory has been erased."},
    {"Odczyt pamięci: blok %s z %s", "Reading the memory: block %s of %s"},
    {"Zapisano %s pomiarów do %s", "Saved %s readings to %s"},
    {"Ustawienia zostały zapisane w panelu.", "The settings have been written to the panel."},
    {"Ustawienia grupy %s (NAZWA: wartości):", "Settings of the group %s (NAME: values):"},
    {"Nie podano żadnego ustawienia do zmiany.", "No setting to change was given."},
    {"Grupę %s można tylko ustawić: mr420-cli set %s NAZWA=WARTOŚĆ (nie jest odczytywana ani wypisywana).",
     "The group %s can only be set: mr420-cli set %s NAME=VALUE (it is never read back nor printed)."},
    {"POLECENIE", "COMMAND"},
    {"PLIK", "FILE"},
    {"GRUPA", "GROUP"},
    {"--port N | --device ŚCIEŻKA", "--port N | --device PATH"},
    {"liczba sekund większa od zera, najwyżej 86400", "a number of seconds above zero, at most 86400"},
    {"Nie można wczytać tekstów angielskich (mr420_en.ts); komunikaty będą po polsku.",
     "The English texts (mr420_en.ts) cannot be read; messages will be in Polish."},
    {"odpytywanie, %s cykli/s, rejestracja do %s", "polling, %s cycles/s, log %s"},
    {"bez rejestracji", "no log"},
    {"Codzienny odczyt pamięci: rejestracja wstrzymana, bo łącze przenosi pamięć.",
     "The daily memory download: the log pauses while the line carries the memory."},
    {"Odczyt pamięci zakończony; rejestracja trwa dalej.", "The memory download has ended; the log goes on."},
    {"Sekcja [SERVE] pliku %s: %s", "The [SERVE] section of %s: %s"},
    {"Nie można uruchomić serwera danych w %s.", "The data server cannot be started in %s."},
    {"Nie można otworzyć gniazda sterowania w %s: polecenia nie przejdą przez usługę.",
     "The control socket cannot be opened in %s: commands cannot go through the service."},
    {"Port należy do usługi (PID %s); przez nią przechodzą info, watch --count, get, set i memory.",
     "The port belongs to the service (PID %s); info, watch --count, get, set and memory go through it."},
    {"Usługa (PID %s) należy do innego użytkownika i nie wykona twojego polecenia.",
     "The service (PID %s) belongs to another user; it runs no command for you."},
}};

// The English words of ConfigGroups' value lists and their Polish, longest first.
constexpr std::pair<std::string_view, std::string_view> kValueWords[] = {
    {"in steps of 10 minutes", "co 10 minut"},
    {"digits, # and *, up to", "cyfry, # i *, najwyżej"},
    {" characters, no blank at the end", " znaków, bez spacji na końcu"},
    {" characters, no blanks", " znaków, bez spacji"},
    {"(four digits)", "(cztery cyfry)"},
    {" characters", " znaków"},
    {"text, up to", "tekst, najwyżej"},
    {"(minutes)", "(minuty)"},
    {"steps of", "co"},
    {"(a day)", "(na dobę)"},
};
// clang-format on

std::string decodeXml(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        const std::size_t end = s.find(';', i);
        if (end == std::string_view::npos) {
            out += s.substr(i);
            break;
        }
        const std::string_view entity = s.substr(i + 1, end - i - 1);
        if (entity == "amp") out += '&';
        else if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (!entity.empty() && entity[0] == '#') {
            const bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
            const unsigned long cp = std::strtoul(std::string(entity.substr(hex ? 2 : 1)).c_str(), nullptr, hex ? 16 : 10);
            appendUtf8(out, static_cast<char32_t>(std::min<unsigned long>(cp, 0x110000)));
        } else {
            out += s.substr(i, end - i + 1);
        }
        i = end;
    }
    return out;
}

// The text between <tag ...> and </tag> inside `block`, and whether the
// opening tag carries `attribute`.
bool element(std::string_view block, std::string_view tag, std::string& content, bool* unfinished = nullptr) {
    const std::string open = "<" + std::string(tag);
    std::size_t start = block.find(open);
    while (start != std::string_view::npos) {
        const char after = start + open.size() < block.size() ? block[start + open.size()] : '\0';
        if (after == '>' || after == ' ' || after == '/') break;
        start = block.find(open, start + 1);
    }
    if (start == std::string_view::npos) return false;
    const std::size_t openEnd = block.find('>', start);
    if (openEnd == std::string_view::npos) return false;
    const std::string_view openTag = block.substr(start, openEnd - start);
    if (unfinished) *unfinished = openTag.find("unfinished") != std::string_view::npos ||
                                  openTag.find("obsolete") != std::string_view::npos;
    if (openTag.ends_with("/")) {
        content.clear();
        return true;
    }
    const std::string close = "</" + std::string(tag) + ">";
    const std::size_t end = block.find(close, openEnd);
    if (end == std::string_view::npos) return false;
    content = decodeXml(block.substr(openEnd + 1, end - openEnd - 1));
    return true;
}

}  // namespace

bool useLanguage(std::string_view language, const std::string& programDir) {
    setStringOverride({});
    return language != "en" || installEnglishStringTable(programDir);
}

bool english() { return str(string_id::kLanguageMarker) == "EN"; }

const std::string& text(Text id) {
    static const auto strings = [] {
        std::array<std::array<std::string, 2>, kTexts.size()> s;
        for (std::size_t i = 0; i < kTexts.size(); ++i) s[i] = {kTexts[i].pl, kTexts[i].en};
        return s;
    }();
    return strings[static_cast<std::size_t>(id)][english() ? 1 : 0];
}

std::string valuesText(std::string_view values) {
    std::string out(values);
    if (english()) return out;
    for (const auto& [en, pl] : kValueWords)
        for (std::size_t at = out.find(en); at != std::string::npos; at = out.find(en, at + pl.size()))
            out.replace(at, en.size(), pl);
    return out;
}

std::string text(Text id, const std::vector<std::string>& values) { return fillIn(text(id), values); }

std::map<int, std::string> readStringTranslations(std::string_view xml) {
    std::map<int, std::string> table;
    std::size_t pos = 0;
    while ((pos = xml.find("<context>", pos)) != std::string_view::npos) {
        const std::size_t end = xml.find("</context>", pos);
        if (end == std::string_view::npos) break;
        const std::string_view context = xml.substr(pos, end - pos);
        pos = end;
        std::string name;
        const std::size_t firstMessage = context.find("<message");
        if (!element(context.substr(0, firstMessage), "name", name) || name != kStringContext) continue;
        std::size_t m = firstMessage;
        while (m != std::string_view::npos) {
            const std::size_t mEnd = context.find("</message>", m);
            if (mEnd == std::string_view::npos) break;
            const std::string_view message = context.substr(m, mEnd - m);
            m = context.find("<message", mEnd);
            std::string comment, translation;
            bool unfinished = false;
            if (!element(message, "comment", comment) || !element(message, "translation", translation, &unfinished))
                continue;
            if (unfinished || translation.empty() || comment.empty()) continue;
            char* rest = nullptr;
            const long id = std::strtol(comment.c_str(), &rest, 10);
            if (rest && *rest == '\0') table[static_cast<int>(id)] = translation;
        }
    }
    return table;
}

bool installEnglishStringTable(const std::string& programDir) {
    for (const std::string& candidate : {programDir + "/mr420_en.ts", programDir + "/../share/mr420/mr420_en.ts"}) {
        std::ifstream in(candidate, std::ios::binary);
        if (!in) continue;
        std::stringstream buffer;
        buffer << in.rdbuf();
        auto table = std::make_shared<std::map<int, std::string>>(readStringTranslations(buffer.str()));
        if (table->empty()) continue;
        setStringOverride([table](int id) -> std::optional<std::string> {
            auto it = table->find(id);
            if (it == table->end()) return std::nullopt;
            return it->second;
        });
        return true;
    }
    return false;
}

}  // namespace mr420::cli
