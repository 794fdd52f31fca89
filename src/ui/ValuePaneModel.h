#pragma once
// The state of one value pane: what it shows (a number with its unit, or
// "???"), its display kind and its blinking. The painting widget reads it;
// registration and the local data server read the same state. The model
// never reads the panel state itself.

#include <array>
#include <string>

#include "base/Channel.h"
#include "base/ValueFormat.h"

namespace mr420 {

// Period of a pane's blinking (each pane has its own timer, timer_id::kPaneBlink).
constexpr int kBlinkPeriodMs = 500;

// What a pane asks of its widget. "Repaint now" means invalidate, erase and
// paint before the call returns.
class ValuePaneListener {
public:
    virtual ~ValuePaneListener() = default;
    virtual void repaintNow() = 0;
    virtual void startBlinkTimer() = 0;   // timer 1052, 500 ms
    virtual void stopBlinkTimer() = 0;
};

struct ValuePaneModel {
    // State read by the widget, registration and the data server. Change it
    // through the operations below so that the widget hears of it.
    std::string title;          // title strip caption
    int sourceUnit = 0;         // unit code of the value given to setValue
    int displayKind = 0;        // 1..8; anything else draws no number
    bool showUnit = true;
    bool twoDecimals = false;
    bool hasValue = false;      // false: "???" is shown
    double value = 0;           // last value given to setValue (rawValue)
    bool blinking = false;      // the blink timer runs
    bool blinkHidden = false;   // blink phase in which the value is not drawn
    bool visible = true;        // shown in the main window

    void setListener(ValuePaneListener* listener) { listener_ = listener; }

    // Ignored when v equals the value and the pane has a value; otherwise
    // stores v, clears the no-value state and repaints.
    void setValue(double v);
    // Always repaints, even if there already was no value.
    void setNoValue();
    void setKind(int newSourceUnit, int newDisplayKind, bool newShowUnit);
    void setTwoDecimals(bool on);
    // On: starts the blink timer unless it runs. Off: stops it; a hidden value
    // reappears at once.
    void setBlinking(bool on);
    // One tick of the blink timer: toggles the phase and repaints.
    void blinkTick();

    // The value after unit conversion (kind 1 <-> 2); equal codes pass it
    // unchanged.
    double displayValue() const;

    // What the value area shows: "???" without a value, else the formatted
    // value (empty for an unknown kind). The raised "2" of kind 1 is in
    // superscript.
    PaneValueText valueDisplay() const;
    // The same as one string ("21.3 °C", "12.0 W/m2", "???").
    std::string formattedValue() const { return valueDisplay().joined(); }

    // What a file writes as a number rather than "???".
    bool valid() const { return hasValue && !blinking; }

private:
    void repaint();
    ValuePaneListener* listener_ = nullptr;
};

}  // namespace mr420
