#include "config/widgets/AlarmDialogs.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>

#include "base/NumberText.h"
#include "config/widgets/EntryFields.h"
#include "config/widgets/NumericEdit.h"

namespace mr420 {

namespace {

constexpr std::size_t at(AlarmChannel channel) { return static_cast<std::size_t>(channel); }

void setWidthInChars(QWidget* w, int chars) { w->setFixedWidth(QFontMetrics(w->font()).averageCharWidth() * chars + 12); }

// A one-decimal field for a threshold or hysteresis value.
NumericEdit* valueField(MessageBoxes& boxes, QWidget* parent) {
    auto* edit = new NumericEdit(boxes, parent);
    edit->setDecimals(1);
    setWidthInChars(edit, 8);
    return edit;
}

// A field that takes digits only (minutes, hours).
QLineEdit* digitsField(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setValidator(new DigitValidator(edit));
    setWidthInChars(edit, 4);
    return edit;
}

// The integer a digits field holds (an empty text reads 0).
std::int64_t digitsValue(const QLineEdit* edit) {
    return leadingDigits(edit->text().toStdString(), 1'000'000'000'000'000);
}

// Reads the field and, when it lies outside `range`, gives it the range's
// text for that side. The value read, or the limit it was moved to.
double holdWithin(NumericEdit* edit, const TenthsRange& range) {
    const double value = edit->readValue();
    if (const char* limit = range.correctionFor(value)) {
        edit->setText(QString::fromLatin1(limit));
        return range.clamp(tenthsFromDisplay(value)) / 10.0;
    }
    return value;
}

// Checks one of the two buttons, or neither: their exclusivity is lifted while
// they are set.
void showSwitch(QRadioButton* on, QRadioButton* off, AlarmSwitch alarm) {
    for (QRadioButton* b : {on, off}) b->setAutoExclusive(false);
    on->setChecked(alarm == AlarmSwitch::On);
    off->setChecked(alarm == AlarmSwitch::Off);
    for (QRadioButton* b : {on, off}) b->setAutoExclusive(true);
}

AlarmSwitch shownSwitch(const QRadioButton* on, const QRadioButton* off) {
    if (on->isChecked()) return AlarmSwitch::On;
    return off->isChecked() ? AlarmSwitch::Off : AlarmSwitch::Unset;
}

}  // namespace

// --- the eight threshold slots ---------------------------------------------------------

ThresholdSlotGroups::ThresholdSlotGroups(MessageBoxes& boxes, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    for (const bool upper : {false, true}) {
        auto* group = new QGroupBox(upper ? tr("Alarm górny") : tr("Alarm dolny"), this);
        auto* grid = new QGridLayout(group);
        for (int slot = 0; slot < kThresholdSlotCount; ++slot) {
            const ThresholdSlot& s = kThresholdSlots[static_cast<std::size_t>(slot)];
            if (s.upper != upper) continue;
            auto* box = new QCheckBox(channelCaption(s.channel), group);
            NumericEdit* field = valueField(boxes, group);
            const int line = static_cast<int>(s.channel);
            grid->addWidget(box, line, 0);
            grid->addWidget(field, line, 1);
            boxes_[static_cast<std::size_t>(slot)] = box;
            fields_[static_cast<std::size_t>(slot)] = field;
            const TenthsRange& range = thresholdRange(s.channel);
            connect(field, &QLineEdit::editingFinished, this, [field, &range] { holdWithin(field, range); });
        }
        row->addWidget(group);
    }
}

QString ThresholdSlotGroups::channelCaption(AlarmChannel channel) {
    switch (channel) {
    case AlarmChannel::Temperature1: return tr("Temperatura 1");
    case AlarmChannel::Temperature2: return tr("Temperatura 2");
    case AlarmChannel::RelativeHumidity: return tr("Wilgotność względna");
    case AlarmChannel::Pressure: return tr("Ciśnienie");
    }
    return {};
}

void ThresholdSlotGroups::setInputsEnabled(bool enabled) {
    for (QCheckBox* b : boxes_) b->setEnabled(enabled);
    for (NumericEdit* f : fields_) f->setEnabled(enabled);
}

void ThresholdSlotGroups::showValues(const AlarmThresholdSet& set) {
    for (int slot = 0; slot < kThresholdSlotCount; ++slot) {
        field(slot)->setValue(set.tenths(slot) / 10.0);
        box(slot)->setChecked(set.enabled(slot));
    }
}

void ThresholdSlotGroups::takeValues(AlarmThresholdSet& set) {
    for (int slot = 0; slot < kThresholdSlotCount; ++slot) {
        const ThresholdSlot& s = kThresholdSlots[static_cast<std::size_t>(slot)];
        set.setValue(slot, holdWithin(field(slot), thresholdRange(s.channel)));
        set.setEnabled(slot, box(slot)->isChecked());
    }
}

// --- "Ustawienia progów alarmowych modemu" ------------------------------------------------

ModemThresholdsDialog::ModemThresholdsDialog(ModemThresholdsModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Ustawienia progów alarmowych modemu"), boxes, parent), model_(model) {
    auto* repeat = new QHBoxLayout;
    repeat->addWidget(new QLabel(tr("Czas powtarzania alarmu"), this));
    hours_ = digitsField(this);
    repeat->addWidget(hours_);
    repeat->addWidget(new QLabel(tr("h"), this));
    minutes_ = digitsField(this);
    repeat->addWidget(minutes_);
    repeat->addWidget(new QLabel(tr("min"), this));
    repeat->addStretch();
    body()->addLayout(repeat);
    body()->addWidget(new QLabel(tr("Czas powtarzania alarmu zostanie zapisany z rozdzielczością 10 minut"), this));

    slots_ = new ThresholdSlotGroups(boxes, this);
    body()->addWidget(slots_);

    auto* group = new QGroupBox(tr("Histereza"), this);
    auto* grid = new QGridLayout(group);
    for (int c = 0; c < kAlarmChannelCount; ++c) {
        const auto channel = static_cast<AlarmChannel>(c);
        NumericEdit* field = valueField(boxes, group);
        grid->addWidget(new QLabel(ThresholdSlotGroups::channelCaption(channel), group), 0, c);
        grid->addWidget(field, 1, c);
        hysteresis_[at(channel)] = field;
        const TenthsRange& range = hysteresisRange(channel);
        connect(field, &QLineEdit::editingFinished, this, [field, &range] { holdWithin(field, range); });
    }
    body()->addWidget(group);

    connect(hours_, &QLineEdit::editingFinished, this, &ModemThresholdsDialog::hoursLeft);
    connect(minutes_, &QLineEdit::editingFinished, this, &ModemThresholdsDialog::minutesLeft);
}

void ModemThresholdsDialog::hoursLeft() {
    const std::int64_t hours = digitsValue(hours_);
    if (hours != limitRepeatHours(hours)) hours_->setText(QString::number(limitRepeatHours(hours)));
}

void ModemThresholdsDialog::minutesLeft() {
    minutes_->setText(QString::number(normaliseRepeatMinutes(digitsValue(minutes_))));
}

void ModemThresholdsDialog::setInputsEnabled(bool enabled) {
    slots_->setInputsEnabled(enabled);
    for (NumericEdit* f : hysteresis_) f->setEnabled(enabled);
    hours_->setEnabled(enabled);
    minutes_->setEnabled(enabled);
}

void ModemThresholdsDialog::showValues() {
    slots_->showValues(model_.thresholds());
    for (int c = 0; c < kAlarmChannelCount; ++c)
        hysteresis_[static_cast<std::size_t>(c)]->setValue(model_.hysteresis(static_cast<AlarmChannel>(c)) / 10.0);
    hours_->setText(QString::number(model_.repeatTime().hours));
    minutes_->setText(QString::number(model_.repeatTime().minutes));
}

bool ModemThresholdsDialog::takeValues() {
    slots_->takeValues(model_.thresholds());
    for (int c = 0; c < kAlarmChannelCount; ++c) {
        const auto channel = static_cast<AlarmChannel>(c);
        model_.setHysteresis(channel, holdWithin(hysteresisField(channel), hysteresisRange(channel)));
    }
    model_.setRepeatTime(digitsValue(hours_), digitsValue(minutes_));
    return true;
}

// --- "Sygnalizacja przekroczeń" ------------------------------------------------------------

ExceedanceDialog::ExceedanceDialog(ExceedanceModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Sygnalizacja przekroczeń"), boxes, parent), model_(model) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Czas odraczania sygnalizacji alarmu"), this));
    deferral_ = digitsField(this);
    row->addWidget(deferral_);
    row->addWidget(new QLabel(tr("min"), this));
    row->addStretch();
    body()->addLayout(row);
    slots_ = new ThresholdSlotGroups(boxes, this);
    body()->addWidget(slots_);
    connect(deferral_, &QLineEdit::editingFinished, this, &ExceedanceDialog::deferralLeft);
}

