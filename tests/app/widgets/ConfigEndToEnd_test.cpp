// The configuration dialogs end to end: the main window on the simulated
// panel behind a pseudo-terminal, the dialogs opened from their menu entries
// and handled as a user would, the written values checked in the panel.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>

#include <functional>

#include "settings/Settings.h"
#include "app/widgets/MainWindow.h"
#include "base/TimerIds.h"
#include "base/widgets/MessageBoxes.h"
#include "base/widgets/WaitWindow.h"
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include "config/widgets/ConfigFeature.h"
#include "config/widgets/DisplayDialogs.h"
#include "config/widgets/LoggingSettingsDialog.h"
#include "config/widgets/NumericEdit.h"
#include "config/widgets/SmallConfigDialogs.h"
#include "protocol/PanelConnection.h"
#include "sim/PtyPanel.h"
#include "sim/Scenarios.h"
#include "support/TestApplication.h"
#include "support/WindowRig.h"
#include "support/TestSupport.h"
#include "ui/MenuTable.h"

namespace mr420 {
namespace {
using mr420::test::pumpUntil;

// The window rig with a helper that opens a configuration dialog.
struct Rig : test::WindowRig {
    explicit Rig(const std::string& name) : WindowRig(name, "mr411-baro") {
        EXPECT_TRUE(started && connected);
    }
    // Opens a menu entry; `user` runs once the dialog is up and filled.
    void open(int menuId, ConfigKind kind, const std::function<void(ConfigDialog&)>& user) {
        ConfigDialog& dialog = window->config().dialog(kind);
        EXPECT_TRUE(trigger(menuId, [&] { return dialog.isVisible() && !dialog.waitingForSettings(); },
                            [&] { user(dialog); }))
            << "the dialog did not fill";
    }
};

TEST(ConfigEndToEnd, TheClockIsWrittenToThePanel) {
    Rig rig("e2e-clock");
    rig.open(menu_id::kDateTime, ConfigKind::Clock, [](ConfigDialog& d) {
        auto& clock = static_cast<ClockDialog&>(d);
        clock.timeEdit()->setTime(QTime(0, 0, 0));   // stops the following
        clock.calendar()->setSelectedDate(QDate(2001, 3, 1));
        clock.okButton()->click();
    });
    EXPECT_TRUE(rig.waitShown);
    EXPECT_TRUE(rig.boxes.shown.empty());
    const std::uint32_t seconds = rig.model().clockSeconds;
    EXPECT_GE(seconds, 36720000u);
    EXPECT_LT(seconds, 36720000u + 30);
    // The poll cycle reads it back.
    EXPECT_TRUE(pumpUntil([&] { return rig.window->connection().state().panelClock.year == 2001; }, 10000));
}

TEST(ConfigEndToEnd, DefaultPressureAndAutoOffAreWrittenAndReadBack) {
    Rig rig("e2e-pressure");
    rig.open(menu_id::kDefaultPressure, ConfigKind::DefaultPressure, [](ConfigDialog& d) {
        auto& dialog = static_cast<DefaultPressureDialog&>(d);
        EXPECT_EQ(dialog.pressureEdit()->text(), QStringLiteral("1012"));   // code 161
        dialog.pressureEdit()->setText(QStringLiteral("1100"));
        dialog.okButton()->click();
    });
    EXPECT_EQ(rig.model().defaultPressure, 205);
    rig.open(menu_id::kAutoOff, ConfigKind::AutoOff, [](ConfigDialog& d) {
        auto& dialog = static_cast<AutoOffDialog&>(d);
        EXPECT_EQ(dialog.timeEdit()->time(), QTime(0, 2, 0));   // 24 units
        dialog.timeEdit()->setTime(QTime(0, 20, 55));
        dialog.okButton()->click();
    });
    EXPECT_EQ(rig.model().autoOffTime, 251);
    EXPECT_TRUE(rig.boxes.shown.empty());
    // Shown again, the dialogs read back what the panel now holds.
    rig.open(menu_id::kDefaultPressure, ConfigKind::DefaultPressure, [](ConfigDialog& d) {
        EXPECT_EQ(static_cast<DefaultPressureDialog&>(d).pressureEdit()->text(), QStringLiteral("1100"));
        d.cancelButton()->click();
    });
}

TEST(ConfigEndToEnd, LoggingSettingsAndTheirColumnsAreWritten) {
    Rig rig("e2e-logging");
    rig.open(menu_id::kLoggingSettings, ConfigKind::LoggingSettings, [](ConfigDialog& d) {
        auto& dialog = static_cast<LoggingSettingsDialog&>(d);
        dialog.loggingBox()->setChecked(true);
        const std::pair<LoggingField, const char*> interval[] = {
            {LoggingField::Days, "1"}, {LoggingField::Hours, "2"}, {LoggingField::Minutes, "3"}};
        for (const auto& [field, text] : interval) dialog.intervalField(field)->edit()->setText(QString::fromLatin1(text));
        dialog.temperature1Box()->setChecked(true);
        dialog.humidityBox()->setChecked(true);
        dialog.pressureBox()->setChecked(false);
        dialog.dewPointBox()->setChecked(false);   // the memory list leaves its column out
        dialog.okButton()->click();
    });
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.model().loggingInterval, 24 * 60 + 2 * 60 + 3);
    AppSettings out = defaultSettings();
    rig.window->storeSettings(out);
    EXPECT_EQ(out.memoryDp, 0);
    EXPECT_EQ(out.memoryPpm, 1);
    // Read back as written.
    rig.open(menu_id::kLoggingSettings, ConfigKind::LoggingSettings, [](ConfigDialog& d) {
        auto& dialog = static_cast<LoggingSettingsDialog&>(d);
        EXPECT_TRUE(dialog.loggingBox()->isChecked());
        EXPECT_EQ(dialog.intervalField(LoggingField::Hours)->edit()->text(), QStringLiteral("2"));
        EXPECT_TRUE(dialog.humidityBox()->isChecked());
        EXPECT_FALSE(dialog.pressureBox()->isChecked());
        d.cancelButton()->click();
    });
}

TEST(ConfigEndToEnd, DisplayFlagsAreWrittenAndReadBack) {
    Rig rig("e2e-display");
    const int before = rig.model().displayFlags;
    rig.open(menu_id::kDisplay, ConfigKind::DisplayFlags, [](ConfigDialog& d) {
        auto& dialog = static_cast<DisplayFlagsDialog&>(d);
        dialog.field4Button(DisplayField4::Clock)->setChecked(true);
        dialog.unitButton(PressureUnit::MmHg)->setChecked(true);
        dialog.okButton()->click();
    });
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_NE(rig.model().displayFlags, before);
    rig.open(menu_id::kDisplay, ConfigKind::DisplayFlags, [](ConfigDialog& d) {
        auto& dialog = static_cast<DisplayFlagsDialog&>(d);
        EXPECT_TRUE(dialog.field4Button(DisplayField4::Clock)->isChecked());
        EXPECT_TRUE(dialog.unitButton(PressureUnit::MmHg)->isChecked());
        d.cancelButton()->click();
    });
}

TEST(ConfigEndToEnd, AWriteThePanelRefusesEndsInItsMessage) {
    Rig rig("e2e-refused");
    sim::FaultConfig faults = rig.panel.faults();
    faults.refusedFor.insert(39);   // 024100
    rig.panel.setFaults(faults);
    rig.open(menu_id::kDefaultPressure, ConfigKind::DefaultPressure, [](ConfigDialog& d) { d.okButton()->click(); });
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, QStringLiteral("Błąd przy próbie zapisu ciśnienia domyślnego."));
    EXPECT_FALSE(rig.window->waitWindow().isShown());
    EXPECT_EQ(rig.model().defaultPressure, 161);
}

}  // namespace
}  // namespace mr420
