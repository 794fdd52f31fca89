// The panel engine without Qt: opening, replacing and retrying ports against
// the simulated panel on a pseudo-terminal, the messages of a port that does
// not open, and the line trace.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/StringTable.h"
#include "base/TimerIds.h"
#include "protocol/PanelConnection.h"
#include "sim/PtyPanel.h"
#include "sim/Scenarios.h"
#include "support/ConnectionRig.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

using namespace std::chrono_literals;
using test::ConnectionRig;

sim::Scenario scenario(const char* name) {
    auto s = sim::makeScenario(name, 0);
    EXPECT_TRUE(s.has_value()) << name;
    return s.value_or(sim::Scenario{});
}

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The text after the time stamp of trace lines with the given direction.
std::vector<std::string> events(const std::vector<std::string>& lines, char direction) {
    static const std::regex stamped(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (.) (.*)$)");
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        std::smatch m;
        EXPECT_TRUE(std::regex_match(line, m, stamped)) << line;
        if (m.size() == 3 && m[1].str()[0] == direction) out.push_back(m[2]);
    }
    return out;
}

TEST(PanelConnection, OpenFailuresSayWhyInTheProgramsLanguage) {
    ConnectionRig rig;
    const std::string dir = test::makeTempDir("connection-open");

    // COM 7 names /dev/ttyS6 unless an alias says otherwise.
    rig.connection.setPortAliases({{7, dir + "/gone"}, {8, "/dev/null"}});
    auto missing = rig.connection.openCom(7);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->message(), "Nie można otworzyć portu COM7\n" + dir +
                                      "/gone: Urządzenie nie istnieje.\nSprawdź, czy adapter jest podłączony i czy "
                                      "wpis [PORTS] pliku ustawień wskazuje właściwe urządzenie.");
    EXPECT_FALSE(rig.connection.portOpen());

    auto notSerial = rig.connection.openCom(8);
    ASSERT_TRUE(notSerial);
    EXPECT_EQ(notSerial->reason, "To urządzenie nie jest portem szeregowym.");
    EXPECT_EQ(notSerial->hint, "");

    // A number beyond the fixed ranges without an alias names no device.
    auto unnamed = rig.connection.openCom(500);
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->message().substr(0, unnamed->message().find('\n')), "Nie można otworzyć portu COM500");
    EXPECT_EQ(unnamed->reason, "Urządzenie nie istnieje.");

    // Opened by its path, the device is named in the first line.
    auto byPath = rig.connection.openDevice(dir + "/gone");
    ASSERT_TRUE(byPath);
    EXPECT_EQ(byPath->message().substr(0, byPath->message().find('\n')), "Nie można otworzyć portu " + dir + "/gone");
}

TEST(PanelConnection, PermissionHintNamesTheDevicesGroupOrAdvisesAUdevRule) {
    const std::string dir = test::makeTempDir("connection-perm");
    const std::string node = dir + "/ttyX";
    std::ofstream(node) << "";

    ASSERT_EQ(::chown(node.c_str(), static_cast<uid_t>(-1), 0), ::geteuid() == 0 ? 0 : -1);
    if (::geteuid() == 0) {
        const PortOpenFailure rootGroup = describePortOpenFailure(PortOpenError::PermissionDenied, EACCES, node);
        EXPECT_EQ(rootGroup.reason, "Brak uprawnień do urządzenia.");
        EXPECT_EQ(rootGroup.hint, "Urządzenie należy do grupy root: reguła udev może nadać mu grupę dialout (zob. README).");
        ASSERT_EQ(::chown(node.c_str(), static_cast<uid_t>(-1), 20), 0);   // gid 20 is dialout on Debian
    }
    const struct stat st = [&] {
        struct stat s {};
        ::stat(node.c_str(), &s);
        return s;
    }();
    if (st.st_gid == 0) GTEST_SKIP() << "cannot give the node a group other than root";
    const PortOpenFailure other = describePortOpenFailure(PortOpenError::PermissionDenied, EACCES, node);
    const std::string group = other.hint.substr(std::string("Użytkownik musi należeć do grupy ").size());
    EXPECT_EQ(other.hint.rfind("Użytkownik musi należeć do grupy ", 0), 0u) << other.hint;
    EXPECT_NE(group.rfind("root", 0), 0u);
    EXPECT_NE(other.hint.find("sudo usermod -aG "), std::string::npos);

    // With an English string table the same cases read in English.
    setStringOverride([](int id) -> std::optional<std::string> {
        if (id == string_id::kPortBusy) return std::string("The port is in use by another program.");
        return std::nullopt;
    });
    EXPECT_EQ(describePortOpenFailure(PortOpenError::Busy, EBUSY, node).reason, "The port is in use by another program.");
    setStringOverride({});

    // A service that holds the port is named with the command that stops it.
    const PortOpenFailure service = describePortOpenFailure(PortOpenError::Busy, EBUSY, node, {77, "mr420-cli", "mr420@3.service", true});
    EXPECT_EQ(service.reason, "Port jest używany przez PID 77 (mr420-cli).");
    EXPECT_EQ(service.hint, "Port należy do usługi mr420@3.service; zatrzymuje ją: systemctl --user stop mr420@3.service");
}

