#pragma once
// Builds the list of ports present on this system, in COM number order, and
// the texts the port selection dialog shows for them.

#include <map>
#include <string>
#include <vector>

namespace mr420 {

struct DiscoveredPort {
    int comNumber;
    std::string devicePath;
    std::string description;  // may be empty
};

// Serial hardware that sysfs lists below sysfsRoot (entries with a "device"
// link; ttyS only with a real UART), named by the COM ranges, described by the
// USB product string or the driver name; then every [PORTS] alias whose target
// is a character device, described by its target. An alias takes the place of
// the range port with its number. If sysfsRoot cannot be read, every range
// name whose node below devRoot is a character device is listed instead,
// without description. Sorted by COM number.
std::vector<DiscoveredPort> discoverPorts(const std::map<int, std::string>& aliases,
                                          const std::string& sysfsRoot = "/sys/class/tty",
                                          const std::string& devRoot = "/dev");

// The port list text: one line per port, "COM%u:%s\n" with a description and
// "COM%u\n" without one. A description that ends in " (COMn)" loses that tail.
std::string portListText(const std::vector<DiscoveredPort>& ports);

// The dialog entries made from a port list text: a line with a colon becomes
// the part before it, " (", the rest, ")"; a line without one stays as it is.
std::vector<std::string> portEntries(const std::string& listText);

// The port number an entry stands for: blanks trimmed, shorter than 4
// characters gives 0; otherwise the leading digits after the first three
// characters, 0 when there are none or they are not positive.
int comNumberFromEntry(const std::string& entry);

}  // namespace mr420
