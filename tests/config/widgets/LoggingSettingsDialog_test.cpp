// The memory-logging settings dialog: its controls and texts, disabled until
// the settings arrive, filled from the model, typed and stepped interval
// fields, the enabling rules on clicks, OK through the model and the
// message of an interval out of range.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <vector>

#include "config/widgets/LoggingSettingsDialog.h"
#include "support/DialogRig.h"
#include "support/PanelStates.h"

namespace mr420 {
namespace {

using Field = LoggingField;
using Range = LoggingRange;
using Res = LoggingResolution;

constexpr Field kFields[] = {Field::Days, Field::Hours, Field::Minutes};

using test::loggingPanel;

struct Rig : test::DialogRig<LoggingSettingsModel, LoggingSettingsDialog> {
    // Opens the dialog waiting for the settings; `during` acts while it is
    // up, and the dialog is cancelled afterwards if still open.
    bool run(const PanelState& state, const std::function<void()>& during) {
        return DialogRig::run(state, true, [&] {
            during();
            dialog.cancel();
        });
    }
    IntervalSpinBox* field(Field f) const { return dialog.intervalField(f); }
    QString text(Field f) const { return field(f)->edit()->text(); }
    std::vector<QWidget*> inputs() const {
        std::vector<QWidget*> w{dialog.loggingBox(),   dialog.temperature1Box(), dialog.humidityBox(),
                                dialog.dewPointBox(),  dialog.temperature2Box(), dialog.pressureBox(),
                                dialog.vapourBox(),    dialog.overwriteBox()};
        for (Field f : kFields) w.push_back(field(f));
        for (Range r : {Range::Auto, Range::Narrow, Range::Wide}) w.push_back(dialog.rangeButton(r));
        for (Res r : {Res::Auto, Res::Tenths, Res::Hundredths}) w.push_back(dialog.resolutionButton(r));
        return w;
    }
};

using test::press;

void leave(QWidget* w) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w, &out);
}

void clear(IntervalSpinBox* field) {
    field->edit()->selectAll();
    press(field, Qt::Key_Backspace);
}

TEST(LoggingSettingsDialog, EveryControlCarriesItsText) {
    Rig r;
    LoggingSettingsDialog& d = r.dialog;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Ustawienia rejestracji"));
    const std::pair<QAbstractButton*, const char*> buttons[] = {
        {d.loggingBox(), "Zapisuj pomiary do pamięci"},
        {d.temperature1Box(), "Temperatura 1"},
        {d.humidityBox(), "Wilgotność względna"},
        {d.dewPointBox(), "Punkt rosy"},
        {d.temperature2Box(), "Temperatura 2"},
        {d.pressureBox(), "Ciśnienie"},
        {d.vapourBox(), "Zawartość pary wodnej"},
        {d.rangeButton(Range::Auto), "Auto"},
        {d.rangeButton(Range::Narrow), "-40...+85"},
        {d.rangeButton(Range::Wide), "-200...+550"},
        {d.resolutionButton(Res::Auto), "Auto"},
        {d.resolutionButton(Res::Tenths), "0.1"},
        {d.resolutionButton(Res::Hundredths), "0.01"},
        {d.overwriteBox(), "Nadpisywanie"},
        {d.okButton(), "OK"},
        {d.cancelButton(), "Anuluj"},
    };
    for (const auto& [button, text] : buttons) EXPECT_EQ(button->text(), QString::fromUtf8(text));
    EXPECT_EQ(d.intervalCaption()->text(), QStringLiteral("Interwał rejestracji"));
    // Every label in the dialog, the column captions included.
    QStringList labels;
    for (const QLabel* l : d.findChildren<QLabel*>()) labels << l->text();
    for (const char* caption : {"dni", "godziny", "minuty"}) EXPECT_TRUE(labels.contains(QString::fromUtf8(caption))) << caption;
}

