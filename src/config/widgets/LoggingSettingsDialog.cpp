#include "config/widgets/LoggingSettingsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include <algorithm>

#include "base/NumberText.h"
#include "config/widgets/EntryFields.h"

namespace mr420 {

// --- the interval field -----------------------------------------------------------

IntervalSpinBox::IntervalSpinBox(int maximum, QWidget* parent) : QAbstractSpinBox(parent), maximum_(maximum) {
    setAlignment(Qt::AlignRight);
    lineEdit()->setText(QStringLiteral("0"));
}

QValidator::State IntervalSpinBox::validate(QString& input, int&) const {
    // Only digits reach the field; an empty field is allowed while typing.
    return digitFieldState(input);
}

QAbstractSpinBox::StepEnabled IntervalSpinBox::stepEnabled() const {
    if (isReadOnly() || !isEnabled()) return StepNone;
    const int value = leadingNumber(lineEdit()->text().toStdString());
    StepEnabled steps = StepNone;
    if (value < maximum_) steps |= StepUpEnabled;
    if (value > 0) steps |= StepDownEnabled;
    return steps;
}

void IntervalSpinBox::stepBy(int steps) {
    const long long value = leadingNumber(lineEdit()->text().toStdString()) + static_cast<long long>(steps);
    lineEdit()->setText(QString::number(std::clamp<long long>(value, 0, maximum_)));
    selectAll();
}

QSize IntervalSpinBox::sizeHint() const {
    ensurePolished();
    // Room for three digits and the caret, plus the frame and the buttons.
    const QSize text(fontMetrics().horizontalAdvance(QStringLiteral("000")) + 6, lineEdit()->sizeHint().height());
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}

QSize IntervalSpinBox::minimumSizeHint() const { return sizeHint(); }

// --- "Ustawienia rejestracji" ------------------------------------------------------

LoggingSettingsDialog::LoggingSettingsDialog(LoggingSettingsModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Ustawienia rejestracji"), boxes, parent), model_(model) {
    logging_ = new QCheckBox(tr("Zapisuj pomiary do pamięci"), this);
    body()->addWidget(logging_);

    // Interval: a column caption above each field.
    auto* interval = new QGridLayout;
    intervalCaption_ = new QLabel(tr("Interwał rejestracji"), this);
    interval->addWidget(intervalCaption_, 1, 0);
    fieldCaptions_ = {new QLabel(tr("dni"), this), new QLabel(tr("godziny"), this), new QLabel(tr("minuty"), this)};
    for (const LoggingField f : {LoggingField::Days, LoggingField::Hours, LoggingField::Minutes}) {
        const int column = static_cast<int>(index(f)) + 1;
        auto* field = new IntervalSpinBox(LoggingSettingsModel::maximum(f), this);
        fields_[index(f)] = field;
        fieldCaptions_[index(f)]->setBuddy(field);
        interval->addWidget(fieldCaptions_[index(f)], 0, column, Qt::AlignHCenter | Qt::AlignBottom);
        interval->addWidget(field, 1, column);
        connect(field->edit(), &QLineEdit::textChanged, this, [this, f] { fieldTextChanged(f); });
        connect(field, &QAbstractSpinBox::editingFinished, this, [this, f] { fieldLeft(f); });
    }
    interval->setColumnStretch(4, 1);
    interval->setContentsMargins(20, 0, 0, 0);   // under the box that enables it
    body()->addLayout(interval);

    // Channels, with the two columns of the memory read-out under them.
    auto* channels = new QGroupBox(this);
    auto* grid = new QGridLayout(channels);
    temperature1_ = new QCheckBox(tr("Temperatura 1"), channels);
    humidity_ = new QCheckBox(tr("Wilgotność względna"), channels);
    dewPoint_ = new QCheckBox(tr("Punkt rosy"), channels);
    temperature2_ = new QCheckBox(tr("Temperatura 2"), channels);
    pressure_ = new QCheckBox(tr("Ciśnienie"), channels);
    vapour_ = new QCheckBox(tr("Zawartość pary wodnej"), channels);
    grid->addWidget(temperature1_, 0, 0);
    grid->addWidget(humidity_, 1, 0);
    grid->addWidget(dewPoint_, 2, 0);
    grid->addWidget(temperature2_, 0, 1);
    grid->addWidget(pressure_, 1, 1);
    grid->addWidget(vapour_, 2, 1);
    body()->addWidget(channels);

    // Temperature range and resolution; the button ids are the enum values.
    auto* temperature = new QHBoxLayout;
    auto* rangeBox = new QGroupBox(tr("Zakres temperatury"), this);
    auto* rangeLayout = new QVBoxLayout(rangeBox);
    range_ = {new QRadioButton(tr("Auto"), rangeBox), new QRadioButton(tr("-40...+85"), rangeBox),
              new QRadioButton(tr("-200...+550"), rangeBox)};
    rangeGroup_ = new QButtonGroup(this);
    const LoggingRange ranges[] = {LoggingRange::Auto, LoggingRange::Narrow, LoggingRange::Wide};
    for (const LoggingRange r : ranges) {
        rangeGroup_->addButton(rangeButton(r), static_cast<int>(r));
        rangeLayout->addWidget(rangeButton(r));
    }
    temperature->addWidget(rangeBox);
    auto* resolutionBox = new QGroupBox(tr("Rozdzielczość temperatury"), this);
    auto* resolutionLayout = new QVBoxLayout(resolutionBox);
    resolution_ = {new QRadioButton(tr("Auto"), resolutionBox), new QRadioButton(tr("0.1"), resolutionBox),
                   new QRadioButton(tr("0.01"), resolutionBox)};
    resolutionGroup_ = new QButtonGroup(this);
    const LoggingResolution resolutions[] = {LoggingResolution::Auto, LoggingResolution::Tenths,
                                                 LoggingResolution::Hundredths};
    for (const LoggingResolution r : resolutions) {
        resolutionGroup_->addButton(resolutionButton(r), static_cast<int>(r));
        resolutionLayout->addWidget(resolutionButton(r));
    }
    temperature->addWidget(resolutionBox);
    body()->addLayout(temperature);

    overwrite_ = new QCheckBox(tr("Nadpisywanie"), this);
    body()->addWidget(overwrite_);

    // Each control hands its value to the model as the user changes it.
    auto onToggle = [this](QCheckBox* box, auto apply) {
        connect(box, &QCheckBox::toggled, this, [this, apply](bool on) {
            if (showing_) return;
            apply(on);
            showColumnBoxes();
            updateEnabling();
        });
    };
    onToggle(logging_, [this](bool on) { model_.setLoggingOn(on); });
    onToggle(temperature1_, [this](bool on) { model_.setTemperature1(on); });
    onToggle(humidity_, [this](bool on) { model_.setHumidity(on); });
    onToggle(pressure_, [this](bool on) { model_.setPressure(on); });
    onToggle(temperature2_, [this](bool on) { model_.setTemperature2(on); });
    onToggle(dewPoint_, [this](bool on) { model_.setDewPointBox(on); });
    onToggle(vapour_, [this](bool on) { model_.setVapourBox(on); });
    onToggle(overwrite_, [this](bool on) { model_.setOverwrite(on); });
    connect(rangeGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!showing_ && checked) model_.setRange(static_cast<LoggingRange>(id));
    });
    connect(resolutionGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!showing_ && checked) model_.setResolution(static_cast<LoggingResolution>(id));
    });
}