TEST(PanelConnection, ReplacingThePortMovesThePollingToTheNewPanel) {
    sim::Scenario a = scenario("mr411-baro");
    a.model.panelSerialNumber = 1111;
    sim::Scenario b = scenario("mr466-two-temps");
    b.model.panelSerialNumber = 2222;
    sim::PtyPanel first(a.model, a.faults), second(b.model, b.faults);
    auto firstPath = first.start(), secondPath = second.start();
    ASSERT_TRUE(firstPath && secondPath);

    ConnectionRig rig;
    ASSERT_FALSE(rig.openAndStart(*firstPath));
    ASSERT_TRUE(rig.loop.runFor(10s, [&] { return rig.state().panelSerialNumber == 1111 && rig.connectedCycles() >= 1; }));

    ASSERT_FALSE(rig.connection.openDevice(*secondPath));
    EXPECT_EQ(rig.connection.devicePath(), *secondPath);
    EXPECT_FALSE(rig.refreshes.back());   // nothing of the old panel is shown
    const auto framesAtSwitch = first.framesReceived();
    // The frame lost with the old port times out; the new panel answers the resend.
    ASSERT_TRUE(rig.loop.runFor(15s, [&] { return rig.state().panelSerialNumber == 2222; }));
    ASSERT_TRUE(rig.loop.runFor(5s, [&] { return rig.state().mr466HasTemperature2 != 0; }));
    EXPECT_EQ(first.framesReceived(), framesAtSwitch);
    EXPECT_GT(second.framesReceived(), 0u);
}

TEST(PanelConnection, AMissingConfiguredPortIsRetriedQuietlyUntilItAppears) {
    const std::string link = test::makeTempDir("connection-retry") + "/ttyPanel";
    ConnectionRig rig;
    rig.connection.setPortAliases({{99, link}});
    ASSERT_TRUE(rig.connection.openCom(99));
    rig.connection.start();
    rig.connection.retryQuietly(99);
    rig.loop.runFor(1200ms);
    EXPECT_TRUE(rig.connection.retrying());
    EXPECT_FALSE(rig.connection.portOpen());

    sim::Scenario s = scenario("mr411-baro");
    sim::PtyPanel panel(s.model, s.faults, link);
    ASSERT_TRUE(panel.start()) << panel.lastError();
    // Opened within a retry period; polling starts with the next resend (6 s).
    ASSERT_TRUE(rig.loop.runFor(15s, [&] { return rig.connectedCycles() >= 1; }));
    EXPECT_TRUE(rig.connection.portOpen());
    EXPECT_EQ(rig.connection.openComNumber(), 99);
    EXPECT_FALSE(rig.connection.retrying());
}

TEST(PanelConnection, AnExplicitOpenOrCloseEndsTheQuietRetry) {
    ConnectionRig rig;
    rig.connection.setPortAliases({{99, test::makeTempDir("connection-retry-end") + "/none"}});
    rig.connection.retryQuietly(99);
    EXPECT_TRUE(rig.connection.retrying());
    rig.connection.closePort();
    EXPECT_FALSE(rig.connection.retrying());
    EXPECT_FALSE(rig.loop.timerRunning(timer_id::kPortReopenRetry));
    rig.connection.retryQuietly(0);   // no configured port: nothing to look for
    EXPECT_FALSE(rig.connection.retrying());
}

