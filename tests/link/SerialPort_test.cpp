#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "link/SerialPort.h"
#include "support/TestSupport.h"

using namespace mr420;
using namespace std::chrono_literals;

namespace {

// The far end of the link: a pty master made by the test; the port opens the slave.
struct Pty {
    int master = -1;
    std::string slave;

    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
        slave = ::ptsname(master);
    }
    ~Pty() { closeMaster(); }
    bool ok() const { return master >= 0 && !slave.empty(); }
    void closeMaster() {
        if (master >= 0) ::close(master);
        master = -1;
    }
    void write(const std::string& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
            if (n > 0) done += static_cast<std::size_t>(n);
            else if (n < 0 && errno == EAGAIN) std::this_thread::sleep_for(1ms);
            else return;
        }
    }
    // Reads until `count` bytes came or `timeout` passed.
    std::string read(std::size_t count, std::chrono::milliseconds timeout) const {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (got.size() < count) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            char buf[512];
            ssize_t n = ::read(master, buf, std::min(sizeof buf, count - got.size()));
            if (n > 0) got.append(buf, static_cast<std::size_t>(n));
            else if (n < 0 && errno != EAGAIN) break;
        }
        return got;
    }
};

// Collects delivered bytes on the worker thread.
class Recorder : public ByteDelivery {
public:
    void deliverBytes(const char* bytes, std::size_t count) override {
        std::lock_guard<std::mutex> guard(mutex_);
        received_.append(bytes, count);
        ++handOvers_;
        changed_.notify_all();
    }
    bool waitForSize(std::size_t size, std::chrono::milliseconds timeout = 3000ms) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return received_.size() >= size; });
    }
    bool waitForText(const std::string& text, std::chrono::milliseconds timeout = 3000ms) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return received_.find(text) != std::string::npos; });
    }
    std::string received() {
        std::lock_guard<std::mutex> guard(mutex_);
        return received_;
    }
    int handOvers() {
        std::lock_guard<std::mutex> guard(mutex_);
        return handOvers_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string received_;
    int handOvers_ = 0;
};

template <typename Pred>
bool waitUntil(Pred pred, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

int threadCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

double processCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

TEST(SerialPort, BytesReachTheDeliveryInOrder) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    Recorder recorder;
    SerialPort port;
    ASSERT_TRUE(port.open(pty.slave, recorder));
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(port.deviceConnected());
    EXPECT_EQ(port.lastError(), PortOpenError::None);
    ASSERT_TRUE(port.startWorker());
    EXPECT_FALSE(port.startWorker());  // one worker per opening

    // Every byte value, CR LF and NUL included, in uneven pieces.
    std::string sent;
    for (int i = 0; i < 3000; ++i) sent.push_back(static_cast<char>((i * 7) & 0xff));
    for (std::size_t at = 0; at < sent.size(); at += 37) pty.write(sent.substr(at, 37));
    ASSERT_TRUE(recorder.waitForSize(sent.size()));
    EXPECT_EQ(recorder.received(), sent);
    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST(SerialPort, SendWritesExactlyTheFrame) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    Recorder recorder;
    SerialPort port;
    ASSERT_TRUE(port.open(pty.slave, recorder));
    ASSERT_TRUE(port.startWorker());

    // A buffer of exactly the frame's size: nothing beyond it may be read or written.
    const char text[] = "020A00F4\r\n";
    auto frame = std::make_unique<char[]>(10);
    std::memcpy(frame.get(), text, 10);
    port.send(frame.get(), 10);
    EXPECT_EQ(pty.read(10, 2000ms), std::string(text, 10));
    EXPECT_EQ(pty.read(1, 100ms), "");

    // The largest frame goes out whole, a longer one is refused.
    std::string big(SerialPort::kMaxFrameLength, 'A');
    big.back() = 'Z';
    port.send(big.data(), big.size());
    EXPECT_EQ(pty.read(big.size(), 2000ms), big);
    std::string tooLong(SerialPort::kMaxFrameLength + 1, 'B');
    port.send(tooLong.data(), tooLong.size());
    EXPECT_EQ(pty.read(1, 100ms), "");
}

