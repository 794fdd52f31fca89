#include "chart/ChartTicks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/CivilCalendar.h"
#include "base/StringTable.h"

namespace mr420 {

namespace {

enum class Unit { Second, Minute, Hour, Day, Week, Month, Year };

struct Step {
    Unit unit;
    int count;
};

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kDay = 86'400 * kSecond;

constexpr std::array<Step, 34> kSteps{{
    {Unit::Second, 1}, {Unit::Second, 2}, {Unit::Second, 5}, {Unit::Second, 10}, {Unit::Second, 15},
    {Unit::Second, 30}, {Unit::Minute, 1}, {Unit::Minute, 2}, {Unit::Minute, 5}, {Unit::Minute, 10},
    {Unit::Minute, 15}, {Unit::Minute, 30}, {Unit::Hour, 1}, {Unit::Hour, 2}, {Unit::Hour, 3},
    {Unit::Hour, 6}, {Unit::Hour, 12}, {Unit::Day, 1}, {Unit::Day, 2}, {Unit::Week, 1},
    {Unit::Month, 1}, {Unit::Month, 2}, {Unit::Month, 3}, {Unit::Month, 6}, {Unit::Year, 1},
    {Unit::Year, 2}, {Unit::Year, 5}, {Unit::Year, 10}, {Unit::Year, 20}, {Unit::Year, 50},
    {Unit::Year, 100}, {Unit::Year, 200}, {Unit::Year, 500}, {Unit::Year, 1000},
}};

std::int64_t nominal(const Step& s) {
    switch (s.unit) {
    case Unit::Second: return s.count * kSecond;
    case Unit::Minute: return s.count * 60 * kSecond;
    case Unit::Hour: return s.count * 3600 * kSecond;
    case Unit::Day: return s.count * kDay;
    case Unit::Week: return 7 * kDay;
    case Unit::Month: return s.count * 30 * kDay;
    case Unit::Year: return s.count * 365 * kDay;
    }
    return kDay;
}

std::tm localFields(std::int64_t msecs) {
    std::time_t t = static_cast<std::time_t>(msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0));
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

// Milliseconds of local fields, any of them out of range (mktime carries).
std::int64_t msecsOf(std::tm tm) {
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm)) * 1000;
}

std::string twoDigits(int a, int b, const char* sep, int c = -1) {
    char buffer[32];
    if (c < 0)
        std::snprintf(buffer, sizeof buffer, "%02d%s%02d", a, sep, b);
    else
        std::snprintf(buffer, sizeof buffer, "%02d%s%02d%s%02d", a, sep, b, sep, c);
    return buffer;
}

std::string dayAndMonth(const std::tm& tm) { return std::to_string(tm.tm_mday) + ' ' + monthName(tm.tm_mon + 1); }

// The label of a tick: its own unit, or the larger unit where that changes.
std::string labelOf(std::int64_t time, Unit unit) {
    const std::tm tm = localFields(time);
    const bool midnight = tm.tm_hour == 0 && tm.tm_min == 0 && tm.tm_sec == 0;
    const bool newMonth = tm.tm_mday == 1;
    const bool newYear = newMonth && tm.tm_mon == 0;
    switch (unit) {
    case Unit::Second:
        if (midnight) return dayAndMonth(tm);
        return twoDigits(tm.tm_hour, tm.tm_min, ":", tm.tm_sec);
    case Unit::Minute:
    case Unit::Hour:
        if (midnight) return newYear ? std::to_string(tm.tm_year + 1900) : dayAndMonth(tm);
        return twoDigits(tm.tm_hour, tm.tm_min, ":");
    case Unit::Day:
    case Unit::Week:
        if (newYear) return std::to_string(tm.tm_year + 1900);
        return newMonth ? monthName(tm.tm_mon + 1) : std::to_string(tm.tm_mday);
    case Unit::Month:
        return newYear ? std::to_string(tm.tm_year + 1900) : monthName(tm.tm_mon + 1);
    case Unit::Year:
        return std::to_string(tm.tm_year + 1900);
    }
    return {};
}

std::string originOf(std::int64_t time, Unit unit) {
    const std::tm tm = localFields(time);
    const std::string year = std::to_string(tm.tm_year + 1900);
    switch (unit) {
    case Unit::Second:
    case Unit::Minute:
    case Unit::Hour: return dayAndMonth(tm) + ' ' + year;
    case Unit::Day:
    case Unit::Week: return monthName(tm.tm_mon + 1) + ' ' + year;
    case Unit::Month: return year;
    case Unit::Year: return {};
    }
    return {};
}

