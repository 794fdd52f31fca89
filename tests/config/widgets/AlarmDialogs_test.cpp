// The alarm dialogs as the user handles them: controls locked until the
// settings arrive, fields held within their ranges on leaving and on OK, the
// power-loss delay rule and the battery's default. The arithmetic is tested
// in the core.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <vector>

#include "config/widgets/AlarmDialogs.h"
#include "config/widgets/NumericEdit.h"
#include "support/DialogRig.h"

namespace mr420 {
namespace {

using Ch = AlarmChannel;

// Types `text` into the field and leaves it.
void enterAndLeave(QLineEdit* edit, const char* text) {
    edit->setText(QString::fromUtf8(text));
    emit edit->editingFinished();
}

std::vector<QWidget*> inputs(const ModemThresholdsDialog& d) {
    std::vector<QWidget*> all{d.hoursEdit(), d.minutesEdit()};
    for (int s = 0; s < kThresholdSlotCount; ++s) {
        all.push_back(d.thresholdBox(s));
        all.push_back(d.thresholdField(s));
    }
    for (int c = 0; c < kAlarmChannelCount; ++c) all.push_back(d.hysteresisField(static_cast<Ch>(c)));
    return all;
}

using ThresholdsRig = test::DialogRig<ModemThresholdsModel, ModemThresholdsDialog>;

TEST(ModemThresholdsDialog, LockedUntilTheSettingsArriveThenShowsAndHoldsTheRanges) {
    ThresholdsRig r;
    ModemThresholdsDialog& dialog = r.dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Ustawienia progów alarmowych modemu"));
    PanelState state;
    state.alarmThresholds = {-125, 5500, 0, 300, 200, 999, 9800, 10132};
    state.alarmHysteresis = {5, 10, 20, 15};
    state.alarmThresholdFlags = 0x41;
    state.alarmRepeatTime = 160;

    EXPECT_TRUE(r.run(state, true, [&] {
        for (QWidget* w : inputs(dialog)) EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
        EXPECT_FALSE(dialog.okButton()->isEnabled());   // it would write what was never read
        r.arrive(state);
        for (QWidget* w : inputs(dialog)) EXPECT_TRUE(w->isEnabled()) << w->metaObject()->className();

        EXPECT_EQ(dialog.thresholdField(0)->text(), QStringLiteral("-12.5"));
        EXPECT_EQ(dialog.thresholdField(7)->text(), QStringLiteral("1013.2"));
        EXPECT_EQ(dialog.hysteresisField(Ch::Temperature1)->text(), QStringLiteral("0.5"));
        EXPECT_TRUE(dialog.thresholdBox(0)->isChecked());
        EXPECT_TRUE(dialog.thresholdBox(6)->isChecked());
        EXPECT_FALSE(dialog.thresholdBox(1)->isChecked());
        EXPECT_EQ(dialog.hoursEdit()->text(), QStringLiteral("24"));
        EXPECT_EQ(dialog.minutesEdit()->text(), QStringLiteral("40"));

        struct Leave {
            QLineEdit* edit;
            const char* typed;
            const char* shown;
        };
        const Leave leaves[] = {
            {dialog.thresholdField(7), "1300", "1200.0"},
            {dialog.thresholdField(6), "450", "500.0"},
            {dialog.thresholdField(0), "-250", "-200.0"},
            {dialog.thresholdField(1), "12,34", "12.3"},
            {dialog.thresholdField(5), "100", "99.9"},
            {dialog.hysteresisField(Ch::RelativeHumidity), "100", "99.9"},
            {dialog.hysteresisField(Ch::Pressure), "150", "100.0"},
            {dialog.hoursEdit(), "30", "24"},
            {dialog.hoursEdit(), "7", "7"},
            {dialog.minutesEdit(), "5", "10"},
            {dialog.minutesEdit(), "55", "50"},
            {dialog.minutesEdit(), "", "0"},
            {dialog.minutesEdit(), "25", "20"},
        };
        for (const Leave& l : leaves) {
            enterAndLeave(l.edit, l.typed);
            EXPECT_EQ(l.edit->text(), QString::fromUtf8(l.shown)) << l.typed;
        }
        EXPECT_TRUE(r.boxes.shown.empty());

        dialog.thresholdBox(1)->setChecked(true);
        dialog.thresholdBox(6)->setChecked(false);
        dialog.thresholdField(2)->setText(QStringLiteral("-999"));   // not left: OK applies the range
        dialog.okButton()->click();
    }));
    EXPECT_EQ(dialog.thresholdField(2)->text(), QStringLiteral("-200.0"));
    const WriteArguments args = r.stored();
    EXPECT_EQ(args.alarmThresholds, (std::array<std::int32_t, 8>{-2000, 123, -2000, 300, 200, 999, 5000, 12000}));
    EXPECT_EQ(args.alarmHysteresis, (std::array<std::int32_t, 4>{5, 10, 999, 1000}));
    EXPECT_EQ(args.alarmThresholdFlags, 0x03u);
    EXPECT_EQ(args.alarmRepeatTime, 44u);   // 7 h 20 min
}

TEST(ModemThresholdsDialog, AFormatErrorReadsZeroAndThePressureRangeMovesIt) {
    ThresholdsRig r;
    EXPECT_TRUE(r.run(PanelState{}, false, [&] {
        enterAndLeave(r.dialog.thresholdField(6), "1.2.3");
        EXPECT_EQ(r.dialog.thresholdField(6)->text(), QStringLiteral("500.0"));
        r.dialog.okButton()->click();
    }));
    ASSERT_EQ(r.boxes.shown.size(), 1u);
    EXPECT_EQ(r.boxes.shown[0].text, QStringLiteral("Nieprawidłowy format danych."));
    EXPECT_EQ(r.stored().alarmThresholds[6], 5000);
}

TEST(ExceedanceDialog, TheDeferralIsHeldAt90AndTheSlotsAreTheModemDialogs) {
    test::DialogRig<ExceedanceModel, ExceedanceDialog> r;
    ExceedanceDialog& dialog = r.dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sygnalizacja przekroczeń"));
    PanelState state;
    state.exceedanceLimits = {-50, 300, 0, 0, 100, 900, 9000, 11000};
    state.exceedanceFlags = 0x82;
    state.exceedanceDelay = 15;
    EXPECT_TRUE(r.run(state, true, [&] {
        EXPECT_FALSE(dialog.deferralEdit()->isEnabled());
        EXPECT_FALSE(dialog.thresholdField(3)->isEnabled());
        EXPECT_FALSE(dialog.thresholdBox(3)->isEnabled());
        r.arrive(state);
        EXPECT_TRUE(dialog.deferralEdit()->isEnabled());
        EXPECT_EQ(dialog.deferralEdit()->text(), QStringLiteral("15"));
        EXPECT_EQ(dialog.thresholdField(0)->text(), QStringLiteral("-5.0"));
        EXPECT_TRUE(dialog.thresholdBox(7)->isChecked());
        enterAndLeave(dialog.deferralEdit(), "95");
        EXPECT_EQ(dialog.deferralEdit()->text(), QStringLiteral("90"));
        enterAndLeave(dialog.thresholdField(7), "1300");
        EXPECT_EQ(dialog.thresholdField(7)->text(), QStringLiteral("1200.0"));
        dialog.thresholdField(0)->setText(QStringLiteral("-12.5"));
        dialog.okButton()->click();
    }));
    const WriteArguments args = r.stored();
    EXPECT_EQ(args.exceedanceLimits, (std::array<std::int32_t, 8>{-125, 300, 0, 0, 100, 900, 9000, 12000}));
    EXPECT_EQ(args.exceedanceFlags, 0x82u);
    EXPECT_EQ(args.exceedanceDelay, 90u);
}

TEST(BatteryAlarmDialog, OkWaitsForTheSettingsAndTheReplyChecksItsButton) {
    test::DialogRig<BatteryAlarmModel, BatteryAlarmDialog> r;
    BatteryAlarmDialog& dialog = r.dialog;
    PanelState state;
    state.batteryAlarm = 1;
    for (int showing = 0; showing < 2; ++showing) {
        EXPECT_FALSE(r.run(state, true, [&] {
            EXPECT_FALSE(dialog.onButton()->isEnabled());
            EXPECT_FALSE(dialog.offButton()->isEnabled());
            EXPECT_FALSE(dialog.onButton()->isChecked()) << showing;
            EXPECT_FALSE(dialog.offButton()->isChecked()) << showing;
            EXPECT_FALSE(dialog.okButton()->isEnabled());
            dialog.reject();
        }));
        // The reply checks "włączone", which the next showing must not keep.
        EXPECT_TRUE(r.run(state, true, [&] {
            r.arrive(state);
            EXPECT_TRUE(dialog.onButton()->isEnabled());
            EXPECT_TRUE(dialog.onButton()->isChecked());
            EXPECT_FALSE(dialog.offButton()->isChecked());
            dialog.okButton()->click();
        }));
        EXPECT_EQ(r.stored().batteryAlarm, 1u) << showing;
    }
}

TEST(PowerLossDialog, TheDelayIsCheckedOnlyWithTheAlarmOn) {
    test::DialogRig<PowerLossModel, PowerLossDialog> r;
    PowerLossDialog& dialog = r.dialog;
    const auto& shown = r.boxes.shown;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sygnalizacja zaniku zasilania"));
    PanelState state;
    state.powerLossAlarm = 0;
    state.powerLossDelay = 15;
    EXPECT_TRUE(r.run(state, true, [&] {
        EXPECT_FALSE(dialog.onButton()->isEnabled());
        EXPECT_FALSE(dialog.offButton()->isEnabled());
        EXPECT_TRUE(dialog.delayEdit()->isEnabled());
        r.arrive(state);
        EXPECT_TRUE(dialog.offButton()->isChecked());
        EXPECT_FALSE(dialog.delayEdit()->isEnabled());
        EXPECT_EQ(dialog.delayEdit()->text(), QStringLiteral("15"));

        dialog.onButton()->click();
        EXPECT_TRUE(dialog.delayEdit()->isEnabled());
        dialog.delayEdit()->setText(QStringLiteral("61"));
        dialog.okButton()->click();   // refused: stays open
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, QStringLiteral("Wpisz wartość opóźnienia z zakresu 0-60"));
        EXPECT_EQ(shown[0].icon, BoxIcon::None);

        dialog.offButton()->click();
        EXPECT_FALSE(dialog.delayEdit()->isEnabled());
        dialog.okButton()->click();   // off: the text is not looked at
    }));
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(r.stored().powerLossAlarm, 0u);
    EXPECT_EQ(r.stored().powerLossDelay, 15u);

    // On with a delay in range is taken as typed.
    EXPECT_TRUE(r.run(state, true, [&] {
        EXPECT_TRUE(dialog.delayEdit()->isEnabled());   // open again before the settings
        r.arrive(state);
        dialog.onButton()->click();
        dialog.delayEdit()->setText(QStringLiteral("60"));
        dialog.okButton()->click();
    }));
    EXPECT_EQ(r.stored().powerLossAlarm, 1u);
    EXPECT_EQ(r.stored().powerLossDelay, 60u);
}

TEST(AlarmDialogs, DigitFieldsTakeDigitsOnly) {
    ThresholdsRig thresholds;
    test::DialogRig<PowerLossModel, PowerLossDialog> power;
    test::DialogRig<ExceedanceModel, ExceedanceDialog> exceed;
    for (QLineEdit* edit : {thresholds.dialog.hoursEdit(), thresholds.dialog.minutesEdit(), power.dialog.delayEdit(),
                            exceed.dialog.deferralEdit()}) {
        edit->clear();
        test::type(edit, QStringLiteral("1a-2.,3 "));
        EXPECT_EQ(edit->text(), QStringLiteral("123"));
    }
}

}  // namespace
}  // namespace mr420
