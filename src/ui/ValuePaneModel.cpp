#include "ui/ValuePaneModel.h"

namespace mr420 {

void ValuePaneModel::repaint() {
    if (listener_) listener_->repaintNow();
}

void ValuePaneModel::setValue(double v) {
    if (v == value && hasValue) return;
    value = v;
    hasValue = true;
    repaint();
}

void ValuePaneModel::setNoValue() {
    hasValue = false;
    repaint();
}

void ValuePaneModel::setKind(int newSourceUnit, int newDisplayKind, bool newShowUnit) {
    if (newSourceUnit == sourceUnit && newDisplayKind == displayKind && newShowUnit == showUnit) return;
    sourceUnit = newSourceUnit;
    displayKind = newDisplayKind;
    showUnit = newShowUnit;
    repaint();
}

void ValuePaneModel::setTwoDecimals(bool on) {
    if (on == twoDecimals) return;
    twoDecimals = on;
    repaint();
}

void ValuePaneModel::setBlinking(bool on) {
    if (on) {
        if (!blinking) {
            blinking = true;
            if (listener_) listener_->startBlinkTimer();
        }
        return;
    }
    if (blinking) {
        blinking = false;
        if (listener_) listener_->stopBlinkTimer();
    }
    if (blinkHidden) {
        blinkHidden = false;
        repaint();
    }
}

void ValuePaneModel::blinkTick() {
    blinkHidden = !blinkHidden;
    repaint();
}

double ValuePaneModel::displayValue() const {
    if (sourceUnit == displayKind) return value;
    if (sourceUnit == display_kind::kIrradiance && displayKind == display_kind::kIlluminance)
        return value * 0.6802721088435374;
    if (sourceUnit == display_kind::kIlluminance && displayKind == display_kind::kIrradiance)
        return value * 1.47;
    return value;
}

PaneValueText ValuePaneModel::valueDisplay() const {
    if (!hasValue) return {kNoValueText, {}};
    return formatPaneValue(displayKind, displayValue(), showUnit, twoDecimals);
}

}  // namespace mr420
