#pragma once
// Hand-made panel replies for session tests. Every reply carries a correct LRC
// (test::replyWithLrc) and the layout the parser reads; digit groups have even
// lengths so that the colons never split a byte.

#include <cstdint>
#include <string>

namespace mr420::test {

// 020A00 with firmware 100 * major + minor and the probe-support bits.
std::string identityReply(int firmwareVersion, bool mr411Supported, bool mr466Supported, bool measurementError = false);
// 050100 (command 1) or 010100 (command 4): probe present or absent.
std::string probeReply(int commandNumber, bool present);
// 040000 with the memory size in 256-byte blocks.
std::string memorySettingsReply(int blocks);
// 041000: empty = the selected block reads 0xFF.
std::string blockSelectReply(bool empty);
// 041100: 256 bytes, byte i = fill + i (mod 256).
std::string blockDataReply(std::uint8_t fill);
// A reply that the parser accepts for `commandNumber`, all data digits 0.
std::string okReply(int commandNumber);
// okReply naming `index` where the reply names it (byte 7, or digit 8 of the
// texts read), as ReplyParser reads it.
std::string indexedReply(int commandNumber, int index);
// The same with the refusal digit set (commands that have one).
std::string refusedReply(int commandNumber);

}  // namespace mr420::test
