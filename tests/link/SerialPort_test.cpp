#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "base/EventLoop.h"
#include "link/SerialPort.h"
#include "support/Pty.h"
#include "support/TestSupport.h"

using namespace mr420;
using namespace std::chrono_literals;

namespace {

using mr420::test::Pty;

// Collects delivered bytes on the worker thread and notes when each line end
// came. The owner may take its time over a line, as a busy user-interface
// thread does, while the next one queues up in the driver.
class Recorder : public ByteDelivery {
public:
    std::chrono::milliseconds busyAfterALine{0};

    void deliverBytes(const char* bytes, std::size_t count) override {
        const auto now = std::chrono::steady_clock::now();
        {
            std::lock_guard<std::mutex> guard(mutex_);
            received_.append(bytes, count);
            ++handOvers_;
            for (std::size_t i = 0; i < count; ++i)
                if (bytes[i] == '\n') lineEnds_.push_back(now);
            changed_.notify_all();
        }
        if (busyAfterALine > 0ms && std::memchr(bytes, '\n', count)) std::this_thread::sleep_for(busyAfterALine);
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
    // Time of the n-th line end (counting from 1), or nullopt after the time-out.
    std::optional<std::chrono::steady_clock::time_point> lineEnd(std::size_t n, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!changed_.wait_for(lock, timeout, [&] { return lineEnds_.size() >= n; })) return std::nullopt;
        return lineEnds_[n - 1];
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string received_;
    int handOvers_ = 0;
    std::vector<std::chrono::steady_clock::time_point> lineEnds_;
};

// Hands each delivery to a function of the test's.
struct DeliveryTo : ByteDelivery {
    std::function<void(std::string_view)> handle;
    void deliverBytes(const char* bytes, std::size_t count) override { handle({bytes, count}); }
};

// Counts the write steps the worker starts and runs `atWriteStep` at each,
// before the step's purge.
class HookedPort : public SerialPort {
public:
    using SerialPort::SerialPort;
    std::function<void()> atWriteStep;   // set before the worker starts
    std::atomic<int> writeSteps{0};

protected:
    void beforeWriteStep() override {
        if (atWriteStep) atWriteStep();
        ++writeSteps;
    }
};

using mr420::test::waitUntil;

// Starts the worker and waits out the quiet it keeps after the open.
bool listen(SerialPort& port) {
    return port.startWorker() && waitUntil([&] { return port.listening(); }, 1000ms);
}

// Opens `port` on the pty's slave, starts its worker and waits until it listens.
::testing::AssertionResult openAndListen(SerialPort& port, const Pty& pty, ByteDelivery& to) {
    if (!port.open(pty.slave, to)) return ::testing::AssertionFailure() << "open: " << port.lastErrorText();
    if (!listen(port)) return ::testing::AssertionFailure() << "the worker does not listen";
    return ::testing::AssertionSuccess();
}

long threadCount() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"), std::filesystem::directory_iterator());
}

// Writes `text` one character about every 1.04 ms, as at 9600 baud.
void writeAtLinePace(const Pty& pty, const std::string& text) {
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(1042 * i));
        pty.write(text.substr(i, 1));
    }
}

double processCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}


// A pseudo-terminal for the port to open, and two deliveries for it: a
// recorder and one the test defines. The port goes first, before them.
class SerialPortOnPty : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.ok()); }
    Pty pty;
    Recorder recorder;
    DeliveryTo delivery;
    HookedPort port;
};

}  // namespace

