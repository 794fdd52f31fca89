#pragma once
// What the session engine tells the main window. All calls come on the
// user-interface thread, from inside the session's character or timer handler.

#include <cstdint>

namespace mr420 {

class SessionListener {
public:
    virtual ~SessionListener() = default;

    // End of a poll cycle or chain (connected = no measurement error), and the
    // no-communication state (connected false).
    virtual void refreshDisplay(bool connected) = 0;

    // A configuration dialog's data has arrived, named by the command whose
    // reply carried it. Called after a successful parse, in this order of rows:
    //   50 battery, 34 auto-off, 36 display flags,
    //   38 default pressure   - only while routeDefaultPressure is set,
    //   42 history display,
    //   9  memory-logging     - only while routeMemorySettings is set,
    //      (then the memory read-out's memorySetTotal, then 041000 / 041100 rows)
    //   9  panel information  - only while routePanelInformation is set,
    //   55 modem, 17 alarm thresholds, 48 exceedance, 52 power-loss alarm.
    // With both routing flags for 9 set, 9 is delivered twice. Dialogs that are
    // not open ignore the call; the main window forwards it to the open one.
    virtual void onSettingsArrived(int /*commandNumber*/) {}

    // Memory read-out, called only while the session's memoryReadoutActive is
    // set; after 024000 the pressure comes after the routed 38 above. memoryWindowExists tells whether the read-out window is still open.
    virtual bool memoryWindowExists() { return false; }
    virtual void memoryTakePressure(double /*pressureHpa*/) {}       // after 024000
    virtual void memorySetTotal(int /*blocks*/) {}                    // after 040000
    virtual void memoryBlockErased(int /*block*/) {}                  // after 041000, empty block
    virtual void memoryBlockData(int /*block*/, const std::uint8_t* /*data256*/) {}  // after 041100
    virtual void memoryFinish() {}                                    // last block seen: decode
    virtual void memoryAbort() {}                                     // cancelled by the user
};

// Receives the parser's acknowledgement of an acknowledged write.
class WriteAckListener {
public:
    virtual ~WriteAckListener() = default;
    virtual void onWriteAcknowledged(int commandNumber) = 0;
};

}  // namespace mr420
