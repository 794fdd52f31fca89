#include "recording/MemoryReadout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/StringTable.h"
#include "base/TimerIds.h"
#include "base/ValueFormat.h"
#include "recording/FileReplacement.h"
#include "recording/MemoryDecoder.h"

namespace mr420 {

namespace {

constexpr int kTwoTemperaturesFirmware = 128;

// String ids of the list and its messages.
constexpr int kColumnNumber = 167, kColumnTime = 168, kColumnTemperature1 = 169, kColumnTemperature2 = 170,
              kColumnHumidity = 171, kColumnPressure = 172, kColumnDewPoint = 173, kColumnVapour = 174,
              kColumnTemperature = 175;
constexpr int kUsage = 193;
constexpr int kMeasurementError = 211;
constexpr UserMessage kTransferError{131, MessageIcon::None};
constexpr UserMessage kMemoryEmpty{130, MessageIcon::Information};
constexpr UserMessage kDumpNotCreated{221, MessageIcon::Exclamation};
constexpr UserMessage kEraseFailed{116, MessageIcon::None};

}  // namespace

MemoryReadout::MemoryReadout(PanelSession& session, TimerRouter& timers) : session_(session), timers_(timers) {
    session_.setMemoryReadoutListener(this);
    timers_.route(timer_id::kMemoryData, [this](int) { onDataTimeout(); });
}

MemoryReadout::~MemoryReadout() {
    session_.setMemoryReadoutListener(nullptr);
    timers_.stopTimer(timer_id::kMemoryData);
    timers_.route(timer_id::kMemoryData, {});
}

void MemoryReadout::start(MemoryReadoutView& view, const MemoryReadoutOptions& options) {
    view_ = &view;
    options_ = options;
    const PanelState& state = session_.state();
    firmwareVersion_ = state.firmwareVersion;
    panelSerialNumber_ = static_cast<int>(state.panelSerialNumber);
    imageLength_ = 0;
    memorySizeBlocks_ = 0;
    fallbackPressure_ = 0;
    decoded_ = false;
    aborted_ = false;
    outcome_ = MemoryReadoutOutcome::Reading;
    records_.clear();
    usedBytes_ = 0;

    using C = Column;
    const bool two = firmwareVersion_ >= kTwoTemperaturesFirmware;
    columnKinds_ = {C::Number, C::Time, C::Temperature1};
    if (two) columnKinds_.push_back(C::Temperature2);
    columnKinds_.insert(columnKinds_.end(), {C::Humidity, C::Pressure});
    if (options_.dewPointColumn) columnKinds_.push_back(C::DewPoint);
    if (options_.vapourColumn) columnKinds_.push_back(C::Vapour);
    columns_.clear();
    for (Column c : columnKinds_) {
        static constexpr int kTitles[] = {kColumnNumber, kColumnTime, kColumnTemperature1, kColumnTemperature2,
                                          kColumnHumidity, kColumnPressure, kColumnDewPoint, kColumnVapour};
        const int id = c == C::Temperature1 && !two ? kColumnTemperature : kTitles[static_cast<int>(c)];
        columns_.push_back(str(id));
    }

    session_.startMemoryReadout(options_.fullDump);
    timers_.startTimer(timer_id::kMemoryData, kDataTimeoutMs);
}

void MemoryReadout::cancel() {
    if (reading()) session_.memoryReadoutCancelled = true;
}

void MemoryReadout::detach() {
    timers_.stopTimer(timer_id::kMemoryData);
    view_ = nullptr;
}

void MemoryReadout::memorySetTotal(int blocks) {
    if (!reading()) return;
    memorySizeBlocks_ = blocks;
    if (view_) view_->setProgressRange(blocks);
}

void MemoryReadout::placeBlock(int block) {
    timers_.startTimer(timer_id::kMemoryData, kDataTimeoutMs);
    imageLength_ = (static_cast<std::size_t>(block) + 1) * kBlockSize;
    if (view_) view_->setProgress(block + 1);
}

void MemoryReadout::memoryBlockErased(int block) {
    if (!reading() || block < 0 || block >= static_cast<int>(kMaxBlocks)) return;
    image_[static_cast<std::size_t>(block) * kBlockSize] = 0xFF;
    placeBlock(block);
}

void MemoryReadout::memoryBlockData(int block, const std::uint8_t* data) {
    if (!reading() || block < 0 || block >= static_cast<int>(kMaxBlocks) || imageLength_ == image_.size()) return;
    std::copy_n(data, kBlockSize, image_.begin() + static_cast<std::ptrdiff_t>(block) * kBlockSize);
    placeBlock(block);
}

void MemoryReadout::memoryFinish() {
    // Once aborted (time-out or cancel) nothing is decoded.
    if (reading()) decode();
}

void MemoryReadout::memoryAbort() {
    aborted_ = true;
    outcome_ = MemoryReadoutOutcome::Cancelled;
    timers_.stopTimer(timer_id::kMemoryData);
    if (view_) view_->closeAsCancelled();
}

void MemoryReadout::onDataTimeout() {
    timers_.stopTimer(timer_id::kMemoryData);
    if (!view_ || decoded_ || aborted_) return;
    // Set before the message opens: replies keep coming inside its modal
    // loop, and from now on they find no window and end the chain untaken.
    aborted_ = true;
    outcome_ = MemoryReadoutOutcome::TimedOut;
    MemoryReadoutView* view = view_;
    view->showMessage(kTransferError);
    view->closeAsCancelled();
}

void MemoryReadout::decode() {
    timers_.stopTimer(timer_id::kMemoryData);
    if (!view_) return;
    const bool dumped = !options_.fullDump || writeDump();
    DecodedMemory decoded = decodeMemoryImage(image_.data(), imageLength_);
    for (MemoryRecord& r : decoded.records)
        addComputedValues(r, options_.dewPointColumn, options_.vapourColumn, fallbackPressure_);
    records_ = std::move(decoded.records);
    usedBytes_ = decoded.usedBytes;
    decoded_ = true;
    using O = MemoryReadoutOutcome;
    outcome_ = !dumped ? O::DumpFailed : records_.empty() ? O::Empty : O::Completed;
    if (records_.empty()) {
        view_->showMessage(kMemoryEmpty);
        view_->closeAsCancelled();
        return;
    }
    view_->showDecoded();
}

std::string MemoryReadout::dumpText(const std::uint8_t* image, std::size_t length) {
    std::string text;
    text.reserve(length * 3 + length / 128);
    char hex[4];
    for (std::size_t i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, "%02X ", image[i]);
        text += hex;
        if ((i + 1) % kBlockSize == 0) text += "\r\n";
    }
    return text;
}