TEST(SerialPort, FrameSentBeforeTheWorkerStartsGoesOutWhenItRuns) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    Recorder recorder;
    SerialPort port;
    ASSERT_TRUE(port.open(pty.slave, recorder));
    port.send("010100FE\r\n", 10);
    EXPECT_EQ(pty.read(1, 100ms), "");
    ASSERT_TRUE(port.startWorker());
    EXPECT_EQ(pty.read(10, 2000ms), "010100FE\r\n");
}

namespace {

// Makes input arrive in the window between the read loop and the write step.
class PortWithLateInput : public SerialPort {
public:
    explicit PortWithLateInput(const Pty& pty) : pty_(pty) {}
    std::atomic<int> windows{0};

protected:
    void beforeWriteStep() override {
        pty_.write("STALE\r\n");
        std::this_thread::sleep_for(20ms);  // let the pty move it into the slave's queue
        ++windows;
    }

private:
    const Pty& pty_;
};

}  // namespace

TEST(SerialPort, WriteStepPurgesPendingInput) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    Recorder recorder;
    PortWithLateInput port(pty);
    ASSERT_TRUE(port.open(pty.slave, recorder));
    ASSERT_TRUE(port.startWorker());
    port.send("030000FD\r\n", 10);
    EXPECT_EQ(pty.read(10, 2000ms), "030000FD\r\n");
    EXPECT_EQ(port.windows.load(), 1);
    pty.write("FRESH\r\n");
    ASSERT_TRUE(recorder.waitForText("FRESH\r\n"));
    EXPECT_EQ(recorder.received(), "FRESH\r\n");
}

TEST(SerialPort, ReplyHandledInsideTheDeliveryCanSendTheNextFrame) {
    // The session sends its next command from inside the character handler.
    class Responder : public ByteDelivery {
    public:
        SerialPort* port = nullptr;
        std::string line;
        void deliverBytes(const char* bytes, std::size_t count) override {
            for (std::size_t i = 0; i < count; ++i) {
                line.push_back(bytes[i]);
                if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
                    std::string reply = "ACK:" + line;
                    port->send(reply.data(), reply.size());
                    line.clear();
                }
            }
        }
    } responder;
    Pty pty;
    ASSERT_TRUE(pty.ok());
    SerialPort port;
    responder.port = &port;
    ASSERT_TRUE(port.open(pty.slave, responder));
    ASSERT_TRUE(port.startWorker());
    for (int i = 0; i < 20; ++i) {
        const std::string line = "L" + std::to_string(i) + "\r\n";
        pty.write(line);
        const std::string expected = "ACK:" + line;
        ASSERT_EQ(pty.read(expected.size(), 2000ms), expected) << i;
    }
}

TEST(SerialPort, OpenFailuresLeaveNothingRunning) {
    const int threadsBefore = threadCount();
    Recorder recorder;
    SerialPort port;
    EXPECT_FALSE(port.open("/dev/mr420-no-such-port", recorder));
    EXPECT_EQ(port.lastError(), PortOpenError::NoSuchDevice);
    EXPECT_EQ(port.lastErrno(), ENOENT);
    EXPECT_EQ(port.lastErrorText(), std::strerror(ENOENT));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.deviceConnected());
    EXPECT_FALSE(port.startWorker());
    port.send("X", 1);  // harmless
    EXPECT_EQ(threadCount(), threadsBefore);

    EXPECT_FALSE(port.open("/dev/null", recorder));
    EXPECT_EQ(port.lastError(), PortOpenError::NotATty);
    EXPECT_FALSE(port.isOpen());

    Pty pty;
    ASSERT_TRUE(pty.ok());
    EXPECT_FALSE(port.open(pty.slave, recorder, 12345));  // no such speed
    EXPECT_EQ(port.lastError(), PortOpenError::Other);
    EXPECT_EQ(threadCount(), threadsBefore);
    port.close();
}

TEST(SerialPort, SecondOpenOfAnExclusivePortIsBusy) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores TIOCEXCL";
    Pty pty;
    ASSERT_TRUE(pty.ok());
    Recorder recorder;
    SerialPort first, second;
    ASSERT_TRUE(first.open(pty.slave, recorder));
    EXPECT_FALSE(second.open(pty.slave, recorder));
    EXPECT_EQ(second.lastError(), PortOpenError::Busy);
}