void ExceedanceDialog::deferralLeft() { deferral_->setText(QString::number(limitDeferral(digitsValue(deferral_)))); }

void ExceedanceDialog::setInputsEnabled(bool enabled) {
    slots_->setInputsEnabled(enabled);
    deferral_->setEnabled(enabled);
}

void ExceedanceDialog::showValues() {
    slots_->showValues(model_.thresholds());
    deferral_->setText(QString::number(model_.deferral()));
}

bool ExceedanceDialog::takeValues() {
    slots_->takeValues(model_.thresholds());
    model_.setDeferral(digitsValue(deferral_));
    return true;
}

// --- "Bateria" -------------------------------------------------------------------------------

BatteryAlarmDialog::BatteryAlarmDialog(BatteryAlarmModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Bateria"), boxes, parent), model_(model) {
    body()->addWidget(new QLabel(tr("Alarmowanie o niskim poziomie baterii:"), this));
    on_ = new QRadioButton(tr("włączone"), this);
    off_ = new QRadioButton(tr("wyłączone"), this);
    body()->addWidget(on_);
    body()->addWidget(off_);
}

void BatteryAlarmDialog::setInputsEnabled(bool enabled) {
    on_->setEnabled(enabled);
    off_->setEnabled(enabled);
}

void BatteryAlarmDialog::showValues() { showSwitch(on_, off_, model_.alarm()); }

