#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

#include "link/ComPortNames.h"
#include "support/TestSupport.h"

using namespace mr420;

TEST(ComPortNames, RangesMapToDeviceFamilies) {
    const std::map<int, std::string> none;
    EXPECT_EQ(devicePathForCom(1, none), "/dev/ttyS0");
    EXPECT_EQ(devicePathForCom(32, none), "/dev/ttyS31");
    EXPECT_EQ(devicePathForCom(33, none), "/dev/ttyUSB0");
    EXPECT_EQ(devicePathForCom(64, none), "/dev/ttyUSB31");
    EXPECT_EQ(devicePathForCom(65, none), "/dev/ttyACM0");
    EXPECT_EQ(devicePathForCom(96, none), "/dev/ttyACM31");
    EXPECT_EQ(devicePathForCom(0, none), "");
    EXPECT_EQ(devicePathForCom(-3, none), "");
    EXPECT_EQ(devicePathForCom(97, none), "");
    EXPECT_EQ(devicePathForCom(33, none, "/fake/dev"), "/fake/dev/ttyUSB0");
}

TEST(ComPortNames, AliasesWinOverRangesAndExtendThem) {
    const std::map<int, std::string> aliases = {{3, "/dev/serial/by-id/panel"}, {200, "/dev/ttyAMA0"}, {4, ""}};
    EXPECT_EQ(devicePathForCom(3, aliases), "/dev/serial/by-id/panel");
    EXPECT_EQ(devicePathForCom(200, aliases), "/dev/ttyAMA0");
    EXPECT_EQ(devicePathForCom(4, aliases), "/dev/ttyS3");  // an empty alias does not count
    EXPECT_EQ(devicePathForCom(5, aliases), "/dev/ttyS4");
}

TEST(ComPortNames, DeviceNamesBackToNumbers) {
    EXPECT_EQ(comNumberForDeviceName("ttyS0"), 1);
    EXPECT_EQ(comNumberForDeviceName("ttyS31"), 32);
    EXPECT_EQ(comNumberForDeviceName("ttyUSB0"), 33);
    EXPECT_EQ(comNumberForDeviceName("ttyUSB31"), 64);
    EXPECT_EQ(comNumberForDeviceName("ttyACM7"), 72);
    for (const char* outside : {"ttyS32", "ttyUSB32", "ttyACM100", "ttyS", "ttyUSBx", "ttyS01", "ttyAMA0", "tty0", "ttyS-1"})
        EXPECT_EQ(comNumberForDeviceName(outside), 0) << outside;
}

TEST(ComPortNames, ComNamesInSettingsKeys) {
    EXPECT_EQ(parseComName("COM3"), 3);
    EXPECT_EQ(parseComName("com12"), 12);
    EXPECT_EQ(parseComName("COM255"), 255);
    for (const char* bad : {"COM0", "COM256", "COM3x", "LPT1", "COM", "COM-1", "COM 3", "COM1000"})
        EXPECT_EQ(parseComName(bad), 0) << bad;
}

TEST(ComPortNames, ExistenceNeedsACharacterDevice) {
    const std::string dir = test::makeTempDir("comexists");
    const std::string plain = dir + "/plain";
    std::ofstream(plain) << "x";
    const std::string link = dir + "/link";
    ASSERT_EQ(::symlink("/dev/null", link.c_str()), 0);
    const std::map<int, std::string> aliases = {{5, "/dev/null"}, {6, plain}, {7, dir + "/missing"}, {8, link}, {9, dir}};
    EXPECT_TRUE(comPortExists(5, aliases));
    EXPECT_FALSE(comPortExists(6, aliases));
    EXPECT_FALSE(comPortExists(7, aliases));
    EXPECT_TRUE(comPortExists(8, aliases));  // links are followed
    EXPECT_FALSE(comPortExists(9, aliases));
    EXPECT_FALSE(comPortExists(0, aliases));
}
