#pragma once
// The reason of a failed system call in the language of the string table:
// the common errno values have texts of their own (ids 501..), the rest are
// strerror's.

#include <string>

namespace mr420 {

std::string systemErrorText(int errorNumber);

}  // namespace mr420
