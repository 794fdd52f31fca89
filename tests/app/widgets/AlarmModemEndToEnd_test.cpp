// The alarm and modem dialogs end to end: the main window on the simulated
// panel with a modem, each dialog opened from its menu entry and handled as a
// user would, what reached the panel checked in the panel itself.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <string>

#include "config/widgets/AlarmDialogs.h"
#include "config/widgets/ConfigFeature.h"
#include "config/widgets/ModemDialogs.h"
#include "config/widgets/NumericEdit.h"
#include "support/WindowRig.h"
#include "ui/MenuTable.h"

namespace mr420 {
namespace {

struct Rig : test::WindowRig {
    explicit Rig(const std::string& name) : WindowRig(name, "modem-208") { EXPECT_TRUE(started && connected); }

    ConfigDialog& dialog(ConfigKind kind) { return window->config().dialog(kind); }
    // Opens a menu entry; `user` runs once the dialog is up and, for a
    // dialog that reads, filled.
    void open(int menuId, ConfigKind kind, const std::function<void(ConfigDialog&)>& user) {
        ConfigDialog& d = dialog(kind);
        EXPECT_TRUE(trigger(menuId, [&] { return d.isVisible() && !d.waitingForSettings(); }, [&] { user(d); }))
            << "the dialog did not open or fill";
    }
    // Opens a menu entry and leaves the dialog alone: it ends by itself.
    void openAndWait(int menuId, ConfigKind kind) {
        ConfigDialog& d = dialog(kind);
        trigger(menuId, [&] { return d.isVisible(); }, [] {});
    }
    std::vector<QString> texts() const {
        std::vector<QString> out;
        for (const auto& box : boxes.shown) out.push_back(box.text);
        return out;
    }
};

TEST(AlarmModemEndToEnd, ModemThresholdsAreWrittenAndReadBackUnchanged) {
    Rig rig("e2e-thresholds");
    const sim::PanelModel before = rig.model();
    rig.open(menu_id::kModemThresholds, ConfigKind::ModemThresholds, [](ConfigDialog& d) {
        auto& dialog = static_cast<ModemThresholdsDialog&>(d);
        // The scenario's lower TEMP1 threshold is -15.0 °C, its repeat time 6 units.
        EXPECT_EQ(dialog.thresholdField(0)->text(), QStringLiteral("-15.0"));
        EXPECT_EQ(dialog.hoursEdit()->text(), QStringLiteral("1"));
        EXPECT_EQ(dialog.minutesEdit()->text(), QStringLiteral("0"));
        dialog.thresholdField(0)->setText(QStringLiteral("-12.5"));
        dialog.thresholdField(7)->setText(QStringLiteral("1013.2"));
        dialog.thresholdBox(7)->setChecked(true);
        dialog.minutesEdit()->setText(QStringLiteral("5"));   // becomes 10
        dialog.okButton()->click();
    });
    EXPECT_TRUE(rig.boxes.shown.empty()) << rig.texts().front().toStdString();
    const sim::PanelModel after = rig.model();
    EXPECT_EQ(after.alarmThresholds[0], -125);
    EXPECT_EQ(after.alarmThresholds[7], 10132);
    for (int slot : {1, 2, 3, 4, 5, 6}) EXPECT_EQ(after.alarmThresholds[slot], before.alarmThresholds[slot]) << slot;
    EXPECT_EQ(after.alarmHysteresis, before.alarmHysteresis);
    EXPECT_EQ(after.alarmThresholdFlags, before.alarmThresholdFlags | 0x80);
    EXPECT_EQ(after.alarmRepeatTime, 7);

    // Shown again, the dialog reads back what it wrote; OK changes nothing.
    rig.open(menu_id::kModemThresholds, ConfigKind::ModemThresholds, [](ConfigDialog& d) {
        auto& dialog = static_cast<ModemThresholdsDialog&>(d);
        EXPECT_EQ(dialog.thresholdField(0)->text(), QStringLiteral("-12.5"));
        EXPECT_TRUE(dialog.thresholdBox(7)->isChecked());
        EXPECT_EQ(dialog.minutesEdit()->text(), QStringLiteral("10"));
        d.okButton()->click();
    });
    const sim::PanelModel again = rig.model();
    EXPECT_EQ(again.alarmThresholds, after.alarmThresholds);
    EXPECT_EQ(again.alarmHysteresis, after.alarmHysteresis);
    EXPECT_EQ(again.alarmThresholdFlags, after.alarmThresholdFlags);
    EXPECT_EQ(again.alarmRepeatTime, after.alarmRepeatTime);
}

TEST(AlarmModemEndToEnd, ExceedanceBatteryAndPowerLossReachThePanel) {
    Rig rig("e2e-signalling");
    rig.open(menu_id::kExceedance, ConfigKind::Exceedance, [](ConfigDialog& d) {
        auto& dialog = static_cast<ExceedanceDialog&>(d);
        EXPECT_EQ(dialog.deferralEdit()->text(), QStringLiteral("10"));
        dialog.thresholdField(4)->setText(QStringLiteral("150"));   // RH above 99.9
        dialog.deferralEdit()->setText(QStringLiteral("95"));
        dialog.okButton()->click();
    });
    EXPECT_EQ(rig.model().exceedanceLimits[4], 999);
    EXPECT_EQ(rig.model().exceedanceDelay, 90);

    rig.open(menu_id::kBattery, ConfigKind::Battery, [](ConfigDialog& d) {
        auto& dialog = static_cast<BatteryAlarmDialog&>(d);
        EXPECT_TRUE(dialog.onButton()->isChecked());
        dialog.offButton()->setChecked(true);
        dialog.okButton()->click();
    });
    EXPECT_EQ(rig.model().batteryAlarm, 0);

    // The power-loss alarm switched off keeps the delay the panel had.
    rig.open(menu_id::kPowerLoss, ConfigKind::PowerLoss, [](ConfigDialog& d) {
        auto& dialog = static_cast<PowerLossDialog&>(d);
        EXPECT_EQ(dialog.delayEdit()->text(), QStringLiteral("5"));
        dialog.offButton()->click();
        dialog.delayEdit()->setText(QStringLiteral("99"));
        dialog.okButton()->click();
    });
    EXPECT_EQ(rig.model().powerLossAlarm, 0);
    EXPECT_EQ(rig.model().powerLossDelay, 5);
    EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST(AlarmModemEndToEnd, ModemSettingsKeepThePanelsStationNameAndTheFirstWordOfATypedOne) {
    Rig rig("e2e-modem");
    const sim::PanelModel before = rig.model();
    rig.open(menu_id::kModemOptions, ConfigKind::ModemOptions, [](ConfigDialog& d) {
        auto& dialog = static_cast<ModemSettingsDialog&>(d);
        EXPECT_TRUE(dialog.okButton()->isEnabled());
        EXPECT_EQ(dialog.stationEdit()->text(), QStringLiteral("Hala 3"));   // as the panel holds it
        emit dialog.stationEdit()->editingFinished();
        EXPECT_EQ(dialog.stationEdit()->text(), QStringLiteral("Hala 3"));
        EXPECT_EQ(dialog.serverAddressEdit()->text(), QStringLiteral("192.168.10.20"));
        EXPECT_TRUE(dialog.backupBox()->isChecked());
        dialog.stationEdit()->setText(QStringLiteral("Suszarnia nowa"));
        emit dialog.stationEdit()->editingFinished();   // the user leaves the field
        EXPECT_EQ(dialog.stationEdit()->text(), QStringLiteral("Suszarnia"));
        dialog.numberEdit(4)->setText(QStringLiteral("4860123456789012"));   // 16 digits
        dialog.okButton()->click();
    });
    EXPECT_TRUE(rig.boxes.shown.empty());
    const sim::PanelModel after = rig.model();
    EXPECT_EQ(after.stationName, "Suszarnia      ");
    EXPECT_EQ(after.smsNumbers[4], "486012345678901");
    EXPECT_EQ(after.smsNumbers[1], before.smsNumbers[1]);
    EXPECT_EQ(after.serverAddress, before.serverAddress);
    EXPECT_EQ(after.serverPort, before.serverPort);
    EXPECT_EQ(after.backupServerAddress, before.backupServerAddress);
    EXPECT_EQ(after.backupServerPort, before.backupServerPort);
    EXPECT_EQ(after.connectionAttemptsPerDay, before.connectionAttemptsPerDay);
    EXPECT_EQ(after.modemOptions, before.modemOptions);
    EXPECT_EQ(after.apn.substr(0, 16), "internet.example");
    EXPECT_EQ(after.internetAllowed, 1);
}

TEST(AlarmModemEndToEnd, APinWithALeadingZeroAndThePapPasswordAreWritten) {
    Rig rig("e2e-pin");
    rig.boxes.answers = {BoxAnswer::Yes, BoxAnswer::Yes};
    rig.open(menu_id::kModemPin, ConfigKind::ModemPin, [](ConfigDialog& d) {
        auto& dialog = static_cast<PinDialog&>(d);
        EXPECT_TRUE(dialog.pinEdit()->text().isEmpty());
        EXPECT_EQ(dialog.pinEdit()->echoMode(), QLineEdit::Password);
        dialog.pinEdit()->setText(QStringLiteral("0042"));
        dialog.okButton()->click();
    });
    EXPECT_EQ(rig.model().pin, 42);
    rig.open(menu_id::kModemPap, ConfigKind::ModemPap, [](ConfigDialog& d) {
        auto& dialog = static_cast<PapPasswordDialog&>(d);
        dialog.passwordEdit()->setText(QStringLiteral("tajne"));
        dialog.okButton()->click();
    });
    EXPECT_EQ(rig.model().papPassword.substr(0, 6), "tajne ");
    ASSERT_EQ(rig.boxes.shown.size(), 2u);
    EXPECT_EQ(rig.boxes.shown[0].text, QStringLiteral("Na pewno chcesz zapisać numer PIN?"));
    EXPECT_EQ(rig.boxes.shown[1].text, QStringLiteral("Na pewno chcesz zapisać hasło PAP?"));

    // Opened again, the field is empty.
    rig.open(menu_id::kModemPin, ConfigKind::ModemPin, [](ConfigDialog& d) {
        EXPECT_TRUE(static_cast<PinDialog&>(d).pinEdit()->text().isEmpty());
        d.cancelButton()->click();
    });
}

TEST(AlarmModemEndToEnd, APanelWithItsModemHandlingOffIsNamedAsSuch) {
    Rig rig("e2e-modem-off");
    rig.panel.withModel([](sim::PanelModel& m) { m.modemHandlingEnabled = false; });
    const sim::PanelModel before = rig.model();

    rig.openAndWait(menu_id::kModemThresholds, ConfigKind::ModemThresholds);
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, QStringLiteral("Brak włączonej obsługi modemu."));
    EXPECT_EQ(rig.boxes.shown[0].icon, BoxIcon::Information);
    EXPECT_FALSE(rig.dialog(ConfigKind::ModemThresholds).isVisible());

    rig.boxes.answers = {BoxAnswer::Yes};
    rig.open(menu_id::kModemPin, ConfigKind::ModemPin, [](ConfigDialog& d) {
        static_cast<PinDialog&>(d).pinEdit()->setText(QStringLiteral("1111"));
        d.okButton()->click();
    });
    ASSERT_EQ(rig.boxes.shown.size(), 3u);   // the read failure, the question, the write failure
    EXPECT_EQ(rig.boxes.shown[2].text, QStringLiteral("Brak włączonej obsługi modemu. Ustawienia nie zostały zapisane."));
    EXPECT_EQ(rig.boxes.shown[2].icon, BoxIcon::None);
    EXPECT_EQ(rig.model().pin, before.pin);
}

}  // namespace
}  // namespace mr420
