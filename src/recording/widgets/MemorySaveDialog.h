#pragma once
// The dialog "Zapisz jako" of the memory read-out: target file, column
// separator, comment and panel serial number. Its OK writes the file (text or,
// for a ".qvg" name, binary); a file that cannot be opened or written keeps
// the dialog open for another name.

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <vector>

#include "recording/MemoryRecord.h"
#include "recording/MemorySave.h"
#include "recording/widgets/RegistrationDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace mr420 {

class MessageBoxes;

class MemorySaveDialog : public QDialog {
    Q_OBJECT
public:
    // records in their time order; panelSerialNumber as captured when the
    // read-out began.
    MemorySaveDialog(std::vector<MemoryRecord> records, long panelSerialNumber, MessageBoxes& boxes,
                     FileChooser chooser = qtSaveFileChooser, QWidget* parent = nullptr);

    // The request of the browse button: filters of string 226, default
    // extension "csv".
    FileRequest fileRequest() const;

    bool binaryMode() const { return binary_; }
    // The text-save options as the controls hold them now.
    MemorySaveOptions options() const;

    QLineEdit* fileEdit() const { return fileEdit_; }
    QPushButton* browseButton() const { return browse_; }
    QLabel* binaryNote() const { return binaryNote_; }
    QRadioButton* separatorRadio(int separator) const { return sep_[static_cast<std::size_t>(separator)]; }
    QCheckBox* commentBox() const { return comment_; }
    QPlainTextEdit* commentEdit() const { return commentEdit_; }
    QCheckBox* serialNumberBox() const { return serial_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    // The file OK wrote; empty until then.
    QString savedPath() const { return savedPath_; }

public slots:
    // Writes the file; closes with OK only when it was written.
    void accept() override;

private:
    // Binary mode from the file name; shows the format note and disables the
    // text-only controls in it.
    void updateMode();
    void browse();

    std::vector<MemoryRecord> records_;
    long panelSerialNumber_;
    MessageBoxes& boxes_;
    FileChooser chooser_;
    bool binary_ = false;
    QString savedPath_;

    QLineEdit* fileEdit_ = nullptr;
    QPushButton* browse_ = nullptr;
    QLabel* binaryNote_ = nullptr;
    std::array<QRadioButton*, 3> sep_{};
    QCheckBox* comment_ = nullptr;
    QPlainTextEdit* commentEdit_ = nullptr;
    QCheckBox* serial_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Runs a dialog modally and returns its result (tests script it).
using MemorySaveRunner = std::function<int(MemorySaveDialog&)>;

// "Zapisz jako" of the memory dialog: runs MemorySaveDialog modally; the file
// is written inside its OK. True when a file was written; its name then goes
// to savedPath when one is given.
bool saveMemory(QWidget* parent, const std::vector<MemoryRecord>& records, long panelSerialNumber,
                MessageBoxes& boxes, FileChooser chooser = qtSaveFileChooser, const MemorySaveRunner& run = {},
                QString* savedPath = nullptr);

}  // namespace mr420
