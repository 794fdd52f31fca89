// The display-flags, history-display and panel-information dialogs as the
// user sees them: controls locked until the settings arrive, filled from the
// model, handed back on OK; their English texts; their layout. The words and
// texts themselves are tested in the core.
//
// MR420_DIALOG_SHOTS=<folder> also saves a picture of each filled dialog there.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTranslator>

#include <cstdlib>
#include <vector>

#include "config/widgets/DisplayDialogs.h"
#include "support/DialogRig.h"

namespace mr420 {
namespace {

using test::app;
using FlagsRig = test::DialogRig<DisplayFlagsModel, DisplayFlagsDialog>;
using HistoryRig = test::DialogRig<HistoryDisplayModel, HistoryDisplayDialog>;
using InfoRig = test::DialogRig<PanelInfoModel, PanelInfoDialog>;
using F4 = DisplayField4;
using R = TemperatureResolution;

std::vector<QRadioButton*> allRadios(const DisplayFlagsDialog& d) {
    return {d.field3Button(DisplayField3::DewPoint), d.field3Button(DisplayField3::Pressure),
            d.field4Button(F4::DewPoint),           d.field4Button(F4::Clock),
            d.field4Button(F4::WaterVapour),        d.field4Button(F4::PressureUnit),
            d.unitButton(PressureUnit::Hpa),         d.unitButton(PressureUnit::MmHg),
            d.resolutionButton(R::Automatic),        d.resolutionButton(R::Tenth),
            d.resolutionButton(R::Hundredth)};
}

std::vector<QCheckBox*> channelBoxes(const HistoryDisplayDialog& d) {
    return {d.temperature1Box(), d.temperature2Box(), d.humidityBox(), d.pressureBox()};
}

// The text of the checked button among `buttons`, or "" when none is.
QString checkedText(const std::vector<QRadioButton*>& buttons) {
    for (QRadioButton* b : buttons)
        if (b->isChecked()) return b->text();
    return {};
}

PanelState samplePanel() {
    PanelState s;
    s.firmwareVersion = 208;
    s.panelSerialNumber = 4711;
    s.memorySizeBlocks = 2048;
    s.pressureAbsent = 1;
    s.pressure = 1013;
    s.barometerPresent = 1;
    s.barometerCalibrationMonth = 3;
    s.barometerCalibrationYear = 2021;
    s.modemSupported = 1;
    s.mr466Absent = 1;
    s.mr411SerialNumber = 1234;
    s.mr411Version = 3;
    s.mr411CalibrationMonth = 9;
    s.mr411CalibrationYear = 2024;
    s.displayFlags = 0x0029;   // 0.01, field 3 pressure, field 4 clock
    s.historyDisplay = 0x000B;
    return s;
}

TEST(DisplayFlagsDialog, LockedUntilTheSettingsArriveThenWritesTheChoices) {
    FlagsRig r;
    DisplayFlagsDialog& dialog = r.dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Ustawienia flag wyświetlania panelu"));
    PanelState state;
    state.displayFlags = 0x0033;
    EXPECT_TRUE(r.run(state, true, [&] {
        for (QRadioButton* b : allRadios(dialog)) EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        r.arrive(state);
        for (QRadioButton* b : allRadios(dialog)) EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
        // 0x0033: 0.01 wins over automatic; field 4 shows the pressure unit.
        EXPECT_TRUE(dialog.resolutionButton(R::Hundredth)->isChecked());
        EXPECT_EQ(dialog.resolutionButton(R::Hundredth)->text(), QStringLiteral("0.01"));
        EXPECT_TRUE(dialog.field4Button(F4::PressureUnit)->isChecked());
        EXPECT_EQ(dialog.field4Button(F4::PressureUnit)->text(), QStringLiteral("Jednostka ciśnienia"));
        EXPECT_TRUE(dialog.unitButton(PressureUnit::Hpa)->isChecked());
        EXPECT_TRUE(dialog.field3Button(DisplayField3::DewPoint)->isChecked());
        dialog.unitButton(PressureUnit::MmHg)->click();
        dialog.field3Button(DisplayField3::Pressure)->click();
        // One check per group: the buttons of other groups stay as they were.
        EXPECT_FALSE(dialog.unitButton(PressureUnit::Hpa)->isChecked());
        EXPECT_TRUE(dialog.field4Button(F4::PressureUnit)->isChecked());
        EXPECT_TRUE(dialog.resolutionButton(R::Hundredth)->isChecked());
        dialog.okButton()->click();
    }));
    EXPECT_EQ(r.stored().displayFlags, 0x003Du);   // 0.01 + mmHg + field 3 pressure + field 4 pressure unit
}

TEST(DisplayFlagsDialog, EachReplyChecksOneButtonPerGroup) {
    FlagsRig r;
    const DisplayFlagsDialog& dialog = r.dialog;
    const std::vector<QRadioButton*> field3 = {dialog.field3Button(DisplayField3::DewPoint),
                                               dialog.field3Button(DisplayField3::Pressure)};
    const std::vector<QRadioButton*> field4 = {dialog.field4Button(F4::DewPoint), dialog.field4Button(F4::Clock),
                                               dialog.field4Button(F4::WaterVapour),
                                               dialog.field4Button(F4::PressureUnit)};
    const std::vector<QRadioButton*> unit = {dialog.unitButton(PressureUnit::Hpa),
                                             dialog.unitButton(PressureUnit::MmHg)};
    const std::vector<QRadioButton*> resolution = {dialog.resolutionButton(R::Automatic),
                                                   dialog.resolutionButton(R::Tenth),
                                                   dialog.resolutionButton(R::Hundredth)};
    struct Case {
        Word flags;
        const char* field3;
        const char* field4;
        const char* unit;
        const char* resolution;
    };
    const Case cases[] = {
        {0x0030, "Punkt rosy", "Jednostka ciśnienia", "hPa", "0.1"},
        {0x0020, "Punkt rosy", "Zegar", "hPa", "0.1"},
        {0x0010, "Punkt rosy", "Punkt rosy", "hPa", "0.1"},
        {0x0000, "Punkt rosy", "Zawartość pary wodnej", "hPa", "0.1"},
        {0x000E, "Ciśnienie", "Zawartość pary wodnej", "mmHg", "Auto"},
        {0x0003, "Punkt rosy", "Zawartość pary wodnej", "hPa", "0.01"},
    };
    for (const Case& c : cases) {
        PanelState state;
        state.displayFlags = c.flags;
        r.arrive(state);
        EXPECT_EQ(checkedText(field3), QString::fromUtf8(c.field3)) << c.flags;
        EXPECT_EQ(checkedText(field4), QString::fromUtf8(c.field4)) << c.flags;
        EXPECT_EQ(checkedText(unit), QString::fromUtf8(c.unit)) << c.flags;
        EXPECT_EQ(checkedText(resolution), QString::fromUtf8(c.resolution)) << c.flags;
    }
}

TEST(HistoryDisplayDialog, AutomaticLocksTheChannelsWithoutClearingThem) {
    HistoryRig r;
    HistoryDisplayDialog& dialog = r.dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Ustawienia wyświetlania historii na panelu"));
    PanelState state;
    state.historyDisplay = 0x0080;
    EXPECT_TRUE(r.run(state, true, [&] {
        EXPECT_FALSE(dialog.automaticBox()->isEnabled());
        for (QCheckBox* b : channelBoxes(dialog)) EXPECT_FALSE(b->isEnabled());
        r.arrive(state);
        EXPECT_TRUE(dialog.automaticBox()->isEnabled());
        EXPECT_TRUE(dialog.automaticBox()->isChecked());
        for (QCheckBox* b : channelBoxes(dialog)) {
            EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
            EXPECT_FALSE(b->isChecked()) << b->text().toStdString();
        }
        dialog.okButton()->click();
    }));
    EXPECT_EQ(r.stored().historyDisplay, 0x0080u);

    EXPECT_TRUE(test::runWith(dialog, true, [&] {
        state.historyDisplay = 0x0000;
        r.arrive(state);
        for (QCheckBox* b : channelBoxes(dialog)) EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
        dialog.temperature2Box()->click();
        dialog.pressureBox()->click();
        dialog.automaticBox()->click();   // locks them, checks kept
        for (QCheckBox* b : channelBoxes(dialog)) EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
        EXPECT_TRUE(dialog.temperature2Box()->isChecked());
        EXPECT_TRUE(dialog.pressureBox()->isChecked());
        dialog.okButton()->click();
    }));
    EXPECT_EQ(r.stored().historyDisplay, 0x008Cu);   // automatic + temperature 2 + pressure
}

TEST(HistoryDisplayDialog, EachChannelBoxIsItsBit) {
    HistoryRig r;
    struct Case {
        Word bit;
        const char* box;
    };
    const Case cases[] = {
        {0x01, "Wilgotność względna"}, {0x02, "Temperatura 1"}, {0x04, "Ciśnienie"}, {0x08, "Temperatura 2"}};
    for (const Case& c : cases) {
        PanelState state;
        state.historyDisplay = c.bit;
        r.arrive(state);
        QStringList checked;
        for (QCheckBox* b : channelBoxes(r.dialog))
            if (b->isChecked()) checked << b->text();
        EXPECT_EQ(checked, QStringList{QString::fromUtf8(c.box)}) << c.bit;
        EXPECT_FALSE(r.dialog.automaticBox()->isChecked());
    }
}

TEST(PanelInfoDialog, OpensEmptyAndShowsTheComposedTexts) {
    InfoRig r;
    PanelInfoDialog& dialog = r.dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Informacje o panelu"));
    const PanelState state = samplePanel();
    r.model.fill(state);   // an earlier showing
    EXPECT_TRUE(r.run(state, true, [&] {
        EXPECT_TRUE(dialog.panelText()->toPlainText().isEmpty());
        EXPECT_TRUE(dialog.probeText()->toPlainText().isEmpty());
        EXPECT_TRUE(dialog.panelText()->isReadOnly());
        EXPECT_FALSE(dialog.cancelButton()->isVisible());
        EXPECT_TRUE(dialog.okButton()->isVisible());
        r.arrive(state);
        EXPECT_EQ(dialog.panelText()->toPlainText(),
                  QStringLiteral("Panel MR-420:\nwersja oprogramowania: 2.08\nnumer seryjny: 4711\n"
                                 "rozmiar pamięci: 2048*256 bajtów\nciśnienie domyślne: 1013 hPa\n"
                                 "data kalibracji modułu barometru: 03-2021\nobsługa modemu MR-420"));
        EXPECT_EQ(dialog.probeText()->toPlainText(),
                  QStringLiteral("Sonda MR-411\nnumer seryjny: 1234\nwersja: p3\ndata kalibracji: 09-2024\n"));
        dialog.okButton()->click();
    }));
}

TEST(DisplayDialogs, EnglishTextsInEachDialogsOwnContext) {
    app();
    const QString qm = QStringLiteral(MR420_BINARY_DIR "/bin/mr420_en.qm");
    if (!QFile::exists(qm)) GTEST_SKIP() << "mr420_en.qm not built";
    QTranslator translator;
    ASSERT_TRUE(translator.load(qm));
    QCoreApplication::installTranslator(&translator);
    const FlagsRig flagsRig;
    const HistoryRig historyRig;
    const InfoRig infoRig;
    QCoreApplication::removeTranslator(&translator);
    const DisplayFlagsDialog& flags = flagsRig.dialog;
    const HistoryDisplayDialog& history = historyRig.dialog;

    EXPECT_EQ(flags.windowTitle(), QStringLiteral("Panel display flag settings"));
    EXPECT_EQ(flags.field4Button(F4::Clock)->text(), QStringLiteral("Clock"));
    EXPECT_EQ(flags.field4Button(F4::WaterVapour)->text(), QStringLiteral("Water vapour content"));
    EXPECT_EQ(flags.resolutionButton(R::Hundredth)->text(), QStringLiteral("0.01"));
    QStringList groups;
    for (const QGroupBox* g : flags.findChildren<QGroupBox*>()) groups << g->title();
    groups.sort();
    EXPECT_EQ(groups, (QStringList{QStringLiteral("Field number 3"), QStringLiteral("Field number 4"),
                                   QStringLiteral("Pressure unit"), QStringLiteral("Temperature resolution")}));
    EXPECT_EQ(history.windowTitle(), QStringLiteral("Panel history display settings"));
    EXPECT_EQ(history.automaticBox()->text(), QStringLiteral("Automatic (the measurements being logged)"));
    EXPECT_EQ(history.humidityBox()->text(), QStringLiteral("Relative humidity"));
    EXPECT_EQ(infoRig.dialog.windowTitle(), QStringLiteral("Panel information"));
}

// Each dialog, shown and filled, holds every control inside its window
// without overlaps; with MR420_DIALOG_SHOTS set, its picture is saved.
TEST(DisplayDialogs, FilledDialogsShowEveryControl) {
    const PanelState state = samplePanel();
    FlagsRig flags;
    HistoryRig history;
    InfoRig info;
    struct Shot {
        ConfigDialog* dialog;
        ConfigModel* model;
        const char* file;
    };
    const Shot shots[] = {{&flags.dialog, &flags.model, "display-flags.png"},
                          {&history.dialog, &history.model, "history-display.png"},
                          {&info.dialog, &info.model, "panel-information.png"}};
    const char* dir = std::getenv("MR420_DIALOG_SHOTS");
    for (const Shot& s : shots) {
        s.model->fill(state);
        s.dialog->settingsArrived();
        s.dialog->show();
        QCoreApplication::processEvents();
        const QRect inside = s.dialog->rect();
        std::vector<QRect> placed;
        for (QWidget* w : s.dialog->findChildren<QWidget*>()) {
            if (!w->isVisible() || !(qobject_cast<QAbstractButton*>(w) || qobject_cast<QPlainTextEdit*>(w)))
                continue;
            const QRect r(w->mapTo(s.dialog, QPoint(0, 0)), w->size());
            EXPECT_TRUE(inside.contains(r)) << s.file << ": " << w->objectName().toStdString();
            EXPECT_GE(w->width(), w->sizeHint().width()) << s.file << ": clipped";
            for (const QRect& other : placed) EXPECT_FALSE(r.intersects(other)) << s.file << ": overlap";
            // A text shows whole, without scrolling.
            if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
                EXPECT_EQ(text->verticalScrollBar()->maximum(), 0) << s.file << ": scrolls";
                EXPECT_EQ(text->horizontalScrollBar()->maximum(), 0) << s.file << ": scrolls";
            }
            placed.push_back(r);
        }
        EXPECT_GE(placed.size(), 3u) << s.file;
        if (dir) {
            QDir().mkpath(QString::fromLocal8Bit(dir));
            EXPECT_TRUE(s.dialog->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(s.file)),
                                              "PNG"));
        }
        s.dialog->hide();
    }
}

}  // namespace
}  // namespace mr420
