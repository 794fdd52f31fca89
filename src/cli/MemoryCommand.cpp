#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "base/StringTable.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "recording/MemoryReadout.h"
#include "recording/MemorySave.h"

namespace mr420::cli {

namespace {

using namespace std::chrono_literals;
namespace es = exit_status;

class MemoryRun : private MemoryReadoutView {
public:
    MemoryRun(Engine& engine, const CliStreams& io, bool quiet)
        : engine_(engine), io_(io), progress_(io.errIsTerminal && !quiet), readout_(engine.session(), engine.timers()) {}

    int run(const CliOptions& o, bool dewPoint, bool vapour) {
        MemoryReadoutOptions options;
        options.dewPointColumn = dewPoint;
        options.vapourColumn = vapour;
        // The dump fetches every block, erased ones too, as the window's does.
        options.fullDump = !o.dumpPath.empty();
        if (options.fullDump) options.dumpPath = o.dumpPath;
        readout_.start(*this, options);
        const bool finished = engine_.runUntil([this] { return done_; });
        if (!finished) {
            // Stopped: the chain ends at its next step; the panel may be silent.
            readout_.cancel();
            engine_.runRegardless([this] { return done_; }, 1s);
        }
        readout_.detach();
        open_ = false;
        if (progress_ && total_ > 0) std::fputc('\n', io_.err);
        if (!finished) return signalExit();
        // The dump and the file are each replaced only once complete; what
        // failed has been said.
        const MemoryReadoutOutcome outcome = readout_.outcome();
        if (outcome == MemoryReadoutOutcome::TimedOut) return engine_.noAnswerStatus();
        const int status = outcome == MemoryReadoutOutcome::DumpFailed ? es::kFileFailed : es::kDone;
        if (readout_.records().empty()) return status;   // "the memory is empty" was said

        MemorySaveOptions save;
        save.separator = o.separator;
        save.addComment = o.comment.has_value() || o.serial;
        save.comment = o.comment.value_or(std::string());
        save.addSerialNumber = o.serial;
        save.panelSerialNumber = readout_.panelSerialNumber();
        const MemorySaveResult result = saveMemoryFile(o.file, readout_.records(), save, [] { return false; },
                                                       memorySaveTextsFromStringTable());
        if (!result.saved()) {
            const bool named = result.status == MemorySaveResult::Status::WriteFailed;
            engine_.say(memorySaveFailureText(result) + (named ? "" : " " + o.file));
            return es::kFileFailed;
        }
        engine_.note(text(Text::MemorySaved, {std::to_string(readout_.records().size()), o.file}));
        return status;
    }

private:
    bool windowExists() const override { return open_; }
    void setProgressRange(int blocks) override { total_ = blocks; }
    void setProgress(int position) override {
        if (!progress_) return;
        std::fprintf(io_.err, "\r%s", text(Text::MemoryProgress, {std::to_string(position), std::to_string(total_)}).c_str());
        std::fflush(io_.err);
    }
    void showDecoded() override { done_ = true; }
    void showMessage(const UserMessage& message) override {
        if (progress_ && total_ > 0) std::fputc('\n', io_.err);
        engine_.say(str(message.stringId));
    }
    void closeAsCancelled() override { done_ = true; }

    Engine& engine_;
    CliStreams io_;
    bool progress_;
    MemoryReadout readout_;
    bool open_ = true;
    bool done_ = false;
    int total_ = 0;
};

class EraseRun : private MemoryEraser::FrontEnd {
public:
    EraseRun(Engine& engine, const CliStreams& io, bool yes)
        : engine_(engine), io_(io), yes_(yes), eraser_(engine.session(), engine.timers(), *this) {}

    int run() {
        const bool erased = eraser_.run();
        if (signalled()) return signalExit();
        if (refused_) return es::kUsage;
        if (!erased) return engine_.noAnswerStatus();
        engine_.note(text(Text::MemoryErased));
        return es::kDone;
    }

private:
    bool confirmErase() override {
        if (yes_) return true;
        if (!io_.inIsTerminal) {
            engine_.say(text(Text::EraseRefused));
            refused_ = true;
            return false;
        }
        std::fprintf(io_.err, "%s%s", plain(str(125)).c_str(), text(Text::EraseQuestionSuffix).c_str());
        std::fflush(io_.err);
        // The answer is read while the loop waits; a signal ends the question.
        std::string answer;
        while (signalled() == 0) {
            pollfd p{STDIN_FILENO, POLLIN, 0};
            if (::poll(&p, 1, kHousekeepingMs) <= 0) continue;
            char c;
            if (::read(STDIN_FILENO, &c, 1) != 1 || c == '\n') break;
            answer += c;
        }
        const bool yes = signalled() == 0 && !answer.empty() &&
                         (answer[0] == text(Text::YesAnswer)[0] || answer[0] == 'y' || answer[0] == 'Y' ||
                          std::toupper(static_cast<unsigned char>(answer[0])) ==
                              std::toupper(static_cast<unsigned char>(text(Text::YesAnswer)[0])));
        if (!yes && signalled() == 0) refused_ = true;
        return yes;
    }
    // The acknowledgement ends the wait; the panel has then erased its memory.
    void runWaitWindow() override {
        closed_ = false;
        engine_.runUntil([this] { return closed_ || engine_.state().memoryErased != 0; });
    }
    void closeWaitWindow() override { closed_ = true; }
    void showMessage(const UserMessage& message) override { engine_.say(str(message.stringId)); }

    Engine& engine_;
    CliStreams io_;
    bool yes_;
    MemoryEraser eraser_;
    bool closed_ = false;
    bool refused_ = false;
};

}  // namespace

int commandMemoryRead(Engine& engine, const CliOptions& o, bool dewPoint, bool vapour) {
    MemoryRun run(engine, engine.streams(), o.quiet);
    return run.run(o, dewPoint, vapour);
}

int commandMemoryErase(Engine& engine, bool yes) {
    EraseRun run(engine, engine.streams(), yes);
    return run.run();
}

}  // namespace mr420::cli