TEST_F(SerialPortOnPty, BytesReachTheDeliveryInOrder) {
    ASSERT_TRUE(port.open(pty.slave, recorder));
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(port.deviceConnected());
    EXPECT_EQ(port.lastError(), PortOpenError::None);
    ASSERT_TRUE(listen(port));
    EXPECT_FALSE(port.startWorker());  // one worker per opening

    // Every byte value, CR LF, NUL and the terminal's editing characters
    // included, in uneven pieces: as they come, and while a reply is due
    // (lines whole, the unfinished last one once it is overdue).
    std::string sent;
    for (int i = 0; i < 3000; ++i) sent.push_back(static_cast<char>((i * 7) & 0xff));
    std::string expected;
    for (std::size_t announced : {0, 60}) {
        SCOPED_TRACE(announced);
        port.expectReply(announced);
        for (std::size_t at = 0; at < sent.size(); at += 37) pty.write(sent.substr(at, 37));
        expected += sent;
        ASSERT_TRUE(recorder.waitForSize(expected.size()));
        EXPECT_EQ(recorder.received(), expected);
    }
    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SerialPortOnPty, InputUntilTheLineIsQuietAfterTheOpenIsDiscardedAndTheFirstFrameWaits) {
    ASSERT_TRUE(port.open(pty.slave, recorder) && port.startWorker());
    port.send("020A00F4\r\n", 10);
    // The tail of a reply to an earlier program, still trickling in.
    for (char c : std::string(":00:01:8027400:00:01:89\r\n")) pty.write(std::string(1, c)), std::this_thread::sleep_for(1ms);
    EXPECT_EQ(pty.read(10, 2000ms), "020A00F4\r\n");
    pty.write("reply\r\n");
    ASSERT_TRUE(recorder.waitForText("reply\r\n"));
    EXPECT_EQ(recorder.received(), "reply\r\n");
}

