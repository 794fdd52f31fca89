#pragma once
// The "Pamięć" menu as the main window offers it: the read-out with its
// dialog, and erasing the panel memory behind the wait window.

#include <QObject>
#include <QString>

#include <memory>

#include "recording/MemoryReadout.h"

class QWidget;

namespace mr420 {

class MemoryDialog;
class MessageBoxes;
class WaitWindow;

class MemoryFeature : public QObject, private MemoryEraser::FrontEnd {
    Q_OBJECT
public:
    MemoryFeature(PanelSession& session, TimerRouter& timers, MessageBoxes& boxes, WaitWindow& wait, QWidget* parent);
    ~MemoryFeature() override;

    // "Odczyt danych": downloads, decodes and lists the memory.
    void readMemory(const MemoryReadoutOptions& options);
    // "Usuń zawartość pamięci".
    void eraseMemory() { eraser_.run(); }

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
    MemoryReadout readout_;
    MemoryEraser eraser_;
    std::unique_ptr<MemoryDialog> dialog_;
    QString lastSavedFile_;
};

}  // namespace mr420