TEST(LoggingSettingsDialog, InputsWaitForTheSettingsThenShowThem) {
    Rig r;
    const PanelState state = loggingPanel(1563, 0x0123, 128);   // 1 d 2 h 3 min; 0.01, -200...+550, overwrite, TEMP2
    bool waited = false;
    r.run(state, [&] {
        for (QWidget* w : r.inputs()) EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
        EXPECT_FALSE(r.dialog.okButton()->isEnabled());
        EXPECT_TRUE(r.dialog.cancelButton()->isEnabled());
        // Typing into a waiting field changes nothing.
        test::typeKeys(r.field(Field::Days), QStringLiteral("7"));
        EXPECT_EQ(r.text(Field::Days), QStringLiteral("0"));
        waited = true;

        r.arrive(state);
        // Logging on, TEMP1 and RH logged, firmware 1.28: every input is enabled.
        for (QWidget* w : r.inputs()) EXPECT_TRUE(w->isEnabled()) << w->metaObject()->className();
        EXPECT_TRUE(r.dialog.loggingBox()->isChecked());
        EXPECT_EQ(r.text(Field::Days), QStringLiteral("1"));
        EXPECT_EQ(r.text(Field::Hours), QStringLiteral("2"));
        EXPECT_EQ(r.text(Field::Minutes), QStringLiteral("3"));
        EXPECT_TRUE(r.dialog.rangeButton(Range::Wide)->isChecked());
        EXPECT_TRUE(r.dialog.resolutionButton(Res::Hundredths)->isChecked());
        EXPECT_TRUE(r.dialog.overwriteBox()->isChecked());
        EXPECT_TRUE(r.dialog.temperature2Box()->isChecked());
    });
    EXPECT_TRUE(waited);
}

TEST(LoggingSettingsDialog, FillShowsChannelsRangesAndTheRules) {
    struct Case {
        std::int32_t interval, flags, firmware;
        Range range;
        Res resolution;
        bool t1, rh, pressure, t2Enabled, t2, columnsEnabled, fieldsEnabled;
    };
    const Case cases[] = {
        {0, 0x0000, 130, Range::Narrow, Res::Tenths, true, true, true, true, false, true, false},
        {15, 0x00C4, 127, Range::Auto, Res::Auto, false, true, true, false, false, false, true},
        {65535, 0x0118, 128, Range::Narrow, Res::Tenths, true, false, false, true, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        Rig r;
        r.run(loggingPanel(c.interval, c.flags, c.firmware), [&] {
            r.arrive(loggingPanel(c.interval, c.flags, c.firmware));
            LoggingSettingsDialog& d = r.dialog;
            EXPECT_TRUE(d.rangeButton(c.range)->isChecked());
            EXPECT_TRUE(d.resolutionButton(c.resolution)->isChecked());
            EXPECT_EQ(d.temperature1Box()->isChecked(), c.t1);
            EXPECT_EQ(d.humidityBox()->isChecked(), c.rh);
            EXPECT_EQ(d.pressureBox()->isChecked(), c.pressure);
            EXPECT_EQ(d.temperature2Box()->isEnabled(), c.t2Enabled);
            EXPECT_EQ(d.temperature2Box()->isChecked(), c.t2);
            EXPECT_EQ(d.dewPointBox()->isEnabled(), c.columnsEnabled);
            EXPECT_EQ(d.dewPointBox()->isChecked(), c.columnsEnabled);
            EXPECT_EQ(d.vapourBox()->isEnabled(), c.columnsEnabled);
            EXPECT_EQ(d.loggingBox()->isChecked(), c.interval > 0);
            for (Field f : kFields) EXPECT_EQ(r.field(f)->isEnabled(), c.fieldsEnabled);
        });
    }
}

TEST(LoggingSettingsDialog, FieldsTakeTypedDigitsWithinTheirRange) {
    Rig r;
    r.run(loggingPanel(0, 0), [&] {
        r.arrive(loggingPanel(0, 0));
        r.dialog.loggingBox()->click();
        ASSERT_TRUE(r.field(Field::Days)->isEnabled());

        struct Case {
            Field field;
            const char* typed;
            const char* shown;
        };
        const Case cases[] = {
            {Field::Days, "45", "44"},     // turns into 44 at once
            {Field::Hours, "24", "23"},
            {Field::Minutes, "60", "59"},
            {Field::Minutes, "7", "7"},
            {Field::Hours, "1x2", "12"},   // letters do not reach the field
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.typed);
            clear(r.field(c.field));
            test::typeKeys(r.field(c.field), QString::fromUtf8(c.typed));
            EXPECT_EQ(r.text(c.field), QString::fromUtf8(c.shown));
        }
        EXPECT_EQ(r.model.fieldsInterval(), 44 * 1440 + 12 * 60 + 7);

        // Clearing a field and leaving it writes "0".
        clear(r.field(Field::Minutes));
        EXPECT_EQ(r.text(Field::Minutes), QString());
        leave(r.field(Field::Minutes));
        EXPECT_EQ(r.text(Field::Minutes), QStringLiteral("0"));
        EXPECT_EQ(r.model.fieldValue(Field::Minutes), 0);
    });
}

