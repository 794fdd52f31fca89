// Round trips over an unpaced pty: the far end answers every frame at once.
// Compares SerialPort (worker thread, delivery on the worker, and delivery
// handed to a second thread as the UI does) with a plain loop that writes a
// frame and reads the reply on one thread. Prints frames per second and the
// CPU time the link side spends per received byte (the responder's own CPU
// time is taken out). Then how long SerialPort::close() takes while the
// worker waits for room in the output: the far end has stopped reading and
// the output queue is full, or the driver holds its output back.
//
// Usage: link_bench [frames]   (default 20000)

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "link/SerialPort.h"

using namespace mr420;

namespace {

const char kFrame[] = "020100FD\r\n";
constexpr std::size_t kFrameLength = sizeof kFrame - 1;
const char kReply[] = "020100:03F5:00:00:00C7\r\n";
constexpr std::size_t kReplyLength = sizeof kReply - 1;

double cpuSeconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The panel's stand-in on the pty master: one reply per CR LF received.
class Responder {
public:
    explicit Responder(int master) : master_(master), thread_([this] { run(); }) {}
    ~Responder() { stop(); }
    // Ends the thread and returns the CPU time it used.
    double stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return cpu_;
    }

private:
    void run() {
        char buf[512];
        int crSeen = 0;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            ssize_t n = read(master_, buf, sizeof buf);
            if (n <= 0) {
                if (n < 0 && errno == EAGAIN) continue;
                break;
            }
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] == '\r') crSeen = 1;
                else if (buf[i] == '\n' && crSeen) {
                    crSeen = 0;
                    std::size_t done = 0;
                    while (done < kReplyLength) {
                        ssize_t w = write(master_, kReply + done, kReplyLength - done);
                        if (w > 0) done += static_cast<std::size_t>(w);
                        else if (w < 0 && errno != EAGAIN) return;
                    }
                } else crSeen = 0;
            }
        }
        cpu_ = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    }

    int master_;
    std::atomic<bool> stop_{false};
    double cpu_ = 0;
    std::thread thread_;
};

struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    }
    ~Pty() {
        if (master >= 0) close(master);
    }
};

struct Result {
    long frames = 0;
    long bytes = 0;
    double wall = 0;
    double linkCpu = 0;
};

// Session stand-in: counts replies and sends the next frame on each CR LF.
class Session {
public:
    explicit Session(long frames) : target_(frames) {}
    SerialPort* port = nullptr;

    void handleBytes(const char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            ++received_;
            if (bytes[i] == '\n') {
                long done = ++replies_;
                if (done < target_) port->send(kFrame, kFrameLength);
                else {
                    std::lock_guard<std::mutex> guard(mutex_);
                    finished_ = true;
                    cv_.notify_all();
                }
            }
        }
    }
    bool waitDone(double seconds) {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return finished_; });
    }
    long replies() const { return replies_; }
    long received() const { return received_; }

private:
    long target_;
    std::atomic<long> replies_{0};
    std::atomic<long> received_{0};
    std::mutex mutex_;
    std::condition_variable cv_;
    bool finished_ = false;
};

class DirectDelivery : public ByteDelivery {
public:
    explicit DirectDelivery(Session& s) : session_(s) {}
    void deliverBytes(const char* bytes, std::size_t count) override { session_.handleBytes(bytes, count); }

private:
    Session& session_;
};

// The blocking hand-over to another thread that the Qt front end does.
class HandOverDelivery : public ByteDelivery {
public:
    explicit HandOverDelivery(Session& s) : session_(s), ui_([this] { run(); }) {}
    ~HandOverDelivery() override {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            quit_ = true;
        }
        cv_.notify_all();
        ui_.join();
    }
    void deliverBytes(const char* bytes, std::size_t count) override {
        std::unique_lock<std::mutex> lock(mutex_);
        bytes_ = bytes;
        count_ = count;
        pending_ = true;
        cv_.notify_all();
        cv_.wait(lock, [&] { return !pending_; });
    }

private:
    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (true) {
            cv_.wait(lock, [&] { return pending_ || quit_; });
            if (quit_) return;
            session_.handleBytes(bytes_, count_);
            pending_ = false;
            cv_.notify_all();
        }
    }

    Session& session_;
    std::mutex mutex_;
    std::condition_variable cv_;
    const char* bytes_ = nullptr;
    std::size_t count_ = 0;
    bool pending_ = false;
    bool quit_ = false;
    std::thread ui_;
};

template <typename Delivery>
bool runSerialPort(long frames, Result& result) {
    Pty pty;
    if (pty.slave.empty()) return false;
    Session session(frames);
    Delivery delivery(session);
    SerialPort port;
    session.port = &port;
    if (!port.open(pty.slave, delivery)) {
        std::fprintf(stderr, "open %s: %s\n", pty.slave.c_str(), port.lastErrorText().c_str());
        return false;
    }
    if (!port.startWorker()) return false;
    const double cpu0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double wall0 = wallSeconds();
    Responder responder(pty.master);
    port.send(kFrame, kFrameLength);
    const bool done = session.waitDone(120);
    result.wall = wallSeconds() - wall0;
    const double cpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    result.linkCpu = cpu - responder.stop();
    result.frames = session.replies();
    result.bytes = session.received();
    port.close();
    if (!done) std::fprintf(stderr, "timed out after %ld replies\n", result.frames);
    return done;
}