// Every tick of a step in [from, to], in local time: clock steps from the
// start of the day (each of them divides a day, so midnight is a tick), days
// and weeks from the first of each month, months from January, years from
// year 0.
std::vector<std::int64_t> tickTimes(std::int64_t from, std::int64_t to, const Step& step) {
    std::vector<std::int64_t> out;
    std::tm base = localFields(from);
    base.tm_sec = step.unit == Unit::Second ? base.tm_sec / step.count * step.count : 0;
    if (step.unit > Unit::Second) base.tm_min = step.unit == Unit::Minute ? base.tm_min / step.count * step.count : 0;
    if (step.unit > Unit::Minute) base.tm_hour = step.unit == Unit::Hour ? base.tm_hour / step.count * step.count : 0;
    if (step.unit > Unit::Hour) base.tm_mday = 1;
    if (step.unit > Unit::Week) base.tm_mon = step.unit == Unit::Month ? base.tm_mon / step.count * step.count : 0;
    if (step.unit == Unit::Year) base.tm_year = (base.tm_year + 1900) / step.count * step.count - 1900;
    auto add = [&](std::int64_t t) {
        if (t >= from && t <= to && (out.empty() || t > out.back())) out.push_back(t);
    };
    if (step.unit <= Unit::Hour) {
        for (int k = 0;; ++k) {
            std::tm tm = base;
            (step.unit == Unit::Second ? tm.tm_sec : step.unit == Unit::Minute ? tm.tm_min : tm.tm_hour) += k * step.count;
            const std::int64_t t = msecsOf(tm);
            if (t > to) break;
            add(t);
        }
        return out;
    }
    if (step.unit == Unit::Day || step.unit == Unit::Week) {
        const int every = step.unit == Unit::Week ? 7 : step.count;
        for (std::tm month = base;; ++month.tm_mon) {
            std::tm first = month;
            const std::int64_t monthStart = msecsOf(first);
            if (monthStart > to) break;
            const std::tm norm = localFields(monthStart);
            const int length = daysInMonth(norm.tm_year + 1900, norm.tm_mon + 1);
            // The last tick of a month keeps a whole step before the next first.
            for (int day = 1; day + every <= length + 1; day += every) {
                std::tm tm = month;
                tm.tm_mday = day;
                add(msecsOf(tm));
            }
        }
        return out;
    }
    for (int k = 0;; ++k) {
        std::tm tm = base;
        if (step.unit == Unit::Month)
            tm.tm_mon += k * step.count;
        else
            tm.tm_year += k * step.count;
        const std::int64_t t = msecsOf(tm);
        if (t > to) break;
        add(t);
    }
    return out;
}

}  // namespace

double tickPosition(std::int64_t time, std::int64_t from, std::int64_t to, int width) {
    return to > from ? double(time - from) / double(to - from) * width : 0.0;
}

TimeTicks chooseTimeTicks(std::int64_t from, std::int64_t to, int width, const LabelWidth& labelWidth) {
    TimeTicks result;
    if (to <= from || width <= 0) return result;
    const int narrowest = labelWidth("00") + kTickLabelGap;
    for (const Step& step : kSteps) {
        // Steps that cannot leave room for the shortest label are not tried.
        if (tickPosition(from + nominal(step), from, to, width) < narrowest) continue;
        const std::vector<std::int64_t> times = tickTimes(from, to, step);
        std::vector<TimeTick> ticks;
        ticks.reserve(times.size());
        bool apart = true;
        int lastWidth = 0;
        for (const std::int64_t t : times) {
            std::string label = labelOf(t, step.unit);
            const int w = labelWidth(label);
            if (!ticks.empty()) {
                const double room = tickPosition(t, from, to, width) - tickPosition(ticks.back().time, from, to, width);
                if (room < (lastWidth + w) / 2.0 + kTickLabelGap) {
                    apart = false;
                    break;
                }
            }
            lastWidth = w;
            ticks.push_back({t, std::move(label)});
        }
        if (!apart) continue;
        result.ticks = std::move(ticks);
        result.step = nominal(step);
        result.origin = originOf(from, step.unit);
        return result;
    }
    return result;   // too narrow for any two labels: none
}

ValueTicks chooseValueTicks(double low, double high, int maxTicks) {
    ValueTicks v;
    if (!std::isfinite(low) || !std::isfinite(high)) return v;
    if (high < low) std::swap(low, high);
    if (high - low < 1e-9) {
        low -= 1;
        high += 1;
    }
    maxTicks = std::max(1, maxTicks);
    const double raw = (high - low) / maxTicks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * power;
    for (const double m : {1.0, 2.0, 5.0})
        if (m * power >= raw * (1 - 1e-12)) {
            step = m * power;
            break;
        }
    v.step = step;
    v.min = std::floor(low / step + 1e-9) * step;
    v.max = std::ceil(high / step - 1e-9) * step;
    v.decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    return v;
}

std::string monthName(int month) {
    return month >= 1 && month <= 12 ? str(string_id::kMonthJanuary + month - 1) : std::string();
}

}  // namespace mr420
