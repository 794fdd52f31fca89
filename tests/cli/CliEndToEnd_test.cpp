// Runs mr420-cli against the simulated panel on a pseudo-terminal: each
// command once, the files it writes compared with the core writers' bytes,
// every exit status once.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <thread>

#include "base/StringTable.h"
#include "cli/CliTexts.h"
#include "recording/MemoryDecoder.h"
#include "recording/MemorySave.h"
#include "recording/RegistrationSources.h"
#include "sim/PtyPanel.h"
#include "sim/Scenarios.h"
#include "support/ChildProcess.h"
#include "support/TestSupport.h"

namespace mr420::cli {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

using Outcome = test::ChildProcess::Outcome;
using mr420::test::readFile;

// A running mr420-cli with its output collected.
struct Child : test::ChildProcess {
    explicit Child(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
        : ChildProcess(test::binary("mr420-cli"), args, env) {}
};

class CliEndToEnd : public ::testing::Test {
protected:
    void startPanel(const std::string& scenario = "mr411-baro", sim::FaultConfig faults = {},
                    const std::function<void(sim::PanelModel&)>& adjust = {}) {
        auto s = sim::makeScenario(scenario, 800'000'000);
        ASSERT_TRUE(s);
        if (adjust) adjust(s->model);
        dir_ = test::makeTempDir("cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        panel_ = std::make_unique<sim::PtyPanel>(s->model, faults, dir_ + "/tty");
        ASSERT_TRUE(panel_->start()) << panel_->lastError();
    }
    void TearDown() override {
        if (panel_) panel_->stop();
    }

    // The program's arguments after the settings file and the device.
    std::vector<std::string> with(std::vector<std::string> args, bool device = true) const {
        std::vector<std::string> all{"--ini", dir_ + "/mr420.ini", "--lang", "en"};
        if (device) all.insert(all.end(), {"--device", dir_ + "/tty"});
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }
    Outcome run(std::vector<std::string> args, bool device = true) { return Child(with(args, device)).finish(); }

    // Waits for `done` up to a minute.
    static bool waitFor(const std::function<bool()>& done) { return test::waitUntil(done, 60s, 50ms); }
    // The records of a log file after its header lines.
    static std::vector<std::string> recordsOf(const std::string& path) {
        std::vector<std::string> records;
        std::istringstream lines(readFile(path));
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("20", 0) == 0) records.push_back(line);
        return records;
    }