TEST(SerialPort, OpenErrorsReadAsKinds) {
    EXPECT_EQ(openErrorFromErrno(ENOENT), PortOpenError::NoSuchDevice);
    EXPECT_EQ(openErrorFromErrno(ENXIO), PortOpenError::NoSuchDevice);
    EXPECT_EQ(openErrorFromErrno(ENODEV), PortOpenError::NoSuchDevice);
    EXPECT_EQ(openErrorFromErrno(EACCES), PortOpenError::PermissionDenied);
    EXPECT_EQ(openErrorFromErrno(EPERM), PortOpenError::PermissionDenied);
    EXPECT_EQ(openErrorFromErrno(EBUSY), PortOpenError::Busy);
    EXPECT_EQ(openErrorFromErrno(ENOTTY), PortOpenError::NotATty);
    EXPECT_EQ(openErrorFromErrno(EIO), PortOpenError::Other);
    const std::string denied = describeOpenError(PortOpenError::PermissionDenied, EACCES);
    EXPECT_NE(denied.find("dialout"), std::string::npos);
    EXPECT_NE(denied.find(std::strerror(EACCES)), std::string::npos);
    EXPECT_NE(describeOpenError(PortOpenError::Busy, EBUSY).find("in use"), std::string::npos);
}

TEST(SerialPort, CloseAndDestroyInAnyState) {
    Recorder recorder;
    {
        SerialPort never;
        never.close();
        never.close();
    }
    Pty pty;
    ASSERT_TRUE(pty.ok());
    {
        SerialPort openedOnly;  // no worker
        ASSERT_TRUE(openedOnly.open(pty.slave, recorder));
    }
    SerialPort port;
    ASSERT_TRUE(port.open(pty.slave, recorder));
    ASSERT_TRUE(port.startWorker());
    ASSERT_TRUE(port.open(pty.slave, recorder));  // closes the first opening
    ASSERT_TRUE(port.startWorker());
    pty.write("again");
    EXPECT_TRUE(recorder.waitForText("again"));
    port.close();
    port.close();
    EXPECT_FALSE(port.isOpen());
}

namespace {

// Stands for the UI thread: the worker's hand-over waits until the test
// thread pumps it, as a blocking queued call does.
class UiThreadHandOver : public ByteDelivery {
public:
    void deliverBytes(const char* bytes, std::size_t count) override {
        std::unique_lock<std::mutex> lock(mutex_);
        pending_.assign(bytes, count);
        hasPending_ = true;
        handled_.notify_all();
        if (!handled_.wait_for(lock, 5s, [&] { return !hasPending_; })) timedOut = true;
    }
    // True once the worker is blocked in a hand-over nobody has pumped yet.
    bool waitPending(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        return handled_.wait_for(lock, timeout, [&] { return hasPending_; });
    }
    // Runs on the test thread.
    void pump() {
        std::lock_guard<std::mutex> guard(mutex_);
        ++pumps;
        if (!hasPending_) return;
        received += pending_;
        hasPending_ = false;
        handled_.notify_all();
    }

    std::string received;
    int pumps = 0;
    bool timedOut = false;

private:
    std::mutex mutex_;
    std::condition_variable handled_;
    std::string pending_;
    bool hasPending_ = false;
};

}  // namespace

TEST(SerialPort, CloseWhileBytesArriveKeepsPumping) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    UiThreadHandOver ui;
    SerialPort port;
    ASSERT_TRUE(port.open(pty.slave, ui));
    ASSERT_TRUE(port.startWorker());

    std::atomic<bool> stop{false};
    std::thread sender([&] {
        while (!stop) {
            if (::write(pty.master, "0123456789", 10) < 0 && errno != EAGAIN) break;
            std::this_thread::sleep_for(100us);
        }
    });
    ASSERT_TRUE(waitUntil([&] { ui.pump(); return ui.received.size() > 200; }, 3000ms));

    ASSERT_TRUE(ui.waitPending(3000ms));  // the worker now waits for this thread
    const int pumpsBefore = ui.pumps;
    port.close([&] { ui.pump(); });
    const int pumpsDuringClose = ui.pumps - pumpsBefore;
    const std::size_t sizeAtClose = ui.received.size();
    EXPECT_FALSE(port.isOpen());
    EXPECT_GE(pumpsDuringClose, 1);
    EXPECT_FALSE(ui.timedOut) << "the worker waited for a hand-over that close never pumped";

    std::this_thread::sleep_for(30ms);
    ui.pump();
    EXPECT_EQ(ui.received.size(), sizeAtClose);  // nothing after the worker ended
    stop = true;
    sender.join();
    // Whatever came, came in order.
    for (std::size_t i = 1; i < ui.received.size(); ++i)
        ASSERT_EQ(ui.received[i], ui.received[i - 1] == '9' ? '0' : ui.received[i - 1] + 1) << i;
}

