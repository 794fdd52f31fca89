#pragma once
// Faults the simulated panel can put on the line, to exercise the session's
// retries, time-outs and bad-line handling.

#include <set>

namespace mr420::sim {

struct FaultConfig {
    int badLrcEvery = 0;          // every Nth reply carries a wrong LRC (0 = never)
    int noiseLineEvery = 0;       // a line beginning with "09" precedes every Nth reply (0 = never)
    // What a bad adapter or a long cable does, each to every Nth reply (0 = never):
    int duplicateEvery = 0;       // the reply goes out twice
    int lateEvery = 0;            // the reply goes out kLateReplyMs late, after the program's time-out
    int dropCharacterEvery = 0;   // one character of the reply (not its CR LF) is lost
    int burstEvery = 0;           // kBurstLength random bytes land inside the reply
    int lostLineEndEvery = 0;     // the reply's CR or its LF is lost, in turn
    std::set<int> silentFor;      // command numbers never answered
    std::set<int> refusedFor;     // command numbers answered with the refusal digit set
    // No answer while the time source (seconds since the panel started) lies
    // in [silentFrom, silentUntil).
    double silentFrom = 0;
    double silentUntil = 0;
    int delayMs = 0;              // wait before the reply goes out
    bool pace = false;            // send at the pace of 9600 baud, about 1.04 ms per character
};

// A late reply waits this long: past the program's 6 s reply time-out.
constexpr int kLateReplyMs = 6500;
constexpr int kBurstLength = 7;

// Time one character takes at 9600 baud, 8N1 (10 bits).
constexpr double kCharacterMicroseconds = 10.0 * 1'000'000.0 / 9600.0;

}  // namespace mr420::sim