bool BatteryAlarmDialog::takeValues() {
    model_.setAlarm(shownSwitch(on_, off_));
    return true;
}

// --- "Sygnalizacja zaniku zasilania" ---------------------------------------------------------

PowerLossDialog::PowerLossDialog(PowerLossModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Sygnalizacja zaniku zasilania"), boxes, parent), model_(model) {
    body()->addWidget(new QLabel(tr("Alarmowanie o zaniku zasilania:"), this));
    on_ = new QRadioButton(tr("włączone"), this);
    off_ = new QRadioButton(tr("wyłączone"), this);
    body()->addWidget(on_);
    body()->addWidget(off_);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Opóźnienie"), this));
    delay_ = digitsField(this);
    row->addWidget(delay_);
    row->addWidget(new QLabel(tr("minut"), this));
    row->addStretch();
    body()->addLayout(row);
    connect(on_, &QRadioButton::clicked, delay_, [this] { delay_->setEnabled(true); });
    connect(off_, &QRadioButton::clicked, delay_, [this] { delay_->setEnabled(false); });
}

void PowerLossDialog::setInputsEnabled(bool enabled) {
    on_->setEnabled(enabled);
    off_->setEnabled(enabled);
    // Until the settings arrive the delay field stays open; after, it follows
    // the switch.
    delay_->setEnabled(!enabled || on_->isChecked());
}

void PowerLossDialog::showValues() {
    showSwitch(on_, off_, model_.alarm());
    delay_->setText(QString::number(model_.delayField()));
}

bool PowerLossDialog::takeValues() {
    model_.setAlarm(shownSwitch(on_, off_));
    model_.setDelayField(digitsValue(delay_));
    if (const UserMessage refused = model_.accept()) {
        showMessage(refused);
        return false;
    }
    return true;
}

}  // namespace mr420
