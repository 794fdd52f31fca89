#pragma once
// Shared helpers of the tests.

#include <string>

#include <sys/types.h>

namespace mr420::test {

// Builds a reply line from its text without LRC: appends the LRC and CR LF.
// Colons in the text are kept and are not part of the sum.
std::string replyWithLrc(const std::string& textWithoutLrc);

// Where the translation source files are, for the tests that switch to English.
inline const std::string kTranslationsDir = std::string(MR420_SOURCE_DIR) + "/resources/translations";

// A fresh empty directory below the build tree for one test.
std::string makeTempDir(const std::string& name);

// Sends `signal` to a child the test started. A pid that is not a child's
// (0, or -1 from a failed start) is refused: kill() would signal the
// process group or every process the user may signal.
bool signalChild(pid_t pid, int signal);

}  // namespace mr420::test