TEST(SerialPort, ReconnectsWhenTheDeviceComesBack) {
    const std::string dir = test::makeTempDir("reconnect");
    const std::string link = dir + "/panel";
    auto first = std::make_unique<Pty>();
    ASSERT_TRUE(first->ok());
    ASSERT_EQ(::symlink(first->slave.c_str(), link.c_str()), 0);

    Recorder recorder;
    SerialPort port;
    ASSERT_TRUE(port.open(link, recorder));
    ASSERT_TRUE(port.startWorker());
    first->write("before\r\n");
    ASSERT_TRUE(recorder.waitForText("before\r\n"));

    // The far end goes away: the slave hangs up.
    first->closeMaster();
    ASSERT_TRUE(waitUntil([&] { return !port.deviceConnected(); }, 2000ms));
    EXPECT_TRUE(port.isOpen());

    // While it is gone the worker must not spin.
    const double cpuBefore = processCpuSeconds();
    std::this_thread::sleep_for(400ms);
    EXPECT_LT(processCpuSeconds() - cpuBefore, 0.1);
    EXPECT_FALSE(port.deviceConnected());

    port.send("LOST\r\n", 6);  // dropped: there is nowhere to write it
    std::this_thread::sleep_for(20ms);

    // The device reappears under the same name.
    Pty second;
    ASSERT_TRUE(second.ok());
    const std::string tmpLink = link + ".new";
    ASSERT_EQ(::symlink(second.slave.c_str(), tmpLink.c_str()), 0);
    ASSERT_EQ(::rename(tmpLink.c_str(), link.c_str()), 0);
    ASSERT_TRUE(waitUntil([&] { return port.deviceConnected(); }, 3000ms));

    second.write("after\r\n");
    ASSERT_TRUE(recorder.waitForText("after\r\n"));
    EXPECT_EQ(recorder.received(), "before\r\nafter\r\n");
    EXPECT_EQ(second.read(1, 100ms), "");  // the frame sent while gone stayed dropped
    port.send("020000FE\r\n", 10);
    EXPECT_EQ(second.read(10, 2000ms), "020000FE\r\n");
    port.close();
}

TEST(SerialPort, CloseFromInsideADeliveryOnlyStopsTheWorker) {
    class Closer : public ByteDelivery {
    public:
        SerialPort* port = nullptr;
        std::atomic<int> deliveries{0};
        void deliverBytes(const char*, std::size_t) override {
            ++deliveries;
            port->close();
        }
    } closer;
    Pty pty;
    ASSERT_TRUE(pty.ok());
    SerialPort port;
    closer.port = &port;
    ASSERT_TRUE(port.open(pty.slave, closer));
    ASSERT_TRUE(port.startWorker());
    pty.write("A");
    ASSERT_TRUE(waitUntil([&] { return closer.deliveries.load() == 1; }, 2000ms));
    pty.write("B");
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(closer.deliveries.load(), 1);
    EXPECT_TRUE(port.isOpen());  // the final close is still to come
    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST(SerialPort, AReplyArrivingAtLinePaceIsHandedOverInFewPiecesWithoutDelayingItsEnd) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    Recorder recorder;
    SerialPort port;
    ASSERT_TRUE(port.open(pty.slave, recorder));
    ASSERT_TRUE(port.startWorker());
    const std::string reply = std::string(58, 'A') + "\r\n";
    port.expectReply(reply.size());

    // One character about every 1.04 ms, as at 9600 baud.
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < reply.size(); ++i) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(1042 * i));
        pty.write(reply.substr(i, 1));
    }
    const auto lineEndWritten = std::chrono::steady_clock::now();
    ASSERT_TRUE(recorder.waitForSize(reply.size()));
    const auto lineEndDelivered = std::chrono::steady_clock::now();
    EXPECT_EQ(recorder.received(), reply);
    EXPECT_LT(recorder.handOvers(), 20) << "one hand-over per character would be 60";
    EXPECT_LT(lineEndDelivered - lineEndWritten, 50ms);
}
