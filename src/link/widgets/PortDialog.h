#pragma once
// The port selection dialog "Porty" and the small wait window in which its
// list of ports is built on a short-lived worker thread.

#include <QDialog>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace mr420 {

class MessageBoxes;

using PortEntrySource = std::function<std::vector<std::string>()>;

// The entries of the ports present now: discovery, list text, entries.
PortEntrySource systemPortEntries(const std::map<int, std::string>& aliases);

// The wait window "Proszę czekać" with its "Anuluj" button. The worker runs
// `source`; when it is done the window closes. "Anuluj" ends the window too,
// but the discovery goes on: closing waits for the worker, pumping events.
class PortSearchWindow : public QDialog {
    Q_OBJECT
public:
    PortSearchWindow(PortEntrySource source, QWidget* parent = nullptr);
    ~PortSearchWindow() override;

    // Shows the window modally and returns the entries once the worker ended.
    std::vector<std::string> run();

    QPushButton* cancelButton() const { return cancel_; }

private:
    PortEntrySource source_;
    QPushButton* cancel_ = nullptr;
};

class PortDialog : public QDialog {
    Q_OBJECT
public:
    // currentPort 0 means none in use.
    PortDialog(int currentPort, const std::vector<std::string>& entries, MessageBoxes& boxes,
               QWidget* parent = nullptr);

    // The chosen port after OK, 0 otherwise.
    int chosenPort() const { return chosen_; }

    QComboBox* list() const { return list_; }
    QLabel* statusLine() const { return status_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    void accept() override;

private:
    MessageBoxes& boxes_;
    QComboBox* list_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int chosen_ = 0;
};

// Builds the entries inside the wait window, then runs the dialog. Returns the
// chosen port number, or 0 when the dialog was cancelled.
int choosePortNumber(QWidget* parent, int currentPort, const PortEntrySource& source, MessageBoxes& boxes);

}  // namespace mr420
