// Language loading: where the translation file is looked for, and that the
// string table and the menu then speak English.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTranslator>

#include <array>
#include <clocale>

#include <filesystem>

#include "base/StringTable.h"
#include "app/widgets/LanguageDialog.h"
#include "app/widgets/Translation.h"
#include "support/TestSupport.h"
#include "ui/MenuTable.h"
#include "support/TestApplication.h"

using namespace mr420;

namespace {
using mr420::test::app;
const QString kBuiltQm = QStringLiteral(MR420_BINARY_DIR "/bin/mr420_en.qm");
}  // namespace

TEST(Translation, LooksNextToTheProgramThenInShare) {
    app();
    const std::string root = test::makeTempDir("translation_search");
    const QString bin = QString::fromStdString(root + "/bin");
    const QString share = QString::fromStdString(root + "/share/mr420");
    QDir().mkpath(bin);
    QDir().mkpath(share);
    EXPECT_TRUE(findTranslation(QStringLiteral("en"), bin).isEmpty());
    QFile(share + "/mr420_en.qm").open(QIODevice::WriteOnly);
    EXPECT_EQ(findTranslation(QStringLiteral("en"), bin), QDir(share).absoluteFilePath("mr420_en.qm"));
    QFile(bin + "/mr420_en.qm").open(QIODevice::WriteOnly);
    EXPECT_EQ(findTranslation(QStringLiteral("en"), bin), QDir(bin).absoluteFilePath("mr420_en.qm"));
    EXPECT_TRUE(findTranslation(QStringLiteral("de"), bin).isEmpty());
    // An empty (unloadable) file: nothing is installed and Polish stays.
    QTranslator t;
    EXPECT_FALSE(installTranslation(app(), t, QStringLiteral("en"), bin));
    EXPECT_EQ(str(string_id::kLanguageMarker), "PL");
}

TEST(Translation, EnglishFileReplacesStringsAndMenuTextsUntilRemoved) {
    app();
    if (!QFile::exists(kBuiltQm)) GTEST_SKIP() << "mr420_en.qm not built";
    const std::string dir = test::makeTempDir("translation_en");
    QFile::copy(kBuiltQm, QString::fromStdString(dir + "/mr420_en.qm"));
    QTranslator t;
    ASSERT_TRUE(installTranslation(app(), t, QStringLiteral("en"), QString::fromStdString(dir)));
    EXPECT_EQ(str(string_id::kLanguageMarker), "EN");
    EXPECT_EQ(str(string_id::kCannotOpenPort), "Cannot open port COM%d");
    EXPECT_EQ(menuText(menu_id::kSerialPort), "&Serial port");
    EXPECT_EQ(QCoreApplication::translate("MessageBoxes", "Anuluj"), QStringLiteral("Cancel"));
    removeTranslation(app(), t);
    EXPECT_EQ(str(string_id::kLanguageMarker), "PL");
    EXPECT_EQ(menuText(menu_id::kSerialPort), "&Port szeregowy");
}

TEST(Translation, SetLanguageStoresOnlyKnownSelections) {
    std::string code;
    setLanguage(code, 1);
    EXPECT_EQ(code, "en");
    setLanguage(code, 0);
    EXPECT_EQ(code, "pl");
    setLanguage(code, 7);
    EXPECT_EQ(code, "pl");
    EXPECT_EQ(languageSelection("en"), 1);
    EXPECT_EQ(languageSelection("de"), 0);
    EXPECT_EQ(languageSelection(""), 0);
}

TEST(Translation, QtsOwnButtonsSpeakPolishFromTheSystemsTranslations) {
    app();
    QTranslator qt;
    EXPECT_FALSE(installQtTranslation(*QCoreApplication::instance(), qt, QStringLiteral("en")));
    ASSERT_TRUE(installQtTranslation(*QCoreApplication::instance(), qt, QStringLiteral("pl")))
        << "Qt's Polish translations (qtbase_pl.qm) are missing";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Tak"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&No"), QStringLiteral("&Nie"));
    QCoreApplication::removeTranslator(&qt);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
}

TEST(Translation, QtsWidgetsTakeTheProgramsLanguageWhateverTheUsersLocale) {
    const std::array<const char*, 3> cases[] = {{"pl", "C", "pl_PL"}, {"de", "de_DE", "pl_PL"}, {"en", "C", "en_US"},
                                                {"en", "en_GB", "en_GB"}, {"pl", "en_GB", "pl_PL"}};
    for (const auto& [code, system, locale] : cases)
        EXPECT_EQ(programLocale(code, QLocale(QString::fromLatin1(system))).name().toStdString(), locale) << system;
    // Under the tests' LC_ALL=C.UTF-8 the calendar follows the program; printf's locale stays.
    const std::string processLocale = std::setlocale(LC_ALL, nullptr);
    ProgramLanguage polish(app(), "pl", QStringLiteral("/nonexistent"));
    EXPECT_EQ(QLocale().standaloneMonthName(12), QStringLiteral("grudzień"));
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), processLocale);
    QLocale::setDefault(QLocale::c());
}

TEST(Translation, OnScreenTextsAreSpeltRight) {
    // Every Polish text on screen is a source of the translation file.
    QFile file(QStringLiteral(MR420_SOURCE_DIR "/resources/translations/mr420_en.ts"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString ts = QString::fromUtf8(file.readAll());
    for (const char* right : {">Nie pokazuj informacji o", ">Czas zostanie ustawiony z", "zestawienia połączenia w ciągu",
                              ";Progi alarmowe modemu<"})
        EXPECT_TRUE(ts.contains(QString::fromUtf8(right))) << right;
    for (const char* wrong : {"pokazu ", "ustawiny", "polaczenia", "alarowe"}) EXPECT_FALSE(ts.contains(QLatin1String(wrong))) << wrong;
}
