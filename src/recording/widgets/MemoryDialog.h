#pragma once
// "Pamięć": the memory read-out on screen. While the blocks come it shows a
// progress bar and the wait text; then the decoded list (a table view over
// the read-out's records), the usage text and "Zapisz jako". "Zamknij" while
// reading stops the read-out at the chain's next step.

#include <QAbstractTableModel>
#include <QDialog>

#include <functional>

#include "recording/MemoryReadout.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace mr420 {

class MessageBoxes;

// The decoded records as the list shows them; every text comes from the read-out.
class MemoryListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MemoryListModel(const MemoryReadout& readout, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void reload();

private:
    const MemoryReadout& readout_;
};

class MemoryDialog : public QDialog, public MemoryReadoutView {
    Q_OBJECT
public:
    // What "Zapisz jako" does with the decoded records.
    using SaveHandler = std::function<void(QWidget* parent, const MemoryReadout& readout)>;

    MemoryDialog(MemoryReadout& readout, MessageBoxes& boxes, QWidget* parent = nullptr);

    // Starts the read-out and runs the dialog until it closes.
    void run(const MemoryReadoutOptions& options);
    void setSaveHandler(SaveHandler handler) { save_ = std::move(handler); }
    // What "Wykres" does with them; the button shows once a handler is set.
    void setChartHandler(SaveHandler handler);

    // MemoryReadoutView
    bool windowExists() const override { return isVisible(); }
    void setProgressRange(int blocks) override;
    void setProgress(int position) override;
    void showDecoded() override;
    void showMessage(const UserMessage& message) override;
    void closeAsCancelled() override;

    QTableView* list() const { return list_; }
    QProgressBar* progress() const { return progress_; }
    QLabel* usage() const { return usage_; }
    QPushButton* saveButton() const { return saveButton_; }
    QPushButton* chartButton() const { return chartButton_; }
    QPushButton* closeButton() const { return closeButton_; }

protected:
    void reject() override;   // "Zamknij", Escape and the close box

private:
    void showReading(bool reading);

    MemoryReadout& readout_;
    MessageBoxes& boxes_;
    MemoryListModel model_;
    SaveHandler save_;
    SaveHandler chart_;
    QTableView* list_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* waitText_ = nullptr;
    QLabel* picture_ = nullptr;
    QLabel* usage_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* chartButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace mr420
