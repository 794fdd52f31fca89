// The plain event loop's blocking hand-over of received bytes: what a waiting
// worker sees when the loop thread handles, drops or abandons its bytes.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include <sys/socket.h>
#include <unistd.h>

#include "base/EventLoop.h"

using namespace mr420;
using namespace std::chrono_literals;

namespace {

// A worker handing `bytes` over on a thread of its own.
struct Worker {
    std::atomic<bool> returned{false};
    std::thread thread;
    Worker(EventLoop& loop, const char* bytes, std::size_t count)
        : thread([this, &loop, bytes, count] {
              loop.deliverBytes(bytes, count);
              returned = true;
          }) {}
    ~Worker() {
        if (thread.joinable()) thread.join();
    }
};

// Calls `step` about every millisecond until the worker has returned or 3 s passed.
template <typename Step>
bool keepCallingUntilReturned(const Worker& worker, Step step) {
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (!worker.returned) {
        if (std::chrono::steady_clock::now() > end) return false;
        step();
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

}  // namespace

TEST(EventLoop, HandsBytesToTheHandlerOnTheLoopThreadBeforeTheWorkerReturns) {
    EventLoop loop;
    std::string seen;
    std::thread::id handlerThread;
    loop.setByteHandler([&](char c) {
        seen.push_back(c);
        handlerThread = std::this_thread::get_id();
    });
    Worker worker(loop, "abc", 3);
    EXPECT_TRUE(loop.runFor(3s, [&] { return seen.size() == 3; }));
    worker.thread.join();
    EXPECT_TRUE(worker.returned.load());
    EXPECT_EQ(seen, "abc");
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
}

TEST(EventLoop, ADroppedHandOverReturnsWithoutItsBytesAndTheNextIsHandled) {
    EventLoop loop;
    std::string seen;
    loop.setByteHandler([&](char c) { seen.push_back(c); });
    loop.dropWaitingHandOver();  // nothing waits: nothing happens
    {
        Worker worker(loop, "old", 3);
        EXPECT_TRUE(keepCallingUntilReturned(worker, [&] { loop.dropWaitingHandOver(); }));
    }
    EXPECT_EQ(seen, "");
    // Dropping is not a lasting state: the next hand-over is handled.
    Worker next(loop, "new", 3);
    EXPECT_TRUE(loop.runFor(3s, [&] { return seen.size() == 3; }));
    next.thread.join();
    EXPECT_EQ(seen, "new");
}

TEST(EventLoop, AHandOverBeingHandledOnAnotherThreadIsNotDropped) {
    EventLoop loop;
    std::string seen;
    std::atomic<bool> inHandler{false}, release{false};
    loop.setByteHandler([&](char c) {
        inHandler = true;
        while (!release) std::this_thread::sleep_for(1ms);
        seen.push_back(c);
    });
    Worker worker(loop, "xy", 2);
    auto loopThread = std::async(std::launch::async, [&] { loop.runFor(3s, [&] { return seen.size() == 2; }); });
    while (!inHandler) std::this_thread::sleep_for(1ms);
    loop.dropWaitingHandOver();  // from this thread, while the loop thread is inside the handler
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(worker.returned.load()) << "the worker's buffer is still being read";
    release = true;
    loopThread.get();
    worker.thread.join();
    EXPECT_TRUE(worker.returned.load());
    EXPECT_EQ(seen, "xy");
}

TEST(EventLoop, TheHandlerItselfCanLetGoOfItsHandOver) {
    // Closing the port from inside the byte handler: the worker must not keep
    // waiting for the handler that waits for the worker, and no byte after
    // the current one is read from the worker's buffer.
    struct Case {
        const char* what;
        void (*letGo)(EventLoop&);
    };
    const Case cases[] = {
        {"drop", [](EventLoop& loop) { loop.dropWaitingHandOver(); }},
        {"pump", [](EventLoop& loop) { loop.pumpOnce(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EventLoop loop;
        std::string seen;
        std::atomic<Worker*> current{nullptr};
        bool returnedInside = false;
        loop.setByteHandler([&](char ch) {
            seen.push_back(ch);
            if (ch != 'b') return;
            Worker* worker = current;
            returnedInside = keepCallingUntilReturned(*worker, [&] { c.letGo(loop); });
        });
        Worker worker(loop, "abcd", 4);
        current = &worker;
        EXPECT_TRUE(loop.runFor(3s, [&] { return worker.returned.load(); }));
        EXPECT_TRUE(returnedInside);
        EXPECT_EQ(seen, "ab");
        if (!worker.returned) loop.shutdown();
    }
}

TEST(EventLoop, ShutdownReleasesWaitingAndLaterHandOvers) {
    EventLoop loop;
    std::string seen;
    loop.setByteHandler([&](char c) { seen.push_back(c); });
    {
        Worker worker(loop, "a", 1);
        std::this_thread::sleep_for(20ms);
        loop.shutdown();
    }
    Worker later(loop, "b", 1);
    later.thread.join();
    EXPECT_TRUE(later.returned.load());
    EXPECT_EQ(seen, "");
}

TEST(EventLoop, WatchedDescriptorsAndHandOversBothWakeItAndAHandlerMayEndItsWatch) {
    EventLoop loop;
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
    std::string seen, read;
    loop.setByteHandler([&](char c) { seen.push_back(c); });
    int wakeUps = 0;
    loop.watchFd(pair[0], FdWatcher::kReadable, [&](int readyFor) {
        ++wakeUps;
        EXPECT_EQ(readyFor, FdWatcher::kReadable);
        char buf[16];
        const ssize_t n = ::read(pair[0], buf, sizeof buf);
        if (n > 0) read.append(buf, static_cast<std::size_t>(n));
        if (n == 0) loop.unwatchFd(pair[0]);   // the other end has closed
    });
    // Bytes from the serial worker wake the loop while it polls.
    Worker worker(loop, "abc", 3);
    EXPECT_TRUE(loop.runFor(3s, [&] { return seen == "abc"; }));
    worker.thread.join();
    ASSERT_EQ(::write(pair[1], "xy", 2), 2);
    EXPECT_TRUE(loop.runFor(3s, [&] { return read == "xy"; }));
    // A watch for nothing reports nothing; the end of the stream ends the watch.
    loop.setFdEvents(pair[0], 0);
    ::close(pair[1]);
    EXPECT_FALSE(loop.runFor(50ms, [&] { return wakeUps > 1; }));
    loop.setFdEvents(pair[0], FdWatcher::kReadable);
    loop.runFor(50ms);
    EXPECT_EQ(wakeUps, 2);
    ::close(pair[0]);
}
