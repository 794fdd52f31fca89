#pragma once
// Live registration as the main window runs it: the registration dialog and
// what its OK does, the interval timer (id 1034), the re-opening after the
// settings-read period; the status line reads its state through
// RegistrationStatusLink.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

#include "ui/LiveReadings.h"
#include "recording/MeasurementFile.h"
#include "recording/RegistrationLog.h"
#include "recording/RegistrationSettings.h"
#include "recording/widgets/RegistrationDialog.h"
#include "ui/MenuCommands.h"

class QWidget;

namespace mr420 {

class MessageBoxes;

class RegistrationFeature : public QObject, public MenuCommands {
    Q_OBJECT
public:
    // Runs a dialog modally and returns its result (tests script it).
    using DialogRunner = std::function<int(RegistrationDialog&)>;

    // `window`: the window its dialogs and messages open above.
    explicit RegistrationFeature(MessageBoxes& boxes, QWidget* window = nullptr);
    ~RegistrationFeature() override;

    // What the panes show and what the panel state says about the probes;
    // read at every record. Without them every pane counts as "???".
    void setReadingsProvider(std::function<LiveReadings()> provider) { readings_ = std::move(provider); }
    void setSourcesProvider(std::function<ProbeSources()> provider) { sources_ = std::move(provider); }
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    void setDialogRunner(DialogRunner runner) { runner_ = std::move(runner); }
    void setClock(std::function<LocalTime()> clock) { clock_ = std::move(clock); }

    const RegistrationSettings& settings() const { return settings_; }
    void setSettings(const RegistrationSettings& s) { settings_ = s; }
    const QString& comment() const { return comment_; }

    // Menu "Rejestracja do pliku": runs the dialog and applies its result.
    void openDialog(QWidget* parent);
    std::vector<int> commands() const override;
    void run(int menuId) override;
    // End of the settings-read period: opens the files the settings ask for
    // that are not open yet, appending without asking.
    void reopenAfterStart(QWidget* parent);

    // Timer 1034: one text record, then one binary record.
    void onRegistrationTimer();

    // For the status line composed by the reading model (see
    // RegistrationStatusLink.h): the timer runs, and with which period.
    bool registrationActive() const { return timer_.isActive(); }
    int registrationIntervalSeconds() const { return timer_.interval() / 1000; }
    bool writeFailed() const { return log_.lastWriteFailed(); }

    bool timerRunning() const { return timer_.isActive(); }
    int timerIntervalMs() const { return timer_.interval(); }
    const RegistrationLog& log() const { return log_; }

signals:
    // Registration was switched on or off, or its write state changed.
    void statusChanged();

private:
    // One showing and its OK or Cancel; true when a file could not be opened
    // and the dialog is to be shown again.
    bool runDialogOnce(QWidget* parent);
    void writeTextNow();
    void writeBinaryNow();
    void startTimer();
    // Registration runs exactly while a file is open: the timer (and with it
    // the status line's "Rejestracja do pliku co ...") stops when none is,
    // and starts when one is and it does not run yet.
    void runTimerWhileAFileIsOpen();
    // Only the stopping half, with statusChanged, for the moment a re-open
    // has failed and the dialog comes back.
    void stopTimerWithoutFiles();
    void noteWriteState();
    LiveReadings currentReadings() const;
    ProbeSources currentSources() const;

    MessageBoxes& boxes_;
    QWidget* window_;
    RegistrationSettings settings_;
    QString comment_;
    RegistrationLog log_;
    QTimer timer_;
    bool lastWriteFailed_ = false;

    std::function<LiveReadings()> readings_;
    std::function<ProbeSources()> sources_;
    std::function<LocalTime()> clock_;
    FileChooser chooser_;
    DialogRunner runner_;
};

}  // namespace mr420
