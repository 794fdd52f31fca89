#pragma once
// One owner per port, the way Linux serial programs agree on it: an advisory
// flock() on the open descriptor, and the lock file LCK..<name> in the lock
// directory holding the owner's PID as ten characters and a newline
// ("%10d\n"), which terminal programs that do not use flock look at.
//
// <name> is the last part of the device's real path, the form the lock file
// convention uses: /dev/ttyUSB0 and a /dev/serial/by-id link to it both lock
// LCK..ttyUSB0; a pseudo-terminal /dev/pts/3, or a link to it, locks LCK..3.
// The real path is taken at every acquire, so a link that points elsewhere
// after a reopen locks the device it points to then.
//
// A lock file whose process is gone is taken over. A lock directory that is
// missing or not writable does not stop anything: the flock still holds, and
// note() says why no lock file was written.

#include <string>

namespace mr420 {

struct PortHolder {
    int pid = 0;            // 0: not known
    std::string program;    // /proc/<pid>/comm, empty when not known
    std::string unit;       // the systemd unit it runs in ("mr420.service"), empty when none
    bool userUnit = false;  // the unit is the user's (systemctl --user), not the system's
};

// The program's systemd service (mr420.service, mr420@3.service) a process
// runs in, from its /proc/<pid>/cgroup text; a unit below
// "user@<uid>.service" is a user unit. Nothing for any other process.
void readServiceUnit(const std::string& cgroupText, PortHolder& holder);

class PortLock {
public:
    // An empty directory means $MR420_LOCK_DIR when that is set, else /run/lock.
    explicit PortLock(std::string lockDirectory = {});
    ~PortLock();   // release()

    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    static std::string defaultDirectory();
    // "LCK.." and the last part of the real path (of the path itself when it
    // does not resolve).
    static std::string lockFileName(const std::string& devicePath);

    // Takes the flock on `fd` (without waiting) and the lock file for
    // `devicePath`. False when another open of the device or another live
    // process holds either; holder() names it, and nothing is left locked.
    // Taking it again for the same device, as a reopen does, keeps our file.
    bool acquire(int fd, const std::string& devicePath);

    // Removes our lock file if it still holds our PID; the flock ends with
    // the descriptor. Safe to call when nothing is held.
    void release();

    // Who holds the device when it cannot even be opened (TIOCEXCL): the
    // live PID of its lock file, else a process with a flock on it.
    PortHolder findHolder(const std::string& devicePath) const;

    const PortHolder& holder() const { return holder_; }
    const std::string& directory() const { return directory_; }
    const std::string& lockFilePath() const { return lockFile_; }   // empty when we hold none
    const std::string& note() const { return note_; }

private:
    enum class FileResult { Taken, Held, NotWritten };
    FileResult takeLockFile(const std::string& path);

    std::string directory_;
    std::string lockFile_;
    PortHolder holder_;
    std::string note_;
};

}  // namespace mr420
