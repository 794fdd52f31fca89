#include "app/DataServerProtocol.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace mr420 {
namespace {

LiveReadings mr411Panes() {
    LiveReadings p{};
    p[kChannelTemp1] = {true, true, false, 21.56, 3, false};
    p[kChannelTemp2] = {false, false, true, 0, 3, false};   // hidden
    p[kChannelRh] = {true, true, false, 45.46, 7, false};
    p[kChannelPressure] = {true, true, false, 1013.27, 5, false};
    p[kChannelDp] = {true, true, true, 9.27, 3, false};       // blinking, still offered
    p[kChannelWb] = {true, false, true, 11420, 8, false};     // no value: not offered
    return p;
}

TEST(DataItemText, TextsByKindCutTenthsAndStatus) {
    std::setlocale(LC_ALL, "C");
    LiveReading t{true, true, false, 21.56, 3, false};
    EXPECT_EQ(dataItemText(t, data_server::kItemValue), "21.5");
    EXPECT_EQ(dataItemText(t, data_server::kItemMeasurement), "21.5 °C");
    EXPECT_EQ(dataItemText(t, data_server::kItemStatus), "Pomiar OK");
    t.twoDecimals = true;
    EXPECT_EQ(dataItemText(t, data_server::kItemValue), "21.56");
    EXPECT_EQ(dataItemText(t, data_server::kItemMeasurement), "21.56 °C");
    LiveReading p{true, true, false, 1013.27, 5, false};
    EXPECT_EQ(dataItemText(p, data_server::kItemMeasurement), "1013.2 hPa");
    EXPECT_EQ(dataItemText(p, data_server::kItemValue), "1013.2");
    LiveReading rh{true, true, true, 45.46, 7, false};
    EXPECT_EQ(dataItemText(rh, data_server::kItemMeasurement), "45.4 %");
    EXPECT_EQ(dataItemText(rh, data_server::kItemStatus), "Błąd pomiaru");   // blinking
    LiveReading wb{true, false, false, 1234.5, 8, false};
    EXPECT_EQ(dataItemText(wb, data_server::kItemValue), "1234");   // last value even without one
    EXPECT_EQ(dataItemText(wb, data_server::kItemMeasurement), "1234 ppm");
    EXPECT_EQ(dataItemText(wb, data_server::kItemStatus), "Błąd pomiaru");
    LiveReading neg{true, true, false, -0.05, 3, false};
    EXPECT_EQ(dataItemText(neg, data_server::kItemValue), "0.0");
    LiveReading lux{true, true, false, 1.234, 2, false};
    EXPECT_EQ(dataItemText(lux, data_server::kItemMeasurement), "1.23 kLx");
    LiveReading none{true, true, false, 1.0, 0, false};
    EXPECT_EQ(dataItemText(none, data_server::kItemValue), "");

    if (std::setlocale(LC_ALL, "pl_PL.UTF-8") != nullptr) {
        EXPECT_EQ(dataItemText(p, data_server::kItemMeasurement), "1013,2 hPa");
        EXPECT_EQ(dataItemText(t, data_server::kItemValue), "21,56");
    }
    std::setlocale(LC_ALL, "C");
}

TEST(DataServerProtocol, TopicsAreFixedAtStart) {
    std::setlocale(LC_ALL, "C");
    DataServerProtocol server;
    LiveReadings panes = mr411Panes();
    ASSERT_TRUE(server.start(1234, panes));
    EXPECT_TRUE(server.serving());
    EXPECT_EQ(server.topics(),
              (std::vector<std::string>{"Temperatura1#1234", "Wilgotność#1234", "Rosa#1234", "Ciśnienie#1234"}));
    EXPECT_FALSE(server.start(1234, panes));   // already serving

    // A value appearing later gives no topic until the next start.
    panes[kChannelWb].hasValue = true;
    server.setReadings(panes);
    EXPECT_EQ(server.topics().size(), 4u);
    server.stop();
    EXPECT_TRUE(server.topics().empty());
    ASSERT_TRUE(server.start(1234, panes));
    EXPECT_EQ(server.topics().size(), 5u);

    // Nothing offered: success without serving.
    server.stop();
    ASSERT_TRUE(server.start(1234, LiveReadings{}));
    EXPECT_FALSE(server.serving());
    DataServerProtocol::Session s;
    EXPECT_EQ(server.answer(s, "TOPICS"), "END\n");
    EXPECT_EQ(server.answer(s, "REQUEST Temperatura1#1234 Wynik"), "ERR unknown topic\n");
}

TEST(DataServerProtocol, LineProtocol) {
    std::setlocale(LC_ALL, "C");
    DataServerProtocol server;
    ASSERT_TRUE(server.start(77, mr411Panes()));
    DataServerProtocol::Session s;
    std::string out;
    ASSERT_EQ(server.feed(s, "TOPICS\r\nREQUEST Ci\xc5\x9bnienie#77 Pomiar\nREQUEST rosa#77 status\n", out),
              DataServerProtocol::Feed::Keep);
    EXPECT_EQ(out,
              "TOPIC Temperatura1#77\nTOPIC Wilgotność#77\nTOPIC Rosa#77\nTOPIC Ciśnienie#77\nEND\n"
              "DATA Ciśnienie#77 Pomiar 1013.2 hPa\nDATA Rosa#77 Status Błąd pomiaru\n");

    out.clear();
    // A line split across reads.
    server.feed(s, "ADVISE Temperatura1#77 Wy", out);
    EXPECT_EQ(out, "");
    server.feed(s, "nik\n", out);
    EXPECT_EQ(out, "OK\nDATA Temperatura1#77 Wynik 21.5\n");
    out.clear();
    server.feed(s, "ADVISE Temperatura1#77 Wynik\nADVISE Wilgotność#77 Pomiar\n", out);
    EXPECT_EQ(s.advises.size(), 2u);   // the repeated advise is one loop

    LiveReadings later = mr411Panes();
    later[kChannelTemp1].value = 22.04;
    server.setReadings(later);
    EXPECT_EQ(server.adviseData(s), "DATA Temperatura1#77 Wynik 22.0\nDATA Wilgotność#77 Pomiar 45.4 %\n");
    EXPECT_EQ(server.answer(s, "UNADVISE Temperatura1#77 Wynik"), "OK\n");
    EXPECT_EQ(server.adviseData(s), "DATA Wilgotność#77 Pomiar 45.4 %\n");
    EXPECT_EQ(server.answer(s, "UNADVISE Nothing#1 Wynik"), "OK\n");

    EXPECT_EQ(server.answer(s, "REQUEST Para#77 Wynik"), "ERR unknown topic\n");   // not offered
    EXPECT_EQ(server.answer(s, "REQUEST Rosa#77 Kolor"), "ERR unknown item\n");
    EXPECT_EQ(server.answer(s, "ADVISE Rosa#77"), "ERR expected a topic and an item\n");
    EXPECT_EQ(server.answer(s, "POKE Rosa#77 Wynik 5"), "ERR not supported\n");
    EXPECT_EQ(server.answer(s, "EXECUTE [quit]"), "ERR not supported\n");
    EXPECT_EQ(server.answer(s, "topics"), "ERR not supported\n");
    EXPECT_EQ(server.answer(s, std::string("\x01\xff\0junk", 7)), "ERR not supported\n");
    EXPECT_EQ(server.answer(s, ""), "");
    EXPECT_EQ(s.advises.size(), 1u);
}

TEST(DataServerProtocol, LineLimit) {
    DataServerProtocol server;
    ASSERT_TRUE(server.start(1, mr411Panes()));
    std::string out;
    DataServerProtocol::Session ok;
    std::string longest(data_server::kMaxLineBytes, 'x');
    EXPECT_EQ(server.feed(ok, longest + "\r\n", out), DataServerProtocol::Feed::Keep);
    EXPECT_EQ(out, "ERR not supported\n");

    DataServerProtocol::Session tooLong;
    EXPECT_EQ(server.feed(tooLong, longest + "x\n", out), DataServerProtocol::Feed::Close);

    // Without a line end the buffer never grows past the limit.
    DataServerProtocol::Session flood;
    DataServerProtocol::Feed f = DataServerProtocol::Feed::Keep;
    for (int i = 0; i < 100 && f == DataServerProtocol::Feed::Keep; ++i) f = server.feed(flood, std::string(100, 'y'), out);
    EXPECT_EQ(f, DataServerProtocol::Feed::Close);
    EXPECT_LE(flood.pending.size(), data_server::kMaxLineBytes + 101);
}

TEST(DataServerSocketPath, RuntimeDirOrPrivateTmpDirectory) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    std::string savedValue = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
    EXPECT_EQ(defaultDataServerSocketPath(), "/run/user/1000/MR420");
    unsetenv("XDG_RUNTIME_DIR");
    std::string fallback = "/tmp/mr420-" + std::to_string(getuid()) + "/MR420";
    EXPECT_EQ(defaultDataServerSocketPath(), fallback);
    ASSERT_TRUE(prepareDataServerSocketDirectory(fallback));
    struct stat st{};
    ASSERT_EQ(lstat(("/tmp/mr420-" + std::to_string(getuid())).c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, getuid());
    const std::string fallbackDir = "/tmp/mr420-" + std::to_string(getuid());
    ASSERT_EQ(chmod(fallbackDir.c_str(), 0755), 0);
    EXPECT_TRUE(prepareDataServerSocketDirectory(fallback));   // our own: tightened
    ASSERT_EQ(lstat(fallbackDir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    if (getuid() == 0 && chown(fallbackDir.c_str(), 65534, 65534) == 0) {
        EXPECT_FALSE(prepareDataServerSocketDirectory(fallback));   // someone else's
        ASSERT_EQ(chown(fallbackDir.c_str(), 0, 0), 0);
    }
    if (saved) setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);

    EXPECT_FALSE(prepareDataServerSocketDirectory("/nonexistent-dir-xyz/MR420"));
    EXPECT_FALSE(prepareDataServerSocketDirectory("/tmp/" + std::string(200, 'a') + "/MR420"));
    std::string dir = test::makeTempDir("sockpath");
    EXPECT_TRUE(prepareDataServerSocketDirectory(dir + "/MR420"));
    EXPECT_FALSE(dataServerSocketInUse(dir + "/MR420"));
}

}  // namespace
}  // namespace mr420
