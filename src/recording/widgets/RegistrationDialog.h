#pragma once
// The dialog "Rejestracja do pliku": interval, text/CSV file with separator,
// comment and channel selection, binary file. It edits a copy of the
// registration settings and the comment text; opening files is the caller's.

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

#include "recording/RegistrationSettings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

namespace mr420 {

class MessageBoxes;

// What a browse button asks for: a save-as dialog with the overwrite prompt.
struct FileRequest {
    QString title;
    QStringList filters;      // e.g. "Plik tekstowy (*.txt)"
    QStringList suffixes;     // extension of each filter, without the dot
    QString defaultSuffix;    // the dialog's default extension
    QString currentPath;      // what the edit holds now
};

// The chosen name and the index of the filter selected; an empty path means
// the dialog was cancelled.
struct FileChoice {
    QString path;
    int filterIndex = 0;
};

using FileChooser = std::function<FileChoice(QWidget* parent, const FileRequest& request)>;

// QFileDialog in save mode; the default suffix follows the selected filter so
// that the overwrite prompt asks about the name that will be used.
FileChoice qtSaveFileChooser(QWidget* parent, const FileRequest& request);

// The requests of the two browse buttons.
FileRequest textFileRequest(const QString& currentPath);
FileRequest binaryFileRequest(const QString& currentPath);

class RegistrationDialog : public QDialog {
    Q_OBJECT
public:
    RegistrationDialog(const RegistrationSettings& settings, const QString& comment, MessageBoxes& boxes,
                       FileChooser chooser = qtSaveFileChooser, QWidget* parent = nullptr);

    // The settings and comment as the controls hold them now.
    RegistrationSettings settings() const;
    QString comment() const;

    QTimeEdit* intervalEdit() const { return interval_; }
    QCheckBox* textBox() const { return fileLog_; }
    QLabel* textFileCaption() const { return fileCaption_; }
    QLineEdit* textFileEdit() const { return fileEdit_; }
    QPushButton* textBrowseButton() const { return fileBrowse_; }
    QLabel* separatorCaption() const { return sepCaption_; }
    QRadioButton* separatorRadio(int sepFormat) const { return sep_[static_cast<std::size_t>(sepFormat)]; }
    QCheckBox* commentBox() const { return comment_; }
    QPlainTextEdit* commentEdit() const { return commentEdit_; }
    QCheckBox* serialNumberBox() const { return serial_; }
    QCheckBox* channelBox(Channel channel) const { return channels_[static_cast<std::size_t>(channel)]; }
    QCheckBox* binaryBox() const { return fileLogBin_; }
    QLabel* binaryFileCaption() const { return binCaption_; }
    QLineEdit* binaryFileEdit() const { return binEdit_; }
    QPushButton* binaryBrowseButton() const { return binBrowse_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    // Refuses (message 129) while no channel is checked.
    void accept() override;

private:
    void updateEnabling();
    void applyPickerRule();
    void browseText();
    void browseBinary();

    RegistrationSettings base_;   // carried through for what no control shows
    MessageBoxes& boxes_;
    FileChooser chooser_;

    QTimeEdit* interval_ = nullptr;
    QCheckBox* fileLog_ = nullptr;
    QLabel* fileCaption_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
    QPushButton* fileBrowse_ = nullptr;
    QLabel* sepCaption_ = nullptr;
    std::array<QRadioButton*, 3> sep_{};
    QCheckBox* comment_ = nullptr;
    QPlainTextEdit* commentEdit_ = nullptr;
    QCheckBox* serial_ = nullptr;
    std::array<QCheckBox*, kChannelCount> channels_{};
    QCheckBox* fileLogBin_ = nullptr;
    QLabel* binCaption_ = nullptr;
    QLineEdit* binEdit_ = nullptr;
    QPushButton* binBrowse_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace mr420
