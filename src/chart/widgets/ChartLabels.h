#pragma once
// The texts the files of ChartView share: a channel's title, a unit's name.

#include <QString>

#include "base/StringTable.h"
#include "chart/ChartData.h"

namespace mr420 {

inline QString channelTitle(int channel) { return QString::fromStdString(str(channelInfo(channel).titleStringId)); }

inline QString unitName(int unit) { return QString::fromUtf8(unitText(static_cast<ChartUnit>(unit))); }

}  // namespace mr420
