#pragma once
// String-table texts of the registration dialog and its controller.

#include <QString>

#include "base/StringTable.h"

namespace mr420 {

// Line breaks of message texts are CR LF in the table; a message box wants LF.
inline QString registrationString(int id) {
    return QString::fromStdString(str(id)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}


}  // namespace mr420
