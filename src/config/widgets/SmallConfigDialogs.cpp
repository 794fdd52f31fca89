#include "config/widgets/SmallConfigDialogs.h"

#include <QCalendarWidget>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>

#include "config/widgets/NumericEdit.h"

namespace mr420 {

// --- "Data i czas" -------------------------------------------------------------

ClockDialog::ClockDialog(ClockModel& model, const PanelState& state, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Data i czas"), boxes, parent), model_(model), state_(state), pcClock_(localTimeNow) {
    auto* form = new QFormLayout;
    calendar_ = new QCalendarWidget(this);
    calendar_->setGridVisible(true);
    form->addRow(tr("Data:"), calendar_);
    auto* timeRow = new QHBoxLayout;
    time_ = new QTimeEdit(this);
    time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    timeRow->addWidget(time_);
    pcTime_ = new QPushButton(tr("Czas PC"), this);
    timeRow->addWidget(pcTime_);
    timeRow->addStretch();
    form->addRow(tr("Czas:"), timeRow);
    body()->addLayout(form);

    follow_.setInterval(kPanelFollowTimerMs);
    connect(&follow_, &QTimer::timeout, this, &ClockDialog::followStep);
    connect(pcTime_, &QPushButton::clicked, this, &ClockDialog::usePcTime);
    // A time the user sets stops the following; a date alone does not.
    connect(time_, &QTimeEdit::timeChanged, this, [this] {
        if (!showing_) model_.stopFollowing();
    });
}

void ClockDialog::showValues() {
    followStep();
    follow_.start();
}

void ClockDialog::followStep() {
    const LocalTime source = model_.source() == ClockModel::Source::Pc ? pcClock_() : state_.panelClock;
    if (model_.follow(source)) showKept();
}

void ClockDialog::showKept() {
    const LocalTime& t = model_.kept();
    showing_ = true;
    calendar_->setSelectedDate(QDate(t.year, t.month, t.day));
    time_->setTime(QTime(t.hour, t.minute, t.second));
    showing_ = false;
}

void ClockDialog::usePcTime() {
    if (!model_.followPc()) return;
    model_.follow(pcClock_());
    showKept();
}

bool ClockDialog::takeValues() {
    const QDate d = calendar_->selectedDate();
    const QTime t = time_->time();
    model_.setTime({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()});
    if (const UserMessage refused = model_.accept()) {
        showMessage(refused);
        return false;
    }
    return true;
}

void ClockDialog::done(int result) {
    follow_.stop();
    ConfigDialog::done(result);
}

// --- "Ustawienie czasu autowyłączania" -------------------------------------------

AutoOffDialog::AutoOffDialog(AutoOffModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Ustawienie czasu autowyłączania"), boxes, parent), model_(model) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Czas autowyłączania"), this));
    time_ = new QTimeEdit(this);
    time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    time_->setTimeRange(QTime(0, 0, 0), QTime(0, AutoOffModel::kMaxSeconds / 60, AutoOffModel::kMaxSeconds % 60));
    row->addWidget(time_);
    row->addStretch();
    body()->addLayout(row);
    body()->addWidget(new QLabel(tr("Czas zostanie ustawiony z rozdzielczością 5 sekund"), this));
}

void AutoOffDialog::setInputsEnabled(bool enabled) { time_->setEnabled(enabled); }

void AutoOffDialog::showValues() {
    const int s = model_.seconds();
    time_->setTime(QTime(0, s / 60, s % 60));
}

bool AutoOffDialog::takeValues() {
    const QTime t = time_->time();
    // The range keeps the hours at 0.
    model_.setSeconds(t.minute() * 60 + t.second());
    return true;
}

// --- "Ustawienie ciśnienia domyślnego" -------------------------------------------

DefaultPressureDialog::DefaultPressureDialog(DefaultPressureModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Ustawienie ciśnienia domyślnego"), boxes, parent), model_(model) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Ciśnienie domyślne"), this));
    edit_ = new NumericEdit(boxes, this);
    edit_->setDecimals(0);
    row->addWidget(edit_);
    row->addWidget(new QLabel(tr("hPa"), this));
    row->addStretch();
    body()->addLayout(row);
    body()->addWidget(new QLabel(tr("Ciśnienie zostanie zapisane z rozdzielczością 2 hPa"), this));
    connect(edit_, &QLineEdit::editingFinished, this, &DefaultPressureDialog::applyLimits);
}

void DefaultPressureDialog::setInputsEnabled(bool enabled) { edit_->setEnabled(enabled); }

void DefaultPressureDialog::showValues() { edit_->setValue(model_.hpa()); }

void DefaultPressureDialog::applyLimits() {
    // Leaving the field: the value is read and held within the range.
    const double value = edit_->readValue();
    if (value > DefaultPressureModel::kMaxHpa) edit_->setValue(DefaultPressureModel::kMaxHpa);
    if (value < DefaultPressureModel::kMinHpa) edit_->setValue(DefaultPressureModel::kMinHpa);
}

bool DefaultPressureDialog::takeValues() {
    model_.setHpa(edit_->readValue());
    return true;
}

}  // namespace mr420
