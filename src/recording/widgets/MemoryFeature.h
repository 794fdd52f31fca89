#pragma once
// The "Pamięć" menu as the main window offers it: the read-out with its
// dialog and the columns of its list, erasing the panel memory behind the
// wait window, and "Uruchom Vimo" with the file last saved from the list.

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

#include "recording/MemoryReadout.h"
#include "ui/MenuCommands.h"

class QWidget;

namespace mr420 {

class MemoryDialog;
class MessageBoxes;
class WaitWindow;

class MemoryFeature : public QObject, public MenuCommands, private MemoryEraser::FrontEnd {
    Q_OBJECT
public:
    MemoryFeature(PanelSession& session, TimerRouter& timers, MessageBoxes& boxes, WaitWindow& wait, QWidget* parent);
    ~MemoryFeature() override;

    // "Odczyt danych" (downloads, decodes and lists the memory), "Usuń
    // zawartość pamięci" and "Uruchom Vimo".
    std::vector<int> commands() const override;
    void run(int menuId) override;

    // The list's columns (MEMORY_DP, MEMORY_PPM) and the full dump
    // ("memdump") of the next read-out.
    MemoryReadoutOptions& options() { return options_; }

    MemoryReadout& readout() { return readout_; }
    // The file "Zapisz jako" last wrote in this run; empty before.
    QString lastSavedFile() const { return lastSavedFile_; }
    MemoryDialog& dialog() { return *dialog_; }

private:
    bool confirmErase() override;
    void runWaitWindow() override;
    void closeWaitWindow() override;
    void showMessage(const UserMessage& message) override;

    MessageBoxes& boxes_;
    WaitWindow& wait_;
    QWidget* parent_;
    MemoryReadoutOptions options_;
    MemoryReadout readout_;
    MemoryEraser eraser_;
    std::unique_ptr<MemoryDialog> dialog_;
    QString lastSavedFile_;
};

}  // namespace mr420