// The plain loop: one thread, blocking reads, write a frame, read the reply line.
bool runPlainLoop(long frames, Result& result) {
    Pty pty;
    if (pty.slave.empty()) return false;
    int fd = open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return false;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetspeed(&tio, B9600);
    tcsetattr(fd, TCSANOW, &tio);

    const double cpu0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double wall0 = wallSeconds();
    Responder responder(pty.master);
    long replies = 0, bytes = 0;
    char buf[512];
    bool ok = true;
    while (replies < frames && ok) {
        if (write(fd, kFrame, kFrameLength) != static_cast<ssize_t>(kFrameLength)) ok = false;
        bool line = false;
        while (!line && ok) {
            ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0) {
                ok = false;
                break;
            }
            bytes += n;
            if (std::memchr(buf, '\n', static_cast<std::size_t>(n))) line = true;
        }
        if (line) ++replies;
    }
    result.wall = wallSeconds() - wall0;
    const double cpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    result.linkCpu = cpu - responder.stop();
    result.frames = replies;
    result.bytes = bytes;
    close(fd);
    return ok;
}

class NullDelivery : public ByteDelivery {
public:
    void deliverBytes(const char*, std::size_t) override {}
};

// Counts the write steps the worker starts.
class CountingPort : public SerialPort {
public:
    std::atomic<int> writeSteps{0};

protected:
    void beforeWriteStep() override { ++writeSteps; }
};

// Milliseconds each close() took while a frame waited for room; empty on failure.
std::vector<double> closeWhileStalled(bool stopOutput, int rounds) {
    std::vector<double> took;
    for (int round = 0; round < rounds; ++round) {
        Pty pty;
        if (pty.slave.empty()) return {};
        // The far end's own descriptor on the line, opened before the port takes it exclusively.
        const int line = open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (line < 0) return {};
        NullDelivery delivery;
        CountingPort port;
        if (!port.open(pty.slave, delivery) || !port.startWorker()) {
            close(line);
            return {};
        }
        if (stopOutput) {
            (void)tcflow(line, TCOOFF);
        } else {
            const std::string chunk(1024, 'f');
            for (int pass = 0; pass < 20; ++pass) {
                while (write(line, chunk.data(), chunk.size()) > 0) {
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        port.send(kFrame, kFrameLength);
        while (port.writeSteps.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));   // the worker now waits for room
        const double start = wallSeconds();
        port.close();
        took.push_back((wallSeconds() - start) * 1e3);
        (void)tcflow(line, TCOON);
        close(line);
    }
    std::sort(took.begin(), took.end());
    return took;
}

void print(const char* name, const Result& r) {
    const double fps = r.wall > 0 ? r.frames / r.wall : 0;
    const double usPerByte = r.bytes > 0 ? r.linkCpu * 1e6 / static_cast<double>(r.bytes) : 0;
    const double usPerFrame = r.frames > 0 ? r.linkCpu * 1e6 / static_cast<double>(r.frames) : 0;
    std::printf("%-34s %8ld %10.0f %14.3f %14.2f\n", name, r.frames, fps, usPerByte, usPerFrame);
}

}  // namespace

int main(int argc, char** argv) {
    long frames = argc > 1 ? std::atol(argv[1]) : 20000;
    if (frames <= 0) frames = 20000;
    std::printf("%ld round trips, frame %zu bytes, reply %zu bytes, unpaced pty\n\n", frames, kFrameLength,
                kReplyLength);
    std::printf("%-34s %8s %10s %14s %14s\n", "link", "frames", "frames/s", "CPU us/byte", "CPU us/frame");
    Result plain, direct, handOver;
    bool ok = runPlainLoop(frames, plain);
    print("plain loop (one thread)", plain);
    ok = runSerialPort<DirectDelivery>(frames, direct) && ok;
    print("SerialPort, handled on worker", direct);
    ok = runSerialPort<HandOverDelivery>(frames, handOver) && ok;
    print("SerialPort, blocking hand-over", handOver);

    std::printf("\nclose() while a frame waits for room in the output, 20 times each\n");
    for (const bool stopOutput : {false, true}) {
        const std::vector<double> took = closeWhileStalled(stopOutput, 20);
        if (took.empty()) {
            ok = false;
            continue;
        }
        std::printf("%-34s median %7.2f ms  worst %7.2f ms\n",
                    stopOutput ? "output held back by the driver" : "far end not reading, queue full",
                    took[took.size() / 2], took.back());
    }
    return ok ? 0 : 1;
}
