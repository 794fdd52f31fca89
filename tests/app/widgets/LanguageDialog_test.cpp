// The language dialog: preset from the selection, OK reads the buttons,
// closing otherwise keeps the selection.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/widgets/LanguageDialog.h"
#include "support/TestApplication.h"

using namespace mr420;

namespace {
using mr420::test::app;
}  // namespace

TEST(LanguageDialog, PresetOkAndCancel) {
    app();
    LanguageDialog english(1);
    EXPECT_TRUE(english.englishButton()->isChecked());
    LanguageDialog polish(0);
    EXPECT_TRUE(polish.polishButton()->isChecked());
    LanguageDialog other(5);
    EXPECT_TRUE(other.polishButton()->isChecked());

    QTimer::singleShot(30, [&] {
        polish.englishButton()->setChecked(true);
        polish.okButton()->click();
    });
    polish.exec();
    EXPECT_EQ(polish.selection(), 1);

    LanguageDialog closed(0);
    QTimer::singleShot(30, [&] {
        closed.englishButton()->setChecked(true);
        closed.reject();  // closed without OK
    });
    closed.exec();
    EXPECT_EQ(closed.selection(), 0);
}
