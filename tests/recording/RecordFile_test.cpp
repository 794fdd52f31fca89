// Opening a registration file: what open() reports and where the first write
// lands in an existing file.

#include "recording/RecordFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "support/TestSupport.h"

namespace mr420 {
namespace {

using mr420::test::readFile;
using mr420::test::writeFile;

TEST(RecordFile, AWriteNeverLandsOverExistingBytes) {
    enum class Then { Nothing, Append, Truncate };
    struct Case {
        const char* name;
        const char* before;  // nullptr: no file
        Then then;
        RecordFile::OpenResult opened;
        const char* after;
    };
    const Case cases[] = {
        {"new file", nullptr, Then::Nothing, RecordFile::OpenResult::Created, "rec\r\n"},
        {"existing, written at once", "old line\r\n", Then::Nothing, RecordFile::OpenResult::Existed,
         "old line\r\nrec\r\n"},
        {"existing, appended", "old line\r\n", Then::Append, RecordFile::OpenResult::Existed, "old line\r\nrec\r\n"},
        {"existing, emptied", "old line\r\n", Then::Truncate, RecordFile::OpenResult::Existed, "rec\r\n"},
        {"existing and empty", "", Then::Nothing, RecordFile::OpenResult::Existed, "rec\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = test::makeTempDir("recordfile") + "/f.txt";
        if (c.before) writeFile(path, c.before);
        RecordFile file;
        ASSERT_EQ(file.open(path), c.opened);
        if (c.then == Then::Append) {
            ASSERT_TRUE(file.positionForAppend());
        }
        if (c.then == Then::Truncate) {
            ASSERT_TRUE(file.truncate());
        }
        ASSERT_TRUE(file.writeRecord("rec\r\n"));
        EXPECT_EQ(readFile(path), c.after);
    }
}

}  // namespace
}  // namespace mr420