TEST_F(SerialPortOnPty, SendWritesExactlyTheFrame) {
    ASSERT_TRUE(openAndListen(port, pty, recorder));

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

TEST_F(SerialPortOnPty, FrameSentBeforeTheWorkerStartsGoesOutWhenItRuns) {
    ASSERT_TRUE(port.open(pty.slave, recorder));
    port.send("010100FE\r\n", 10);
    EXPECT_EQ(pty.read(1, 100ms), "");
    ASSERT_TRUE(listen(port));
    EXPECT_EQ(pty.read(10, 2000ms), "010100FE\r\n");
}

TEST_F(SerialPortOnPty, WriteStepPurgesPendingInput) {
    // Input arrives in the window between the read loop and the write step.
    port.atWriteStep = [this] {
        pty.write("STALE\r\n");
        std::this_thread::sleep_for(20ms);  // let the pty move it into the slave's queue
    };
    ASSERT_TRUE(openAndListen(port, pty, recorder));
    port.send("030000FD\r\n", 10);
    EXPECT_EQ(pty.read(10, 2000ms), "030000FD\r\n");
    EXPECT_EQ(port.writeSteps.load(), 1);
    pty.write("FRESH\r\n");
    ASSERT_TRUE(recorder.waitForText("FRESH\r\n"));
    EXPECT_EQ(recorder.received(), "FRESH\r\n");
}

TEST_F(SerialPortOnPty, ReplyHandledInsideTheDeliveryCanSendTheNextFrame) {
    // The session sends its next command from inside the character handler.
    delivery.handle = [this, line = std::string()](std::string_view bytes) mutable {
        for (char c : bytes) {
            if (!(line += c).ends_with("\r\n")) continue;
            const std::string reply = "ACK:" + line;
            port.send(reply.data(), reply.size());
            line.clear();
        }
    };
    ASSERT_TRUE(openAndListen(port, pty, delivery));
    for (int i = 0; i < 20; ++i) {
        const std::string line = "L" + std::to_string(i) + "\r\n";
        pty.write(line);
        const std::string expected = "ACK:" + line;
        ASSERT_EQ(pty.read(expected.size(), 2000ms), expected) << i;
    }
}

TEST_F(SerialPortOnPty, OpenFailuresLeaveNothingRunning) {
    const long threadsBefore = threadCount();
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

    EXPECT_FALSE(port.open(pty.slave, recorder, 12345));  // no such speed
    EXPECT_EQ(port.lastError(), PortOpenError::Other);
    EXPECT_EQ(threadCount(), threadsBefore);
    port.close();
}

// Also for root, whom TIOCEXCL does not stop: the lock refuses the second
// open before it sets or flushes anything on the first one's line.
TEST_F(SerialPortOnPty, SecondOpenOfAnExclusivePortIsBusy) {
    const std::string locks = test::makeTempDir("serial-busy");
    SerialPort first(locks), second(locks);
    ASSERT_TRUE(first.open(pty.slave, recorder));
    pty.write("kept");
    EXPECT_FALSE(second.open(pty.slave, recorder));
    EXPECT_EQ(second.lastError(), PortOpenError::Busy);
    EXPECT_EQ(second.holder().pid, static_cast<int>(::getpid()));
    const int raw = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    char got[8] = {};
    EXPECT_EQ(::read(raw, got, sizeof got), 4);   // the holder's input is still there
    ::close(raw);
    first.close();
    EXPECT_TRUE(std::filesystem::is_empty(locks));
}

TEST(SerialPort, OpenErrorsReadAsKinds) {
    const std::pair<int, PortOpenError> cases[] = {
        {ENOENT, PortOpenError::NoSuchDevice},     {ENXIO, PortOpenError::NoSuchDevice}, {ENODEV, PortOpenError::NoSuchDevice},
        {EACCES, PortOpenError::PermissionDenied}, {EPERM, PortOpenError::PermissionDenied},
        {EBUSY, PortOpenError::Busy},              {ENOTTY, PortOpenError::NotATty},     {EIO, PortOpenError::Other},
    };
    for (const auto& [error, kind] : cases) EXPECT_EQ(openErrorFromErrno(error), kind) << std::strerror(error);
}

TEST_F(SerialPortOnPty, CloseAndDestroyInAnyState) {
    {
        SerialPort never;
        never.close();
        never.close();
    }
    {
        SerialPort openedOnly;  // no worker
        ASSERT_TRUE(openedOnly.open(pty.slave, recorder));
    }
    ASSERT_TRUE(openAndListen(port, pty, recorder));
    ASSERT_TRUE(port.open(pty.slave, recorder));  // closes the first opening
    ASSERT_TRUE(listen(port));
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

TEST_F(SerialPortOnPty, CloseWhileBytesArriveKeepsPumping) {
    UiThreadHandOver ui;
    SerialPort port;
    ASSERT_TRUE(openAndListen(port, pty, ui));

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
    const std::string locks = test::makeTempDir("reconnect-locks");
    SerialPort port(locks);
    ASSERT_TRUE(port.open(link, recorder));
    ASSERT_TRUE(listen(port));
    const std::string firstLock = locks + "/" + PortLock::lockFileName(link);
    first->write("before\r\n");
    ASSERT_TRUE(recorder.waitForText("before\r\n"));

    // The far end goes away: the slave hangs up. (The device that comes
    // back is made before, so that it gets another number.)
    Pty second;
    ASSERT_TRUE(second.ok());
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
    const std::string tmpLink = link + ".new";
    ASSERT_EQ(::symlink(second.slave.c_str(), tmpLink.c_str()), 0);
    ASSERT_EQ(::rename(tmpLink.c_str(), link.c_str()), 0);
    ASSERT_TRUE(waitUntil([&] { return port.deviceConnected() && port.listening(); }, 3000ms));
    EXPECT_EQ(port.deviceLosses(), 1u);
    // The lock follows the device the link names now.
    EXPECT_FALSE(std::filesystem::exists(firstLock));
    EXPECT_TRUE(std::filesystem::exists(locks + "/" + PortLock::lockFileName(link)));
    SerialPort other(locks);
    EXPECT_FALSE(other.open(link, recorder));

    second.write("after\r\n");
    ASSERT_TRUE(recorder.waitForText("after\r\n"));
    EXPECT_EQ(recorder.received(), "before\r\nafter\r\n");
    EXPECT_EQ(second.read(1, 100ms), "");  // the frame sent while gone stayed dropped
    port.send("020000FE\r\n", 10);
    EXPECT_EQ(second.read(10, 2000ms), "020000FE\r\n");
    port.close();
}

TEST_F(SerialPortOnPty, CloseFromInsideADeliveryOnlyStopsTheWorker) {
    delivery.handle = [this](std::string_view bytes) {
        recorder.deliverBytes(bytes.data(), bytes.size());
        port.close();
    };
    ASSERT_TRUE(openAndListen(port, pty, delivery));
    pty.write("A");
    ASSERT_TRUE(waitUntil([&] { return recorder.handOvers() == 1; }, 2000ms));
    pty.write("B");
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(recorder.handOvers(), 1);
    EXPECT_EQ(recorder.received(), "A");
    EXPECT_TRUE(port.isOpen());  // the final close is still to come
    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SerialPortOnPty, AReplyArrivingAtLinePaceIsHandedOverInOnePieceWithoutDelayingItsEnd) {
    ASSERT_TRUE(openAndListen(port, pty, recorder));
    const std::string reply = std::string(58, 'A') + "\r\n";
    port.expectReply(reply.size());
    port.send("020A00F4\r\n", 10);
    ASSERT_EQ(pty.read(10, 2000ms), "020A00F4\r\n");
    writeAtLinePace(pty, reply);
    const auto lineEndWritten = std::chrono::steady_clock::now();
    ASSERT_TRUE(recorder.waitForSize(reply.size()));
    const auto lineEndDelivered = std::chrono::steady_clock::now();
    EXPECT_EQ(recorder.received(), reply);
    EXPECT_EQ(recorder.handOvers(), 1) << "one hand-over per character would be 60";
    EXPECT_LT(lineEndDelivered - lineEndWritten, 50ms);
}

namespace {

// A second descriptor on the port's line, for the far end's side of the
// driver. Opened before the port takes the device exclusively.
struct LineHandle {
    int fd = -1;
    explicit LineHandle(const std::string& path) { fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK); }
    ~LineHandle() {
        if (fd >= 0) {
            (void)::tcflow(fd, TCOON);
            ::close(fd);
        }
    }
    // Writes until the driver takes no more (the far end does not read).
    std::size_t fillOutput() const {
        std::size_t total = 0;
        const std::string chunk(1024, 'f');
        for (int round = 0; round < 20; ++round) {
            while (true) {
                ssize_t n = ::write(fd, chunk.data(), chunk.size());
                if (n <= 0) break;
                total += static_cast<std::size_t>(n);
            }
            std::this_thread::sleep_for(2ms);  // let the driver move what it holds along
        }
        return total;
    }
};

}  // namespace

TEST_F(SerialPortOnPty, WriteStepPurgeKeepsAnEarlierFrameThatIsStillGoingOut) {
    LineHandle line(pty.slave);
    ASSERT_GE(line.fd, 0);
    ASSERT_TRUE(openAndListen(port, pty, recorder));

    // The far end reads slowly: its queue is full, so the next frame waits
    // in the driver's output while the following one is purged for.
    const std::string backlog(8192, 'f');
    std::size_t put = 0;
    while (put < backlog.size()) {
        ssize_t n = ::write(line.fd, backlog.data() + put, backlog.size() - put);
        ASSERT_GT(n, 0) << "the driver should hold the whole backlog";
        put += static_cast<std::size_t>(n);
    }
    const std::string first = "020A00F4\r\n", second = "020200FC\r\n";
    port.send(first.data(), first.size());
    ASSERT_TRUE(waitUntil([&] { return port.writeSteps.load() == 1; }, 2000ms));
    std::this_thread::sleep_for(30ms);
    port.send(second.data(), second.size());
    ASSERT_TRUE(waitUntil([&] { return port.writeSteps.load() == 2; }, 2000ms));

    const std::string expected = backlog + first + second;
    const std::string got = pty.read(expected.size(), 3000ms);
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected) << "the far end received " << got.size() << " of " << expected.size()
                                 << " bytes, ending in \"" << got.substr(got.size() > 30 ? got.size() - 30 : 0)
                                 << "\"";
}

