// Applying the registration dialog, re-opening after start-up, the timer and
// the status-line fragment, with real files in a temporary directory.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <QTimeEdit>

#include <deque>
#include <filesystem>
#include <optional>

#include "base/StringTable.h"
#include "base/Win1250.h"
#include "recording/widgets/RegistrationFeature.h"
#include "recording/widgets/RegistrationStatusLink.h"
#include "recording/widgets/RegistrationStrings.h"
#include "settings/Settings.h"
#include "support/BoxActor.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestApplication.h"
#include "support/TestSupport.h"

using namespace mr420;

namespace {
using mr420::test::app;
using mr420::test::readFile;
using mr420::test::writeFile;
using test::BoxActor;
using test::clickNo;
using test::closeBox;
using test::pressEscape;

// The registration fragment of the status line, as the main window composes it.
std::string statusOf(const RegistrationFeature& controller) {
    const RegistrationStatusLink link(controller);
    return registrationStatusText(&link);
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The text with its tabs turned into `separator`.
std::string separated(std::string text, char separator) {
    for (char& c : text)
        if (c == '\t') c = separator;
    return text;
}

const std::string kHeader = utf8ToWin1250(
    "Data i Godzina\tTemperatura1 °C\tTemperatura2 °C\tCiśnienie hPa\tWilgotność %\tPunkt rosy °C\t"
    "Zawartość pary wodnej ppm\r\n");
const std::string kRecord = "2007.03.14 10:00:00\t21.46\t???\t1013.2\t45.3\t9.1\t11420\r\n";
// The question's lines after the one naming the file that exists.
const std::string kAppendOrEmpty =
    "\nWybierz Tak aby dopisywać wyniki do poprzednich,\nwybierz Nie aby skasować poprzednią zawartość pliku.";

// Each call as a new reply has just brought it.
LiveReadings sampleReadings() {
    static std::uint64_t reply = 0;
    ++reply;
    LiveReadings r{};
    for (const auto& [c, v] : {std::pair{kChannelTemp1, 21.46}, {kChannelPressure, 1013.2}, {kChannelRh, 45.3},
                               {kChannelDp, 9.1}, {kChannelWb, 11420.0}})
        r[c] = {.present = true, .hasValue = true, .value = v, .replySerial = reply, .ageMs = 0};
    r[kChannelTemp2].present = true;  // shown, no value
    return r;
}

// Both kinds switched on with these files.
RegistrationSettings bothKinds(const std::string& text, const std::string& binary) {
    RegistrationSettings s;
    s.fileLog = s.fileLogBin = true;
    s.fileName = text;
    s.fileNameBin = binary;
    return s;
}

// What the status line and the timer show after a dialog.
struct State {
    bool textOpen = false, binaryOpen = false, fileLog = false, fileLogBin = false, timer = false, active = false;
    std::string status;
    std::optional<bool> lastSignal;  // registrationActive() at the last statusChanged
    bool operator==(const State&) const = default;
};
// Nothing registering, as the last statusChanged said too.
const State kStopped{false, false, false, false, false, false, "", false};
// The text file registering at the interval the status line names.
State textRegistering(const std::string& status) { return {true, false, true, false, true, true, status, true}; }
void PrintTo(const State& s, std::ostream* os) {
    *os << "{text " << s.textOpen << ", binary " << s.binaryOpen << ", fileLog " << s.fileLog << ", fileLogBin "
        << s.fileLogBin << ", timer " << s.timer << ", active " << s.active << ", status \"" << s.status
        << "\", last signal " << (s.lastSignal ? (*s.lastSignal ? "true" : "false") : "none") << "}";
}

// A controller with fixed readings and clock, scripted boxes (or the boxes
// given), file chooser and dialog runs. Each run takes the next step, which
// works the dialog's controls and presses a button.
struct Fixture {
    using Step = std::function<void(RegistrationDialog&)>;
    ScriptedMessageBoxes boxes;
    RegistrationFeature controller;
    std::deque<Step> steps;
    int runs = 0, statusSignals = 0;
    // registrationActive() at each statusChanged.
    std::vector<bool> activeAtSignal;
    FileChoice chosen;
    ProbeSources sources;

    explicit Fixture(MessageBoxes* shownBy = nullptr) : controller(shownBy ? *shownBy : boxes) {
        app();
        sources.mr411Absent = false;
        sources.mr411SerialNumber = 1234;
        sources.pressureAbsent = false;
        sources.panelSerialNumber = 5678;
        sources.temperatureTwoDecimals = true;
        controller.setReadingsProvider(sampleReadings);
        controller.setSourcesProvider([this] { return sources; });
        controller.setClock([] { return LocalTime{2007, 3, 14, 10, 0, 0}; });
        controller.setFileChooser([this](QWidget*, const FileRequest&) { return chosen; });
        controller.setDialogRunner([this](RegistrationDialog& d) {
            ++runs;
            if (steps.empty()) {
                ADD_FAILURE() << "dialog shown more often than scripted";
                d.cancelButton()->click();
            } else {
                Step step = steps.front();
                steps.pop_front();
                step(d);
            }
            return d.result();
        });
        QObject::connect(&controller, &RegistrationFeature::statusChanged, [this] {
            ++statusSignals;
            activeAtSignal.push_back(controller.registrationActive());
        });
    }
    // The dialog from the menu, or the re-opening after start-up, with these
    // steps for its showings.
    void open(std::initializer_list<Step> s) {
        steps.insert(steps.end(), s);
        controller.openDialog(nullptr);
    }
    void reopen(std::initializer_list<Step> s) {
        steps.insert(steps.end(), s);
        controller.reopenAfterStart(nullptr);
    }
    std::vector<std::string> shownTexts() const {
        std::vector<std::string> texts;
        for (const auto& s : boxes.shown) texts.push_back(s.text.toStdString());
        return texts;
    }
    State state() const {
        return {controller.log().textOpen(),   controller.log().binaryOpen(), controller.settings().fileLog,
                controller.settings().fileLogBin, controller.timerRunning(),     controller.registrationActive(),
                statusOf(controller),
                activeAtSignal.empty() ? std::nullopt : std::optional<bool>(activeAtSignal.back())};
    }
};

std::string oneBinaryRecord(const Fixture& f) {
    return encodeRecord(liveRecordText({2007, 3, 14, 10, 0, 0}, sampleReadings(), f.sources));
}

// Works the dialog's controls, then presses OK.
Fixture::Step okAfter(Fixture::Step work) {
    return [=](RegistrationDialog& d) {
        work(d);
        d.okButton()->click();
    };
}
Fixture::Step chooseTextFile(const QString& path) {
    return okAfter([=](RegistrationDialog& d) {
        d.textBox()->setChecked(true);
        d.textFileEdit()->setText(path);
    });
}
Fixture::Step chooseBinaryFile(const QString& path) {
    return okAfter([=](RegistrationDialog& d) {
        d.binaryBox()->setChecked(true);
        d.binaryFileEdit()->setText(path);
    });
}
const Fixture::Step pressOk = [](RegistrationDialog& d) { d.okButton()->click(); };
const Fixture::Step pressCancel = [](RegistrationDialog& d) { d.cancelButton()->click(); };

// Kinds of registration file, for the tables below.
struct FileKind {
    bool binary;
    std::string name;
    std::string old;  // what the file held before
    // The file after the first record, when appended and when emptied.
    std::function<std::string(const Fixture&)> appended;
    std::function<std::string(const Fixture&)> emptied;
    Fixture::Step choose(const std::string& path) const {
        const QString q = QString::fromStdString(path);
        return binary ? chooseBinaryFile(q) : chooseTextFile(q);
    }
};

const FileKind kTextKind{false, "log.txt", "stare\r\n", [](const Fixture&) { return "stare\r\n" + kHeader + kRecord; },
                         [](const Fixture&) { return kHeader + kRecord; }};
const FileKind kBinaryKind{true, "log.qvg", "B", [](const Fixture& f) { return "B" + oneBinaryRecord(f); },
                           oneBinaryRecord};
}  // namespace

TEST(RegistrationFeature, OkCreatesTheFileWritesTheFirstRecordAtOnceAndStartsTheTimer) {
    Fixture f;
    const std::string dir = test::makeTempDir("reg-ok");
    const std::string path = dir + "/pomiary.txt";
    f.chosen = {QString::fromStdString(dir + "/pomiary"), 0};
    f.open({okAfter([](RegistrationDialog& d) {
        d.textBox()->setChecked(true);
        d.textBrowseButton()->click();  // the chooser's name gets ".txt"
        d.intervalEdit()->setTime(QTime(0, 1, 30));
    })});
    EXPECT_EQ(f.runs, 1);
    EXPECT_TRUE(f.boxes.shown.empty());  // a new file: no question
    EXPECT_EQ(readFile(path), kHeader + kRecord);
    EXPECT_EQ(f.controller.settings().fileName, path);
    EXPECT_EQ(f.controller.settings().interval, 90);
    EXPECT_EQ(f.controller.timerIntervalMs(), 90000);
    EXPECT_EQ(f.controller.registrationIntervalSeconds(), 90);
    EXPECT_EQ(f.state(), textRegistering("Rejestracja do pliku co 00:01:30. "));

    // OK again without changes: no re-opening, no question, one more record
    // without a header, and the timer restarted.
    f.open({pressOk});
    EXPECT_TRUE(f.boxes.shown.empty());
    EXPECT_EQ(readFile(path), kHeader + kRecord + kRecord);

    // A tick writes one more record; unchecking a channel gives a new header.
    f.controller.onRegistrationTimer();
    f.open({okAfter([](RegistrationDialog& d) { d.channelBox(kChannelTemp2)->setChecked(false); })});
    EXPECT_TRUE(f.boxes.shown.empty());  // the channel selection keeps the file open
    const std::string reduced = utf8ToWin1250(
        "Data i Godzina\tTemperatura1 °C\tCiśnienie hPa\tWilgotność %\tPunkt rosy °C\tZawartość pary wodnej ppm\r\n"
        "2007.03.14 10:00:00\t21.46\t1013.2\t45.3\t9.1\t11420\r\n");
    EXPECT_EQ(readFile(path), kHeader + kRecord + kRecord + kRecord + reduced);

    // Both kinds off: the timer stops and the status fragment goes.
    f.open({okAfter([](RegistrationDialog& d) { d.textBox()->setChecked(false); })});
    EXPECT_EQ(f.state(), kStopped);
}

TEST(RegistrationFeature, AnExistingFileIsAppendedOnYesAndTruncatedOnNo) {
    Fixture f;
    const std::string path = test::makeTempDir("reg-append") + "/log.csv";
    writeFile(path, "stare\r\n");

    f.boxes.answers = {BoxAnswer::Yes};
    f.open({okAfter([&](RegistrationDialog& d) {
        d.textBox()->setChecked(true);
        d.textFileEdit()->setText(QString::fromStdString(path));
        d.separatorRadio(2)->setChecked(true);
        d.commentBox()->setChecked(true);
        d.commentEdit()->setPlainText(QStringLiteral("Hala 2"));
        d.serialNumberBox()->setChecked(true);
    })});
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_EQ(f.boxes.shown[0].text.toStdString(), "Plik rejestracji pomiarów już istnieje." + kAppendOrEmpty);
    EXPECT_EQ(f.boxes.shown[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(f.boxes.shown[0].icon, BoxIcon::Question);
    EXPECT_EQ(readFile(path), "stare\r\n\r\nHala 2\r\nPanel MR-420 nr 5678\r\n" + separated(kHeader, ';') +
                                  "2007.03.14 10:00:00;21.46;???;1013.2;45.3;9.1;11420\r\n");
    EXPECT_EQ(f.controller.comment(), QStringLiteral("Hala 2"));

    // The separator changed: re-opened, asked again; No empties the file. The
    // comment is kept for the next dialog; without appending no empty line.
    f.boxes.answers = {BoxAnswer::No};
    f.open({okAfter([](RegistrationDialog& d) {
        EXPECT_EQ(d.commentEdit()->toPlainText(), QStringLiteral("Hala 2"));
        d.separatorRadio(0)->setChecked(true);
    })});
    ASSERT_EQ(f.boxes.shown.size(), 2u);
    EXPECT_EQ(readFile(path), "Hala 2\r\nPanel MR-420 nr 5678\r\n" + kHeader + kRecord);

    // Same file, serial number unknown and comment box off: neither line is
    // written even with the serial-number box checked.
    f.sources.panelSerialNumber = 0;
    f.boxes.answers = {BoxAnswer::Yes};
    f.open({okAfter([](RegistrationDialog& d) {
        d.separatorRadio(1)->setChecked(true);
        d.commentBox()->setChecked(false);
    })});
    ASSERT_EQ(f.boxes.shown.size(), 3u);
    EXPECT_EQ(readFile(path), "Hala 2\r\nPanel MR-420 nr 5678\r\n" + kHeader + kRecord + separated(kHeader, ',') +
                                  "2007.03.14 10:00:00,21.46,???,1013.2,45.3,9.1,11420\r\n");
}

TEST(RegistrationFeature, AFileThatCannotBeOpenedShows106AndTheDialogAgain) {
    Fixture f;
    const std::string dir = test::makeTempDir("reg-fail");
    const QString missing = QString::fromStdString(dir + "/brak/log.txt");
    f.open({chooseTextFile(missing), [](RegistrationDialog& d) {
                // The second showing starts from the settings as they now stand.
                EXPECT_TRUE(d.textBox()->isChecked());
                d.cancelButton()->click();
            }});
    EXPECT_EQ(f.runs, 2);
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_EQ(f.boxes.shown[0].text, QStringLiteral("Wybrany plik rejestracji wyników pomiaru jest niedostępny."));
    EXPECT_EQ(f.boxes.shown[0].icon, BoxIcon::Warning);
    EXPECT_EQ(f.boxes.shown[0].buttons, BoxButtons::Ok);
    // Cancel switched text registration off as no file is open; nothing runs.
    EXPECT_EQ(f.state(), kStopped);
    EXPECT_EQ(f.controller.settings().fileName, dir + "/brak/log.txt");

    // A second attempt where the user picks a good file in the repeated dialog.
    f.open({chooseTextFile(missing), chooseTextFile(QString::fromStdString(dir + "/log.txt"))});
    EXPECT_EQ(f.runs, 4);
    EXPECT_EQ(f.state(), textRegistering("Rejestracja do pliku co 00:01:00. "));
    EXPECT_EQ(readFile(dir + "/log.txt"), kHeader + kRecord);
}

TEST(RegistrationFeature, CancelKeepsTheSettingsButSwitchesOffKindsWithoutAFile) {
    Fixture f;
    RegistrationSettings s = bothKinds("/nie/ma/takiego.txt", "");
    s.interval = 30;
    f.controller.setSettings(s);
    f.open({[](RegistrationDialog& d) {
        d.intervalEdit()->setTime(QTime(1, 0, 0));
        d.cancelButton()->click();
    }});
    EXPECT_FALSE(f.controller.settings().fileLog);
    EXPECT_FALSE(f.controller.settings().fileLogBin);
    EXPECT_EQ(f.controller.settings().interval, 30);
    EXPECT_EQ(f.controller.settings().fileName, "/nie/ma/takiego.txt");
    EXPECT_TRUE(f.boxes.shown.empty());
}

TEST(RegistrationFeature, BinaryFileFromTheDialog) {
    Fixture f;
    const std::string dir = test::makeTempDir("reg-bin");
    const std::string path = dir + "/wykres.qvg";
    f.chosen = {QString::fromStdString(dir + "/wykres"), 0};
    f.open({okAfter([](RegistrationDialog& d) {
        d.binaryBox()->setChecked(true);
        d.binaryBrowseButton()->click();
    })});
    EXPECT_TRUE(f.boxes.shown.empty());
    const std::string one = oneBinaryRecord(f);
    EXPECT_EQ(readFile(path), one);
    EXPECT_TRUE(f.controller.timerRunning());

    // Switched off and on again: re-opened, question 124, Yes appends.
    f.open({okAfter([](RegistrationDialog& d) { d.binaryBox()->setChecked(false); })});
    EXPECT_FALSE(f.controller.log().binaryOpen());
    EXPECT_FALSE(f.controller.timerRunning());
    f.boxes.answers = {BoxAnswer::Yes};
    f.open({okAfter([](RegistrationDialog& d) { d.binaryBox()->setChecked(true); })});
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_EQ(f.boxes.shown[0].text.toStdString(), "Plik binarny już istnieje." + kAppendOrEmpty);
    EXPECT_EQ(f.boxes.shown[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(readFile(path), one + one);

    // An unusable binary path: 123 and the dialog again.
    f.open({okAfter([&](RegistrationDialog& d) {
                d.binaryFileEdit()->setText(QString::fromStdString(dir + "/brak/x.qvg"));
            }),
            pressCancel});
    ASSERT_EQ(f.boxes.shown.size(), 2u);
    EXPECT_EQ(f.boxes.shown[1].text.toStdString(), str(123));
    EXPECT_EQ(f.boxes.shown[1].icon, BoxIcon::Warning);
    EXPECT_FALSE(f.controller.settings().fileLogBin);
}

TEST(RegistrationFeature, ReopenAfterStartAppendsWithoutAskingAndWithoutComment) {
    Fixture f;
    const std::string dir = test::makeTempDir("reg-reopen");
    const std::string text = dir + "/log.txt";
    const std::string binary = dir + "/log.qvg";
    writeFile(text, "poprzednie\r\n");
    writeFile(binary, "B");
    AppSettings app = defaultSettings();
    app.fileLog = 1;
    app.fileName = text;
    app.fileLogBin = 1;
    app.fileNameBin = binary;
    app.fileInterval = 0;  // out of range in the file: taken as 1 s
    app.fileCheckComment = 1;
    app.fileCheckCommentSn = 1;
    f.controller.setSettings(registrationSettingsOf(app));
    EXPECT_EQ(f.controller.settings().interval, 1);

    f.reopen({});
    EXPECT_TRUE(f.boxes.shown.empty());
    EXPECT_EQ(f.runs, 0);
    EXPECT_EQ(readFile(text), "poprzednie\r\n" + kHeader + kRecord);
    EXPECT_EQ(readFile(binary), "B" + oneBinaryRecord(f));
    EXPECT_TRUE(f.controller.timerRunning());
    EXPECT_EQ(f.controller.timerIntervalMs(), 1000);

    // A second end of the settings-read period opens nothing again.
    f.reopen({});
    EXPECT_EQ(readFile(text), "poprzednie\r\n" + kHeader + kRecord);

    // The real timer writes at its interval.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1500) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GE(count(readFile(text), kRecord), 2u);

    AppSettings back = defaultSettings();
    storeRegistrationSettings(f.controller.settings(), back);
    EXPECT_EQ(back.fileName, text);
    EXPECT_EQ(back.fileNameBin, binary);
    EXPECT_EQ(back.fileLog, 1);
    EXPECT_EQ(back.fileLogBin, 1);
    EXPECT_EQ(back.fileInterval, 1);
    EXPECT_EQ(back.fileCheckComment, 1);
    EXPECT_EQ(back.fileCheckCommentSn, 1);
}

TEST(RegistrationFeature, ReopenAfterStartFailuresShowTheirMessageAndTheDialog) {
    Fixture f;
    const std::string dir = test::makeTempDir("reg-reopen-fail");
    RegistrationSettings s = bothKinds(dir + "/brak/log.txt", dir + "/brak/log.qvg");
    f.controller.setSettings(s);
    f.reopen({pressCancel, pressCancel});  // after 106; the binary kind is off then: not tried again
    ASSERT_EQ(f.shownTexts(), std::vector{str(106)});
    EXPECT_EQ(f.runs, 1);
    EXPECT_FALSE(f.controller.timerRunning());
    f.steps.clear();

    // Only the binary file: message 107.
    s.fileLog = false;
    f.controller.setSettings(s);
    f.reopen({pressCancel});
    ASSERT_EQ(f.shownTexts(), (std::vector{str(106), str(107)}));
    EXPECT_EQ(f.boxes.shown[1].icon, BoxIcon::Warning);
    EXPECT_EQ(f.runs, 2);

    // Empty names: nothing is tried.
    f.controller.setSettings(bothKinds("", ""));
    f.reopen({});
    EXPECT_EQ(f.boxes.shown.size(), 2u);
    EXPECT_FALSE(f.controller.timerRunning());
}

TEST(RegistrationFeature, AFailedWriteShowsInTheStatusUntilAWriteSucceeds) {
    Fixture f;
    const std::string path = test::makeTempDir("reg-wfail") + "/log.txt";
    f.open({chooseTextFile(QString::fromStdString(path))});
    ASSERT_TRUE(f.controller.log().textOpen());
    const std::string running = "Rejestracja do pliku co 00:01:00. ";
    EXPECT_EQ(statusOf(f.controller), running);

    // No byte more may be written to any file of this process for a moment.
    const auto size = std::filesystem::file_size(path);
    const int before = f.statusSignals;
    {
        const test::FileSizeLimit full(static_cast<rlim_t>(size));
        f.controller.onRegistrationTimer();
    }

    EXPECT_TRUE(f.controller.writeFailed());
    EXPECT_EQ(f.statusSignals, before + 1);
    EXPECT_EQ(statusOf(f.controller), running + str(227) + ". ");
    EXPECT_EQ(std::filesystem::file_size(path), size);  // nothing half-written
    EXPECT_TRUE(f.controller.log().textOpen());          // registration goes on

    f.controller.onRegistrationTimer();
    EXPECT_FALSE(f.controller.writeFailed());
    EXPECT_EQ(f.statusSignals, before + 2);
    EXPECT_EQ(statusOf(f.controller), running);
    EXPECT_EQ(readFile(path), kHeader + kRecord + kRecord);
}

TEST(RegistrationFeature, EscapeOrTheCloseBoxOnTheRealAppendQuestionAppends) {
    struct Case {
        const char* name;
        const FileKind& kind;
        void (*act)(QMessageBox&);
        bool appends;
    };
    const Case cases[] = {
        {"text, Escape", kTextKind, pressEscape, true},     {"text, close box", kTextKind, closeBox, true},
        {"text, No", kTextKind, clickNo, false},            {"binary, Escape", kBinaryKind, pressEscape, true},
        {"binary, close box", kBinaryKind, closeBox, true}, {"binary, No", kBinaryKind, clickNo, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QtMessageBoxes real;
        Fixture f(&real);
        const std::string path = test::makeTempDir("reg-escape") + "/" + c.kind.name;
        writeFile(path, c.kind.old);
        BoxActor actor(c.act);
        f.open({c.kind.choose(path)});
        EXPECT_TRUE(actor.acted());
        EXPECT_FALSE(actor.stayedOpen());
        EXPECT_EQ(actor.text.toStdString(),
                  registrationString(c.kind.binary ? kMsgBinaryFileExists : kMsgTextFileExists).toStdString());
        EXPECT_EQ(readFile(path), c.appends ? c.kind.appended(f) : c.kind.emptied(f));
        EXPECT_TRUE(f.controller.timerRunning());
    }
}

TEST(RegistrationFeature, ATickWhileTheAppendQuestionIsOpenWritesNothingIntoThatFile) {
    struct Case {
        const char* name;
        const FileKind& kind;
        BoxAnswer answer;
    };
    const Case cases[] = {
        {"text, Yes", kTextKind, BoxAnswer::Yes},
        {"text, No", kTextKind, BoxAnswer::No},
        {"binary, Yes", kBinaryKind, BoxAnswer::Yes},
        {"binary, No", kBinaryKind, BoxAnswer::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        const std::string path = test::makeTempDir("reg-tick") + "/" + c.kind.name;
        writeFile(path, c.kind.old);
        int ticks = 0;
        f.boxes.onShow = [&](const ScriptedMessageBoxes::Shown&) {
            f.controller.onRegistrationTimer();
            ++ticks;
            EXPECT_EQ(readFile(path), c.kind.old);
        };
        f.boxes.answers = {c.answer};
        f.open({c.kind.choose(path)});
        EXPECT_EQ(ticks, 1);
        EXPECT_EQ(readFile(path), c.answer == BoxAnswer::Yes ? c.kind.appended(f) : c.kind.emptied(f));
        EXPECT_FALSE(f.controller.writeFailed());
    }
}

TEST(RegistrationFeature, WhileOneFileIsAskedAboutTheOtherGoesOnRegistering) {
    Fixture f;
    const std::string dir = test::makeTempDir("reg-tick-other");
    f.open({chooseTextFile(QString::fromStdString(dir + "/log.txt"))});
    ASSERT_TRUE(f.controller.timerRunning());
    writeFile(dir + "/log.qvg", "B");
    f.boxes.onShow = [&](const ScriptedMessageBoxes::Shown&) {
        f.controller.onRegistrationTimer();
        EXPECT_EQ(readFile(dir + "/log.qvg"), "B");
    };
    f.boxes.answers = {BoxAnswer::Yes};
    f.open({chooseBinaryFile(QString::fromStdString(dir + "/log.qvg"))});
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    // The text file took the tick during the question and the record of the OK.
    EXPECT_EQ(readFile(dir + "/log.txt"), kHeader + kRecord + kRecord + kRecord);
    EXPECT_EQ(readFile(dir + "/log.qvg"), "B" + oneBinaryRecord(f));
}

// The status line reads the timer: it must run exactly while a file is open.
TEST(RegistrationFeature, CancelAfterAFailedOpenLeavesTheTimerRunningOnlyWithAFileOpen) {
    const std::string dir = test::makeTempDir("reg-cancel-timer");
    const QString missingText = QString::fromStdString(dir + "/brak/log.txt");
    const std::string missingBinary = dir + "/brak/log.qvg";
    {
        SCOPED_TRACE("text registering, re-opened on a file that cannot be opened, Cancel");
        Fixture f;
        f.open({chooseTextFile(QString::fromStdString(dir + "/a.txt"))});
        ASSERT_TRUE(f.controller.timerRunning());
        f.activeAtSignal.clear();
        std::vector<bool> activeWhileShown;
        f.boxes.onShow = [&](const ScriptedMessageBoxes::Shown&) {
            activeWhileShown.push_back(f.controller.registrationActive());
        };
        f.open({chooseTextFile(missingText), pressCancel});
        EXPECT_EQ(f.runs, 3);
        // Already while message 106 is up, registration no longer shows.
        EXPECT_EQ(activeWhileShown, std::vector<bool>{false});
        EXPECT_EQ(f.state(), kStopped);
    }
    {
        SCOPED_TRACE("after start: text re-opened, binary missing, the dialog moves text to a missing file, Cancel");
        Fixture f;
        writeFile(dir + "/b.txt", "");
        f.controller.setSettings(bothKinds(dir + "/b.txt", missingBinary));
        f.reopen({okAfter([&](RegistrationDialog& d) { d.textFileEdit()->setText(missingText); }),  // after 107
                  pressCancel});                                                                     // after 106
        EXPECT_EQ(f.runs, 2);
        EXPECT_EQ(f.shownTexts(), (std::vector{str(107), str(106)}));
        EXPECT_EQ(f.state(), kStopped);
    }
    {
        SCOPED_TRACE("after start: text re-opened, binary missing, Cancel: the text file goes on");
        Fixture f;
        writeFile(dir + "/c.txt", "");
        RegistrationSettings s = bothKinds(dir + "/c.txt", missingBinary);
        s.interval = 5;
        f.controller.setSettings(s);
        f.reopen({pressCancel});
        EXPECT_EQ(f.state(), textRegistering("Rejestracja do pliku co 00:00:05. "));
    }
    {
        SCOPED_TRACE("from the dialog: text opened, binary missing, Cancel: the text file registers");
        Fixture f;
        f.open({okAfter([&](RegistrationDialog& d) {
                    d.textBox()->setChecked(true);
                    d.textFileEdit()->setText(QString::fromStdString(dir + "/d.txt"));
                    d.binaryBox()->setChecked(true);
                    d.binaryFileEdit()->setText(QString::fromStdString(missingBinary));
                }),
                pressCancel});  // after 123
        EXPECT_EQ(f.shownTexts(), std::vector{str(123)});
        EXPECT_EQ(f.state(), textRegistering("Rejestracja do pliku co 00:01:00. "));
        EXPECT_EQ(f.controller.timerIntervalMs(), 60000);
        EXPECT_EQ(readFile(dir + "/d.txt"), kHeader + kRecord);
    }
}
