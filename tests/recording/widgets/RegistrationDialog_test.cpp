// The registration dialog: filling, enabling rules, the interval picker, the
// browse buttons and the OK check.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <QTimeEdit>
#include <QKeyEvent>

#include "support/DialogInput.h"
#include "support/ScriptedMessageBoxes.h"
#include "recording/widgets/RegistrationDialog.h"
#include "support/TestSupport.h"
#include "support/ScriptedChoosers.h"
#include "support/TestApplication.h"

using namespace mr420;

namespace {
using mr420::test::app;

RegistrationSettings sample() {
    RegistrationSettings s;
    s.fileLog = true;
    s.fileName = "/data/pomiary.csv";
    s.fileNameBin = "/data/wykres.qvg";
    s.sepFormat = 2;
    s.interval = 3725;  // 01:02:05
    s.fileChannels = {true, false, true, false, true, false};
    s.checkComment = true;
    s.checkCommentSn = true;
    return s;
}
}  // namespace

TEST(RegistrationDialog, FillsFromTheSettingsAndHandsThemBackUnchanged) {
    app();
    ScriptedMessageBoxes boxes;
    const RegistrationSettings s = sample();
    RegistrationDialog dialog(s, QStringLiteral("Hala 2\nlinia B"), boxes);
    EXPECT_EQ(dialog.intervalEdit()->time(), QTime(1, 2, 5));
    EXPECT_EQ(dialog.intervalEdit()->displayFormat(), QStringLiteral("HH:mm:ss"));
    EXPECT_TRUE(dialog.separatorRadio(2)->isChecked());
    EXPECT_FALSE(dialog.separatorRadio(0)->isChecked());
    // Each box belongs to its own channel.
    EXPECT_TRUE(dialog.channelBox(kChannelRh)->isChecked());
    EXPECT_FALSE(dialog.channelBox(kChannelPressure)->isChecked());
    EXPECT_EQ(dialog.channelBox(kChannelRh)->text(), QStringLiteral("Wilgotność względna"));
    EXPECT_EQ(dialog.channelBox(kChannelPressure)->text(), QStringLiteral("Ciśnienie"));
    EXPECT_EQ(dialog.channelBox(kChannelWb)->text(), QStringLiteral("Zawartość pary wodnej"));
    EXPECT_EQ(dialog.textFileEdit()->text(), QStringLiteral("/data/pomiary.csv"));
    EXPECT_EQ(dialog.binaryFileEdit()->text(), QStringLiteral("/data/wykres.qvg"));
    EXPECT_EQ(dialog.settings(), s);
    EXPECT_EQ(dialog.comment(), QStringLiteral("Hala 2\nlinia B"));

    // Controls change the settings handed back.
    dialog.separatorRadio(1)->setChecked(true);
    dialog.channelBox(kChannelWb)->setChecked(true);
    dialog.binaryBox()->setChecked(true);
    dialog.textFileEdit()->setText(QStringLiteral("/data/inny.txt"));
    const RegistrationSettings out = dialog.settings();
    EXPECT_EQ(out.sepFormat, 1);
    EXPECT_TRUE(out.fileChannels[kChannelWb]);
    EXPECT_TRUE(out.fileLogBin);
    EXPECT_EQ(out.fileName, "/data/inny.txt");

    // An out-of-range separator from the settings file shows as TAB.
    RegistrationSettings odd = s;
    odd.sepFormat = 7;
    RegistrationDialog oddDialog(odd, {}, boxes);
    EXPECT_TRUE(oddDialog.separatorRadio(0)->isChecked());
    EXPECT_EQ(oddDialog.settings().sepFormat, 0);
}

