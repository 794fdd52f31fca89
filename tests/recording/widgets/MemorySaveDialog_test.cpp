// The memory save-as dialog: its controls, binary mode, browsing, the OK that
// writes the file (with message 132, the append question and a failed
// write), and the chart program's start from the menu.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/ScriptedMessageBoxes.h"
#include "recording/MeasurementFile.h"
#include "recording/MemorySave.h"
#include "recording/widgets/ChartProgram.h"
#include "recording/widgets/MemorySaveDialog.h"
#include "support/ScriptedChoosers.h"
#include "support/TestApplication.h"
#include "support/TestSupport.h"

using namespace mr420;

namespace {
using mr420::test::app;

using mr420::test::readFile;
using mr420::test::writeFile;

QString q(const std::string& path) { return QString::fromStdString(path); }

std::vector<MemoryRecord> records() {
    MemoryRecord a;
    a.time = {2007, 3, 14, 10, 0, 0};
    a.temperature1Present = true;
    a.temperature1 = 21.4;
    a.humidityPresent = true;
    a.humidity = 45.3;
    a.dewPointComputed = true;
    a.dewPoint = 9.1;
    MemoryRecord b = a;
    b.time = {2007, 3, 14, 10, 15, 0};
    b.humidityError = true;
    b.dewPointComputed = false;
    return {a, b};
}

std::string binaryOf(const std::vector<MemoryRecord>& rs, long serial) {
    std::string out;
    for (const MemoryRecord& r : rs) out += encodeRecord(memoryRecordText(r, serial));
    return out;
}

// The controls binary mode disables.
std::vector<QWidget*> textControls(const MemorySaveDialog& d) {
    return {d.separatorRadio(0), d.separatorRadio(1), d.separatorRadio(2), d.commentBox(), d.commentEdit(),
            d.serialNumberBox()};
}

bool allEnabled(const std::vector<QWidget*>& widgets, bool on) {
    for (QWidget* w : widgets)
        if (w->isEnabled() != on) return false;
    return true;
}

}  // namespace

TEST(MemorySaveDialog, StartsEmptyInTextModeWithTab) {
    app();
    ScriptedMessageBoxes boxes;
    MemorySaveDialog dialog(records(), 4711, boxes);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Zapisz jako"));
    EXPECT_EQ(dialog.fileEdit()->text(), QString());
    EXPECT_FALSE(dialog.binaryMode());
    EXPECT_FALSE(dialog.binaryNote()->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.binaryNote()->text(),
              QStringLiteral("Plik zostanie zapisany w formacie 'qvg' (używany przez program Vimo)"));
    EXPECT_TRUE(dialog.separatorRadio(0)->isChecked());
    EXPECT_EQ(dialog.separatorRadio(2)->text(), QStringLiteral("Średnik"));
    EXPECT_FALSE(dialog.commentBox()->isChecked());
    EXPECT_FALSE(dialog.serialNumberBox()->isChecked());
    EXPECT_EQ(dialog.serialNumberBox()->text(), QStringLiteral("Dodaj numer seryjny panelu do komentarza"));
    EXPECT_TRUE(allEnabled(textControls(dialog), true));
    const MemorySaveOptions o = dialog.options();
    EXPECT_EQ(o.separator, 0);
    EXPECT_FALSE(o.addComment);
    EXPECT_FALSE(o.addSerialNumber);
    EXPECT_EQ(o.panelSerialNumber, 4711);
}

