// The clock, auto-off and default-pressure dialogs and the numeric field as
// the user handles them; their arithmetic is tested in the core.

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimeEdit>

#include "config/widgets/NumericEdit.h"
#include "config/widgets/SmallConfigDialogs.h"
#include "support/DialogRig.h"

namespace mr420 {
namespace {

using test::app;
using test::pumpFor;
using test::type;
using test::runWith;

TEST(NumericEdit, TakesOnlyTheNumbersKeysAndRewritesWhatItReads) {
    app();
    ScriptedMessageBoxes boxes;
    NumericEdit edit(boxes);
    type(&edit, QStringLiteral("1a2,x34 "));
    EXPECT_EQ(edit.text(), QStringLiteral("12,34"));
    EXPECT_DOUBLE_EQ(edit.readValue(), 12.3);
    EXPECT_EQ(edit.text(), QStringLiteral("12.3"));
    EXPECT_EQ(edit.cursorPosition(), 4);
    edit.setText(QStringLiteral("1.2.3"));
    EXPECT_EQ(edit.readValue(), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Nieprawidłowy format danych."));
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Warning);
    EXPECT_EQ(edit.text(), QStringLiteral("1.2.3"));
}

TEST(AutoOffDialog, WaitsForTheSettingsThenWritesWhatThePickerShows) {
    test::DialogRig<AutoOffModel, AutoOffDialog> r;
    AutoOffDialog& dialog = r.dialog;
    PanelState state;
    state.autoOffTime = 36;
    EXPECT_TRUE(r.run(state, true, [&] {
        EXPECT_FALSE(dialog.timeEdit()->isEnabled());
        EXPECT_EQ(dialog.timeEdit()->time(), QTime(0, 0, 0));
        EXPECT_EQ(dialog.timeEdit()->maximumTime(), QTime(0, 20, 55));
        r.arrive(state);
        EXPECT_TRUE(dialog.timeEdit()->isEnabled());
        EXPECT_EQ(dialog.timeEdit()->time(), QTime(0, 3, 0));
        dialog.timeEdit()->setTime(QTime(0, 0, 7));
        dialog.okButton()->click();
    }));
    EXPECT_EQ(r.model.units(), 1);
}

TEST(DefaultPressureDialog, LeavingTheFieldHoldsTheRangeAndOkWaitsForTheSettings) {
    test::DialogRig<DefaultPressureModel, DefaultPressureDialog> r;
    DefaultPressureDialog& dialog = r.dialog;
    EXPECT_FALSE(r.run(PanelState{}, true, [&] {
        EXPECT_FALSE(dialog.pressureEdit()->isEnabled());
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        static_cast<QDialog&>(dialog).accept();   // Enter: the 690 the field holds was never read
        dialog.reject();
    }));

    for (const auto& [typed, shown] : {std::pair{"1201", "1200"}, std::pair{"600", "690"}, std::pair{"1013,7", "1013"}}) {
        dialog.pressureEdit()->setText(QString::fromLatin1(typed));
        emit dialog.pressureEdit()->editingFinished();
        EXPECT_EQ(dialog.pressureEdit()->text(), QString::fromLatin1(shown)) << typed;
    }
    EXPECT_TRUE(runWith(dialog, false, [&] {
        dialog.pressureEdit()->setText(QStringLiteral("1013"));
        dialog.okButton()->click();
    }));
    EXPECT_EQ(r.model.code(), 161);
}

TEST(ClockDialog, FollowsThePanelThenThePcAndStopsWhenTheUserSetsTheTime) {
    app();
    ScriptedMessageBoxes boxes;
    ClockModel model;
    PanelState state;
    state.panelClock = {2026, 12, 8, 10, 20, 30};
    ClockDialog dialog(model, state, boxes);
    dialog.setPcClock([] { return LocalTime{2027, 1, 2, 3, 4, 5}; });
    model.reset(state);
    const bool ok = runWith(dialog, false, [&] {
        EXPECT_EQ(dialog.calendar()->selectedDate(), QDate(2026, 12, 8));
        EXPECT_EQ(dialog.timeEdit()->time(), QTime(10, 20, 30));
        state.panelClock.second = 31;
        pumpFor(250);
        EXPECT_EQ(dialog.timeEdit()->time(), QTime(10, 20, 31));
        dialog.pcTimeButton()->click();
        EXPECT_EQ(dialog.calendar()->selectedDate(), QDate(2027, 1, 2));
        EXPECT_EQ(dialog.timeEdit()->time(), QTime(3, 4, 5));
        dialog.timeEdit()->setTime(QTime(9, 0, 0));   // the user's own time
        dialog.setPcClock([] { return LocalTime{2027, 1, 2, 3, 4, 6}; });
        pumpFor(250);
        EXPECT_EQ(dialog.timeEdit()->time(), QTime(9, 0, 0));
        dialog.calendar()->setSelectedDate(QDate(1999, 12, 31));
        dialog.okButton()->click();   // refused: stays open
        EXPECT_TRUE(dialog.isVisible());
        dialog.calendar()->setSelectedDate(QDate(2001, 3, 1));
        dialog.timeEdit()->setTime(QTime(0, 0, 0));
        dialog.okButton()->click();
    });
    EXPECT_TRUE(ok);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Ustawiona data powinna być większa niż 1 styczeń 2000."));
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Information);
    WriteArguments args;
    model.store(args);
    EXPECT_EQ(args.clockSeconds, 0x02304D80u);
}

}  // namespace
}  // namespace mr420
