// The modem settings, PIN and PAP dialogs as the user handles them: OK held
// back until the settings arrive, the backup server's fields, the
// GPRS/Internet permission's warnings, the entry fields' keys, and the
// write-only fields that never show or keep what was typed. The values
// themselves are tested in the core.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <vector>

#include "config/widgets/ModemDialogs.h"
#include "support/DialogRig.h"
#include "support/PanelStates.h"

namespace mr420 {
namespace {

using test::app;
using test::type;
using test::backspace;
using test::modemPanel;
using SettingsRig = test::DialogRig<ModemSettingsModel, ModemSettingsDialog>;

TEST(ModemSettingsDialog, OkWaitsForTheSettingsThenTheBackupServerIsChecked) {
    SettingsRig r;
    ModemSettingsDialog& dialog = r.dialog;
    const auto& shown = r.boxes.shown;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Ustawienia modemu"));
    const PanelState state = modemPanel(208);
    EXPECT_TRUE(r.run(state, true, [&] {
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        EXPECT_FALSE(dialog.stationEdit()->isEnabled());
        EXPECT_FALSE(dialog.numberEdit(0)->isEnabled());
        EXPECT_FALSE(dialog.backupBox()->isEnabled());
        r.arrive(state);
        EXPECT_TRUE(dialog.okButton()->isEnabled());
        EXPECT_TRUE(dialog.continuousButton()->isChecked());
        EXPECT_TRUE(dialog.modemButton()->isChecked());
        EXPECT_TRUE(dialog.smsBox()->isChecked());
        EXPECT_FALSE(dialog.networkBox()->isChecked());
        EXPECT_EQ(dialog.numberEdit(1)->text(), QStringLiteral("600100200"));
        EXPECT_EQ(dialog.serverAddressEdit()->text(), QStringLiteral("192.168.1.10"));
        EXPECT_EQ(dialog.attemptsEdit()->text(), QStringLiteral("12"));
        EXPECT_TRUE(dialog.attemptsEdit()->isEnabled());
        // No backup address from the panel: unchecked, its fields locked.
        EXPECT_TRUE(dialog.backupBox()->isEnabled());
        EXPECT_FALSE(dialog.backupBox()->isChecked());
        EXPECT_FALSE(dialog.backupAddressEdit()->isEnabled());
        EXPECT_FALSE(dialog.backupPortEdit()->isEnabled());
        dialog.backupBox()->click();
        EXPECT_TRUE(dialog.backupAddressEdit()->isEnabled());
        EXPECT_TRUE(dialog.backupPortEdit()->isEnabled());

        // Each refusal: typed before OK, the message, and the control it goes back to.
        struct Refusal {
            std::vector<std::pair<QLineEdit*, const char*>> typed;
            const char* message;
            QWidget* focus;
        };
        const Refusal refusals[] = {
            {{}, "Wpisz adres zapasowego serwera", dialog.backupBox()},   // checked without an address
            {{{dialog.backupAddressEdit(), "10.0.0.1"}, {dialog.backupPortEdit(), "0"}},
             "Wpisz port zapasowego serwera", dialog.backupPortEdit()},
            {{{dialog.backupPortEdit(), "5001"}, {dialog.attemptsEdit(), "31"}},
             "Wpisz maksymalną liczbę prób zestawienia połączenia w ciągu 24 godzin (1-30)", dialog.attemptsEdit()},
        };
        for (const Refusal& f : refusals) {
            SCOPED_TRACE(f.message);
            for (const auto& [edit, text] : f.typed) edit->setText(QString::fromUtf8(text));
            const std::size_t before = shown.size();
            dialog.okButton()->click();
            ASSERT_EQ(shown.size(), before + 1);
            EXPECT_EQ(shown.back().text, QString::fromUtf8(f.message));
            EXPECT_EQ(shown.back().icon, BoxIcon::None);
            EXPECT_EQ(dialog.focusWidget(), f.focus);
            EXPECT_TRUE(dialog.isVisible());
        }

        dialog.attemptsEdit()->setText(QStringLiteral("30"));
        dialog.okButton()->click();
    }));
    const WriteArguments args = r.stored();
    EXPECT_EQ(args.modemOptions, 0xA2u);
    EXPECT_EQ(args.backupServerAddress, (Ipv4Address{10, 0, 0, 1}));
    EXPECT_EQ(args.backupServerPort, 5001u);
    EXPECT_EQ(args.connectionAttemptsPerDay, 30u);
}

TEST(ModemSettingsDialog, OldPanelsKeepTheBackupServerAndAttemptsLockedAndEmpty) {
    SettingsRig r;
    ModemSettingsDialog& dialog = r.dialog;
    PanelState state = modemPanel(207);
    state.backupServerAddress = {10, 0, 0, 1};
    EXPECT_TRUE(r.run(state, true, [&] {
        r.arrive(state);
        for (QWidget* w : std::initializer_list<QWidget*>{dialog.attemptsEdit(), dialog.backupBox(),
                                                          dialog.backupAddressEdit(), dialog.backupPortEdit()})
            EXPECT_FALSE(w->isEnabled());
        EXPECT_TRUE(dialog.attemptsEdit()->text().isEmpty());
        EXPECT_FALSE(dialog.backupBox()->isChecked());
        dialog.okButton()->click();
    }));
    EXPECT_TRUE(r.boxes.shown.empty());
}

TEST(ModemSettingsDialog, ThePermissionWarnsAtOnceAndTheTextsKeepTheirFirstWord) {
    SettingsRig r;
    ModemSettingsDialog& dialog = r.dialog;
    auto& boxes = r.boxes;
    const PanelState state = modemPanel(208);
    QString noteWhileWarned;
    boxes.onShow = [&](const ScriptedMessageBoxes::Shown&) { noteWhileWarned = dialog.noteLabel()->text(); };
    const QString blockedNote =
        QStringLiteral("Rejestracja i alarmowanie przez GPRS/Internet są zablokowane niezależnie od innych ustawień");
    EXPECT_TRUE(r.run(state, true, [&] {
        r.arrive(state);
        EXPECT_TRUE(dialog.internetBox()->isChecked());
        EXPECT_TRUE(dialog.noteLabel()->text().isEmpty());

        dialog.internetBox()->click();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Error);
        EXPECT_EQ(boxes.shown[0].text,
                  QStringLiteral("Funkcje internetowe panelu zostaną zablokowane.\nNiezależnie od innych nastaw "
                                 "alarmowanie i rejestracja przez sieć będzie wyłączona."));
        EXPECT_EQ(noteWhileWarned, blockedNote);

        dialog.internetBox()->click();
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[1].icon, BoxIcon::None);
        EXPECT_TRUE(boxes.shown[1].text.startsWith(QStringLiteral("Funkcje internetowe panelu zostaną odblokowane.")));
        EXPECT_TRUE(dialog.noteLabel()->text().isEmpty());
        dialog.internetBox()->click();   // blocked again for the write

        dialog.stationEdit()->setText(QStringLiteral("  Stacja Nord"));
        emit dialog.stationEdit()->editingFinished();
        EXPECT_EQ(dialog.stationEdit()->text(), QStringLiteral("Stacja"));
        dialog.okButton()->click();
    }));
    const WriteArguments args = r.stored();
    EXPECT_EQ(args.internetAllowed, 0u);
    EXPECT_EQ(args.stationName, "Stacja         ");
}

