// Language loading: where the translation file is looked for, and that the
// string table and the menu then speak English.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTranslator>

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
