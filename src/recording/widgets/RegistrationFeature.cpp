#include "recording/widgets/RegistrationFeature.h"

#include <algorithm>

#include "base/widgets/MessageBoxes.h"
#include "recording/RegistrationSources.h"
#include "recording/widgets/RegistrationStrings.h"
#include "ui/MenuTable.h"

namespace mr420 {

RegistrationFeature::RegistrationFeature(MessageBoxes& boxes, QWidget* window)
    : boxes_(boxes), window_(window), log_(registrationTextsFromStringTable()), timer_(this), clock_(localTimeNow),
      chooser_(qtSaveFileChooser) {
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, &RegistrationFeature::onRegistrationTimer);
}

RegistrationFeature::~RegistrationFeature() = default;

LiveReadings RegistrationFeature::currentReadings() const { return readings_ ? readings_() : LiveReadings{}; }

ProbeSources RegistrationFeature::currentSources() const { return sources_ ? sources_() : ProbeSources{}; }

void RegistrationFeature::writeTextNow() {
    log_.writeTextRecord(settings_, clock_(), currentReadings(), currentSources().temperatureTwoDecimals);
}

void RegistrationFeature::writeBinaryNow() { log_.writeBinaryRecord(clock_(), currentReadings(), currentSources()); }

void RegistrationFeature::startTimer() {
    // Restarting replaces a running timer, so the interval counts from now.
    timer_.start(std::clamp(settings_.interval, kMinInterval, kMaxInterval) * 1000);
}

void RegistrationFeature::runTimerWhileAFileIsOpen() {
    if (!log_.textOpen() && !log_.binaryOpen())
        timer_.stop();
    else if (!timer_.isActive())
        startTimer();
}

void RegistrationFeature::stopTimerWithoutFiles() {
    if (log_.textOpen() || log_.binaryOpen() || !timer_.isActive()) return;
    timer_.stop();
    emit statusChanged();
}

void RegistrationFeature::noteWriteState() {
    if (log_.lastWriteFailed() == lastWriteFailed_) return;
    lastWriteFailed_ = log_.lastWriteFailed();
    emit statusChanged();
}

void RegistrationFeature::onRegistrationTimer() {
    log_.onRegistrationTimer(settings_, clock_(), currentReadings(), currentSources());
    noteWriteState();
}

std::vector<int> RegistrationFeature::commands() const { return {menu_id::kRegistration}; }

void RegistrationFeature::run(int menuId) {
    if (menuId == menu_id::kRegistration) openDialog(window_);
}

void RegistrationFeature::openDialog(QWidget* parent) {
    // A file that cannot be opened brings the dialog back, as often as the
    // user keeps choosing one; a loop rather than recursion.
    while (runDialogOnce(parent)) {
    }
}

bool RegistrationFeature::runDialogOnce(QWidget* parent) {
    RegistrationSettings chosen;
    QString chosenComment;
    {
        RegistrationDialog dialog(settings_, comment_, boxes_, chooser_, parent);
        const int result = runner_ ? runner_(dialog) : dialog.exec();
        if (result != QDialog::Accepted) {
            applyRegistrationCancel(settings_, log_.textOpen(), log_.binaryOpen());
            runTimerWhileAFileIsOpen();
            emit statusChanged();
            return false;
        }
        chosen = dialog.settings();
        chosenComment = dialog.comment();
    }

    const RegistrationSettings before = settings_;
    settings_ = chosen;
    comment_ = chosenComment;
    const RegistrationPlan plan = planRegistration(before, settings_, log_.textOpen(), log_.binaryOpen());

    if (plan.stopTimer) timer_.stop();
    if (plan.closeText) log_.closeText();
    if (plan.closeBinary) log_.closeBinary();

    if (plan.reopenText) {
        const bool opened = log_.openTextFromDialog(
            settings_, comment_.toStdString(), currentSources().panelSerialNumber,
            [&] { return boxes_.askNoDestroys(parent, registrationString(kMsgTextFileExists)); });
        if (!opened) {
            // The old file is closed; while the message is up the status line
            // must not claim a registration that has nowhere to write.
            stopTimerWithoutFiles();
            boxes_.show(parent, registrationString(kMsgTextFileUnavailable), BoxButtons::Ok, BoxIcon::Warning);
            return true;
        }
    }
    if (plan.writeText) writeTextNow();

    if (plan.reopenBinary) {
        const bool opened = log_.openBinaryFromDialog(
            settings_.fileNameBin,
            [&] { return boxes_.askNoDestroys(parent, registrationString(kMsgBinaryFileExists)); });
        if (!opened) {
            stopTimerWithoutFiles();
            boxes_.show(parent, registrationString(kMsgBinaryFileUnavailable), BoxButtons::Ok, BoxIcon::Warning);
            return true;
        }
    }
    if (plan.writeBinary) writeBinaryNow();

    if (plan.startTimer) startTimer();
    lastWriteFailed_ = log_.lastWriteFailed();
    emit statusChanged();
    return false;
}

void RegistrationFeature::reopenAfterStart(QWidget* parent) {
    if (!settings_.fileName.empty() && settings_.fileLog && !log_.textOpen()) {
        if (log_.reopenTextAfterStart(settings_.fileName)) {
            timer_.stop();
            writeTextNow();
            startTimer();
        } else {
            stopTimerWithoutFiles();
            boxes_.show(parent, registrationString(kMsgTextFileUnavailable), BoxButtons::Ok, BoxIcon::Warning);
            openDialog(parent);
        }
    }
    if (!settings_.fileNameBin.empty() && settings_.fileLogBin && !log_.binaryOpen()) {
        if (log_.reopenBinaryAfterStart(settings_.fileNameBin)) {
            timer_.stop();
            writeBinaryNow();
            startTimer();
        } else {
            stopTimerWithoutFiles();
            boxes_.show(parent, registrationString(kMsgBinaryFileUnavailableAtStart), BoxButtons::Ok,
                        BoxIcon::Warning);
            openDialog(parent);
        }
    }
    runTimerWhileAFileIsOpen();
    lastWriteFailed_ = log_.lastWriteFailed();
    emit statusChanged();
}

}  // namespace mr420