TEST(ModemEntryFields, OnlyTheirCharactersReachThem) {
    app();
    PhoneNumberEdit number;
    type(&number, QStringLiteral("+48a6 *#-0"));
    EXPECT_EQ(number.text(), QStringLiteral("486*#0"));
    backspace(&number);
    EXPECT_EQ(number.text(), QStringLiteral("486*#"));
    number.clear();
    number.insert(QStringLiteral("+48 600-100"));   // as a paste arrives
    EXPECT_EQ(number.text(), QStringLiteral("48600100"));

    DigitEdit port(65535);
    type(&port, QStringLiteral("7x0000"));
    EXPECT_EQ(port.text(), QStringLiteral("7000"));   // a fifth digit would exceed 65535
    EXPECT_EQ(port.value(), 7000);

    IpAddressEdit address;
    // 300 is refused at its last digit, a fourth digit and letters at once.
    type(&address, QStringLiteral("10.300.a1234"));
    EXPECT_EQ(address.text(), QStringLiteral("10.30.123"));
    address.clear();
    type(&address, QStringLiteral("10.1."));
    EXPECT_EQ(address.address(), (Ipv4Address{10, 1, 0, 0}));
    emit address.editingFinished();
    EXPECT_EQ(address.text(), QStringLiteral("10.1.0.0"));
}

