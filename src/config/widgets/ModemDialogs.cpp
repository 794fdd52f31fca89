#include "config/widgets/ModemDialogs.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>
#include <QVBoxLayout>

#include "base/NumberText.h"
#include "base/StringTable.h"
#include "base/widgets/MessageBoxes.h"
#include "config/widgets/EntryFields.h"

namespace mr420 {

namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

// Drops every character a phone number cannot hold, so that a pasted
// "+48 600-100-200" arrives as "48600100200".
class PhoneNumberValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        QString kept;
        int keptPos = pos;
        for (int i = 0; i < input.size(); ++i) {
            if (phoneNumberCharacter(input.at(i).unicode()))
                kept += input.at(i);
            else if (i < pos)
                --keptPos;
        }
        input = kept;
        pos = keptPos;
        return Acceptable;
    }
};

class Ipv4Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return ipv4FieldText(input.toStdString()) ? Acceptable : Invalid;
    }
};

// A group box holding the given buttons one under the other.
QGroupBox* buttonGroup(const QString& title, std::initializer_list<QWidget*> buttons, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    for (QWidget* b : buttons) layout->addWidget(b);
    layout->addStretch();
    return box;
}

// An address field and its port field, side by side with ":" between them.
QHBoxLayout* addressRow(IpAddressEdit* address, DigitEdit* port, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->addWidget(address, 3);
    row->addWidget(new QLabel(QStringLiteral(":"), parent));
    row->addWidget(port, 1);
    return row;
}

}  // namespace

// --- entry fields -------------------------------------------------------------------

DigitEdit::DigitEdit(long long maximum, QWidget* parent) : QLineEdit(parent) {
    setValidator(new DigitValidator(this, maximum));
}

long long DigitEdit::value() const { return leadingDigits(text().toStdString()); }

void DigitEdit::setValue(long long value) { setText(QString::number(value)); }

PhoneNumberEdit::PhoneNumberEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new PhoneNumberValidator(this));
}

void PhoneNumberEdit::keyPressEvent(QKeyEvent* event) {
    if (!ignoreRefusedKey(event, phoneNumberCharacter)) QLineEdit::keyPressEvent(event);
}

IpAddressEdit::IpAddressEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new Ipv4Validator(this));
    // Leaving the field shows the address it means, all four octets.
    connect(this, &QLineEdit::editingFinished, this, [this] { setAddress(address()); });
}

Ipv4Address IpAddressEdit::address() const { return ipv4FieldValue(text().toStdString()).value_or(Ipv4Address{}); }

void IpAddressEdit::setAddress(const Ipv4Address& address) {
    const QString shown = fromStd(formatIpv4(address));
    if (shown != text()) setText(shown);
}

// --- "Ustawienia modemu" -----------------------------------------------------------