void LoggingSettingsDialog::setInputsEnabled(bool enabled) {
    inputsEnabled_ = enabled;
    updateEnabling();
}

void LoggingSettingsDialog::updateEnabling() {
    // Until the settings arrive nothing can be edited: the reply would
    // overwrite it.
    const bool on = inputsEnabled_;
    logging_->setEnabled(on);
    const bool interval = on && model_.intervalFieldsEnabled();
    intervalCaption_->setEnabled(interval);
    for (QLabel* caption : fieldCaptions_) caption->setEnabled(interval);
    for (IntervalSpinBox* field : fields_) field->setEnabled(interval);
    for (QCheckBox* box : {temperature1_, humidity_, pressure_, overwrite_}) box->setEnabled(on);
    temperature2_->setEnabled(on && model_.temperature2Available());
    dewPoint_->setEnabled(on && model_.columnBoxesEnabled());
    vapour_->setEnabled(on && model_.columnBoxesEnabled());
    for (QRadioButton* button : range_) button->setEnabled(on);
    for (QRadioButton* button : resolution_) button->setEnabled(on);
}

void LoggingSettingsDialog::showColumnBoxes() {
    const bool wasShowing = showing_;
    showing_ = true;
    dewPoint_->setChecked(model_.dewPointBox());
    vapour_->setChecked(model_.vapourBox());
    showing_ = wasShowing;
}

void LoggingSettingsDialog::showValues() {
    showing_ = true;
    logging_->setChecked(model_.loggingOn());
    for (const LoggingField f : {LoggingField::Days, LoggingField::Hours, LoggingField::Minutes})
        fields_[index(f)]->edit()->setText(QString::fromStdString(model_.fieldText(f)));
    temperature1_->setChecked(model_.temperature1());
    humidity_->setChecked(model_.humidity());
    pressure_->setChecked(model_.pressure());
    temperature2_->setChecked(model_.temperature2());
    overwrite_->setChecked(model_.overwrite());
    rangeButton(model_.range())->setChecked(true);
    resolutionButton(model_.resolution())->setChecked(true);
    showColumnBoxes();
    showing_ = false;
}

void LoggingSettingsDialog::fieldTextChanged(LoggingField f) {
    if (showing_) return;
    QLineEdit* edit = fields_[index(f)]->edit();
    if (const auto text = model_.fieldTextChanged(f, edit->text().toStdString()))
        edit->setText(QString::fromStdString(*text));
}

void LoggingSettingsDialog::fieldLeft(LoggingField f) {
    QLineEdit* edit = fields_[index(f)]->edit();
    if (const auto text = model_.fieldLeft(f, edit->text().toStdString())) edit->setText(QString::fromStdString(*text));
}

bool LoggingSettingsDialog::takeValues() {
    if (const UserMessage refused = model_.accept()) {
        showMessage(refused);
        return false;
    }
    return true;
}

}  // namespace mr420