TEST(SerialPort, ALineEndReachesTheOwnerPromptlyWhateverLengthWasAnnounced) {
    struct Case {
        const char* what;
        std::size_t announced;   // what expectReply was told
        std::size_t length;      // the line that comes, CR LF included
        int ownerBusyMs;         // the owner takes this long over each line...
        int gapMs;               // ...and the next line starts this long after the last
    };
    const Case cases[] = {
        {"a refused command: four characters where a memory block was due", 781, 4, 0, 10},
        {"an older panel's shorter reply", 47, 18, 0, 10},
        {"a line much shorter than announced", 781, 60, 0, 10},
        {"characters queued while the owner was busy with the line before", 781, 40, 20, 0},
        {"a reply of the announced length", 26, 26, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pty pty;
        ASSERT_TRUE(pty.ok());
        Recorder owner;
        owner.busyAfterALine = std::chrono::milliseconds(c.ownerBusyMs);
        SerialPort port;
        ASSERT_TRUE(openAndListen(port, pty, owner));

        std::string sent;
        std::vector<std::chrono::steady_clock::time_point> written;
        // Five lines each, judged by the median, so that a scheduling hiccup
        // of a busy machine can neither fail nor save the case.
        for (std::size_t repeat = 1; repeat <= 5; ++repeat) {
            std::string text = std::string(c.length - 2, static_cast<char>('0' + repeat)) + "\r\n";
            port.expectReply(c.announced);
            writeAtLinePace(pty, text);
            written.push_back(std::chrono::steady_clock::now());
            sent += text;
            std::this_thread::sleep_for(std::chrono::milliseconds(c.gapMs));
        }
        std::vector<std::chrono::steady_clock::duration> delays;
        for (std::size_t n = 1; n <= written.size(); ++n) {
            const auto handed = owner.lineEnd(n, 3000ms);
            ASSERT_TRUE(handed.has_value()) << "line " << n;
            delays.push_back(*handed - written[n - 1]);
        }
        EXPECT_EQ(owner.received(), sent);
        std::sort(delays.begin(), delays.end());
        const auto median = delays[delays.size() / 2];
        EXPECT_LT(median, 15ms) << "line end handed over "
                                << std::chrono::duration_cast<std::chrono::microseconds>(median).count()
                                << " us after it arrived (median)";
    }
}

TEST(SerialPort, CloseReturnsPromptlyWhileAFrameWaitsForRoomInTheOutput) {
    struct Case {
        const char* what;
        void (*stall)(const LineHandle&);
    };
    const Case cases[] = {
        {"the far end stops reading and the output queue is full",
         [](const LineHandle& line) { ASSERT_GT(line.fillOutput(), 0u); }},
        {"the driver holds its output back",
         [](const LineHandle& line) { ASSERT_EQ(::tcflow(line.fd, TCOOFF), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pty pty;
        ASSERT_TRUE(pty.ok());
        LineHandle line(pty.slave);
        ASSERT_GE(line.fd, 0);
        Recorder recorder;
        HookedPort port;
        ASSERT_TRUE(openAndListen(port, pty, recorder));
        c.stall(line);
        const std::string frame = "020A00F4\r\n";
        port.send(frame.data(), frame.size());
        ASSERT_TRUE(waitUntil([&] { return port.writeSteps.load() == 1; }, 2000ms));
        std::this_thread::sleep_for(150ms);  // the worker now waits for room

        const auto before = std::chrono::steady_clock::now();
        port.close();
        const auto took = std::chrono::steady_clock::now() - before;
        EXPECT_FALSE(port.isOpen());
        EXPECT_LT(took, 1s) << "close took "
                            << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
    }
}

TEST(SerialPort, DestroyingOrReopeningNeverWaitsForTheLoopThreadItIsCalledOn) {
    // The plain loop hands bytes over like the window does: the worker waits
    // until the loop's thread has handled them. Here that thread is busy in
    // the port's own close and does not run the loop.
    struct Case {
        const char* what;
        void (*run)(const Pty& pty, EventLoop& loop, std::string& seen);
    };
    const Case cases[] = {
        {"destroyed while a hand-over waits",
         [](const Pty& pty, EventLoop& loop, std::string& seen) {
             auto port = std::make_unique<SerialPort>();
             ASSERT_TRUE(openAndListen(*port, pty, loop));
             pty.write("nobody handles this\r\n");
             std::this_thread::sleep_for(100ms);  // the worker now waits for this thread
             port.reset();
             EXPECT_EQ(seen, "");
         }},
        {"opened again while a hand-over waits",
         [](const Pty& pty, EventLoop& loop, std::string& seen) {
             SerialPort port;
             ASSERT_TRUE(openAndListen(port, pty, loop));
             pty.write("nobody handles this\r\n");
             std::this_thread::sleep_for(100ms);
             ASSERT_TRUE(openAndListen(port, pty, loop));
             pty.write("fresh\r\n");
             loop.runFor(3s, [&] { return seen.find('\n') != std::string::npos; });
             EXPECT_EQ(seen, "fresh\r\n");  // the old opening's bytes were dropped
             port.close([&] { loop.pumpOnce(); });
         }},
        {"closed from inside the byte handler",
         [](const Pty& pty, EventLoop& loop, std::string& seen) {
             SerialPort port;
             loop.setByteHandler([&](char ch) {
                 seen.push_back(ch);
                 port.close();
             });
             ASSERT_TRUE(openAndListen(port, pty, loop));
             pty.write("abc\r\n");
             loop.runFor(3s, [&] { return !port.isOpen(); });
             EXPECT_FALSE(port.isOpen());
             EXPECT_EQ(seen, "a");  // the rest of that hand-over went with the port
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto loop = std::make_shared<EventLoop>();
        std::string seen;
        loop->setByteHandler([&](char ch) { seen.push_back(ch); });
        // The body runs on a thread of its own, which is the loop's thread;
        // should it hang, shutting the loop down frees it and the case fails.
        auto body = std::async(std::launch::async, [&c, &seen, loop] {
            Pty pty;
            ASSERT_TRUE(pty.ok());
            c.run(pty, *loop, seen);
        });
        if (body.wait_for(5s) != std::future_status::ready) {
            ADD_FAILURE() << "the port waited for a hand-over that its own thread was to handle";
            loop->shutdown();
        }
        body.get();
    }
}

TEST(SerialPort, CharactersOfATricklingLineAreNotKeptFromTheOwner) {
    const std::pair<const char*, bool> cases[] = {
        {"the line stops half way", false},
        {"a frame is sent half way through the line", true},
    };
    for (const auto& [what, frameSent] : cases) {
        SCOPED_TRACE(what);
        Pty pty;
        ASSERT_TRUE(pty.ok());
        Recorder recorder;
        std::string receivedAtWriteStep;
        HookedPort port;
        port.atWriteStep = [&] { receivedAtWriteStep = recorder.received(); };
        ASSERT_TRUE(openAndListen(port, pty, recorder));
        port.expectReply(60);
        const std::string half = "020200:0123456789";
        writeAtLinePace(pty, half);
        if (!frameSent) {
            // Handed over once the reply is overdue.
            EXPECT_TRUE(recorder.waitForSize(half.size(), 500ms));
            EXPECT_EQ(recorder.received(), half);
        } else {
            std::this_thread::sleep_for(2ms);  // the next character is late, the line goes on
            const std::string frame = "020A00F4\r\n";
            port.send(frame.data(), frame.size());
            EXPECT_EQ(pty.read(frame.size(), 2000ms), frame);
            ASSERT_EQ(port.writeSteps.load(), 1);
            // What the worker had read went to the owner before the write
            // step; only what the pseudo-terminal had not passed on yet may
            // have gone with the purge, and nothing turns up after it.
            EXPECT_EQ(half.compare(0, receivedAtWriteStep.size(), receivedAtWriteStep), 0)
                << receivedAtWriteStep;
            std::this_thread::sleep_for(50ms);
            EXPECT_EQ(recorder.received(), receivedAtWriteStep);
        }
    }
}

TEST(SerialPort, AFrameSentJustBeforeCloseStillGoesOut) {
    // The owner's last command and the close follow each other at once; the
    // worker may not have looked at the frame yet when it is told to stop.
    for (int round = 0; round < 20; ++round) {
        Pty pty;
        ASSERT_TRUE(pty.ok());
        Recorder recorder;
        SerialPort port;
        ASSERT_TRUE(openAndListen(port, pty, recorder));
        const std::string frame = "0" + std::to_string(round % 10) + "0A00F4\r\n";
        port.send(frame.data(), frame.size());
        port.close();
        EXPECT_EQ(pty.read(frame.size(), 1000ms), frame) << "round " << round;
    }
}