TEST(PinDialog, HidesTheDigitsAsksAndForgetsThemOnEveryOpening) {
    test::DialogRig<PinModel, PinDialog> r;
    PinDialog& dialog = r.dialog;
    auto& boxes = r.boxes;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Numer PIN karty SIM"));
    EXPECT_EQ(dialog.pinEdit()->echoMode(), QLineEdit::Password);
    boxes.answers = {BoxAnswer::Ok, BoxAnswer::No, BoxAnswer::Yes};
    EXPECT_TRUE(r.run(PanelState{}, false, [&] {
        EXPECT_TRUE(dialog.pinEdit()->isEnabled());
        EXPECT_TRUE(dialog.pinEdit()->text().isEmpty());
        type(dialog.pinEdit(), QStringLiteral("12a3"));
        EXPECT_EQ(dialog.pinEdit()->text(), QStringLiteral("123"));
        dialog.okButton()->click();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Numer PIN powinien składać się z 4 cyfr."));
        EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Information);
        EXPECT_TRUE(dialog.isVisible());
        dialog.pinEdit()->setText(QStringLiteral("0042"));
        dialog.okButton()->click();   // No: still open
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[1].text, QStringLiteral("Na pewno chcesz zapisać numer PIN?"));
        EXPECT_EQ(boxes.shown[1].buttons, BoxButtons::YesNo);
        EXPECT_EQ(boxes.shown[1].icon, BoxIcon::Warning);
        EXPECT_TRUE(dialog.isVisible());
        dialog.okButton()->click();   // Yes
    }));
    EXPECT_EQ(r.stored().pin, 42u);

    // The next opening starts empty.
    EXPECT_FALSE(r.run(PanelState{}, false, [&] {
        EXPECT_TRUE(dialog.pinEdit()->text().isEmpty());
        dialog.cancelButton()->click();
    }));
}

TEST(PapPasswordDialog, HidesThePasswordAndAsksBeforeWriting) {
    test::DialogRig<PapPasswordModel, PapPasswordDialog> r;
    PapPasswordDialog& dialog = r.dialog;
    auto& boxes = r.boxes;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Zmiana hasła PAP"));
    EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
    boxes.answers = {BoxAnswer::No, BoxAnswer::Yes};
    for (int opening = 0; opening < 2; ++opening) {
        const bool ok = r.run(PanelState{}, false, [&] {
            EXPECT_TRUE(dialog.passwordEdit()->text().isEmpty()) << opening;
            if (opening == 1) {
                dialog.cancelButton()->click();
                return;
            }
            dialog.passwordEdit()->setText(QStringLiteral("tajne"));
            dialog.okButton()->click();
            EXPECT_TRUE(dialog.isVisible());
            dialog.okButton()->click();
        });
        EXPECT_EQ(ok, opening == 0);
    }
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Na pewno chcesz zapisać hasło PAP?"));
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Warning);
    EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::YesNo);
}

}  // namespace
}  // namespace mr420