bool MemoryReadout::writeDump() {
    // Replaces an earlier dump once complete; a dump that cannot be written
    // does not stop the read-out.
    FileReplacement dump(options_.dumpPath);
    if (dump.open() && dump.file().writeUnsynced(dumpText(image_.data(), imageLength_)) && dump.commit()) return true;
    view_->showMessage(kDumpNotCreated);
    return false;
}

std::string MemoryReadout::errorCellText() { return str(kMeasurementError); }

std::string MemoryReadout::cell(std::size_t row, std::size_t column) const {
    if (row >= records_.size() || column >= columnKinds_.size()) return {};
    const MemoryRecord& r = records_[row];
    auto temperature = [&](bool present, bool error, double value) -> std::string {
        if (!present) return {};
        return error ? str(kMeasurementError) : formatNumber(r.twoDecimals ? "%.02f" : "%.01f", value);
    };
    switch (columnKinds_[column]) {
    case Column::Number: return std::to_string(row + 1);
    case Column::Time: {
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", r.time.year, r.time.month, r.time.day,
                      r.time.hour, r.time.minute);
        return text;
    }
    case Column::Temperature1: return temperature(r.temperature1Present, r.temperature1Error, r.temperature1);
    case Column::Temperature2: return temperature(r.temperature2Present, r.temperature2Error, r.temperature2);
    case Column::Humidity:
        if (!r.humidityPresent) return {};
        return r.humidityError ? str(kMeasurementError) : formatNumber("%.01f", r.humidity);
    case Column::Pressure:
        if (!r.pressurePresent) return {};
        return r.pressureError ? str(kMeasurementError) : formatNumber("%.01f", r.pressure);
    // Not meaningful (NaN): an empty cell.
    case Column::DewPoint: return r.dewPointComputed && std::isfinite(r.dewPoint) ? formatNumber("%.01f", r.dewPoint) : std::string();
    case Column::Vapour: return r.vapourComputed && std::isfinite(r.vapourPpm) ? formatNumber("%.0f", r.vapourPpm) : std::string();
    }
    return {};
}

std::string MemoryReadout::usageText() const {
    const double capacity = static_cast<double>(memorySizeBlocks_) * kBlockSize;
    double usage = capacity > 0 ? (usedBytes_ - 1) / capacity * 100 : 0;
    if (usage > 100) usage = 100;
    if (!(usage >= 0)) usage = 0;
    return str(kUsage) + formatNumber(" %.01f%%", usage);
}

// --- erasing --------------------------------------------------------------------

MemoryEraser::MemoryEraser(PanelSession& session, TimerRouter& timers, FrontEnd& frontEnd)
    : session_(session), timers_(timers), frontEnd_(frontEnd) {
    timers_.route(timer_id::kMemoryErase, [this](int) { onEraseTimeout(); });
}

MemoryEraser::~MemoryEraser() {
    timers_.stopTimer(timer_id::kMemoryErase);
    timers_.route(timer_id::kMemoryErase, {});
}

bool MemoryEraser::run() {
    if (waiting_ || !frontEnd_.confirmErase()) return false;
    session_.state().memoryErased = 0;
    session_.requestCommand(PanelCommand::EraseMemory);
    timers_.startTimer(timer_id::kMemoryErase, kEraseTimeoutMs);
    waiting_ = true;
    // The panel takes its time to erase: the window stays the whole period.
    frontEnd_.runWaitWindow();
    waiting_ = false;
    timers_.stopTimer(timer_id::kMemoryErase);
    return session_.state().memoryErased != 0;
}

void MemoryEraser::onEraseTimeout() {
    timers_.stopTimer(timer_id::kMemoryErase);
    if (!waiting_) return;
    frontEnd_.closeWaitWindow();
    if (!session_.state().memoryErased) frontEnd_.showMessage(kEraseFailed);
}

}  // namespace mr420