    std::string dir_;
    std::unique_ptr<sim::PtyPanel> panel_;
};

TEST_F(CliEndToEnd, InfoPrintsThePanelInformationTexts) {
    startPanel();
    const Outcome r = run({"info"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("4711"), std::string::npos) << r.out;   // the panel's serial number
    EXPECT_NE(r.out.find("2231"), std::string::npos) << r.out;   // the probe's
    EXPECT_NE(r.out.find("2.08"), std::string::npos) << r.out;
}

TEST_F(CliEndToEnd, WatchPrintsOneLinePerCycleOfTheChannelsPresent) {
    startPanel();
    Outcome r = run({"watch", "--count", "3", "--format", "json"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        EXPECT_NE(line.find("\"TEMP1\":"), std::string::npos) << line;
        EXPECT_NE(line.find("\"PRESSURE\":1013.2"), std::string::npos) << line;
        EXPECT_EQ(line.find("TEMP2"), std::string::npos) << line;   // an MR411 has no second temperature
    }
    EXPECT_EQ(count, 3);

    r = run({"watch", "--count", "3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
    EXPECT_NE(r.out.find("1013.2 hPa"), std::string::npos) << r.out;
}

TEST_F(CliEndToEnd, LogStartsANewFileWhenTheExpandedNameChanges) {
    startPanel();
    // One file per second of the clock; records every second.
    Child child(with({"log", dir_ + "/log-%H%M%S.csv", "--interval", "1s", "--separator", "semicolon"}));
    const auto end = std::chrono::steady_clock::now() + 60s;
    auto logs = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename().string().rfind("log-", 0) == 0) names.push_back(e.path().string());
        return names;
    };
    while (logs().size() < 4 && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(100ms);
    child.signal(SIGTERM);
    const Outcome r = child.finish();
    EXPECT_EQ(r.status, 0) << r.err;

    const RegistrationTexts t = registrationTextsFromStringTable();   // Polish here; the program speaks English
    const auto names = logs();
    ASSERT_GE(names.size(), 3u);
    for (const std::string& name : names) {
        const std::string content = readFile(name);
        // Each file starts with its header (in Windows-1250) and holds whole CR LF records.
        EXPECT_EQ(content.rfind("Date and Time;Temperature1 \xB0" "C;", 0), 0u) << name << ": " << content;
        EXPECT_GE(std::count(content.begin(), content.end(), '\n'), 2) << content;
        EXPECT_EQ(content.substr(content.size() - 2), "\r\n");
        EXPECT_NE(content.find(";1013.2;"), std::string::npos) << content;
    }
}

TEST_F(CliEndToEnd, ServeLogsServesTheDataAndTellsTheServiceManager) {
    startPanel();
    const std::string ini = dir_ + "/mr420.ini", log = dir_ + "/serve.csv", runtime = dir_ + "/run";
    test::writeFile(ini, "[SERVE]\r\nLOG_INTERVAL=never\r\n");
    Outcome r = run({"serve"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("The [SERVE] section of " + ini), std::string::npos) << r.err;

    // The settings file gives the interval, separator and a file the command line overrides.
    test::writeFile(ini, "[SERVE]\r\nLOG_FILE=" + dir_ + "/not-this.csv\r\nLOG_INTERVAL=1s\r\nLOG_SEPARATOR=semicolon\r\n"
                         "LOG_CHANNELS=TEMP1,PRESSURE\r\n");
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    // The service manager's end of the notification socket.
    const int manager = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s/notify", dir_.c_str());
    ASSERT_EQ(::bind(manager, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::string told;
    const auto heard = [&](const std::string& what) {
        char buf[512];
        for (ssize_t n; (n = ::recv(manager, buf, sizeof buf, 0)) > 0;) told.append(buf, static_cast<std::size_t>(n));
        return told.find(what) != std::string::npos;
    };
    Child service(with({"serve", "--log", log}), {"NOTIFY_SOCKET=" + std::string(address.sun_path), "XDG_RUNTIME_DIR=" + runtime});
    ASSERT_TRUE(waitFor([&] { return heard("READY=1\nSTATUS=polling, "); })) << told << service.errSoFar();
    ASSERT_TRUE(waitFor([&] { return recordsOf(log).size() >= 2; }));
    EXPECT_NE(recordsOf(log).back().find(";1013.2"), std::string::npos) << recordsOf(log).back();
    EXPECT_FALSE(fs::exists(dir_ + "/not-this.csv"));
    // Other programs read the readings from its data server, as from the window's.
    const auto topics = test::ChildProcess(test::binary("mr420-data"), {"topics"}, {"XDG_RUNTIME_DIR=" + runtime}).finish(10s);
    EXPECT_NE(topics.out.find("Pressure#4711\n"), std::string::npos) << topics.out << topics.err;
    // A command on the held port runs through the service, as it would on the port.
    const auto info = Child(with({"info"}), {"XDG_RUNTIME_DIR=" + runtime}).finish();
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("4711"), std::string::npos) << info.out;
    // In the client's language: a watch until stopped does not go through it.
    const auto forever = Child({"--ini", ini, "--lang", "pl", "--device", dir_ + "/tty", "watch"}, {"XDG_RUNTIME_DIR=" + runtime}).finish();
    EXPECT_EQ(forever.status, 2);
    EXPECT_NE(forever.err.find("Port należy do usługi (PID " + std::to_string(service.pid()) + "); przez nią przechodzą info, watch --count"),
              std::string::npos) << forever.err;
    // A second service on the port is refused, with the holder named.
    const auto second = Child(with({"serve"}), {"XDG_RUNTIME_DIR=" + runtime}).finish();
    EXPECT_EQ(second.status, 2);
    EXPECT_NE(second.err.find("in use by PID " + std::to_string(service.pid())), std::string::npos) << second.err;
    // Another user who can reach the port and the control socket sends the
    // service nothing and is told whose it is.
    if (::geteuid() == 0) {
        const std::string control = runtime + "/MR420-control-" + std::to_string(service.pid());
        for (const std::string& path : {runtime, control, fs::canonical(dir_ + "/tty").string()})
            fs::permissions(path, fs::perms::all);
        std::vector<std::string> args{"--reuid=65534", "--regid=65534", "--clear-groups", test::binary("mr420-cli")};
        for (const std::string& a : with({"info"})) args.push_back(a);
        const auto other = test::ChildProcess("/usr/bin/setpriv", args, {"XDG_RUNTIME_DIR=" + runtime}).finish();
        EXPECT_EQ(other.status, 2);
        EXPECT_NE(other.err.find("The service (PID " + std::to_string(service.pid()) + ") belongs to another user"),
                  std::string::npos) << other.err;
        fs::permissions(runtime, fs::perms::owner_all);
    }

    // SIGHUP after the log was rotated away opens the file anew.
    fs::rename(log, log + ".1");
    service.signal(SIGHUP);
    EXPECT_TRUE(waitFor([&] { return recordsOf(log).size() >= 1; }));
    for (const std::string& record : recordsOf(log)) EXPECT_EQ(record.find("???"), std::string::npos) << record;
    service.signal(SIGTERM);
    r = service.finish();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(heard("STOPPING=1\n")) << told;
    EXPECT_FALSE(fs::exists(runtime + "/MR420"));   // the data server's socket is gone
    ::close(manager);
}

TEST_F(CliEndToEnd, LogAppendsUnlessTruncatedAndSaysWhenTheLinkComesBack) {
    startPanel();
    const std::string file = dir_ + "/reg.txt";
    {
        std::ofstream(file) << "earlier\r\n";
    }
    Child child(with({"log", file, "--interval", "1s", "--comment", "hall 2", "--serial", "--channels", "TEMP1,PRESSURE"}));
    auto records = [&] {
        const std::string c = readFile(file);
        return std::count(c.begin(), c.end(), '\n');
    };
    ASSERT_TRUE(waitFor([&] { return records() >= 6; }));
    // The panel falls silent past the session's four time-outs, then answers again.
    panel_->silenceFor(27);
    EXPECT_TRUE(waitFor([&] { return child.errSoFar().find("connection with the panel was lost") != std::string::npos; }));
    EXPECT_TRUE(waitFor([&] { return child.errSoFar().find("connection with the panel is back") != std::string::npos; }))
        << child.errSoFar();
    // Values from the cycle that made the connection, not 12 s of "???".
    const auto back = records();
    ASSERT_TRUE(waitFor([&] { return records() >= back + 2; }));
    EXPECT_EQ(recordsOf(file).back().find("???"), std::string::npos) << recordsOf(file).back();
    child.signal(SIGINT);
    const Outcome r = child.finish();
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string c = readFile(file);
    EXPECT_EQ(c.rfind("earlier\r\n\r\nhall 2\r\nPanel MR-420 no. 4711\r\nDate and Time\tTemperature1 \xB0" "C\tPressure hPa\r\n", 0), 0u)
        << c;

    // --truncate empties the file first.
    Child again(with({"log", file, "--truncate", "--interval", "1h"}));
    ASSERT_TRUE(waitFor([&] { return readFile(file).find("earlier") == std::string::npos && records() >= 2; }));
    again.signal(SIGTERM);
    EXPECT_EQ(again.finish().status, 0);
}

// A panel that vanishes: "???" from the record after the loss on, said at
// once; values again from the first cycle after it is back.
TEST_F(CliEndToEnd, LogWritesNoValueOnceThePanelHasVanished) {
    sim::FaultConfig paced;
    paced.pace = true;
    startPanel("mr411-baro", paced);
    const std::string file = dir_ + "/gone.csv";
    Child child(with({"log", file, "--interval", "1s", "--channels", "TEMP1,PRESSURE"}));
    ASSERT_TRUE(waitFor([&] { return recordsOf(file).size() >= 3; }));
    panel_->stop();
    const auto stopped = std::chrono::steady_clock::now();
    const std::size_t gone = recordsOf(file).size();
    ASSERT_TRUE(waitFor([&] { return child.errSoFar().find("panel was lost") != std::string::npos; }));
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 3s);   // not after 24 s of time-outs
    ASSERT_TRUE(waitFor([&] { return recordsOf(file).size() >= gone + 3; }));
    ASSERT_TRUE(panel_->start());
    ASSERT_TRUE(waitFor([&] { return child.errSoFar().find("panel is back") != std::string::npos; }));
    const std::size_t back = recordsOf(file).size();
    ASSERT_TRUE(waitFor([&] { return recordsOf(file).size() >= back + 2; }));
    const std::vector<std::string> r = recordsOf(file);
    // The record right after the stop may hold what came just before it.
    EXPECT_EQ(r[gone + 1].substr(20) + r[gone + 2].substr(20), "???\t???\r???\t???\r");
    EXPECT_EQ(r[back + 1].find("???"), std::string::npos) << r[back + 1];
}

// The records as MemorySave writes them, from the panel's own image.
std::string savedByTheCore(const sim::PanelModel& m, const std::string& path, bool dewPoint, bool vapour) {
    std::vector<std::uint8_t> image;
    for (int b = 0; b < m.memorySizeBlocks; ++b) {
        const auto block = m.block(b);
        image.insert(image.end(), block.begin(), block.end());
    }
    DecodedMemory d = decodeMemoryImage(image.data(), image.size());
    for (MemoryRecord& r : d.records) addComputedValues(r, dewPoint, vapour, m.readings.pressure);
    MemorySaveOptions o;
    o.separator = 1;
    o.addComment = true;
    o.comment = "night";
    o.addSerialNumber = true;
    o.panelSerialNumber = m.panelSerialNumber;
    EXPECT_TRUE(saveMemoryFile(path, d.records, o, [] { return false; }, memorySaveTextsFromStringTable()).saved());
    return readFile(path);
}

TEST_F(CliEndToEnd, MemoryReadWritesWhatTheSaveDialogWrites) {
    startPanel("memory");
    const sim::PanelModel model = panel_->modelSnapshot();
    for (const std::string name : {"mem.csv", "mem.qvg"}) {
        // Polish texts: the reference is written with the built-in table.
        Child child({"--ini", dir_ + "/mr420.ini", "--lang", "pl", "--device", dir_ + "/tty", "memory", "read",
                     dir_ + "/" + name, "--separator", "comma", "--comment", "night", "--serial", "--dump",
                     dir_ + "/dump.txt"});
        const Outcome r = child.finish();
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string expected = savedByTheCore(model, dir_ + "/ref-" + name, true, true);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(readFile(dir_ + "/" + name), expected) << name;
    }
    const std::string dump = readFile(dir_ + "/dump.txt");
    EXPECT_EQ(dump.size(), static_cast<std::size_t>(model.memorySizeBlocks) * (256 * 3 + 2));
    // Nothing is left beside the files.
    for (const auto& e : fs::directory_iterator(dir_))
        EXPECT_EQ(e.path().string().find(".part-"), std::string::npos) << e.path();
}

TEST_F(CliEndToEnd, MemoryReadStoppedBySigtermLeavesNoFile) {
    sim::FaultConfig paced;
    paced.pace = true;
    startPanel("memory-full", paced);
    Child child(with({"memory", "read", dir_ + "/full.csv"}));
    const auto end = std::chrono::steady_clock::now() + 60s;
    const auto before = panel_->framesReceived();
    while (panel_->framesReceived() < before + 40 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    child.signal(SIGTERM);
    const Outcome r = child.finish();
    EXPECT_EQ(r.status, 128 + SIGTERM) << r.err;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1) << "only the tty link";
}

TEST_F(CliEndToEnd, ADownloadThroughTheServiceEndsWithoutAFileWhenItsClientGoesThePanelGoesOrTheServiceStops) {
    sim::FaultConfig paced;
    paced.pace = true;
    startPanel("memory-full", paced);   // the whole memory takes minutes at 9600 baud
    const std::string runtime = test::makeTempDir("svc");   // short: socket paths have 107 bytes
    fs::permissions(runtime, fs::perms::owner_all);
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + runtime};
    Child service(with({"serve"}), env);
    ASSERT_TRUE(waitFor([&] { return fs::exists(runtime + "/MR420-control-" + std::to_string(service.pid())); }))
        << service.errSoFar();
    {
        Child client(with({"memory", "read", dir_ + "/full.csv"}), env);
        std::this_thread::sleep_for(3s);
    }   // killed mid-way
    // The next command is answered within seconds, not after the rest of the memory.
    const auto asked = std::chrono::steady_clock::now();
    const Outcome info = Child(with({"info"}), env).finish(60s);
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 20s);
    EXPECT_FALSE(fs::exists(dir_ + "/full.csv"));
    // The panel unplugged during a download: no communication, no file; the
    // service finds the panel again.
    Child unplugged(with({"memory", "read", dir_ + "/full.csv"}), env);
    std::this_thread::sleep_for(3s);
    panel_->stop();
    EXPECT_EQ(unplugged.finish(30s).status, 3);
    EXPECT_FALSE(fs::exists(dir_ + "/full.csv"));
    ASSERT_TRUE(panel_->start());
    ASSERT_TRUE(waitFor([&] { return service.errSoFar().find("panel is back") != std::string::npos; }));
    // Stopping the service during a download ends the client's command as a signal would.
    Child client(with({"memory", "read", dir_ + "/full.csv"}), env);
    std::this_thread::sleep_for(3s);
    service.signal(SIGTERM);
    EXPECT_EQ(service.finish().status, 0);
    EXPECT_EQ(client.finish(30s).status, 128 + SIGTERM);
    EXPECT_FALSE(fs::exists(dir_ + "/full.csv"));
}

TEST_F(CliEndToEnd, SetThenGetRoundTrip) {
    startPanel();
    Outcome r = run({"set", "display", "field4=clock", "resolution=auto", "pressure-unit=mmHg"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(panel_->modelSnapshot().displayFlags, 0x02 | 0x04 | 0x20);
    r = run({"get", "display"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "resolution=auto\npressure-unit=mmHg\nfield3=dew-point\nfield4=clock\n");

    // What get printed, fed back to set, changes nothing.
    r = run({"get", "logging"});
    ASSERT_EQ(r.status, 0) << r.err;
    const sim::PanelModel before = panel_->modelSnapshot();
    std::vector<std::string> args{"set", "logging"};
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) args.push_back(line);
    r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(panel_->modelSnapshot().loggingInterval, before.loggingInterval);
    EXPECT_EQ(panel_->modelSnapshot().loggingFlags, before.loggingFlags);
}

TEST_F(CliEndToEnd, ThresholdsSetThenGet) {
    startPanel("modem-208");
    Outcome r = run({"set", "thresholds", "temperature1-lower=-12.5", "temperature1-lower-enabled=on",
                     "pressure-upper=1013.2", "repeat=1h05"});
    EXPECT_EQ(r.status, 0) << r.err;
    const sim::PanelModel m = panel_->modelSnapshot();
    EXPECT_EQ(m.alarmThresholds[0], -125);
    EXPECT_EQ(m.alarmThresholds[7], 10132);
    EXPECT_EQ(m.alarmThresholdFlags, 0x11);
    EXPECT_EQ(m.alarmRepeatTime, 7);   // 1 h 10 min, the ten-minute step above
    EXPECT_EQ(m.alarmHysteresis, (std::array<std::int32_t, 4>{5, 10, 10, 20}));

    r = run({"get", "thresholds"});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const char* line : {"temperature1-lower=-12.5\n", "temperature1-lower-enabled=on\n",
                             "pressure-upper=1013.2\n", "temperature1-hysteresis=0.5\n", "repeat=1h10m\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 21);

    // Out of range: refused before the panel is asked, nothing written.
    const auto frames = panel_->framesReceived();
    r = run({"set", "thresholds", "pressure-upper=1300"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("500.0..1200.0"), std::string::npos) << r.err;
    EXPECT_EQ(panel_->framesReceived(), frames);
}

TEST_F(CliEndToEnd, ModemSettingsPrintedAndSetBackChangeNothing) {
    startPanel("modem-208");
    Outcome r = run({"get", "modem"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("server=192.168.10.20:5020\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("backup-server=10.0.0.7:5021\n"), std::string::npos) << r.out;
    const sim::PanelModel before = panel_->modelSnapshot();
    std::vector<std::string> args{"set", "modem"};
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) args.push_back(line);
    r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    const sim::PanelModel after = panel_->modelSnapshot();
    EXPECT_EQ(after.modemOptions, before.modemOptions);
    EXPECT_EQ(after.serverAddress, before.serverAddress);
    EXPECT_EQ(after.serverPort, before.serverPort);
    EXPECT_EQ(after.backupServerAddress, before.backupServerAddress);
    EXPECT_EQ(after.backupServerPort, before.backupServerPort);
    EXPECT_EQ(after.connectionAttemptsPerDay, before.connectionAttemptsPerDay);
    EXPECT_EQ(after.apn, before.apn);
    EXPECT_EQ(after.papLogin, before.papLogin);
    EXPECT_EQ(after.smsNumbers, before.smsNumbers);
    EXPECT_EQ(after.internetAllowed, before.internetAllowed);
    EXPECT_EQ(after.papPassword, before.papPassword);   // never part of the group
}

TEST_F(CliEndToEnd, PinIsWrittenAndNeverShown) {
    startPanel("modem-208");
    const std::string trace = dir_ + "/trace.txt";
    Outcome r = run({"--trace", trace, "set", "pin", "pin=0042"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(panel_->modelSnapshot().pin, 42);
    const std::string traced = readFile(trace);
    EXPECT_NE(traced.find("> 025600"), std::string::npos) << traced;
    // Neither the digits nor their character codes (30 30 34 32) on the wire.
    for (const std::string& text : {r.out, r.err, traced}) {
        EXPECT_EQ(text.find("0042"), std::string::npos) << text;
        EXPECT_EQ(text.find("30303432"), std::string::npos) << text;
    }

    // Nothing reads it back; a wrong one is refused without being repeated.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"get", "pin"}, std::vector<std::string>{"get", "pap"},
          std::vector<std::string>{"set", "pin", "pin=123"}, std::vector<std::string>{"set", "pin", "0042"},
          std::vector<std::string>{"set", "pap", "password=" + std::string(40, 'x')}}) {
        r = run(args);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find("0042"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("123"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("xxxxx"), std::string::npos) << r.err;
    }
    EXPECT_EQ(panel_->modelSnapshot().pin, 42);
}

TEST_F(CliEndToEnd, PanelWithoutModemHandlingIsNamedAsSuch) {
    startPanel("modem-208", {}, [](sim::PanelModel& m) { m.modemHandlingEnabled = false; });
    const Outcome r = run({"get", "modem"});
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_NE(r.err.find("modem handling is not switched on"), std::string::npos) << r.err;
}

TEST_F(CliEndToEnd, BadValuesAreRefusedAndNothingIsWritten) {
    startPanel();
    const auto frames = panel_->framesReceived();
    for (std::vector<std::string> args : {std::vector<std::string>{"set", "display", "field4=humidity"},
                                          std::vector<std::string>{"set", "alarms", "a=1"},
                                          std::vector<std::string>{"set", "auto-off", "minutes=3"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(panel_->framesReceived(), frames);   // the port was never opened
    // A whole-group check after the read: the dialog's message, no write.
    const Outcome r = run({"set", "logging", "logging=on", "interval=0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(panel_->modelSnapshot().loggingInterval, 15);
}

TEST_F(CliEndToEnd, PortThatIsNotASerialPortIsExitTwo) {
    startPanel();
    const Outcome r = run({"--device", "/dev/null", "info"}, false);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("/dev/null"), std::string::npos) << r.err;
}

TEST_F(CliEndToEnd, UnreadableSettingsReadIsExitFour) {
    sim::FaultConfig faults;
    faults.silentFor = {34};   // 023400, the auto-off read
    startPanel("mr411-baro", faults);
    const Outcome r = run({"get", "auto-off"});
    EXPECT_EQ(r.status, 4);
    setStringOverride({});
    EXPECT_NE(r.err.find("auto-off"), std::string::npos) << r.err;
}

TEST_F(CliEndToEnd, FileThatCannotBeWrittenIsExitFive) {
    startPanel();
    const Outcome r = run({"log", dir_ + "/missing/dir/reg.txt"});
    EXPECT_EQ(r.status, 5) << r.err;
}

TEST_F(CliEndToEnd, SilentPanelIsExitThreeAfterTheSessionsTimeOuts) {
    sim::FaultConfig faults;
    faults.silentFrom = 0;
    faults.silentUntil = 1e9;
    startPanel("mr411-baro", faults);
    const Outcome r = run({"info"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("communication"), std::string::npos) << r.err;
    // --timeout ends the wait for the first cycle sooner, the same way.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run({"--timeout", "1", "info"}).status, 3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms);
    EXPECT_EQ(run({"--timeout", "0", "info"}).status, 1);
}

// --- only what the panel sent and has ---------------------------------------------

TEST_F(CliEndToEnd, NothingIsPrintedOrWrittenThatThePanelDidNotSendOrDoesNotHave) {
    sim::FaultConfig flagsSilent;
    flagsSilent.silentFor = {31};   // 026000, a read of the threshold chain
    const struct {
        int firmware;
        sim::FaultConfig faults;
        std::vector<std::string> args;
        int status;
        const char *said, *write;   // the message; the write's first frame, never sent
    } cases[] = {
        {127, {}, {"set", "logging", "temperature2=on"}, 1, "temperature2 needs panel firmware 1.28", "> 040100"},
        {207, {}, {"set", "modem", "attempts=5"}, 1, "attempts needs panel firmware 2.08", "> 025100"},
        {208, {}, {"set", "clock", "time=2200-01-01T00:00:00"}, 1, "6 February 2136", "> 031000"},
        {208, flagsSilent, {"get", "thresholds"}, 4, "group thresholds arrived from the panel: nothing was printed", "> 025300"},
        {208, flagsSilent, {"set", "thresholds", "repeat=1h"}, 4, "nothing was written", "> 025300"},
    };
    for (const auto& c : cases) {
        startPanel("modem-208", c.faults, [&](sim::PanelModel& m) { m.firmwareVersion = c.firmware; });
        std::vector<std::string> args{"--trace", dir_ + "/trace.txt"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome r = run(args);
        EXPECT_EQ(r.status, c.status) << c.args[2];
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_EQ(readFile(dir_ + "/trace.txt").find(c.write), std::string::npos) << c.args[2];
        panel_->stop();
    }
}

TEST_F(CliEndToEnd, TheStationNameIsPrintedAsThePanelHoldsItAndAnOldPanelShowsNoAttempts) {
    startPanel("modem-208", {}, [](sim::PanelModel& m) { m.firmwareVersion = 207; });
    const Outcome r = run({"get", "modem"});
    EXPECT_NE(r.out.find("station=Hala 3\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("attempts="), std::string::npos) << r.out;
}

// Every text the program prints is in the language chosen: the usage, the
// messages around the argument names, what settings take, the reasons the
// system gives. Words that only the other language has must not appear.
TEST_F(CliEndToEnd, EveryTextIsInTheChosenLanguage) {
    startPanel("memory");
    fs::create_directory(dir_ + "/folder");
    const std::string tty = dir_ + "/tty";
    const std::vector<std::vector<std::string>> commands{
        {"--help"}, {"--device", tty}, {"--device", tty, "log"}, {"--device", tty, "get"}, {"help", "auto-off"},
        {"help", "thresholds"}, {"help", "modem"}, {"help", "pin"}, {"--device", tty, "set", "auto-off", "seconds=3"},
        {"--device", tty, "--timeout", "x", "info"}, {"--device", dir_ + "/folder", "info"},
        {"--device", tty, "memory", "read", dir_ + "/folder"}};
    const std::vector<std::string> english{"Usage", "Missing", "Unknown", "Wrong", "steps", "minutes", "digits",
                                           "characters", "directory", "the ", "cannot", "Cannot", "expected",
                                           "COMMAND", "FILE", "GROUP", "PATH", "SECONDS", "Saved"};
    const std::vector<std::string> polish{"ą", "ę", "ł", "ś", "ż", "ó", "ń", "Ś", "Ł", "Brak", "Nieznan", "Użycie",
                                          "PLIK", "GRUPA", "POLECENIE", " co ", "katalog", " nie "};
    for (const auto& [language, foreign] : {std::pair{"pl", english}, std::pair{"en", polish}}) {
        for (const std::vector<std::string>& command : commands) {
            std::vector<std::string> args{"--ini", dir_ + "/mr420.ini", "--lang", language};
            args.insert(args.end(), command.begin(), command.end());
            const Outcome r = Child(args).finish();
            const std::string all = r.out + r.err;
            EXPECT_FALSE(all.empty()) << command.back();
            for (const std::string& word : foreign)
                EXPECT_EQ(all.find(word), std::string::npos) << language << " " << command.back() << ": " << word << "\n" << all;
        }
    }
}

// A paced panel: six runs back to back (each may open the port while the
// tail of the last run's reply still arrives), then duplicated and late
// replies: the panel's values, or nothing and a failure.
TEST_F(CliEndToEnd, BackToBackRunsAndAFaultyLinePrintAndWriteOnlyThePanelsValues) {
    sim::FaultConfig line;
    line.pace = true;
    startPanel("modem-208", line);
    for (int i = 0; i < 6; ++i) {
        const Outcome r = run({"get", "thresholds"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("pressure-hysteresis=2.0\n"), std::string::npos) << r.out;
    }
    const Outcome clean = run({"get", "exceedance"});
    EXPECT_NE(clean.out.find("pressure-upper=1040.0\n"), std::string::npos) << clean.out;
    for (auto [fault, every] : {std::pair{&sim::FaultConfig::duplicateEvery, 5}, {&sim::FaultConfig::lateEvery, 12}}) {
        line.*fault = every;
        panel_->setFaults(line);
        const Outcome r = run({"get", "exceedance"});
        EXPECT_EQ(r.out, r.status == 0 ? clean.out : "") << r.err;
        const bool written = run({"set", "thresholds", "temperature1-hysteresis=1.1"}).status == 0;
        const auto h = panel_->modelSnapshot().alarmHysteresis;
        EXPECT_TRUE(h[0] == 11 || (!written && h[0] == 5)) << h[0];
        EXPECT_EQ((std::array<std::int32_t, 3>{h[1], h[2], h[3]}), (std::array<std::int32_t, 3>{10, 10, 20}));
        panel_->withModel([](sim::PanelModel& m) { m.alarmHysteresis[0] = 5; });
        line.*fault = 0;
    }
}

}  // namespace
}  // namespace mr420::cli
