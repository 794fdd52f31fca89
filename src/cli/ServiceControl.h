#pragma once
// Commands through the running service. `serve` listens on a control socket
// beside the data server's (MR420-control-<pid>, mode 0600); a command that
// finds the port held by a service of the same user sends it its command
// line, and the service runs the command on its own engine and streams the
// output, the messages and the exit status back.
//
//   client -> service:  one line, at most 1024 bytes:
//                       "RUN" TAB cwd (TAB argument)* LF, each field with
//                       "\\", TAB and LF written as \\, \t and \n
//   service -> client:  frames: one byte ('o' output, 'e' messages,
//                       'x' exit status as decimal text), four bytes of
//                       length (big-endian), the bytes
//
// Another user is refused (SO_PEERCRED) and told why; garbage or a longer
// line closes that connection, the service goes on.

#include <sys/types.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Interfaces.h"
#include "cli/CliRunner.h"

namespace mr420::cli {

constexpr std::size_t kMaxControlLine = 1024;
// Output queued for a client that does not read: beyond it the client is
// dropped and the command finishes without it.
constexpr std::size_t kMaxControlQueue = 1024 * 1024;

// The control socket of the service with that PID in the socket directory.
std::string controlSocketPath(const std::string& directory, pid_t servicePid);

// The request line for a command line (argument 0 left out) run from `cwd`,
// and back; nullopt for anything that is not such a line.
std::string encodeControlRequest(const std::string& cwd, const std::vector<std::string>& arguments);
struct ControlRequest {
    std::string cwd;
    std::vector<std::string> arguments;   // argument 0 is "mr420-cli"
};
std::optional<ControlRequest> decodeControlRequest(std::string_view line);

std::string controlFrame(char kind, std::string_view bytes);

// The service's side: requests queue up and run one at a time through
// `run`, which gets the streams to give the command.
class ControlServer {
public:
    using Runner = std::function<int(const ControlRequest&, const CliStreams&)>;

    // `wake` is called when a request has arrived: the owner then calls
    // runWaiting from its loop.
    ControlServer(FdWatcher& watcher, Runner run, std::function<void()> wake)
        : watcher_(watcher), run_(std::move(run)), wake_(std::move(wake)) {}
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Listens on controlSocketPath(directory, getpid()); false when it cannot.
    bool listen(const std::string& directory);
    const std::string& path() const { return path_; }
    // Runs the requests that have arrived, one after the other; from the
    // engine's timer, never from inside a socket handler.
    void runWaiting();
    bool hasWaiting() const { return !waiting_.empty(); }
    // The client of the command that runs now has gone.
    bool runningClientGone() const {
        const auto it = clients_.find(runningFd_);
        return it != clients_.end() && it->second.dropped;
    }
    int clientCount() const { return static_cast<int>(clients_.size()); }

private:
    struct Client {
        std::string in;
        std::string out;       // frames not yet taken by the socket
        bool requested = false;
        bool dropped = false;  // gone while its command runs; output is thrown away
    };
    void accept();
    void onReady(int fd, int readyFor);
    void send(int fd, char kind, std::string_view bytes);
    void flush(int fd);
    void drop(int fd);

    FdWatcher& watcher_;
    Runner run_;
    std::function<void()> wake_;
    int listenFd_ = -1;
    std::string path_;
    std::map<int, Client> clients_;
    std::deque<std::pair<int, ControlRequest>> waiting_;
    bool running_ = false;
    int runningFd_ = -1;   // the client whose command runs now
};

// The client's side: runs the command line through the service with that
// PID. nullopt when that service does not answer there (the caller says
// the port is held); kPortFailed, said, when it is another user's (the
// command is not sent); otherwise the command's exit status, its output and
// messages written to `io` as they come.
std::optional<int> runThroughService(pid_t servicePid, const std::vector<std::string>& arguments, const CliStreams& io);

}  // namespace mr420::cli
