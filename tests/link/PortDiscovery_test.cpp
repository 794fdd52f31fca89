#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/PortDiscovery.h"
#include "support/TestSupport.h"

using namespace mr420;
namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

void makeLink(const fs::path& link, const fs::path& target) {
    fs::create_directories(link.parent_path());
    fs::create_directory_symlink(target, link);
}

// A small sysfs: a USB serial adapter with a product string, a CDC modem
// without one, legacy UART slots with and without hardware, and a console tty.
struct FakeSysfs {
    fs::path root;
    fs::path classTty;
    fs::path dev;

    explicit FakeSysfs(const std::string& name) : root(test::makeTempDir(name)) {
        const fs::path sys = root / "sys";
        classTty = sys / "class" / "tty";
        dev = root / "dev";
        const fs::path devices = sys / "devices";
        const fs::path drivers = sys / "bus" / "drivers";
        for (const char* d : {"ftdi_sio", "cdc_acm", "port", "serial8250", "serial", "usb"})
            fs::create_directories(drivers / d);

        // USB adapter: product sits on the USB device, two levels above the port.
        const fs::path usbDevice = devices / "pci0000:00" / "usb1" / "1-2";
        writeFile(usbDevice / "product", "FT232R USB UART\n");
        makeLink(usbDevice / "driver", drivers / "usb");
        const fs::path usbPort = usbDevice / "1-2:1.0" / "ttyUSB0";
        fs::create_directories(usbPort);
        makeLink(usbPort / "driver", drivers / "ftdi_sio");
        makeLink(classTty / "ttyUSB0" / "device", usbPort);

        // A second adapter whose number a [PORTS] alias takes over.
        const fs::path usb1Port = devices / "pci0000:00" / "usb1" / "1-4" / "1-4:1.0" / "ttyUSB1";
        fs::create_directories(usb1Port);
        makeLink(classTty / "ttyUSB1" / "device", usb1Port);

        // Adapter numbered beyond the ranges.
        const fs::path usb40 = devices / "pci0000:00" / "usb1" / "1-5" / "ttyUSB40";
        fs::create_directories(usb40);
        makeLink(classTty / "ttyUSB40" / "device", usb40);

        // CDC modem: no product string anywhere, the interface driver names it.
        const fs::path acm = devices / "pci0000:00" / "usb1" / "1-3" / "1-3:1.0";
        fs::create_directories(acm);
        makeLink(acm / "driver", drivers / "cdc_acm");
        makeLink(classTty / "ttyACM0" / "device", acm);

        // ttyS0: real UART behind the serial core's port layer.
        const fs::path platform = devices / "platform" / "serial8250";
        const fs::path s0 = platform / "serial8250:0" / "serial8250:0.0";
        fs::create_directories(s0);
        makeLink(s0 / "driver", drivers / "port");
        makeLink(platform / "driver", drivers / "serial8250");
        makeLink(classTty / "ttyS0" / "device", s0);
        writeFile(classTty / "ttyS0" / "type", "4\n");
        // ttyS1: slot without a UART.
        const fs::path s1 = platform / "serial8250:0" / "serial8250:0.1";
        fs::create_directories(s1);
        makeLink(classTty / "ttyS1" / "device", s1);
        writeFile(classTty / "ttyS1" / "type", "0\n");
        // ttyS2: older layout without "type", a placeholder of the platform driver.
        const fs::path s2 = devices / "platform" / "serial8250b";
        fs::create_directories(s2);
        makeLink(s2 / "driver", drivers / "serial8250");
        makeLink(classTty / "ttyS2" / "device", s2);
        // ttyS3: older layout, a PnP UART.
        const fs::path s3 = devices / "pnp0" / "00:05";
        fs::create_directories(s3);
        makeLink(s3 / "driver", drivers / "serial");
        makeLink(classTty / "ttyS3" / "device", s3);

        // Virtual terminal: no device link.
        fs::create_directories(classTty / "tty0");
        fs::create_directories(dev);
    }
};

}  // namespace

