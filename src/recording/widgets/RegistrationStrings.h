#pragma once
// String-table texts used by the registration dialog and its controller.

#include <QString>

namespace mr420 {

// Id of the status-line text shown while the last registration write failed.
constexpr int kStrRegistrationWriteFailed = -1;

inline QString registrationString(int id) {
    switch (id) {
    case 106: return QStringLiteral("Wybrany plik rejestracji wyników pomiaru jest niedostępny.");
    case 107: return QStringLiteral("Wybrany plik binarny jest niedostępny.");
    case 122:
        return QStringLiteral(
            "Plik rejestracji pomiarów już istnieje.\r\nWybierz Tak aby dopisywać wyniki do poprzednich,\r\n"
            "wybierz Nie aby skasować poprzednią zawartość pliku.");
    case 123: return QStringLiteral("Wybrany plik binarny jest niedostępny.");
    case 124:
        return QStringLiteral(
            "Plik binarny już istnieje.\r\nWybierz Tak aby dopisywać wyniki do poprzednich,\r\n"
            "wybierz Nie aby skasować poprzednią zawartość pliku.");
    case 129: return QStringLiteral("Wybierz przynajmniej jedną wielkość do zapisu.");
    case 160: return QStringLiteral("Temperatura1 °C");
    case 161: return QStringLiteral("Temperatura2 °C");
    case 162: return QStringLiteral("Punkt rosy °C");
    case 163: return QStringLiteral("Ciśnienie hPa");
    case 164: return QStringLiteral("Wilgotność %");
    case 165: return QStringLiteral("Zawartość pary wodnej ppm");
    case 166: return QStringLiteral("Data i Godzina");
    case 189: return QStringLiteral("Panel MR-420 nr");
    case 190: return QStringLiteral("Rejestracja do pliku co");
    case kStrRegistrationWriteFailed: return QStringLiteral("Błąd zapisu do pliku rejestracji. ");
    default: return {};
    }
}

}  // namespace mr420