ModemSettingsDialog::ModemSettingsDialog(ModemSettingsModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Ustawienia modemu"), boxes, parent), model_(model) {
    disconnected_ = new QRadioButton(tr("Rozłączane"), this);
    continuous_ = new QRadioButton(tr("Ciągłe"), this);
    tcp_ = new QRadioButton(tr("TCP"), this);
    udp_ = new QRadioButton(tr("UDP"), this);
    memory_ = new QRadioButton(tr("Pamięć"), this);
    modem_ = new QRadioButton(tr("Modem"), this);
    memoryAndModem_ = new QRadioButton(tr("Pamięć+Modem"), this);
    sms_ = new QCheckBox(tr("SMS"), this);
    network_ = new QCheckBox(tr("Sieć"), this);

    auto* groups = new QHBoxLayout;
    groups->addWidget(buttonGroup(tr("Połączenia PPP"), {disconnected_, continuous_}, this));
    groups->addWidget(buttonGroup(tr("Protokół"), {tcp_, udp_}, this));
    groups->addWidget(buttonGroup(tr("Urządzenia rejestrujące"), {memory_, modem_, memoryAndModem_}, this));
    groups->addWidget(buttonGroup(tr("Alarmowanie"), {sms_, network_}, this));
    body()->addLayout(groups);

    // The attempts go out as four hexadecimal digits, like the ports.
    attempts_ = new DigitEdit(ModemSettingsModel::kMaxPort, this);
    station_ = new QLineEdit(this);
    serverAddress_ = new IpAddressEdit(this);
    serverPort_ = new DigitEdit(ModemSettingsModel::kMaxPort, this);
    backup_ = new QCheckBox(tr("Aktywny zapasowy serwer"), this);
    backupAddress_ = new IpAddressEdit(this);
    backupPort_ = new DigitEdit(ModemSettingsModel::kMaxPort, this);
    apn_ = new QLineEdit(this);
    papLogin_ = new QLineEdit(this);
    for (PhoneNumberEdit*& number : numbers_) number = new PhoneNumberEdit(this);
    internet_ = new QCheckBox(tr("Zezwolenie na połączenia GPRS/Internet"), this);
    note_ = new QLabel(this);
    note_->setWordWrap(true);
    // Room for the note's two lines, so that the dialog keeps its size when it empties.
    note_->setMinimumHeight(QFontMetrics(note_->font()).lineSpacing() * 2);

    auto* grid = new QGridLayout;
    int row = 0;
    auto caption = [&](const QString& text, QLayoutItem* field) {
        grid->addWidget(new QLabel(text, this), row, 0);
        grid->addItem(field, row++, 1);
    };
    auto widgetItem = [](QWidget* w) { return new QWidgetItem(w); };
    // The SMS numbers carry their country code after a "+" shown before the field.
    auto numberItem = [this](PhoneNumberEdit* edit) {
        auto* r = new QHBoxLayout;
        r->addWidget(new QLabel(QStringLiteral("+"), this));
        r->addWidget(edit);
        return r;
    };
    caption(tr("Maksymalna liczba prób zestawienia połączenia w ciągu 24 godzin"), widgetItem(attempts_));
    caption(tr("Nazwa stacji"), widgetItem(station_));
    caption(tr("IP : Port"), addressRow(serverAddress_, serverPort_, this));
    grid->addWidget(backup_, row++, 0, 1, 2);
    caption(tr("IP : Port serwera zapasowego"), addressRow(backupAddress_, backupPort_, this));
    caption(tr("APN"), widgetItem(apn_));
    caption(tr("PAP login"), widgetItem(papLogin_));
    caption(tr("Centrala"), numberItem(numbers_[0]));
    for (int i = 1; i <= 5; ++i) caption(tr("Numer %1").arg(i), numberItem(numbers_[static_cast<std::size_t>(i)]));
    grid->addWidget(internet_, row++, 0, 1, 2);
    grid->addWidget(note_, row++, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    body()->addLayout(grid);

    connect(backup_, &QCheckBox::toggled, this, &ModemSettingsDialog::applyBackupRule);
    connect(internet_, &QCheckBox::clicked, this, &ModemSettingsDialog::internetClicked);
    // Leaving a text field the user changed keeps its first word only; the
    // panel's text stays as the panel holds it.
    const std::pair<QLineEdit*, std::string ModemSettings::*> texts[] = {
        {station_, &ModemSettings::stationName}, {apn_, &ModemSettings::apn}, {papLogin_, &ModemSettings::papLogin}};
    for (const auto& [edit, field] : texts) {
        connect(edit, &QLineEdit::editingFinished, this, [this, edit = edit, field = field] {
            const std::string text = edit->text().toStdString();
            if (text == model_.panelSettings().*field) return;
            const QString cleaned = fromStd(cleanUpText(text));
            if (cleaned != edit->text()) edit->setText(cleaned);
        });
    }
}

void ModemSettingsDialog::setInputsEnabled(bool enabled) {
    inputsEnabled_ = enabled;
    for (QWidget* w : std::initializer_list<QWidget*>{disconnected_, continuous_, tcp_, udp_, memory_, modem_,
                                                      memoryAndModem_, sms_, network_, internet_, station_,
                                                      serverAddress_, serverPort_, apn_, papLogin_})
        w->setEnabled(enabled);
    for (PhoneNumberEdit* number : numbers_) number->setEnabled(enabled);
    const bool backupServer = enabled && model_.backupServerSupported();
    attempts_->setEnabled(backupServer);
    backup_->setEnabled(backupServer);
    applyBackupRule();
}

void ModemSettingsDialog::applyBackupRule() {
    const bool on = inputsEnabled_ && model_.backupServerSupported() && backup_->isChecked();
    backupAddress_->setEnabled(on);
    backupPort_->setEnabled(on);
}

void ModemSettingsDialog::showNote(bool internetAllowed) {
    const UserMessage note = ModemSettingsModel::internetNote(internetAllowed);
    note_->setText(note ? fromStd(str(note.stringId)) : QString());
}

void ModemSettingsDialog::internetClicked(bool allowed) {
    showNote(allowed);
    showMessage(ModemSettingsModel::internetPermissionChanged(allowed));
}

void ModemSettingsDialog::showValues() {
    const ModemSettings& s = model_.shown();
    (s.options.pppKept ? continuous_ : disconnected_)->setChecked(true);
    (s.options.udp ? udp_ : tcp_)->setChecked(true);
    switch (s.options.devices) {
    case RecordingDevices::Memory: memory_->setChecked(true); break;
    case RecordingDevices::Modem: modem_->setChecked(true); break;
    case RecordingDevices::MemoryAndModem: memoryAndModem_->setChecked(true); break;
    }
    sms_->setChecked(s.options.alarmSms);
    network_->setChecked(s.options.alarmNetwork);
    for (std::size_t i = 0; i < numbers_.size(); ++i) numbers_[i]->setText(fromStd(s.smsNumbers[i]));
    serverAddress_->setAddress(s.serverAddress);
    serverPort_->setValue(s.serverPort);
    if (model_.backupServerSupported()) {
        backupAddress_->setAddress(s.backupAddress);
        backupPort_->setValue(s.backupPort);
        attempts_->setValue(s.attempts);
    } else {
        backupAddress_->clear();
        backupPort_->clear();
        attempts_->clear();
    }
    backup_->setChecked(s.backupActive);
    station_->setText(fromStd(s.stationName));
    apn_->setText(fromStd(s.apn));
    papLogin_->setText(fromStd(s.papLogin));
    internet_->setChecked(s.internetAllowed);
    showNote(s.internetAllowed);
    applyBackupRule();
}

ModemSettings ModemSettingsDialog::shownSettings() const {
    ModemSettings s;
    s.options.pppKept = continuous_->isChecked();
    s.options.udp = udp_->isChecked();
    s.options.devices = modem_->isChecked()    ? RecordingDevices::Modem
                        : memory_->isChecked() ? RecordingDevices::Memory
                                               : RecordingDevices::MemoryAndModem;
    s.options.alarmSms = sms_->isChecked();
    s.options.alarmNetwork = network_->isChecked();
    for (std::size_t i = 0; i < numbers_.size(); ++i) s.smsNumbers[i] = numbers_[i]->text().toStdString();
    s.serverAddress = serverAddress_->address();
    s.serverPort = serverPort_->value();
    s.backupActive = backup_->isChecked();
    s.backupAddress = backupAddress_->address();
    s.backupPort = backupPort_->value();
    s.attempts = attempts_->value();
    s.stationName = station_->text().toStdString();
    s.apn = apn_->text().toStdString();
    s.papLogin = papLogin_->text().toStdString();
    s.internetAllowed = internet_->isChecked();
    return s;
}

QWidget* ModemSettingsDialog::control(ModemControl control) const {
    switch (control) {
    case ModemControl::BackupServerActive: return backup_;
    case ModemControl::BackupPort: return backupPort_;
    case ModemControl::Attempts: return attempts_;
    case ModemControl::StationName: return station_;
    case ModemControl::Apn: return apn_;
    case ModemControl::PapLogin: return papLogin_;
    case ModemControl::None: break;
    }
    return nullptr;
}

bool ModemSettingsDialog::takeValues() {
    model_.shown() = shownSettings();
    if (const UserMessage refused = model_.accept()) {
        showMessage(refused);
        if (QWidget* w = control(model_.refusedControl())) w->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

// --- "Numer PIN karty SIM" ----------------------------------------------------------

PinDialog::PinDialog(PinModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Numer PIN karty SIM"), boxes, parent), model_(model) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Numer PIN"), this));
    edit_ = new DigitEdit(-1, this);
    edit_->setEchoMode(QLineEdit::Password);
    row->addWidget(edit_);
    body()->addLayout(row);
}

