#include "ui/PaneStyleRows.h"

#include "base/Channel.h"

namespace mr420 {

const std::array<ColourDialogRow, 6>& colourDialogRows() {
    static const std::array<ColourDialogRow, 6> kRows = {{
        {"Temperatura 1", 1040, 1046, kChannelTemp1},
        {"Temperatura 2", 1041, 1047, kChannelTemp2},
        {"Wilg. względna", 1042, 1048, kChannelRh},
        {"Ciśnienie", 1044, 1050, kChannelPressure},
        {"Punkt rosy", 1043, 1049, kChannelDp},
        {"Zaw. pary wodnej", 1045, 1051, kChannelWb},
    }};
    return kRows;
}

const std::array<FontDialogRow, 6>& fontDialogRows() {
    // The sample ids are not in row order.
    static const std::array<FontDialogRow, 6> kRows = {{
        {"Temperatura 1", 1039, kChannelTemp1},
        {"Temperatura 2", 1041, kChannelTemp2},
        {"Wilg. względna", 1042, kChannelRh},
        {"Ciśnienie", 1044, kChannelPressure},
        {"Punkt rosy", 1043, kChannelDp},
        {"Zaw. pary wodnej", 1040, kChannelWb},
    }};
    return kRows;
}

}  // namespace mr420
