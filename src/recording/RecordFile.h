#pragma once
// A registration file on a POSIX descriptor. Every record goes to the kernel
// in one write() and is forced to the disk before the call returns, so a crash
// loses at most the record being written and never leaves a partial line with
// more records after it.

#include <string>
#include <string_view>

namespace mr420 {

class RecordFile {
public:
    enum class OpenResult { Failed, Created, Existed };

    RecordFile() = default;
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Opens for reading and writing, creating the file if missing. The file is
    // locked against a second writer (another instance registering into the
    // same file); readers are not affected. Closes a file open before. The
    // write position starts at the end, so no write lands on bytes the file
    // held before unless truncate() emptied it.
    OpenResult open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    // After open: append (write position at the end) or empty the file.
    bool positionForAppend();
    bool truncate();

    // One record: written in one call and synced. A short or failed write is
    // cut back off the file so the next record starts on a clean boundary.
    bool writeRecord(std::string_view bytes);
    // As writeRecord but without the sync (memory save writes many records
    // and syncs once at the end).
    bool writeUnsynced(std::string_view bytes);
    bool sync();

    // The last write or sync failed; cleared by the next successful record.
    bool lastWriteFailed() const { return lastWriteFailed_; }

private:
    bool writeAll(std::string_view bytes);

    int fd_ = -1;
    std::string path_;
    bool lastWriteFailed_ = false;
};

}  // namespace mr420