TEST(LoggingSettingsDialog, ArrowKeysStepWithinTheRange) {
    Rig r;
    r.run(loggingPanel(0, 0), [&] {
        r.arrive(loggingPanel(23 * 60 + 58, 0));   // 0 d 23 h 58 min
        IntervalSpinBox* minutes = r.field(Field::Minutes);
        press(minutes, Qt::Key_Up);
        EXPECT_EQ(r.text(Field::Minutes), QStringLiteral("59"));
        press(minutes, Qt::Key_Up);
        EXPECT_EQ(r.text(Field::Minutes), QStringLiteral("59"));
        IntervalSpinBox* days = r.field(Field::Days);
        press(days, Qt::Key_Down);
        EXPECT_EQ(r.text(Field::Days), QStringLiteral("0"));
        press(days, Qt::Key_Up);
        press(days, Qt::Key_Up);
        EXPECT_EQ(r.text(Field::Days), QStringLiteral("2"));
        days->stepBy(100);
        EXPECT_EQ(r.text(Field::Days), QStringLiteral("44"));
        EXPECT_EQ(r.model.fieldsInterval(), 44 * 1440 + 23 * 60 + 59);
    });
}

TEST(LoggingSettingsDialog, BoxesFollowTheEnablingRules) {
    Rig r;
    r.run(loggingPanel(0, 0), [&] {
        r.arrive(loggingPanel(30, 0));
        LoggingSettingsDialog& d = r.dialog;
        // Logging off disables the fields, on enables them again.
        d.loggingBox()->click();
        for (Field f : kFields) EXPECT_FALSE(r.field(f)->isEnabled());
        d.loggingBox()->click();
        for (Field f : kFields) EXPECT_TRUE(r.field(f)->isEnabled());

        // Unchecking "Temperatura 1" unchecks and disables both columns;
        // checking it again enables them, unchecked.
        ASSERT_TRUE(d.dewPointBox()->isChecked());
        d.temperature1Box()->click();
        for (QCheckBox* b : {d.dewPointBox(), d.vapourBox()}) {
            EXPECT_FALSE(b->isChecked());
            EXPECT_FALSE(b->isEnabled());
        }
        d.temperature1Box()->click();
        for (QCheckBox* b : {d.dewPointBox(), d.vapourBox()}) {
            EXPECT_FALSE(b->isChecked());
            EXPECT_TRUE(b->isEnabled());
        }
    });
}

TEST(LoggingSettingsDialog, OkStoresWhatTheControlsHoldThroughTheModel) {
    Rig r;
    r.model.setDewPointColumn(true);
    r.model.setVapourColumn(true);
    const bool ok = r.run(loggingPanel(0, 0), [&] {
        r.arrive(loggingPanel(90, 0x0000, 128));
        LoggingSettingsDialog& d = r.dialog;
        clear(r.field(Field::Minutes));
        test::typeKeys(r.field(Field::Minutes), QStringLiteral("5"));
        d.pressureBox()->click();                        // +16
        d.overwriteBox()->click();                       // +32
        d.rangeButton(Range::Auto)->click();             // +128
        d.resolutionButton(Res::Hundredths)->click();    // +1
        d.temperature2Box()->click();                    // +256
        d.vapourBox()->click();
        d.okButton()->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(r.boxes.shown.empty());
    const WriteArguments args = r.stored();
    EXPECT_EQ(args.loggingInterval, 65u);   // 1 h 5 min
    EXPECT_EQ(args.loggingFlags, 16u + 32u + 128u + 1u + 256u);
    EXPECT_TRUE(r.model.dewPointColumn());
    EXPECT_FALSE(r.model.vapourColumn());
}

TEST(LoggingSettingsDialog, AnIntervalOutOfRangeGivesTheMessageAndKeepsTheDialogOpen) {
    Rig r;
    bool stayedOpen = false;
    const bool ok = r.run(loggingPanel(0, 0), [&] {
        r.arrive(loggingPanel(0, 0));
        r.dialog.loggingBox()->click();   // logging on, 0 d 0 h 0 min
        r.dialog.okButton()->click();
        stayedOpen = r.dialog.isVisible();
        ASSERT_EQ(r.boxes.shown.size(), 1u);
        EXPECT_EQ(r.boxes.shown[0].text,
                  QStringLiteral("Interwał powinien zawierać się w przedziale od 1min do 44dni 23h 59min."));
        EXPECT_EQ(r.boxes.shown[0].icon, BoxIcon::Information);
        EXPECT_EQ(r.boxes.shown[0].buttons, BoxButtons::Ok);

        // 1 minute is accepted.
        clear(r.field(Field::Minutes));
        test::typeKeys(r.field(Field::Minutes), QStringLiteral("1"));
        r.dialog.okButton()->click();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(ok);
    EXPECT_EQ(r.boxes.shown.size(), 1u);
    EXPECT_EQ(r.model.interval(), 1);
}

}  // namespace
}  // namespace mr420
