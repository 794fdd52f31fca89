#include "recording/RegistrationSources.h"

#include "base/StringTable.h"

namespace mr420 {

RegistrationTexts registrationTextsFromStringTable() {
    using namespace string_id;
    return headTextsFromStringTable<RegistrationTexts>(
        kLogTitleDateTime, {kLogTitleTemperature1, kLogTitleTemperature2, kLogTitleHumidity, kLogTitlePressure,
                            kLogTitleDewPoint, kLogTitleVapour});
}

ProbeSources probeSourcesOf(const PanelState& state, bool temperatureTwoDecimals) {
    ProbeSources s;
    s.mr411Absent = state.mr411Absent != 0;
    s.mr466Absent = state.mr466Absent != 0;
    s.mr411SerialNumber = state.mr411SerialNumber;
    s.mr466SerialNumber = state.mr466SerialNumber;
    s.pressureAbsent = state.pressureAbsent != 0;
    s.panelSerialNumber = state.panelSerialNumber;
    s.temperatureTwoDecimals = temperatureTwoDecimals;
    return s;
}

}  // namespace mr420
