#pragma once
// COM numbers are the program's port identity (saved as PORT_NR). This maps a
// number to the device it stands for on this system.

#include <map>
#include <string>

namespace mr420 {

// COM n -> device path: the [PORTS] alias COMn=<path> if given; else
// COM1-32 = /dev/ttyS0-31, COM33-64 = /dev/ttyUSB0-31, COM65-96 = /dev/ttyACM0-31;
// "" for any other number.
std::string devicePathForCom(int comNumber, const std::map<int, std::string>& aliases);

// The same mapping below another device directory (discovery uses it on a
// fake tree in tests). devRoot has no trailing slash.
std::string devicePathForCom(int comNumber, const std::map<int, std::string>& aliases,
                             const std::string& devRoot);

// The COM number that the fixed ranges give a device name such as "ttyUSB3"
// (without directory), or 0 when the name is outside them.
int comNumberForDeviceName(const std::string& name);

// The resolved node exists (symbolic links followed) and is a character device.
bool comPortExists(int comNumber, const std::map<int, std::string>& aliases);

// Reads "COMn" (case-insensitive, nothing after the number) into n with
// 0 < n < 256, as used by [PORTS] keys. Returns 0 otherwise.
int parseComName(const std::string& text);

}  // namespace mr420
