#pragma once
// A file that takes the place of its target only once it is complete: the
// bytes go to a temporary file beside the target (same folder, so the rename
// is atomic), which commit() syncs and renames over it. Until then, and when
// anything fails, the target stays as it was and the temporary is removed,
// so no reader ever sees half a file. A symbolic link is written through.

#include <string>

#include "recording/RecordFile.h"

namespace mr420 {

class FileReplacement {
public:
    explicit FileReplacement(const std::string& target);
    ~FileReplacement();   // removes the temporary unless committed
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the temporary, with the target's permissions when it exists.
    // False (errno set) when the folder takes no new file.
    bool open();
    // The temporary, open for writing; what the caller writes goes there.
    RecordFile& file() { return file_; }
    // Syncs and closes the temporary and renames it over the target. False
    // (errno set) when any of it failed; the target is then untouched.
    bool commit();

    const std::string& target() const { return target_; }
    const std::string& temporaryPath() const { return temporary_; }

private:
    void discard();

    std::string target_;
    std::string temporary_;
    RecordFile file_;
    bool pending_ = false;
};

}  // namespace mr420
