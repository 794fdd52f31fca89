// The program's serial port against the simulated panel on a pty: frames go
// out, replies come back and parse, and the port finds the panel again after
// the device behind the link has been replaced.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "link/SerialPort.h"
#include "protocol/ReplyParser.h"
#include "sim/PtyPanel.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

class LineCollector : public ByteDelivery {
public:
    void deliverBytes(const char* bytes, std::size_t count) override {
        std::lock_guard<std::mutex> guard(mutex_);
        text_.append(bytes, count);
        changed_.notify_all();
    }
    // The next complete line, or "" after the time-out.
    std::string nextLine(int timeoutMs = 2000) {
        std::unique_lock<std::mutex> lock(mutex_);
        const bool got = changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                           [this] { return text_.find('\n') != std::string::npos; });
        if (!got) return "";
        const std::size_t end = text_.find('\n');
        std::string line = text_.substr(0, end + 1);
        text_.erase(0, end + 1);
        return line;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string text_;
};


TEST(SerialPortWithSim, ExchangesFramesAndReconnectsAfterTheDeviceIsReplaced) {
    const std::string link = test::makeTempDir("serial-sim") + "/panel";
    sim::PanelModel model;
    model.panelSerialNumber = 3141;
    sim::PtyPanel panel(model, {}, link);
    ASSERT_TRUE(panel.start()) << panel.lastError();

    LineCollector lines;
    SerialPort port;
    ASSERT_TRUE(port.open(link, lines)) << port.lastErrorText();
    ASSERT_TRUE(port.startWorker());

    PanelState state;
    ReplyParser parser(state);
    const std::string identity = "020A00F4\r\n";
    port.send(identity.data(), identity.size());
    std::string line = lines.nextLine();
    ASSERT_TRUE(parser.parse(line.data(), line.size(), 0)) << line;
    EXPECT_EQ(state.panelSerialNumber, 3141);

    ASSERT_TRUE(panel.closeAndRecreate()) << panel.lastError();
    panel.withModel([](sim::PanelModel& m) { m.panelSerialNumber = 2718; });
    // The port notices the loss, then reopens the link, which now leads to the new device.
    ASSERT_TRUE(test::waitUntil([&] {
        if (!port.deviceConnected()) return false;
        port.send(identity.data(), identity.size());
        line = lines.nextLine(300);
        return !line.empty();
    }, std::chrono::milliseconds(8000), std::chrono::milliseconds(10)));
    ASSERT_TRUE(parser.parse(line.data(), line.size(), 0)) << line;
    EXPECT_EQ(state.panelSerialNumber, 2718);
    port.close();
    panel.stop();
}

}  // namespace
}  // namespace mr420