void PinDialog::showValues() {
    edit_->clear();
    edit_->setFocus(Qt::OtherFocusReason);
}

bool PinDialog::takeValues() {
    model_.setText(edit_->text().toStdString());
    if (const UserMessage refused = model_.accept()) {
        showMessage(refused);
        return false;
    }
    // No keeps the dialog open.
    return boxes().ask(this, fromStd(str(PinModel::confirmation().stringId)), BoxIcon::Warning);
}

void PinDialog::done(int result) {
    edit_->clear();
    ConfigDialog::done(result);
}

// --- "Zmiana hasła PAP" -------------------------------------------------------------

PapPasswordDialog::PapPasswordDialog(PapPasswordModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Zmiana hasła PAP"), boxes, parent), model_(model) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Hasło użytkownika PAP"), this));
    edit_ = new QLineEdit(this);
    edit_->setEchoMode(QLineEdit::Password);
    row->addWidget(edit_);
    body()->addLayout(row);
}

void PapPasswordDialog::showValues() {
    edit_->clear();
    edit_->setFocus(Qt::OtherFocusReason);
}

bool PapPasswordDialog::takeValues() {
    model_.setText(edit_->text().toStdString());
    if (const UserMessage refused = model_.accept()) {
        showMessage(refused);
        return false;
    }
    return boxes().ask(this, fromStd(str(PapPasswordModel::confirmation().stringId)), BoxIcon::Warning);
}

void PapPasswordDialog::done(int result) {
    edit_->clear();
    ConfigDialog::done(result);
}

}  // namespace mr420
