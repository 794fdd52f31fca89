#include "recording/widgets/MemoryFeature.h"

#include "base/StringTable.h"
#include "base/widgets/MessageBoxes.h"
#include "base/widgets/WaitWindow.h"
#include "ui/MenuTable.h"
#include "recording/widgets/ChartProgram.h"
#include "recording/widgets/MemoryDialog.h"
#include "recording/widgets/MemorySaveDialog.h"

namespace mr420 {

namespace {
constexpr int kEraseQuestion = 125;   // "Chcesz usunąć zawartość pamięci?"
}

MemoryFeature::MemoryFeature(PanelSession& session, TimerRouter& timers, MessageBoxes& boxes, WaitWindow& wait,
                             QWidget* parent)
    : QObject(parent),
      boxes_(boxes),
      wait_(wait),
      parent_(parent),
      readout_(session, timers),
      eraser_(session, timers, *this),
      dialog_(std::make_unique<MemoryDialog>(readout_, boxes, parent)) {
    dialog_->setSaveHandler([this](QWidget* owner, const MemoryReadout& readout) {
        saveMemory(owner, readout.records(), readout.panelSerialNumber(), boxes_, qtSaveFileChooser, {},
                   &lastSavedFile_);
    });
}

MemoryFeature::~MemoryFeature() = default;

std::vector<int> MemoryFeature::commands() const {
    return {menu_id::kMemoryRead, menu_id::kMemoryErase, menu_id::kRunVimo};
}

void MemoryFeature::run(int menuId) {
    switch (menuId) {
        case menu_id::kMemoryRead: dialog_->run(options_); break;
        case menu_id::kMemoryErase: eraser_.run(); break;
        case menu_id::kRunVimo:
            launchChartProgram(parent_, boxes_, currentChartProgramPlaces(), startDetachedProgram, lastSavedFile_);
            break;
        default: break;
    }
}

bool MemoryFeature::confirmErase() { return boxes_.ask(parent_, QString::fromStdString(str(kEraseQuestion))); }

void MemoryFeature::runWaitWindow() { wait_.show(); }

void MemoryFeature::closeWaitWindow() { wait_.close(); }

void MemoryFeature::showMessage(const UserMessage& message) { boxes_.show(parent_, message); }

}  // namespace mr420