TEST(MemorySaveDialog, BinaryModeFollowsTheNameAndDisablesTheTextControls) {
    app();
    ScriptedMessageBoxes boxes;
    MemorySaveDialog dialog(records(), 4711, boxes);
    struct Step {
        const char* name;
        bool binary;
    };
    for (const Step& s : {Step{"/tmp/wykres.qvg", true}, Step{"/tmp/wykres.qvg.txt", false},
                          Step{"/tmp/WYKRES.QVG", true}, Step{"/tmp/wykres.csv", false}}) {
        dialog.fileEdit()->setText(QString::fromUtf8(s.name));
        EXPECT_EQ(dialog.binaryMode(), s.binary) << s.name;
        EXPECT_EQ(dialog.binaryNote()->isVisibleTo(&dialog), s.binary) << s.name;
        EXPECT_TRUE(allEnabled(textControls(dialog), !s.binary)) << s.name;
        EXPECT_TRUE(dialog.fileEdit()->isEnabled());
        EXPECT_TRUE(dialog.browseButton()->isEnabled());
    }
    // Leaving the edit re-evaluates it as well.
    {
        const QSignalBlocker quiet(dialog.fileEdit());
        dialog.fileEdit()->setText(QStringLiteral("/tmp/wykres.Qvg"));
    }
    EXPECT_FALSE(dialog.binaryMode());
    emit dialog.fileEdit()->editingFinished();
    EXPECT_TRUE(dialog.binaryMode());
    EXPECT_TRUE(allEnabled(textControls(dialog), false));
}

