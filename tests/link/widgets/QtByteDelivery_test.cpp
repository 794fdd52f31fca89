// The hand-over of received bytes from the serial worker to the UI thread.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "link/SerialPort.h"
#include "link/widgets/QtByteDelivery.h"
#include "support/Pty.h"
#include "support/TestApplication.h"

using namespace mr420;

namespace {

using mr420::test::app;

using mr420::test::Pty;
using mr420::test::pumpUntil;

}  // namespace

TEST(QtByteDelivery, RunsTheHandlerOnTheUiThreadInOrderAndBlocksTheCaller) {
    app();
    std::string seen;
    bool wrongThread = false;
    QThread* ui = QThread::currentThread();
    QtByteDelivery delivery([&](char c) {
        if (QThread::currentThread() != ui) wrongThread = true;
        seen.push_back(c);
    });

    std::atomic<int> returned{0};
    std::thread worker([&] {
        delivery.deliverBytes("abc", 3);
        // The call came back only after the UI thread handled every byte.
        if (seen == "abc") returned = 1;
        delivery.deliverBytes("de", 2);
        returned = 2;
    });
    EXPECT_TRUE(pumpUntil([&] { return returned.load() == 2; }));
    worker.join();
    EXPECT_EQ(returned.load(), 2);
    EXPECT_EQ(seen, "abcde");
    EXPECT_FALSE(wrongThread);
}

TEST(QtByteDelivery, DiscardingDropsBytesAndEmptyDeliveriesDoNothing) {
    app();
    std::string seen;
    QtByteDelivery delivery([&](char c) { seen.push_back(c); });
    delivery.deliverBytes("", 0);
    delivery.deliverBytes("x", 1);  // on the UI thread: handled directly
    delivery.setDiscarding(true);
    std::thread worker([&] { delivery.deliverBytes("yz", 2); });
    worker.join();  // returns without any event pumping
    EXPECT_EQ(seen, "x");
}

TEST(QtByteDelivery, SerialPortBytesArriveInOrderAndCloseWhileAHandOverWaitsDoesNotHang) {
    app();
    Pty pty;
    ASSERT_GE(pty.master, 0);
    std::string seen;
    QtByteDelivery delivery([&](char c) { seen.push_back(c); });
    SerialPort port;
    ASSERT_TRUE(port.open(pty.slave, delivery)) << port.lastErrorText();
    ASSERT_TRUE(port.startWorker() && pumpUntil([&] { return port.listening(); }));

    std::string sent;
    for (int i = 0; i < 50; ++i) sent += "020100:" + std::to_string(1000 + i) + "\r\n";
    pty.write(sent);
    EXPECT_TRUE(pumpUntil([&] { return seen.size() == sent.size(); }));
    EXPECT_EQ(seen, sent);

    // More bytes arrive while nobody pumps events: the worker is left blocked
    // in its hand-over, and close must still finish by pumping.
    pty.write("LATE\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QElapsedTimer t;
    t.start();
    port.close(&QtByteDelivery::pumpEvents);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(seen, sent + "LATE\r\n");
}

namespace {

// Ends the program if the test body does not finish in time: a port that
// waits for the thread destroying it would otherwise hang the whole run.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit, const char* what)
        : thread_([this, limit, what] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!finished_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fprintf(stderr, "hung: %s\n", what);
                  std::_Exit(3);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            done_ = true;
        }
        finished_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::thread thread_;
};

}  // namespace

TEST(QtByteDelivery, APortDestroyedOrOpenedAgainWithoutPumpingDropsTheWaitingHandOver) {
    app();
    for (const bool reopen : {false, true}) {
        SCOPED_TRACE(reopen ? "opened again" : "destroyed");
        Pty pty;
        ASSERT_GE(pty.master, 0);
        std::string seen;
        QtByteDelivery delivery([&](char c) { seen.push_back(c); });
        auto port = std::make_unique<SerialPort>();
        ASSERT_TRUE(port->open(pty.slave, delivery));
        ASSERT_TRUE(port->startWorker() && pumpUntil([&] { return port->listening(); }));
        pty.write("020100:1000\r\n");
        EXPECT_TRUE(pumpUntil([&] { return seen == "020100:1000\r\n"; }));

        // Nobody pumps events now: the worker is left blocked in its hand-over.
        pty.write("LATE\r\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QElapsedTimer t;
        t.start();
        {
            Watchdog watchdog(std::chrono::seconds(10), "a port waited for its own thread's events");
            if (reopen) {
                ASSERT_TRUE(port->open(pty.slave, delivery));
            } else {
                port.reset();
            }
        }
        EXPECT_LT(t.elapsed(), 1000);
        EXPECT_EQ(seen, "020100:1000\r\n");  // the bytes of a port going away are not handled

        // The delivery goes on working for whatever comes next.
        if (reopen) {
            ASSERT_TRUE(port->startWorker() && pumpUntil([&] { return port->listening(); }));
            pty.write("NEXT\r\n");
            EXPECT_TRUE(pumpUntil([&] { return seen.size() > 13; }));
            EXPECT_EQ(seen, "020100:1000\r\nNEXT\r\n");
            port->close(&QtByteDelivery::pumpEvents);
        } else {
            std::thread worker([&] { delivery.deliverBytes("ok", 2); });
            EXPECT_TRUE(pumpUntil([&] { return seen.size() > 13; }));
            worker.join();
            EXPECT_EQ(seen, "020100:1000\r\nok");
        }
    }
}
