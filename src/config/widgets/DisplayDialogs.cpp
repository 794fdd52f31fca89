#include "config/widgets/DisplayDialogs.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace mr420 {

namespace {

// A group box holding the given radio buttons, one under the other or side
// by side; the box keeps them exclusive.
QGroupBox* radioGroup(const QString& title, std::initializer_list<QRadioButton*> buttons, QWidget* parent,
                      Qt::Orientation orientation = Qt::Vertical) {
    auto* box = new QGroupBox(title, parent);
    QBoxLayout* layout = orientation == Qt::Vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box))
                                                     : static_cast<QBoxLayout*>(new QHBoxLayout(box));
    if (orientation == Qt::Horizontal) layout->setSpacing(QFontMetrics(box->font()).averageCharWidth() * 3);
    for (QRadioButton* b : buttons) layout->addWidget(b);
    layout->addStretch();
    return box;
}

}  // namespace

// --- "Ustawienia flag wyświetlania panelu" -----------------------------------------------

DisplayFlagsDialog::DisplayFlagsDialog(DisplayFlagsModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Ustawienia flag wyświetlania panelu"), boxes, parent), model_(model) {
    auto radio = [this](const QString& text) { return new QRadioButton(text, this); };
    using F3 = DisplayField3;
    using F4 = DisplayField4;
    using R = TemperatureResolution;
    field3_[static_cast<int>(F3::DewPoint)] = radio(tr("Punkt rosy"));
    field3_[static_cast<int>(F3::Pressure)] = radio(tr("Ciśnienie"));
    field4_[static_cast<int>(F4::DewPoint)] = radio(tr("Punkt rosy"));
    field4_[static_cast<int>(F4::Clock)] = radio(tr("Zegar"));
    field4_[static_cast<int>(F4::WaterVapour)] = radio(tr("Zawartość pary wodnej"));
    field4_[static_cast<int>(F4::PressureUnit)] = radio(tr("Jednostka ciśnienia"));
    unit_[static_cast<int>(PressureUnit::Hpa)] = radio(tr("hPa"));
    unit_[static_cast<int>(PressureUnit::MmHg)] = radio(tr("mmHg"));
    resolution_[static_cast<int>(R::Automatic)] = radio(tr("Auto"));
    resolution_[static_cast<int>(R::Tenth)] = radio(tr("0.1"));
    resolution_[static_cast<int>(R::Hundredth)] = radio(tr("0.01"));

    auto* grid = new QGridLayout;
    grid->addWidget(radioGroup(tr("Pole numer 3"), {field3Button(F3::DewPoint), field3Button(F3::Pressure)}, this),
                    0, 0);
    grid->addWidget(radioGroup(tr("Pole numer 4"),
                               {field4Button(F4::DewPoint), field4Button(F4::Clock), field4Button(F4::WaterVapour),
                                field4Button(F4::PressureUnit)},
                               this),
                    0, 1, 2, 1);
    grid->addWidget(radioGroup(tr("Jednostka ciśnienia"),
                               {unitButton(PressureUnit::Hpa), unitButton(PressureUnit::MmHg)}, this),
                    1, 0);
    grid->addWidget(radioGroup(tr("Rozdzielczość temperatury"),
                               {resolutionButton(R::Automatic), resolutionButton(R::Tenth),
                                resolutionButton(R::Hundredth)},
                               this, Qt::Horizontal),
                    2, 0, 1, 2);
    body()->addLayout(grid);
}

void DisplayFlagsDialog::setInputsEnabled(bool enabled) {
    for (QRadioButton* b : field3_) b->setEnabled(enabled);
    for (QRadioButton* b : field4_) b->setEnabled(enabled);
    for (QRadioButton* b : unit_) b->setEnabled(enabled);
    for (QRadioButton* b : resolution_) b->setEnabled(enabled);
}

void DisplayFlagsDialog::showValues() {
    const DisplayChoices& c = model_.choices();
    field3Button(c.field3)->setChecked(true);
    field4Button(c.field4)->setChecked(true);
    unitButton(c.pressureUnit)->setChecked(true);
    resolutionButton(c.resolution)->setChecked(true);
}