TEST(PanelConnection, TraceRecordsFramesLinesAndWhyALineWasRefusedWithoutSecrets) {
    const std::string dir = test::makeTempDir("connection-trace");
    sim::Scenario s = scenario("mr411-baro");
    s.faults.badLrcEvery = 4;
    sim::PtyPanel panel(s.model, s.faults);
    ASSERT_TRUE(panel.setTranscript(dir + "/panel.txt"));
    auto path = panel.start();
    ASSERT_TRUE(path);

    ConnectionRig rig;
    ASSERT_TRUE(rig.connection.startTrace(dir + "/trace.txt"));
    ASSERT_FALSE(rig.openAndStart(*path));
    ASSERT_TRUE(rig.loop.runFor(10s, [&] { return rig.connectedCycles() >= 2; }));
    rig.connection.writeArguments().pin = 4321;
    rig.connection.session().requestCommand(PanelCommand::SetPin);
    ASSERT_TRUE(rig.loop.runFor(10s, [&] { return rig.state().pinWritten != 0; }));
    rig.connection.writeArguments().papPassword = "tajne";
    rig.connection.session().requestCommand(PanelCommand::WriteLongTextChunk);
    ASSERT_TRUE(rig.loop.runFor(10s, [&] { return rig.connection.session().commandNumber() == 0 && rig.state().papWritten; }));
    rig.connection.stopTrace();
    rig.connection.closePort();
    panel.stop();

    const auto trace = linesOf(dir + "/trace.txt");
    const auto sent = events(trace, '>');
    const auto received = events(trace, '<');
    const auto notes = events(trace, '#');
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "020A00F4");
    EXPECT_EQ(received.front().substr(0, 7), "020A00:");
    EXPECT_NE(std::find(notes.begin(), notes.end(), "bad LRC"), notes.end());
    EXPECT_NE(std::find(sent.begin(), sent.end(), "025600" + std::string(10, '*')), sent.end());   // the PIN and its LRC
    // "4321" and "tajne" as character codes, in the frames and in the panel's echo.
    const std::vector<std::string> secrets = {"34333231", "74616A", "6E6520"};
    const auto panelTranscript = linesOf(dir + "/panel.txt");
    for (const auto* lines : {&trace, &panelTranscript})
        for (const std::string& line : *lines)
            for (const std::string& secret : secrets) EXPECT_EQ(line.find(secret), std::string::npos) << line;
    for (const std::string& f : sent) {
        if (f.rfind("0263002", 0) == 0) {
            EXPECT_EQ(f.substr(8), std::string(f.size() - 8, '*')) << f;
        }
    }
    const auto pinEcho = std::find_if(received.begin(), received.end(), [](const std::string& l) { return l.rfind("025600:", 0) == 0; });
    ASSERT_NE(pinEcho, received.end());
    EXPECT_EQ(pinEcho->substr(7, 8), std::string(8, '*')) << *pinEcho;
    EXPECT_EQ(pinEcho->substr(pinEcho->rfind(':') + 1), "**") << *pinEcho;

    // The panel's transcript hides the same digits: what the panel received
    // is what the program says it sent (a frame in flight when the trace
    // stopped, or when the port closed, may be on one side only).
    const auto atPanel = events(panelTranscript, '>');
    const std::size_t common = std::min(atPanel.size(), sent.size());
    EXPECT_LE(std::max(atPanel.size(), sent.size()) - common, 1u);
    EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(common), atPanel.begin()));
}

TEST(PanelConnection, BytesOfAPortBeingClosedDoNotReachTheSession) {
    sim::Scenario s = scenario("mr411-baro");
    sim::PtyPanel panel(s.model, s.faults);
    auto path = panel.start();
    ASSERT_TRUE(path);
    ConnectionRig rig;
    ASSERT_FALSE(rig.openAndStart(*path));
    ASSERT_TRUE(rig.loop.runFor(10s, [&] { return rig.connectedCycles() >= 1; }));
    rig.connection.closePort();
    const int position = rig.connection.session().linePosition();
    rig.loop.runFor(300ms);
    EXPECT_EQ(rig.connection.session().linePosition(), position);
    EXPECT_FALSE(rig.connection.portOpen());
}

}  // namespace
}  // namespace mr420
