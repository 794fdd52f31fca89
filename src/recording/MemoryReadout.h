#pragma once
// The download of the panel's memory as the session runs it: the blocks of
// the image as they come (024000 gives the fallback pressure, 040000 the
// size, then 041000 / 041100 block by block), the 12 s data time-out, the
// cancel at the next step of the chain, the dump file, and the decoding into
// the list the memory dialog shows. The dialog is a view; everything it
// shows is decided here.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Interfaces.h"
#include "base/TimerRouter.h"
#include "base/UserMessage.h"
#include "protocol/PanelSession.h"
#include "recording/MemoryRecord.h"

namespace mr420 {

// What the read-out asks of its dialog.
class MemoryReadoutView {
public:
    virtual ~MemoryReadoutView() = default;
    // The dialog window is up (late replies find none).
    virtual bool windowExists() const = 0;
    virtual void setProgressRange(int blocks) = 0;
    virtual void setProgress(int position) = 0;
    // The list is ready: show it, the usage text and "Zapisz jako".
    virtual void showDecoded() = 0;
    virtual void showMessage(const UserMessage& message) = 0;
    // Closes the dialog as Cancel does.
    virtual void closeAsCancelled() = 0;
};

// How a read-out ended, for a front end that acts on it beyond the messages.
enum class MemoryReadoutOutcome {
    Reading,      // started and not ended (or never started)
    Completed,    // the records are decoded
    Empty,        // decoded, and the memory holds no record (message 130 said)
    TimedOut,     // 12 s without data (message 131 said)
    Cancelled,    // stopped at the user's request
    DumpFailed,   // decoded (records() tells whether any), the dump file not written (message 221 said)
};

struct MemoryReadoutOptions {
    bool dewPointColumn = true;     // MEMORY_DP
    bool vapourColumn = true;       // MEMORY_PPM
    bool fullDump = false;          // "memdump": erased blocks too, and __memdump.txt (replaced once complete)
    std::string dumpPath = "__memdump.txt";
};

class MemoryReadout : private MemoryReadoutListener {
public:
    static constexpr int kDataTimeoutMs = 12000;
    static constexpr std::size_t kBlockSize = 256;
    static constexpr std::size_t kMaxBlocks = 256;

    MemoryReadout(PanelSession& session, TimerRouter& timers);
    ~MemoryReadout() override;

    MemoryReadout(const MemoryReadout&) = delete;
    MemoryReadout& operator=(const MemoryReadout&) = delete;

    // Starts a read-out for `view`, whose modal loop then runs it. The
    // panel's firmware and serial number are taken now.
    void start(MemoryReadoutView& view, const MemoryReadoutOptions& options);
    // "Zamknij" while reading: the chain stops at its next step.
    void cancel();
    // The dialog closed: whatever still arrives is not shown.
    void detach();

    bool reading() const { return view_ != nullptr && !decoded_ && !aborted_; }
    bool aborted() const { return aborted_; }
    MemoryReadoutOutcome outcome() const { return outcome_; }

    // The decoded list and what the dialog shows of it.
    const std::vector<MemoryRecord>& records() const { return records_; }
    int usedBytes() const { return usedBytes_; }
    std::size_t imageLength() const { return imageLength_; }
    const std::uint8_t* image() const { return image_.data(); }
    int memorySizeBlocks() const { return memorySizeBlocks_; }
    double fallbackPressure() const { return fallbackPressure_; }
    int panelSerialNumber() const { return panelSerialNumber_; }

    // The list's columns: "Nr", "Data i czas", the temperatures (one below
    // firmware 1.28, two from it on), humidity, pressure, then dew point and
    // water-vapour content as chosen.
    const std::vector<std::string>& columnTitles() const { return columns_; }
    std::string cell(std::size_t row, std::size_t column) const;
    // The cell of a channel that reported an error ("Błąd pomiaru"), the
    // widest text of the value columns.
    static std::string errorCellText();
    // "Zajęte miejsce w pamięci: 12.5%": the share of the memory the records fill.
    std::string usageText() const;

    // The bytes of the dump file: "%02X " per byte, CR LF after every 256th.
    static std::string dumpText(const std::uint8_t* image, std::size_t length);

private:
    enum class Column { Number, Time, Temperature1, Temperature2, Humidity, Pressure, DewPoint, Vapour };

    // MemoryReadoutListener
    // An aborted read-out has no window for the session, even while its
    // message is still open: what arrives then ends the chain untaken.
    bool memoryWindowExists() override { return view_ != nullptr && !aborted_ && !decoded_ && view_->windowExists(); }
    void memoryTakePressure(double pressureHpa) override { fallbackPressure_ = pressureHpa; }
    void memorySetTotal(int blocks) override;
    void memoryBlockErased(int block) override;
    void memoryBlockData(int block, const std::uint8_t* data256) override;
    void memoryFinish() override;
    void memoryAbort() override;

    void placeBlock(int block);
    void onDataTimeout();
    void decode();
    // False when the dump file could not be written (the message is said).
    bool writeDump();

    PanelSession& session_;
    TimerRouter& timers_;
    MemoryReadoutView* view_ = nullptr;
    MemoryReadoutOptions options_;

    std::array<std::uint8_t, kBlockSize * kMaxBlocks> image_{};
    std::size_t imageLength_ = 0;
    int memorySizeBlocks_ = 0;
    double fallbackPressure_ = 0;
    int firmwareVersion_ = 0;
    int panelSerialNumber_ = 0;

    bool decoded_ = false;
    bool aborted_ = false;
    MemoryReadoutOutcome outcome_ = MemoryReadoutOutcome::Reading;
    std::vector<MemoryRecord> records_;
    int usedBytes_ = 0;
    std::vector<Column> columnKinds_;
    std::vector<std::string> columns_;
};

// Erasing the panel memory: 041500, then the 15 s the panel takes, behind
// the wait window; the acknowledgement only marks the memory erased.
class MemoryEraser {
public:
    static constexpr int kEraseTimeoutMs = 15000;

    // What erasing asks of the front end.
    class FrontEnd {
    public:
        virtual ~FrontEnd() = default;
        virtual bool confirmErase() = 0;                 // message 125, Yes/No
        virtual void runWaitWindow() = 0;                // returns when closed
        virtual void closeWaitWindow() = 0;
        virtual void showMessage(const UserMessage& message) = 0;
    };

    MemoryEraser(PanelSession& session, TimerRouter& timers, FrontEnd& frontEnd);
    ~MemoryEraser();

    // Asks, erases and waits; true when the panel acknowledged the erase.
    bool run();

private:
    void onEraseTimeout();

    PanelSession& session_;
    TimerRouter& timers_;
    FrontEnd& frontEnd_;
    bool waiting_ = false;
};

}  // namespace mr420