bool DisplayFlagsDialog::takeValues() {
    // Each group always has one button checked: showValues() checks one and
    // the user can only move the check within the group.
    DisplayChoices c;
    c.field3 = field3Button(DisplayField3::Pressure)->isChecked() ? DisplayField3::Pressure : DisplayField3::DewPoint;
    for (int i = 0; i < static_cast<int>(field4_.size()); ++i)
        if (field4_[i]->isChecked()) c.field4 = static_cast<DisplayField4>(i);
    c.pressureUnit = unitButton(PressureUnit::MmHg)->isChecked() ? PressureUnit::MmHg : PressureUnit::Hpa;
    if (resolutionButton(TemperatureResolution::Hundredth)->isChecked())
        c.resolution = TemperatureResolution::Hundredth;
    else if (resolutionButton(TemperatureResolution::Automatic)->isChecked())
        c.resolution = TemperatureResolution::Automatic;
    else
        c.resolution = TemperatureResolution::Tenth;
    model_.setChoices(c);
    return true;
}

// --- "Ustawienia wyświetlania historii na panelu" ----------------------------------------

HistoryDisplayDialog::HistoryDisplayDialog(HistoryDisplayModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Ustawienia wyświetlania historii na panelu"), boxes, parent), model_(model) {
    automatic_ = new QCheckBox(tr("Automatycznie (pomiary, które są aktualnie zapisywane)"), this);
    temperature1_ = new QCheckBox(tr("Temperatura 1"), this);
    temperature2_ = new QCheckBox(tr("Temperatura 2"), this);
    humidity_ = new QCheckBox(tr("Wilgotność względna"), this);
    pressure_ = new QCheckBox(tr("Ciśnienie"), this);
    body()->addWidget(automatic_);
    // The channels sit under the automatic box, indented: they apply when it is clear.
    auto* channels = new QVBoxLayout;
    channels->setContentsMargins(QFontMetrics(font()).averageCharWidth() * 4, 0, 0, 0);
    for (QCheckBox* b : {temperature1_, temperature2_, humidity_, pressure_}) channels->addWidget(b);
    body()->addLayout(channels);
    connect(automatic_, &QCheckBox::toggled, this, &HistoryDisplayDialog::applyEnablingRule);
}

HistoryChoices HistoryDisplayDialog::shownChoices() const {
    HistoryChoices c;
    c.automatic = automatic_->isChecked();
    c.temperature1 = temperature1_->isChecked();
    c.temperature2 = temperature2_->isChecked();
    c.relativeHumidity = humidity_->isChecked();
    c.pressure = pressure_->isChecked();
    return c;
}

void HistoryDisplayDialog::applyEnablingRule() {
    const bool channels = inputsEnabled_ && shownChoices().channelsEditable();
    for (QCheckBox* b : {temperature1_, temperature2_, humidity_, pressure_}) b->setEnabled(channels);
}

void HistoryDisplayDialog::setInputsEnabled(bool enabled) {
    inputsEnabled_ = enabled;
    automatic_->setEnabled(enabled);
    applyEnablingRule();
}

void HistoryDisplayDialog::showValues() {
    const HistoryChoices& c = model_.choices();
    automatic_->setChecked(c.automatic);
    temperature1_->setChecked(c.temperature1);
    temperature2_->setChecked(c.temperature2);
    humidity_->setChecked(c.relativeHumidity);
    pressure_->setChecked(c.pressure);
    applyEnablingRule();
}

bool HistoryDisplayDialog::takeValues() {
    // Locked channel boxes count as they stand.
    model_.setChoices(shownChoices());
    return true;
}

// --- "Informacje o panelu" -----------------------------------------------------------

namespace {

QPlainTextEdit* infoText(int lines, QWidget* parent) {
    auto* text = new QPlainTextEdit(parent);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    const QFontMetrics fm(text->font());
    const int frame = 2 * (text->frameWidth() + static_cast<int>(text->document()->documentMargin())) + 4;
    text->setMinimumWidth(fm.averageCharWidth() * 46 + frame);
    text->setFixedHeight(fm.lineSpacing() * lines + frame);
    return text;
}

}  // namespace

PanelInfoDialog::PanelInfoDialog(PanelInfoModel& model, MessageBoxes& boxes, QWidget* parent)
    : ConfigDialog(tr("Informacje o panelu"), boxes, parent), model_(model) {
    // The panel summary has at most seven lines; the probe's four end with a
    // line break, so a fifth (empty) line follows them.
    panel_ = infoText(7, this);
    probe_ = infoText(5, this);
    body()->addWidget(panel_);
    body()->addWidget(probe_);
    // Nothing to write: OK alone closes it.
    cancelButton()->hide();
}

void PanelInfoDialog::showValues() {
    panel_->setPlainText(QString::fromStdString(model_.panelText()));
    probe_->setPlainText(QString::fromStdString(model_.probeText()));
}

}  // namespace mr420
