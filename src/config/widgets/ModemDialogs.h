#pragma once
// The modem dialogs: "Ustawienia modemu", "Numer PIN karty SIM" and "Zmiana
// hasła PAP", with the entry fields they need: digits only, phone numbers
// and IPv4 addresses.

#include <QLineEdit>

#include <array>

#include "config/ModemModels.h"
#include "config/widgets/ConfigDialog.h"

class QCheckBox;
class QLabel;
class QRadioButton;

namespace mr420 {

// A field for a whole number: only digits reach it, and with a maximum set
// no more than that value (a key that would exceed it is ignored).
class DigitEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DigitEdit(long long maximum = -1, QWidget* parent = nullptr);
    // The value of the field, 0 when it is empty.
    long long value() const;
    void setValue(long long value);
};

// The field of an SMS number: digits, '#', '*' and backspace reach it;
// other character keys are ignored, and a paste keeps only those characters.
class PhoneNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit PhoneNumberEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// An IPv4 address field: at most four octets of at most three digits, none
// above 255. Missing octets read 0; leaving the field shows all four.
class IpAddressEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit IpAddressEdit(QWidget* parent = nullptr);
    Ipv4Address address() const;
    void setAddress(const Ipv4Address& address);
};

// "Ustawienia modemu": its OK stays disabled until the panel's settings
// have arrived; the backup server and the attempts are offered from
// firmware 2.08 on.
class ModemSettingsDialog : public ConfigDialog {
    Q_OBJECT
public:
    ModemSettingsDialog(ModemSettingsModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);

    QRadioButton* continuousButton() const { return continuous_; }
    QRadioButton* modemButton() const { return modem_; }
    QCheckBox* smsBox() const { return sms_; }
    QCheckBox* networkBox() const { return network_; }
    DigitEdit* attemptsEdit() const { return attempts_; }
    QLineEdit* stationEdit() const { return station_; }
    IpAddressEdit* serverAddressEdit() const { return serverAddress_; }
    QCheckBox* backupBox() const { return backup_; }
    IpAddressEdit* backupAddressEdit() const { return backupAddress_; }
    DigitEdit* backupPortEdit() const { return backupPort_; }
    // 0 the SMS centre, 1..5 the numbers.
    PhoneNumberEdit* numberEdit(int index) const { return numbers_.at(static_cast<std::size_t>(index)); }
    QCheckBox* internetBox() const { return internet_; }
    QLabel* noteLabel() const { return note_; }

protected:
    void setInputsEnabled(bool enabled) override;
    void showValues() override;
    bool takeValues() override;

private:
    ModemSettings shownSettings() const;
    void applyBackupRule();
    void showNote(bool internetAllowed);
    void internetClicked(bool allowed);
    QWidget* control(ModemControl control) const;

    ModemSettingsModel& model_;
    QRadioButton* disconnected_ = nullptr;
    QRadioButton* continuous_ = nullptr;
    QRadioButton* tcp_ = nullptr;
    QRadioButton* udp_ = nullptr;
    QRadioButton* memory_ = nullptr;
    QRadioButton* modem_ = nullptr;
    QRadioButton* memoryAndModem_ = nullptr;
    QCheckBox* sms_ = nullptr;
    QCheckBox* network_ = nullptr;
    DigitEdit* attempts_ = nullptr;
    QLineEdit* station_ = nullptr;
    IpAddressEdit* serverAddress_ = nullptr;
    DigitEdit* serverPort_ = nullptr;
    QCheckBox* backup_ = nullptr;
    IpAddressEdit* backupAddress_ = nullptr;
    DigitEdit* backupPort_ = nullptr;
    QLineEdit* apn_ = nullptr;
    QLineEdit* papLogin_ = nullptr;
    std::array<PhoneNumberEdit*, 6> numbers_{};
    QCheckBox* internet_ = nullptr;
    QLabel* note_ = nullptr;
    bool inputsEnabled_ = false;
};

// "Numer PIN karty SIM": write only. The field never shows the digits and
// is empty every time the dialog opens.
class PinDialog : public ConfigDialog {
    Q_OBJECT
public:
    PinDialog(PinModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);
    DigitEdit* pinEdit() const { return edit_; }

protected:
    void setInputsEnabled(bool) override {}
    void showValues() override;
    bool takeValues() override;
    void done(int result) override;

private:
    PinModel& model_;
    DigitEdit* edit_ = nullptr;
};

// "Zmiana hasła PAP": write only, like the PIN; the password is never read
// back from the panel nor kept anywhere but in the write.
class PapPasswordDialog : public ConfigDialog {
    Q_OBJECT
public:
    PapPasswordDialog(PapPasswordModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);
    QLineEdit* passwordEdit() const { return edit_; }

protected:
    void setInputsEnabled(bool) override {}
    void showValues() override;
    bool takeValues() override;
    void done(int result) override;

private:
    PapPasswordModel& model_;
    QLineEdit* edit_ = nullptr;
};

}  // namespace mr420