TEST(MemorySaveDialog, BrowseOffersTheThreeFiltersAndAppendsTheChosenExtension) {
    app();
    ScriptedMessageBoxes boxes;
    test::ScriptedFileChooser chooser;
    MemorySaveDialog dialog(records(), 4711, boxes, chooser.chooser());
    dialog.fileEdit()->setText(QStringLiteral("/dane/stary.txt"));

    chooser.answer = {QStringLiteral("/dane/odczyt"), 2};
    dialog.browseButton()->click();
    ASSERT_EQ(chooser.requests.size(), 1u);
    const FileRequest& r = chooser.requests[0];
    EXPECT_EQ(r.title, QStringLiteral("Wybierz plik raportu"));
    EXPECT_EQ(r.filters, (QStringList{QStringLiteral("Plik tekstowy (*.txt)"), QStringLiteral("Lista CSV (*.csv)"),
                                      QStringLiteral("Plik programu Vimo (*.qvg)")}));
    EXPECT_EQ(r.suffixes, (QStringList{QStringLiteral("txt"), QStringLiteral("csv"), QStringLiteral("qvg")}));
    EXPECT_EQ(r.defaultSuffix, QStringLiteral("csv"));
    EXPECT_EQ(r.currentPath, QStringLiteral("/dane/stary.txt"));
    EXPECT_EQ(dialog.fileEdit()->text(), QStringLiteral("/dane/odczyt.qvg"));
    EXPECT_TRUE(dialog.binaryMode());

    chooser.answer = {QStringLiteral("/dane/odczyt"), 1};
    dialog.browseButton()->click();
    EXPECT_EQ(dialog.fileEdit()->text(), QStringLiteral("/dane/odczyt.csv"));
    EXPECT_FALSE(dialog.binaryMode());

    chooser.answer = {};   // cancelled: the name stays
    dialog.browseButton()->click();
    EXPECT_EQ(dialog.fileEdit()->text(), QStringLiteral("/dane/odczyt.csv"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(MemorySaveDialog, UnavailableFileShowsMessage132AndTheDialogStaysOpen) {
    app();
    ScriptedMessageBoxes boxes;
    const std::string dir = test::makeTempDir("memdlg-noopen");
    MemorySaveDialog dialog(records(), 4711, boxes);
    dialog.show();
    for (const std::string& path : {std::string(), dir, dir + "/brak/odczyt.txt"}) {
        dialog.fileEdit()->setText(q(path));
        dialog.okButton()->click();
        ASSERT_EQ(boxes.shown.size(), 1u) << path;
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Wybrany plik jest niedostępny."));
        EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Warning);
        EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::Ok);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        boxes.shown.clear();
    }
    // Another name then saves and closes.
    dialog.fileEdit()->setText(q(dir + "/odczyt.txt"));
    dialog.okButton()->click();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(readFile(dir + "/odczyt.txt"), memoryTextFile(records(), {}));
}

TEST(MemorySaveDialog, OkWritesWhatTheControlsSay) {
    app();
    ScriptedMessageBoxes boxes;
    const std::string dir = test::makeTempDir("memdlg-text");
    MemorySaveDialog dialog(records(), 4711, boxes);
    dialog.fileEdit()->setText(q(dir + "/odczyt.csv"));
    dialog.separatorRadio(1)->setChecked(true);
    dialog.commentBox()->setChecked(true);
    dialog.commentEdit()->setPlainText(QStringLiteral("Hala 2, linia B\nźródło"));
    dialog.serialNumberBox()->setChecked(true);
    dialog.okButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    MemorySaveOptions expected;
    expected.separator = 1;
    expected.addComment = true;
    expected.comment = "Hala 2, linia B\nźródło";
    expected.addSerialNumber = true;
    expected.panelSerialNumber = 4711;
    const std::string text = readFile(dir + "/odczyt.csv");
    EXPECT_EQ(text, memoryTextFile(records(), expected));
    EXPECT_TRUE(text.starts_with("\"Hala 2, linia B\"\r\n\x9fr\xf3" "d\xb3o\r\nPanel MR-420 nr 4711\r\nData i czas,"))
        << text;
}

TEST(MemorySaveDialog, BinaryModeWritesTheMeasurementRecords) {
    app();
    ScriptedMessageBoxes boxes;
    const std::string dir = test::makeTempDir("memdlg-qvg");
    MemorySaveDialog dialog(records(), 4711, boxes);
    dialog.commentBox()->setChecked(true);
    dialog.commentEdit()->setPlainText(QStringLiteral("nie trafia do pliku binarnego"));
    dialog.fileEdit()->setText(q(dir + "/wykres.QVG"));
    dialog.okButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(readFile(dir + "/wykres.QVG"), binaryOf(records(), 4711));
}

TEST(MemorySaveDialog, ExistingFileAsksTheAppendQuestionWithAWayBack) {
    app();
    const std::string path = test::makeTempDir("memdlg-append") + "/odczyt.txt";
    const std::string text = memoryTextFile(records(), {});
    const QString question = QStringLiteral(
        "Plik rejestracji pomiarów już istnieje.\nWybierz Tak aby dopisywać wyniki do poprzednich,\n"
        "wybierz Nie aby skasować poprzednią zawartość pliku.");
    struct Case {
        const char* name;
        std::deque<BoxAnswer> answers;   // empty: Escape or the close box
        std::string after;
        bool accepted;
    };
    const Case cases[] = {
        {"No empties the file", {BoxAnswer::No}, text, true},
        {"Yes appends", {BoxAnswer::Yes}, "stare\r\n" + text, true},
        {"Cancel leaves it", {BoxAnswer::Cancel}, "stare\r\n", false},
        {"Escape leaves it", {}, "stare\r\n", false},
    };
    for (const Case& c : cases) {
        writeFile(path, "stare\r\n");
        ScriptedMessageBoxes boxes;
        boxes.answers = c.answers;
        MemorySaveDialog dialog(records(), 4711, boxes);
        dialog.show();
        dialog.fileEdit()->setText(q(path));
        dialog.okButton()->click();
        ASSERT_EQ(boxes.shown.size(), 1u) << c.name;
        EXPECT_EQ(boxes.shown[0].text, question);
        EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::YesNoCancel);
        EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Question);
        EXPECT_EQ(boxes.shown[0].safeAnswer, BoxAnswer::Cancel);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.name;
        // Back in the dialog, with the name kept for another try.
        EXPECT_EQ(dialog.isVisible(), !c.accepted) << c.name;
        EXPECT_EQ(dialog.savedPath(), c.accepted ? q(path) : QString()) << c.name;
        EXPECT_EQ(readFile(path), c.after) << c.name;
    }
}

