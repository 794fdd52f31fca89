#pragma once
// What live registration takes from the rest of the program besides the
// panes: the texts of the text file in the current language, and what the
// panel state says about the probes. The window and the command line both
// register through these.

#include "protocol/PanelState.h"
#include "recording/MeasurementFile.h"
#include "recording/RegistrationLog.h"

namespace mr420 {

// The header titles, the date-and-time title and the panel-number line as
// the string table holds them now (160-166, 189).
RegistrationTexts registrationTextsFromStringTable();

// The probes, the barometer and the serial numbers of the panel at hand;
// temperatureTwoDecimals is what the TEMP1 pane shows.
ProbeSources probeSourcesOf(const PanelState& state, bool temperatureTwoDecimals);

}  // namespace mr420
