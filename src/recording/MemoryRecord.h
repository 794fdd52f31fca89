#pragma once
// One decoded reading of the panel memory.

#include "ui/LiveReadings.h"

namespace mr420 {

struct MemoryRecord {
    bool dewPointComputed = false;
    bool vapourComputed = false;
    bool pressurePresent = false;
    bool pressureError = false;
    bool temperature1Present = false;
    bool temperature2Present = false;
    bool temperature1Error = false;
    bool temperature2Error = false;
    bool humidityPresent = false;
    bool humidityError = false;
    bool twoDecimals = false;   // temperatures logged with hundredths
    LocalTime time;             // local time of the reading
    double dewPoint = 0;        // deg C
    double vapourPpm = 0;       // ppm
    double pressure = 0;        // hPa
    double humidity = 0;        // % relative humidity
    double temperature1 = 0;    // deg C
    double temperature2 = 0;    // deg C
};

}  // namespace mr420
