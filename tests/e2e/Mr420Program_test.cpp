// Runs the program mr420 itself (offscreen) against the simulated panel
// mr420-sim: it polls the panel, publishes the readings on its local data
// server, ends on SIGTERM (also from inside a modal dialog) and writes its
// settings at exit.

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/UnixSocket.h"
#include "support/ChildProcess.h"
#include "support/TestSupport.h"

namespace {

using namespace std::chrono_literals;
using mr420::test::ChildProcess;
using mr420::test::binary;
using mr420::test::readFile;

// One line from `fd`, without its LF; what came when none is complete in time.
std::string readLine(int fd, int timeoutMs) {
    std::string line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        char c;
        if (::read(fd, &c, 1) != 1) break;
        if (c == '\n') return line;
        line.push_back(c);
    }
    return line;
}

// One request/answer exchange with the data server; "" when it is not there.
struct DataClient {
    int fd = -1;
    explicit DataClient(const std::string& path) {
        fd = mr420::connectUnixSocket(path);
    }
    ~DataClient() {
        if (fd >= 0) ::close(fd);
    }
    std::vector<std::string> ask(const std::string& line, const std::string& last, int timeoutMs = 3000) {
        std::vector<std::string> out;
        const std::string l = line + "\n";
        if (fd < 0 || ::write(fd, l.data(), l.size()) != ssize_t(l.size())) return out;
        for (;;) {
            std::string got = readLine(fd, timeoutMs);
            if (got.empty()) break;
            out.push_back(got);
            if (got.rfind(last, 0) == 0) break;
        }
        return out;
    }
};

class Mr420Program : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(binary("mr420").c_str(), X_OK) != 0 || ::access(binary("mr420-sim").c_str(), X_OK) != 0)
            GTEST_SKIP() << "mr420 and mr420-sim are not built";
        dir = mr420::test::makeTempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        runtime = dir + "/run";
        std::filesystem::create_directories(runtime);
        ::chmod(runtime.c_str(), 0700);
    }
    // The simulator on dir/ttyMR420, once it has said its device.
    void startSim(const std::string& scenario, const std::vector<std::string>& more = {}) {
        std::vector<std::string> args{"--scenario", scenario, "--instant", "--link", dir + "/ttyMR420"};
        args.insert(args.end(), more.begin(), more.end());
        sim.emplace(binary("mr420-sim"), args);
        EXPECT_FALSE(sim->nextLine(5s).empty());
    }
    void writeIni(const std::string& text) {
        std::ofstream(dir + "/mr420.ini", std::ios::binary) << text;
    }
    // The window program on the settings file, offscreen, with more arguments and environment.
    void startProgram(std::vector<std::string> args = {}, std::vector<std::string> env = {}) {
        args.insert(args.begin(), {"--ini", dir + "/mr420.ini"});
        env.insert(env.end(), {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtime, "LC_ALL=C.UTF-8"});
        program.emplace(binary("mr420"), args, env);
        ASSERT_TRUE(program->started());
    }
    int stopProgram() {
        program->signal(SIGTERM);
        return program->finish(10s).status;
    }

    std::string dir, runtime;
    std::optional<ChildProcess> sim, program;
};