TEST(MemorySaveDialog, FailedWriteIsReportedAndTheDialogStaysOpen) {
    app();
    ScriptedMessageBoxes boxes;
    const std::string path = test::makeTempDir("memdlg-full") + "/odczyt.txt";
    MemorySaveDialog dialog(records(), 4711, boxes);
    dialog.show();
    dialog.fileEdit()->setText(q(path));
    {
        const test::FileSizeLimit full(10);
        dialog.okButton()->click();
    }

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("Błąd zapisu pliku ") + q(path) + QStringLiteral(": ")))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Warning);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST(MemorySaveDialog, SaveMemoryRunsTheDialogAndSaysWhetherAFileWasWritten) {
    app();
    ScriptedMessageBoxes boxes;
    const std::string path = test::makeTempDir("memdlg-run") + "/odczyt.txt";
    EXPECT_FALSE(saveMemory(nullptr, records(), 4711, boxes, {}, [](MemorySaveDialog& d) {
        d.cancelButton()->click();
        return d.result();
    }));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(saveMemory(nullptr, records(), 4711, boxes, {}, [&](MemorySaveDialog& d) {
        d.fileEdit()->setText(q(path));
        d.okButton()->click();
        return d.result();
    }));
    EXPECT_EQ(readFile(path), memoryTextFile(records(), {}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(ChartProgram, StartsTheFoundProgramWithTheSavedFileOrShowsMessage128) {
    app();
    const std::string dir = test::makeTempDir("memdlg-vimo");
    const std::string own = test::makeTempDir("memdlg-chart");
    const std::string empty = test::makeTempDir("memdlg-novimo");
    for (const std::string& program : {dir + "/Vimo.exe", own + "/mr420-chart"}) {
        writeFile(program, "#!/bin/sh\n");
        ::chmod(program.c_str(), 0755);
    }
    writeFile(empty + "/odczyt.qvg", "");
    writeFile(empty + "/odczyt.txt", "");
    const QString saved = q(empty + "/odczyt.qvg");
    struct Case {
        const char* name;
        ChartProgramPlaces places;
        QString lastSaved;
        bool starts;              // what the starter answers
        QStringList startedWith;  // program and arguments; empty: the starter must not be called
        bool launched;
    };
    const QString vimo = q(dir + "/Vimo.exe");
    const QString chart = q(own + "/mr420-chart");
    const Case cases[] = {
        {"Vimo in the program dir", {q(dir), q(empty), QByteArray()}, {}, true, {vimo}, true},
        {"own viewer on PATH first, with the saved file",
         {q(dir), q(empty), QByteArray("/nonexistent:") + QByteArray::fromStdString(own)}, saved, true,
         {chart, saved}, true},
        {"own viewer in the current dir does not count, Vimo gets no text file",
         {q(empty), q(own), QByteArray::fromStdString(dir)}, q(empty + "/odczyt.txt"), true, {vimo}, true},
        {"Vimo gets a .qvg file", {q(dir), q(empty), QByteArray()}, saved, true, {vimo, saved}, true},
        {"a saved file since deleted is not given", {q(own), q(empty), QByteArray()}, q(empty + "/gone.txt"), true,
         {chart}, true},
        {"found but does not start", {q(dir), q(empty), QByteArray()}, {}, false, {vimo}, false},
        {"nowhere", {q(empty), q(empty), QByteArray("/nonexistent")}, saved, true, {}, false},
    };
    for (const Case& c : cases) {
        ScriptedMessageBoxes boxes;
        QStringList started;
        const bool launched = launchChartProgram(nullptr, boxes, c.places,
                                                 [&](const QString& program, const QStringList& arguments) {
                                                     started << program << arguments;
                                                     return c.starts;
                                                 },
                                                 c.lastSaved);
        EXPECT_EQ(launched, c.launched) << c.name;
        EXPECT_EQ(started, c.startedWith) << c.name;
        if (c.launched) {
            EXPECT_TRUE(boxes.shown.empty()) << c.name;
        } else {
            ASSERT_EQ(boxes.shown.size(), 1u) << c.name;
            EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Nie można odnaleźć programu mr420-chart ani Vimo.exe"));
            EXPECT_EQ(boxes.shown[0].icon, BoxIcon::None);
            EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::Ok);
        }
    }
}
