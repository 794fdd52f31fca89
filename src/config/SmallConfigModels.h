#pragma once
// The models of the three small configuration dialogs: the panel clock, the
// auto-off time and the default pressure.

#include <cstdint>

#include "base/PanelCalendar.h"
#include "base/UserMessage.h"
#include "config/ConfigController.h"

namespace mr420 {

// "Data i czas": follows a source clock (the panel's, or the PC's after
// "Czas PC") until the user changes the time; OK refuses a year before 2000
// and a time past the panel's 32-bit count (2136-02-06 06:28:15 as the
// panel counts, every fourth year a leap year).
class ClockModel : public ConfigModel {
public:
    enum class Source { Panel, Pc, None };

    void reset(const PanelState& state) override;
    void fill(const PanelState&) override {}   // the poll cycle keeps the panel clock current
    void store(WriteArguments& args) const override;

    // One follow step against the source's time now: true when the kept time
    // changed, and the controls are to show it.
    bool follow(const LocalTime& source);
    // "Czas PC": from now on the PC clock is followed; false when it is already.
    bool followPc();
    // The user changed the time: following stops, whichever the source.
    void stopFollowing() { source_ = Source::None; }
    Source source() const { return source_; }

    // The time the controls show: the source's while following, and on OK
    // their date and time as they stand.
    const LocalTime& kept() const { return kept_; }
    void setTime(const LocalTime& time) { kept_ = time; }
    // OK with the kept time: the message when it is refused.
    UserMessage accept() override;

    const LocalTime& result() const { return result_; }

private:
    LocalTime kept_;
    LocalTime result_;
    Source source_ = Source::Panel;
};

// "Ustawienie czasu autowyłączania": 00:00:00 to 00:20:55, in steps of 5 s.
class AutoOffModel : public ConfigModel {
public:
    static constexpr int kMaxSeconds = 20 * 60 + 55;
    static constexpr int kMaxUnits = 251;   // kMaxSeconds / 5

    void reset(const PanelState&) override { seconds_ = 0; }
    void fill(const PanelState& state) override;
    void store(WriteArguments& args) const override;

    // What the picker shows, 0..kMaxSeconds.
    int seconds() const { return seconds_; }
    void setSeconds(int seconds);
    // The panel's units of 5 s: the remainder dropped, but never 0 for a time above 0.
    int units() const;

private:
    int seconds_ = 0;
};

// "Ustawienie ciśnienia domyślnego": 690 to 1200 hPa, stored in steps of 2 hPa.
class DefaultPressureModel : public ConfigModel {
public:
    static constexpr int kMinHpa = 690;
    static constexpr int kMaxHpa = 1200;

    void reset(const PanelState&) override { hpa_ = kMinHpa; }
    void fill(const PanelState& state) override;
    void store(WriteArguments& args) const override;

    int hpa() const { return hpa_; }
    // A value the user entered, cut to a whole number and limited to the range.
    void setHpa(double value);
    // The panel's code: (hPa − 690) / 2, 0..255.
    int code() const { return (hpa_ - kMinHpa) / 2; }

private:
    int hpa_ = kMinHpa;
};

}  // namespace mr420
