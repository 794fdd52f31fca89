#include "base/StringTable.h"
#include "base/SystemErrorText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <utility>

#include "base/Win1250.h"

namespace mr420 {

namespace {

struct Entry {
    int id;
    const char* text;
};

// Sorted by id.
constexpr Entry kTable[] = {
    {101, "&About MR420..."},
    {104, "Nie można odczytać ustawień."},
    {105, "Nie można otworzyć portu COM%d"},
    {106, "Wybrany plik rejestracji wyników pomiaru jest niedostępny."},
    {107, "Wybrany plik binarny jest niedostępny."},
    {109, "Błąd przy próbie zapisu ustawień."},
    {116, "Błąd przy próbie usunięcia zawartości pamięci."},
    {120, "Błąd przy próbie zapisu ustawień."},
    {121, "Błąd inicjalizacji DDE."},
    {122, "Plik rejestracji pomiarów już istnieje.\r\nWybierz Tak aby dopisywać wyniki do poprzednich,\r\nwybierz Nie aby skasować poprzednią zawartość pliku."},
    {123, "Wybrany plik binarny jest niedostępny."},
    {124, "Plik binarny już istnieje.\r\nWybierz Tak aby dopisywać wyniki do poprzednich,\r\nwybierz Nie aby skasować poprzednią zawartość pliku."},
    {125, "Chcesz usunąć zawartość pamięci?"},
    {128, "Nie można odnaleźć programu mr420-chart ani Vimo.exe"},
    {129, "Wybierz przynajmniej jedną wielkość do zapisu."},
    {130, "Pamięć jest pusta."},
    {131, "Błąd w trakcie przesyłania danych."},
    {132, "Wybrany plik jest niedostępny."},
    {133, "Nie można odczytać ustawień."},
    {145, "Temperatura1"},
    {146, "Temperatura2"},
    {147, "Wilgotność"},
    {148, "Rosa"},
    {149, "Para"},
    {150, "Ciśnienie"},
    {151, "Wynik"},
    {152, "Pomiar"},
    {153, "Status"},
    {154, "Temperatura 1"},
    {155, "Temperatura 2"},
    {156, "Ciśnienie"},
    {157, "Wilgotność względna"},
    {158, "Punkt rosy"},
    {159, "Zawartość pary wodnej"},
    {160, "Temperatura1 °C"},
    {161, "Temperatura2 °C"},
    {162, "Punkt rosy °C"},
    {163, "Ciśnienie hPa"},
    {164, "Wilgotność %"},
    {165, "Zawartość pary wodnej ppm"},
    {166, "Data i Godzina"},
    {167, "Nr"},
    {168, "Data i czas"},
    {169, "Temp. 1"},
    {170, "Temp. 2"},
    {171, "Wilgotność"},
    {172, "Ciśnienie"},
    {173, "Punkt rosy"},
    {174, "Zaw. pary"},
    {175, "Temperatura"},
    {189, "Panel MR-420 nr"},
    {190, "Rejestracja do pliku co"},
    {193, "Zajęte miejsce w pamięci:"},
    {194, "Proszę czekać..."},
    {195, "Błąd pomiaru"},
    {196, "Pomiar OK"},
    {197, "Łączność została nawiązana. Trwa odczyt ustawień. "},
    {198, "Brak komunikacji z panelem. "},
    {200, "Brak pomiarów. "},
    {201, "Pomiar OK. "},
    {202, "Błąd kalibracji sondy MR411. "},
    {203, "Błąd kalibracji sondy MR466. "},
    {204, "Brak sondy. "},
    {205, "Błąd wartości punktu rosy. "},
    {206, "Błąd wartości wilgotności bezwzględnej. "},
    {207, "Błąd wartości temperatury 1. "},
    {208, "Błąd wartości temperatury 2. "},
    {209, "Błąd wartości ciśnienia. "},
    {210, "Błąd wartości wilgotności względnej. "},
    {211, "Błąd pomiaru"},
    {212, "PL"},
    {221, "Błąd tworzenia pliku '__memdump.txt'"},
    {225, "MR420, wersja %d.%02d"},
    {226, "Plik tekstowy (*.txt)|*.txt|Lista CSV (*.csv)|*.csv|Plik programu Vimo (*.qvg)|*.qvg||"},
    {227, "Błąd zapisu do pliku rejestracji"},
    {240, "Urządzenie nie istnieje."},
    {241, "To urządzenie nie jest portem szeregowym."},
    {242, "Port jest używany przez inny program."},
    {243, "Brak uprawnień do urządzenia."},
    {244, "Sprawdź, czy adapter jest podłączony i czy wpis [PORTS] pliku ustawień wskazuje właściwe urządzenie."},
    {245, "Użytkownik musi należeć do grupy %s, do której należy urządzenie (sudo usermod -aG %s $USER), i zalogować się ponownie."},
    {246, "Urządzenie należy do grupy root: reguła udev może nadać mu grupę dialout (zob. README)."},
    {247, "Nie można otworzyć portu %s"},
    {248, "Plik %s nie jest plikiem ustawień: program nic w nim nie zapisze i działa z ustawieniami domyślnymi."},
    {249, "Port jest używany przez PID %d (%s)."},
    {250, "Port należy do usługi %s; zatrzymuje ją: %s"},
    {300, "Błąd przy próbie ustawienia zegara."},
    {301, "Nie można odczytać czasu autowyłączania."},
    {302, "Błąd przy próbie ustawienia czasu autowyłączania."},
    {303, "Błąd przy próbie zapisu ciśnienia domyślnego."},
    {304, "Błąd przy próbie zapisu opcji modemu."},
    {305, "Błąd przy próbie ustawienia numeru PIN."},
    {306, "Błąd przy próbie zapisu hasła użytkownika PAP."},
    {307, "Błąd przy próbie zapisu progów alarmowych modemu."},
    {308, "Błąd przy próbie zapisu progów alarmowych."},
    {309, "Błąd przy próbie zapisu ustawień baterii."},
    {310, "Błąd przy próbie zapisu ustawień alarmowania."},
    {311, "Nie można odczytać ustawień wyświetlania."},
    {312, "Błąd przy próbie zapisu ustawień wyświetlania."},
    {313, "Brak włączonej obsługi modemu. Ustawienia nie zostały zapisane."},
    {314, "Brak włączonej obsługi modemu."},
    {315, "Nieprawidłowy format danych."},
    {316, "Ustawiona data powinna być większa niż 1 styczeń 2000."},
    {320, "Interwał powinien zawierać się w przedziale od 1min do 44dni 23h 59min."},
    {321, "Wpisz wartość opóźnienia z zakresu 0-60"},
    {330, "Wpisz adres zapasowego serwera"},
    {331, "Wpisz port zapasowego serwera"},
    {332, "Wpisz maksymalną liczbę prób zestawienia połączenia w ciągu 24 godzin (1-30)"},
    {333, "Funkcje internetowe panelu zostaną odblokowane.\nRejestracja i alarmowanie przez sieć mogą być wykorzystywane.\nProszę zadbać o prawidłowe wpisy w pozostałych polach."},
    {334, "Funkcje internetowe panelu zostaną zablokowane.\nNiezależnie od innych nastaw alarmowanie i rejestracja przez sieć będzie wyłączona."},
    {335, "Rejestracja i alarmowanie przez GPRS/Internet są zablokowane niezależnie od innych ustawień"},
    {336, "Na pewno chcesz zapisać numer PIN?"},
    {337, "Numer PIN powinien składać się z 4 cyfr."},
    {338, "Na pewno chcesz zapisać hasło PAP?"},
    {340, "Panel MR-420:\nwersja oprogramowania:"},
    {341, "numer seryjny:"},
    {342, "rozmiar pamięci: %d*256 bajtów"},
    {343, "ciśnienie domyślne:"},
    {344, "data kalibracji modułu barometru:"},
    {345, "obsługa modemu MR-420"},
    {346, "Sonda MR-411"},
    {347, "Sonda MR-466"},
    {348, "wersja:"},
    {349, "data kalibracji:"},
    {360, "Błąd zapisu pliku %s: %s"},
    {361, "Nie wszystkie ustawienia grupy %s nadeszły z panelu: nic nie wypisano."},
    {362, "Nie wszystkie ustawienia grupy %s nadeszły z panelu: nic nie zapisano w panelu."},
    {363, "Ustawienie %s wymaga oprogramowania panelu w wersji %s lub nowszej (panel ma wersję %s): nic nie zapisano w panelu."},
    {364, "Ustawiona data nie może być późniejsza niż 6 lutego 2136, 06:28:15."},
    {365, "Znaku „%s” nie ma w stronie kodowej panelu (Windows-1250): wpisz tekst bez niego."},
    {421, "sty"},
    {422, "lut"},
    {423, "mar"},
    {424, "kwi"},
    {425, "maj"},
    {426, "cze"},
    {427, "lip"},
    {428, "sie"},
    {429, "wrz"},
    {430, "paź"},
    {431, "lis"},
    {432, "gru"},
    {433, "Użycie: mr420-chart [--ini PLIK] [--png PLIK] [--svg PLIK] [--csv PLIK] [--from DATA] [--to DATA] PLIK...\nRysuje pliki rejestracji i pamięci (tekst, CSV, .qvg) na wspólnej osi czasu;\nbez pliku pyta o pliki. DATA: RRRR-MM-DD lub RRRR-MM-DDTGG:MM[:SS].\n"},
    {434, "%s: nie ma takiego pliku"},
    {435, "%s: to nie jest plik rejestracji, pamięci ani .qvg"},
    {436, "%s: brak odczytów"},
    {437, "%s: nie można otworzyć (%s)"},
    {438, "%s: odczytów: %d"},
    {439, "%s, wiersz %d: %s"},
    {440, "%s, rekord %d: %s"},
    {441, "%s: pominięto jeszcze %d"},
    {442, "%s: to nie jest data (RRRR-MM-DD lub RRRR-MM-DDTGG:MM[:SS])"},
    {443, "%s: nie można zapisać"},
    {444, "Brak odczytów w wybranym przedziale czasu"},
    {445, "nieznana opcja %s"},
    {446, "%s wymaga wartości"},
    {447, "Lewa oś:"},
    {448, "Prawa oś:"},
    {449, "brak"},
    {450, "Progi alarmowe"},
    {451, "%s: zapisano"},
    {452, "Brak ekranu: podaj --png, --svg lub --csv"},
    {501, "Nie ma takiego pliku ani katalogu"},
    {502, "Brak dostępu"},
    {503, "To jest katalog"},
    {504, "To nie jest katalog"},
    {505, "Urządzenie lub zasób jest zajęty"},
    {506, "Brak miejsca na urządzeniu"},
    {507, "System plików tylko do odczytu"},
    {508, "Błąd wejścia/wyjścia"},
    {509, "Nie ma takiego urządzenia ani adresu"},
    {510, "Nie ma takiego urządzenia"},
    {511, "Plik już istnieje"},
    {512, "Operacja niedozwolona"},
    {513, "Zbyt wiele otwartych plików"},
    {514, "Zbyt długa nazwa pliku"},
    {515, "Zbyt wiele poziomów dowiązań symbolicznych"},
    {516, "Przekroczono przydział dyskowy"},
    {517, "Plik jest za duży"},
    {518, "Zasób chwilowo niedostępny"},
    {519, "Niewłaściwa operacja dla tego urządzenia"},
    {520, "Nieprawidłowy argument"},
    {521, "Katalog nie jest pusty"},
    {522, "Brak pamięci"},
    {523, "Przekroczono czas oczekiwania"},
    {524, "Przerwane wywołanie systemowe"},
};

std::function<std::optional<std::string>(int)>& overrideLookup() {
    static std::function<std::optional<std::string>(int)> lookup;
    return lookup;
}

}  // namespace

const char* builtinString(int id) {
    auto it = std::lower_bound(std::begin(kTable), std::end(kTable), id,
                               [](const Entry& e, int key) { return e.id < key; });
    if (it == std::end(kTable) || it->id != id) return nullptr;
    return it->text;
}

std::string str(int id) {
    if (const auto& lookup = overrideLookup()) {
        if (auto text = lookup(id)) return *text;
    }
    const char* text = builtinString(id);
    return text ? std::string(text) : std::string();
}

std::string messageText(const UserMessage& message) {
    std::string text = str(message.stringId);
    if (message.character == 0) return text;
    if (const std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, utf8Character(message.character));
    return text;
}

void setStringOverride(std::function<std::optional<std::string>(int id)> lookup) {
    overrideLookup() = std::move(lookup);
}

std::vector<int> allStringIds() {
    std::vector<int> ids;
    ids.reserve(std::size(kTable));
    for (const Entry& e : kTable) ids.push_back(e.id);
    return ids;
}

std::string systemErrorText(int errorNumber) {
    // The reasons a user meets on a file or a serial port; the rest as the C library says them.
    static constexpr std::pair<int, int> kReasons[] = {
        {ENOENT, 501}, {EACCES, 502}, {EISDIR, 503},       {ENOTDIR, 504}, {EBUSY, 505},  {ENOSPC, 506},
        {EROFS, 507},  {EIO, 508},    {ENXIO, 509},        {ENODEV, 510},  {EEXIST, 511}, {EPERM, 512},
        {EMFILE, 513}, {ENAMETOOLONG, 514}, {ELOOP, 515},  {EDQUOT, 516},  {EFBIG, 517},  {EAGAIN, 518},
        {ENOTTY, 519}, {EINVAL, 520}, {ENOTEMPTY, 521},    {ENOMEM, 522},  {ETIMEDOUT, 523}, {EINTR, 524}};
    for (const auto& [number, id] : kReasons)
        if (number == errorNumber) return str(id);
    return std::strerror(errorNumber);
}

std::string translationKey(int id) { return std::to_string(id); }

}  // namespace mr420
