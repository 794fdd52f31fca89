// Builds: the recording layer may use the layers below it.
#include "base/IniFile.h"
#include "protocol/PanelState.h"
#include "ui/LiveReadings.h"

int main() { return mr420::LiveReadings{}.size() == 6 ? 0 : 1; }
