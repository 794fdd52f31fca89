#include "recording/RegistrationSources.h"

#include "base/StringTable.h"

namespace mr420 {

RegistrationTexts registrationTextsFromStringTable() {
    RegistrationTexts texts;
    using namespace string_id;
    texts.dateTime = str(kLogTitleDateTime);
    // Channel order: TEMP1, TEMP2, RH, PRESSURE, DP, WB.
    texts.titles = {str(kLogTitleTemperature1), str(kLogTitleTemperature2), str(kLogTitleHumidity),
                    str(kLogTitlePressure),     str(kLogTitleDewPoint),     str(kLogTitleVapour)};
    texts.panelNumber = str(kPanelNumberTitle);
    return texts;
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