TEST(PortDiscovery, ListsHardwareAndAliasesInComOrder) {
    FakeSysfs tree("discovery");
    const std::string plainFile = (tree.root / "notadevice").string();
    writeFile(plainFile, "x");
    const std::map<int, std::string> aliases = {
        {34, "/dev/null"}, {150, (tree.root / "missing").string()}, {7, plainFile}};

    const auto ports = discoverPorts(aliases, tree.classTty.string(), tree.dev.string());
    ASSERT_EQ(ports.size(), 5u);
    const std::string dev = tree.dev.string();

    EXPECT_EQ(ports[0].comNumber, 1);
    EXPECT_EQ(ports[0].devicePath, dev + "/ttyS0");
    EXPECT_EQ(ports[0].description, "serial8250");

    EXPECT_EQ(ports[1].comNumber, 4);
    EXPECT_EQ(ports[1].devicePath, dev + "/ttyS3");
    EXPECT_EQ(ports[1].description, "serial");

    EXPECT_EQ(ports[2].comNumber, 33);
    EXPECT_EQ(ports[2].devicePath, dev + "/ttyUSB0");
    EXPECT_EQ(ports[2].description, "FT232R USB UART");

    EXPECT_EQ(ports[3].comNumber, 34);  // the alias, not ttyUSB1
    EXPECT_EQ(ports[3].devicePath, "/dev/null");
    EXPECT_EQ(ports[3].description, "/dev/null");

    EXPECT_EQ(ports[4].comNumber, 65);
    EXPECT_EQ(ports[4].devicePath, dev + "/ttyACM0");
    EXPECT_EQ(ports[4].description, "cdc_acm");
}

TEST(PortDiscovery, WithoutSysfsTheDeviceNodesAreTested) {
    FakeSysfs tree("discovery-nosysfs");
    fs::create_directory_symlink("/dev/null", tree.dev / "ttyUSB2");  // stands for a character device
    writeFile(tree.dev / "ttyS5", "not a device");
    const auto ports = discoverPorts({{9, "/dev/null"}}, (tree.root / "nosuchdir").string(), tree.dev.string());
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].comNumber, 9);
    EXPECT_EQ(ports[1].comNumber, 35);
    EXPECT_EQ(ports[1].devicePath, (tree.dev / "ttyUSB2").string());
    EXPECT_EQ(ports[1].description, "");
}

TEST(PortDiscovery, ListTextAndEntries) {
    const std::vector<DiscoveredPort> ports = {
        {7, "/dev/ttyS6", ""},
        {3, "/dev/ttyS2", "Communications Port (COM3)"},
        {40, "/dev/ttyUSB7", "Odd (COM3x)"},
        {41, "/dev/ttyUSB8", "Two\nlines"},
        {42, "/dev/ttyUSB9", "a:b"},
    };
    const std::string text = portListText(ports);
    EXPECT_EQ(text, "COM3:Communications Port\nCOM7\nCOM40:Odd (COM3x)\nCOM41:Two lines\nCOM42:a:b\n");
    const auto entries = portEntries(text);
    // The first colon splits; the rest of the line is the description.
    const std::vector<std::string> expected = {"COM3 (Communications Port)", "COM7", "COM40 (Odd (COM3x))",
                                               "COM41 (Two lines)", "COM42 (a:b)"};
    EXPECT_EQ(entries, expected);
    EXPECT_TRUE(portEntries("").empty());
}

TEST(PortDiscovery, EntryToComNumber) {
    EXPECT_EQ(comNumberFromEntry("COM3 (Communications Port)"), 3);
    EXPECT_EQ(comNumberFromEntry("  COM12  "), 12);
    EXPECT_EQ(comNumberFromEntry("COM7"), 7);
    for (const char* bad : {"", "COM", " COM ", "COMx", "COM0", "COM-4"})
        EXPECT_EQ(comNumberFromEntry(bad), 0) << bad;
}
