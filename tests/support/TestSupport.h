#pragma once
// Shared helpers of the tests.

#include <string>

namespace mr420::test {

// Builds a reply line from its text without LRC: appends the LRC and CR LF.
// Colons in the text are kept and are not part of the sum.
std::string replyWithLrc(const std::string& textWithoutLrc);

// A fresh empty directory below the build tree for one test.
std::string makeTempDir(const std::string& name);

}  // namespace mr420::test
