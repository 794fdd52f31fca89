// The port selection dialog and its search wait window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <thread>

#include "support/ScriptedMessageBoxes.h"
#include "link/widgets/PortDialog.h"
#include "support/TestApplication.h"

using namespace mr420;

namespace {
using mr420::test::app;
const std::vector<std::string> kEntries{"COM1", "COM3 (Communications Port)", "COM33 (FT232R USB UART)"};
}  // namespace

TEST(PortDialog, StatusLineAndPreselectionFollowTheCurrentPort) {
    app();
    ScriptedMessageBoxes boxes;
    PortDialog withPort(3, kEntries, boxes);
    EXPECT_EQ(withPort.statusLine()->text(), QStringLiteral("Aktualnie używany port: COM3"));
    ASSERT_EQ(withPort.list()->count(), 3);
    EXPECT_EQ(withPort.list()->currentText(), QStringLiteral("COM3 (Communications Port)"));

    PortDialog none(0, kEntries, boxes);
    EXPECT_EQ(none.statusLine()->text(), QStringLiteral("Aktualnie żaden port nie jest używany"));
    EXPECT_EQ(none.list()->currentIndex(), -1);

    PortDialog absent(7, kEntries, boxes);  // in use but not listed: nothing selected
    EXPECT_EQ(absent.list()->currentIndex(), -1);
}

TEST(PortDialog, OkWithoutAValidSelectionWarnsAndStaysOpen) {
    app();
    ScriptedMessageBoxes boxes;
    PortDialog dialog(0, {"COM", "COMx (odd)", "COM33 (FT232R USB UART)"}, boxes);
    dialog.show();
    dialog.okButton()->click();  // nothing selected
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Nie wybrano żadnego portu."));
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Information);
    EXPECT_TRUE(dialog.isVisible());
    dialog.list()->setCurrentIndex(0);  // shorter than four characters
    dialog.okButton()->click();
    dialog.list()->setCurrentIndex(1);  // no number after "COM"
    dialog.okButton()->click();
    EXPECT_EQ(boxes.shown.size(), 3u);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.chosenPort(), 0);

    dialog.list()->setCurrentIndex(2);
    dialog.okButton()->click();
    EXPECT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosenPort(), 33);
}

TEST(PortDialog, SearchRunsOffTheUiThreadAndCancelDoesNotStopIt) {
    app();
    std::thread::id uiThread = std::this_thread::get_id();
    std::thread::id workerThread;
    PortSearchWindow search([&] {
        workerThread = std::this_thread::get_id();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return kEntries;
    });
    bool wasVisible = false;
    QTimer::singleShot(50, [&] {
        wasVisible = search.isVisible();
        search.cancelButton()->click();
    });
    auto entries = search.run();
    EXPECT_TRUE(wasVisible);
    EXPECT_NE(workerThread, uiThread);
    EXPECT_EQ(entries, kEntries);  // the whole list, despite the cancel
    EXPECT_FALSE(search.isVisible());
}

TEST(PortDialog, ChoosePortNumberReturnsTheChoiceOrZeroOnCancel) {
    app();
    ScriptedMessageBoxes boxes;
    auto source = [] { return kEntries; };
    QTimer::singleShot(100, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<PortDialog*>(w); d && d->isVisible()) {
                d->list()->setCurrentIndex(0);
                d->okButton()->click();
            }
        }
    });
    EXPECT_EQ(choosePortNumber(nullptr, 3, source, boxes), 1);

    QTimer::singleShot(100, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<PortDialog*>(w); d && d->isVisible()) d->cancelButton()->click();
    });
    EXPECT_EQ(choosePortNumber(nullptr, 3, source, boxes), 0);
    EXPECT_TRUE(boxes.shown.empty());
}