TEST(RegistrationDialog, EnablingFollowsTheThreeBoxes) {
    app();
    ScriptedMessageBoxes boxes;
    RegistrationSettings s;  // text and binary off, comment off
    RegistrationDialog dialog(s, {}, boxes);
    auto textControls = [&] {
        std::vector<QWidget*> w{dialog.textBrowseButton(), dialog.textFileEdit(),   dialog.textFileCaption(),
                                dialog.separatorCaption(),  dialog.commentBox(),     dialog.separatorRadio(0),
                                dialog.separatorRadio(1),   dialog.separatorRadio(2)};
        for (int c = 0; c < kChannelCount; ++c) w.push_back(dialog.channelBox(static_cast<Channel>(c)));
        return w;
    };
    auto allEnabled = [](const std::vector<QWidget*>& ws, bool on) {
        for (QWidget* w : ws)
            if (w->isEnabled() != on) return false;
        return true;
    };
    const std::vector<QWidget*> commentControls{dialog.serialNumberBox(), dialog.commentEdit()};
    const std::vector<QWidget*> binaryControls{dialog.binaryBrowseButton(), dialog.binaryFileEdit(),
                                               dialog.binaryFileCaption()};

    EXPECT_TRUE(allEnabled(textControls(), false));
    EXPECT_TRUE(allEnabled(commentControls, false));
    EXPECT_TRUE(allEnabled(binaryControls, false));
    EXPECT_TRUE(dialog.textBox()->isEnabled());
    EXPECT_TRUE(dialog.binaryBox()->isEnabled());
    EXPECT_TRUE(dialog.intervalEdit()->isEnabled());

    dialog.textBox()->setChecked(true);
    EXPECT_TRUE(allEnabled(textControls(), true));
    EXPECT_TRUE(allEnabled(commentControls, false));  // the comment box is still off
    EXPECT_TRUE(allEnabled(binaryControls, false));

    dialog.commentBox()->setChecked(true);
    EXPECT_TRUE(allEnabled(commentControls, true));

    dialog.textBox()->setChecked(false);  // everything text-related goes off together
    EXPECT_TRUE(allEnabled(textControls(), false));
    EXPECT_TRUE(allEnabled(commentControls, false));

    dialog.textBox()->setChecked(true);  // and back, the comment controls following their box
    EXPECT_TRUE(allEnabled(commentControls, true));
    dialog.commentBox()->setChecked(false);
    EXPECT_TRUE(allEnabled(commentControls, false));

    dialog.binaryBox()->setChecked(true);
    EXPECT_TRUE(allEnabled(binaryControls, true));
    EXPECT_TRUE(allEnabled(textControls(), true));
    dialog.binaryBox()->setChecked(false);
    EXPECT_TRUE(allEnabled(binaryControls, false));

    // Filled with the comment box on but text registration off: comment controls off.
    RegistrationSettings commentOnly;
    commentOnly.checkComment = true;
    commentOnly.fileLogBin = true;
    RegistrationDialog second(commentOnly, {}, boxes);
    EXPECT_FALSE(second.commentEdit()->isEnabled());
    EXPECT_FALSE(second.serialNumberBox()->isEnabled());
    EXPECT_TRUE(second.commentBox()->isChecked());
    EXPECT_TRUE(second.binaryFileEdit()->isEnabled());
}

TEST(RegistrationDialog, PickerAtZeroBecomesOneSecond) {
    app();
    ScriptedMessageBoxes boxes;
    RegistrationDialog dialog(RegistrationSettings{}, {}, boxes);
    EXPECT_EQ(dialog.intervalEdit()->time(), QTime(0, 1, 0));

    dialog.intervalEdit()->setTime(QTime(0, 0, 0));
    emit dialog.intervalEdit()->editingFinished();  // what losing the focus sends
    EXPECT_EQ(dialog.intervalEdit()->time(), QTime(0, 0, 1));
    EXPECT_EQ(dialog.settings().interval, 1);

    dialog.intervalEdit()->setTime(QTime(23, 59, 59));
    emit dialog.intervalEdit()->editingFinished();
    EXPECT_EQ(dialog.settings().interval, 86399);

    // OK pressed while the picker still holds 00:00:00.
    dialog.intervalEdit()->setTime(QTime(0, 0, 0));
    dialog.okButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.intervalEdit()->time(), QTime(0, 0, 1));
    EXPECT_EQ(dialog.settings().interval, 1);
}

TEST(RegistrationDialog, OkWithoutAChannelShows129AndStaysOpen) {
    app();
    ScriptedMessageBoxes boxes;
    RegistrationSettings s;  // text registration off: the check is made all the same
    s.fileChannels.fill(false);
    RegistrationDialog dialog(s, {}, boxes);
    dialog.show();
    dialog.okButton()->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Wybierz przynajmniej jedną wielkość do zapisu."));
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Information);
    EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::Ok);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    dialog.textBox()->setChecked(true);
    dialog.channelBox(kChannelWb)->setChecked(true);
    dialog.okButton()->click();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(RegistrationDialog, TextBrowseAddsTheExtensionOfTheChosenFilter) {
    app();
    ScriptedMessageBoxes boxes;
    test::ScriptedFileChooser chooser;
    RegistrationSettings s;
    s.fileLog = true;
    s.fileName = "/data/stary.txt";
    RegistrationDialog dialog(s, {}, boxes, chooser.chooser());

    chooser.answer = {QStringLiteral("/data/raport"), 1};
    dialog.textBrowseButton()->click();
    ASSERT_EQ(chooser.requests.size(), 1u);
    const FileRequest& r = chooser.requests[0];
    EXPECT_EQ(r.title, QStringLiteral("Wybierz plik raportu"));
    EXPECT_EQ(r.filters, (QStringList{QStringLiteral("Plik tekstowy (*.txt)"), QStringLiteral("Lista CSV (*.csv)")}));
    EXPECT_EQ(r.defaultSuffix, QStringLiteral("csv"));
    EXPECT_EQ(r.currentPath, QStringLiteral("/data/stary.txt"));
    EXPECT_EQ(dialog.textFileEdit()->text(), QStringLiteral("/data/raport.csv"));
    EXPECT_EQ(dialog.settings().fileName, "/data/raport.csv");

    chooser.answer = {QStringLiteral("/data/raport"), 0};
    dialog.textBrowseButton()->click();
    EXPECT_EQ(dialog.textFileEdit()->text(), QStringLiteral("/data/raport.txt"));

    chooser.answer = {QStringLiteral("/data/wyniki.dat"), 1};  // an extension of its own stays
    dialog.textBrowseButton()->click();
    EXPECT_EQ(dialog.textFileEdit()->text(), QStringLiteral("/data/wyniki.dat"));

    chooser.answer = {};  // cancelled: the edit keeps its name
    dialog.textBrowseButton()->click();
    EXPECT_EQ(dialog.textFileEdit()->text(), QStringLiteral("/data/wyniki.dat"));
    EXPECT_EQ(chooser.requests.size(), 4u);
}