TEST_F(Mr420Program, PollsThePanelPublishesReadingsAndWritesSettingsOnSigterm) {
    startSim("mr411-baro");
    writeIni("[GENERAL]\r\nPORT_NR=99\r\nLANGUAGE=pl\r\nSHOW_ADV=0\r\n[PORTS]\r\nCOM99=" + dir + "/ttyMR420\r\n");
    startProgram();

    // The data server starts once the panel has answered a poll cycle.
    std::vector<std::string> topics;
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end) {
        DataClient client(runtime + "/MR420");
        if (client.fd >= 0) {
            topics = client.ask("TOPICS", "END");
            if (topics.size() > 1) break;
        }
        std::this_thread::sleep_for(200ms);
    }
    ASSERT_GT(topics.size(), 1u) << "no topics from the data server";
    std::string temperatureTopic, pressureTopic;
    for (const std::string& t : topics) {
        if (t.rfind("TOPIC Temperatura1#", 0) == 0) temperatureTopic = t.substr(6);
        if (t.rfind("TOPIC Ci", 0) == 0) pressureTopic = t.substr(6);
    }
    ASSERT_FALSE(temperatureTopic.empty());
    ASSERT_FALSE(pressureTopic.empty());

    // A reading with its unit, taken from the panel through the session.
    std::string measurement;
    for (int i = 0; i < 50 && measurement.find("°C") == std::string::npos; ++i) {
        DataClient client(runtime + "/MR420");
        auto lines = client.ask("REQUEST " + temperatureTopic + " Pomiar", "DATA");
        measurement = lines.empty() ? "" : lines.back();
        std::this_thread::sleep_for(200ms);
    }
    EXPECT_NE(measurement.find("°C"), std::string::npos) << measurement;
    DataClient client(runtime + "/MR420");
    auto pressure = client.ask("REQUEST " + pressureTopic + " Pomiar", "DATA");
    ASSERT_FALSE(pressure.empty());
    EXPECT_NE(pressure.back().find("hPa"), std::string::npos) << pressure.back();

    EXPECT_EQ(stopProgram(), 0);
    const std::string ini = readFile(dir + "/mr420.ini");
    EXPECT_NE(ini.find("PORT_NR=99\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("COM99=" + dir + "/ttyMR420"), std::string::npos) << ini;
    // Sections the file lacked are appended in the order they are first written.
    const auto general = ini.find("[GENERAL]"), t1 = ini.find("[TEMP1]"), wb = ini.find("[WB]"), log = ini.find("[LOG]");
    EXPECT_EQ(general, 0u);
    EXPECT_LT(general, t1);
    EXPECT_LT(t1, wb);
    EXPECT_LT(wb, log);
    EXPECT_NE(ini.find("SHOW_ADV=0"), std::string::npos);
    EXPECT_NE(ini.find("LANGUAGE=pl"), std::string::npos);
    EXPECT_NE(ini.find("WINDOW_LEFT=100"), std::string::npos);
}

TEST_F(Mr420Program, RegistersAnMr466WithTwoTemperaturesAndTheClientFollowsIt) {
    startSim("mr466-two-temps", {"--static"});
    const std::string log = dir + "/readings.txt";
    writeIni("[GENERAL]\r\nPORT_NR=99\r\nLANGUAGE=pl\r\nSHOW_ADV=0\r\nWINDOW_LEFT=150\r\n"
             "[TEMP1]\r\nFONT_HEIGHT_TEMP1=44\r\n"
             "[LOG]\r\nFILE_NAME=" + log + "\r\nFILE_LOG=1\r\nFILE_INTERVAL=1\r\nFILE_SEP_FORMAT=2\r\n"
             "[PORTS]\r\nCOM99=" + dir + "/ttyMR420\r\n");
    startProgram();

    // Topics exist only for the panes shown: TEMP2 yes, the humidity panes no.
    std::vector<std::string> topics;
    const auto end = std::chrono::steady_clock::now() + 25s;
    while (std::chrono::steady_clock::now() < end && topics.size() <= 1) {
        DataClient client(runtime + "/MR420");
        if (client.fd >= 0) topics = client.ask("TOPICS", "END");
        if (topics.size() <= 1) std::this_thread::sleep_for(200ms);
    }
    std::string topicsText;
    for (const std::string& t : topics) topicsText += t + "\n";
    EXPECT_NE(topicsText.find("TOPIC Temperatura1#"), std::string::npos) << topicsText;
    EXPECT_NE(topicsText.find("TOPIC Temperatura2#"), std::string::npos) << topicsText;
    EXPECT_EQ(topicsText.find("TOPIC Wilgotno"), std::string::npos) << topicsText;
    EXPECT_EQ(topicsText.find("TOPIC Rosa"), std::string::npos) << topicsText;
    EXPECT_EQ(topicsText.find("TOPIC Para"), std::string::npos) << topicsText;
    std::string temperature2;
    for (const std::string& t : topics)
        if (t.rfind("TOPIC Temperatura2#", 0) == 0) temperature2 = t.substr(6);
    ASSERT_FALSE(temperature2.empty());

    // The command-line client follows the value: one line at once, then one per refresh.
    ChildProcess follow(binary("mr420-data"), {"follow", temperature2, "Wynik"}, {"XDG_RUNTIME_DIR=" + runtime});
    const std::string first = follow.nextLine(5s), second = follow.nextLine(5s);
    EXPECT_NE(first.find("18.64"), std::string::npos) << first;
    EXPECT_NE(second.find("18.64"), std::string::npos) << second;

    // Registration was on at the last exit: the file is opened after the
    // settings-read period and gets a record every second.
    std::string text;
    for (int i = 0; i < 100; ++i) {
        text = readFile(log);
        if (std::count(text.begin(), text.end(), '\n') >= 3) break;
        std::this_thread::sleep_for(200ms);
    }
    ASSERT_GE(std::count(text.begin(), text.end(), '\n'), 3) << text;
    EXPECT_NE(text.find(";22.37;18.64;"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n"), std::string::npos);
    EXPECT_EQ(stopProgram(), 0);

    // A second start restores what the first wrote, and writes it back unchanged.
    const std::string written = readFile(dir + "/mr420.ini");
    EXPECT_NE(written.find("FONT_HEIGHT_TEMP1=44\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("WINDOW_LEFT=150\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("FILE_LOG=1\r\n"), std::string::npos) << written;
    startProgram();
    std::this_thread::sleep_for(2s);
    EXPECT_EQ(stopProgram(), 0);
    EXPECT_EQ(readFile(dir + "/mr420.ini"), written);
}

TEST_F(Mr420Program, SigtermEndsItWhileThePortChoiceIsOpen) {
    // No port configured: the port dialog opens by itself and waits.
    writeIni("[GENERAL]\r\nLANGUAGE=pl\r\nSHOW_ADV=0\r\n");
    startProgram();
    std::this_thread::sleep_for(2s);
    ASSERT_TRUE(program->running()) << "ended by itself";
    EXPECT_EQ(stopProgram(), 0);
    const std::string ini = readFile(dir + "/mr420.ini");
    EXPECT_NE(ini.find("PORT_NR=0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[LOG]"), std::string::npos) << ini;
}

TEST_F(Mr420Program, ScreenshotShowsTheReadingsAndEndsTheProgram) {
    startSim("mr411-baro");
    writeIni("[GENERAL]\r\nPORT_NR=99\r\nLANGUAGE=pl\r\nSHOW_ADV=0\r\n[PORTS]\r\nCOM99=" + dir + "/ttyMR420\r\n");
    const std::string png = dir + "/window.png";
    startProgram({"--screenshot", png, "--screenshot-after", "2"});
    EXPECT_EQ(program->finish(15s).status, 0);
    const std::string data = readFile(png);
    ASSERT_GT(data.size(), 1000u);
    EXPECT_EQ(data.substr(1, 3), "PNG");
}

TEST_F(Mr420Program, HelpAndVersionNeedNoDisplay) {
    const auto help = ChildProcess(binary("mr420"), {"--help"}, {"QT_QPA_PLATFORM=none-such"}).finish(3s);
    EXPECT_NE(help.out.substr(0, help.out.find('\n')).find("--ini"), std::string::npos) << help.out;
    EXPECT_EQ(help.status, 0);
    const auto version = ChildProcess(binary("mr420"), {"--version"}).finish(3s);
    EXPECT_EQ(version.out.rfind("mr420 ", 0), 0u) << version.out;
    EXPECT_EQ(version.status, 0);
}

TEST_F(Mr420Program, TraceRecordsTheLineInTheSimulatorsFormat) {
    startSim("faulty-line");
    writeIni("[GENERAL]\r\nPORT_NR=99\r\nLANGUAGE=pl\r\nSHOW_ADV=0\r\n[PORTS]\r\nCOM99=" + dir + "/ttyMR420\r\n");
    const std::string trace = dir + "/trace.txt";
    startProgram({"--trace", trace});
    // The faulty line spoils some replies: the trace gives the reason.
    std::string text;
    for (int i = 0; i < 150 && text.find(" # bad LRC") == std::string::npos; ++i) {
        std::this_thread::sleep_for(100ms);
        text = readFile(trace);
    }
    EXPECT_EQ(stopProgram(), 0);
    text = readFile(trace);
    std::istringstream lines(text);
    int sent = 0, received = 0, notes = 0;
    for (std::string line; std::getline(lines, line);) {
        ASSERT_GT(line.size(), 26u) << line;
        EXPECT_EQ(line[4], '-') << line;
        EXPECT_EQ(line[19], '.') << line;
        const char direction = line[24];
        sent += direction == '>';
        received += direction == '<';
        notes += direction == '#';
    }
    EXPECT_GT(sent, 0);
    EXPECT_GT(received, 0);
    EXPECT_GT(notes, 0);
    EXPECT_NE(text.find(" # bad LRC\n"), std::string::npos) << text.substr(0, 2000);
    EXPECT_NE(text.find("> 020A00F4"), std::string::npos);
}

TEST_F(Mr420Program, SigtermDuringTheStartUpMessageEndsItAndKeepsThePort) {
    // The configured port is missing: the failure message opens and waits.
    writeIni("[GENERAL]\r\nPORT_NR=99\r\nLANGUAGE=pl\r\nSHOW_ADV=0\r\n[PORTS]\r\nCOM99=" + dir + "/missing\r\n");
    startProgram();
    std::this_thread::sleep_for(2s);
    ASSERT_TRUE(program->running()) << "ended by itself";
    EXPECT_EQ(stopProgram(), 0);
    const std::string ini = readFile(dir + "/mr420.ini");
    EXPECT_NE(ini.find("PORT_NR=99\r\n"), std::string::npos) << ini;
}

TEST_F(Mr420Program, AFileThatIsNotASettingsFileIsNeverWrittenOver) {
    std::string junk(4096, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 151 + 7) % 256);
    std::ofstream(dir + "/mr420.ini", std::ios::binary) << junk;
    startProgram();
    // The warning, then the language question, wait; the signal ends them.
    std::this_thread::sleep_for(2s);
    ASSERT_TRUE(program->running()) << "ended by itself";
    EXPECT_EQ(stopProgram(), 0);
    EXPECT_EQ(readFile(dir + "/mr420.ini"), junk);
}

// One program per port: a second one is refused at once, told the holder's
// PID and name, and the holder goes on without a gap.
TEST_F(Mr420Program, ASecondProgramOnAHeldPortIsRefusedAndToldWhoHoldsIt) {
    startSim("mr411-baro");
    const std::string link = dir + "/ttyMR420", ini = dir + "/mr420.ini", log = dir + "/held.txt";
    writeIni("[GENERAL]\r\nPORT_NR=99\r\nLANGUAGE=pl\r\nSHOW_ADV=0\r\n[PORTS]\r\nCOM99=" + link + "\r\n");
    const std::string locks = "MR420_LOCK_DIR=" + dir;
    auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 300 && !done(); ++i) std::this_thread::sleep_for(100ms);
        return done();
    };
    const auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--ini", ini, "--lang", "en", "--device", link});
        return std::make_unique<ChildProcess>(binary("mr420-cli"), args, std::vector<std::string>{locks},
                                              ChildProcess::Errors::Merged);
    };
    // A refused mr420-cli: its exit within 2 s and what it said.
    const auto refusedBy = [&](pid_t holder, const std::string& name) {
        const auto asked = std::chrono::steady_clock::now();
        const auto said = cli({"info"})->finish(5s);
        EXPECT_EQ(said.status, 2);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s);
        EXPECT_NE(said.out.find("in use by PID " + std::to_string(holder) + " (" + name + ")"), std::string::npos) << said.out;
    };

    startProgram({"--trace", dir + "/window.txt"}, {locks});   // the window holds the port
    ASSERT_TRUE(waitFor([&] { return readFile(dir + "/window.txt").find(" < 020A00") != std::string::npos; }));
    refusedBy(program->pid(), "mr420");
    EXPECT_EQ(stopProgram(), 0);

    const auto holder = cli({"log", log, "--interval", "1s", "--channels", "TEMP1,PRESSURE,RH"});   // mr420-cli holds it
    ASSERT_TRUE(waitFor([&] { const std::string t = readFile(log); return std::count(t.begin(), t.end(), '\n') >= 3; }));
    refusedBy(holder->pid(), "mr420-cli");
    startProgram({"--trace", dir + "/refused.txt"}, {locks});
    const std::string reason = "Port jest używany przez PID " + std::to_string(holder->pid()) + " (mr420-cli).";
    EXPECT_TRUE(waitFor([&] { return readFile(dir + "/refused.txt").find(reason) != std::string::npos; }));
    EXPECT_EQ(stopProgram(), 0);   // from inside the failure message
    const std::string before = readFile(log);
    ASSERT_TRUE(waitFor([&] { return readFile(log).size() > before.size() + 40; }));
    holder->signal(SIGTERM);
    EXPECT_EQ(holder->finish(10s).status, 0);
    EXPECT_EQ(readFile(log).find("???"), std::string::npos) << readFile(log);
}

}  // namespace