TEST(RegistrationDialog, BinaryBrowseAddsQvg) {
    app();
    ScriptedMessageBoxes boxes;
    test::ScriptedFileChooser chooser;
    RegistrationSettings s;
    s.fileLogBin = true;
    RegistrationDialog dialog(s, {}, boxes, chooser.chooser());
    chooser.answer = {QStringLiteral("/data/wykres"), 0};
    dialog.binaryBrowseButton()->click();
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].title, QStringLiteral("Wybierz plik binarny"));
    EXPECT_EQ(chooser.requests[0].filters, QStringList{QStringLiteral("Plik binarny (*.qvg)")});
    EXPECT_EQ(chooser.requests[0].defaultSuffix, QStringLiteral("qvg"));
    EXPECT_EQ(dialog.binaryFileEdit()->text(), QStringLiteral("/data/wykres.qvg"));
    EXPECT_EQ(dialog.settings().fileNameBin, "/data/wykres.qvg");
    EXPECT_EQ(dialog.textFileEdit()->text(), QString());  // the text file is untouched
}

TEST(RegistrationDialog, QtChooserAddsTheSuffixOfTheFilterInUse) {
    app();
    const std::string dir = test::makeTempDir("reg-chooser");
    // Works the real file dialog once it is up: a name without extension,
    // the filter picked as the user would, then Save.
    auto answer = [](const QString& name, int filter) {
        QTimer::singleShot(0, [=] {
            QFileDialog* d = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* f = qobject_cast<QFileDialog*>(w); f && f->isVisible()) d = f;
            ASSERT_NE(d, nullptr);
            auto* combo = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(combo, nullptr);
            ASSERT_NE(edit, nullptr);
            combo->setCurrentIndex(filter);
            emit combo->activated(filter);  // what a user's pick sends
            emit combo->textActivated(combo->itemText(filter));
            edit->setText(name);
            static_cast<QDialog*>(d)->accept();  // what Save does
        });
    };
    const QString current = QString::fromStdString(dir + "/stary.txt");

    answer(QStringLiteral("raport"), 1);
    FileChoice c = qtSaveFileChooser(nullptr, textFileRequest(current));
    EXPECT_EQ(c.path.toStdString(), dir + "/raport.csv");
    EXPECT_EQ(c.filterIndex, 1);

    answer(QStringLiteral("raport"), 0);
    c = qtSaveFileChooser(nullptr, textFileRequest(current));
    EXPECT_EQ(c.path.toStdString(), dir + "/raport.txt");
    EXPECT_EQ(c.filterIndex, 0);

    answer(QStringLiteral("wykres"), 0);
    c = qtSaveFileChooser(nullptr, binaryFileRequest(current));
    EXPECT_EQ(c.path.toStdString(), dir + "/wykres.qvg");

    // Cancelled: no name.
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<QFileDialog*>(w); f && f->isVisible()) f->reject();
    });
    c = qtSaveFileChooser(nullptr, textFileRequest(current));
    EXPECT_TRUE(c.path.isEmpty());
}

TEST(RegistrationDialog, TheIntervalTakesTypedDigits) {
    app();
    ScriptedMessageBoxes boxes;
    RegistrationDialog dialog(sample(), QString(), boxes);
    dialog.show();
    QTimeEdit* edit = dialog.intervalEdit();
    edit->setFocus();
    QCoreApplication::processEvents();
    // Select the whole field, then type a new interval as a user would.
    edit->setSelectedSection(QDateTimeEdit::HourSection);
    test::typeKeys(edit, QStringLiteral("001530"));
    test::press(edit, Qt::Key_Tab);
    EXPECT_EQ(edit->time(), QTime(0, 15, 30)) << edit->text().toStdString();
    EXPECT_EQ(dialog.settings().interval, 15 * 60 + 30);
}
