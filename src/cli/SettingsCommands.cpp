#include <memory>
#include <string>

#include "base/StringTable.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "cli/ConfigGroups.h"
#include "config/ConfigController.h"
#include "config/DisplayModels.h"

namespace mr420::cli {

namespace {

namespace es = exit_status;

// One dialog of the window's configuration, run by its controller with the
// command line as its front end.
class ConfigRun : private ConfigDialogView, private ConfigFrontEnd {
public:
    // `onSettings` runs when the model has been filled (or at once for a
    // group without a read); true lets the controller write.
    ConfigRun(Engine& engine, std::function<bool()> onSettings)
        : engine_(engine), onSettings_(std::move(onSettings)),
          controller_(engine.session(), engine.timers(), *this) {}

    // kDone, kNoAnswer or kNoCommunication (read or write failed, message
    // said), or what onSettings set.
    int run(ConfigKind kind, ConfigModel& model) {
        kind_ = kind;
        const bool acknowledged = controller_.run(kind, *this, model);
        if (signalled()) return signalExit();
        if (failed_) return engine_.noAnswerStatus();
        if (status_ != es::kDone) return status_;
        if (configSpec(kind).writes() && wrote_ && !acknowledged) return engine_.noAnswerStatus();
        if (wrote_ && acknowledged) engine_.note(text(Text::SettingsWritten));
        return es::kDone;
    }
    void setStatus(int status) { status_ = status; }
    // The group's read brought the settings (always for a group without one).
    bool readBrought() const { return arrived_ || !configSpec(kind_).reads(); }

private:
    bool runModal(bool waitForSettings) override {
        if (waitForSettings && !engine_.runUntil([this] { return arrived_ || cancelled_; })) {
            controller_.abandon();
            return false;
        }
        if (cancelled_) return false;
        wrote_ = onSettings_();
        return wrote_;
    }
    void settingsArrived() override { arrived_ = true; }
    void cancel() override { cancelled_ = true; }

    void showMessage(const UserMessage& message) override {
        failed_ = true;
        engine_.say(messageText(message));
    }
    void runWaitWindow() override {
        waiting_ = true;
        if (!engine_.runUntil([this] { return !waiting_; })) controller_.abandon();
        waiting_ = false;
    }
    void closeWaitWindow() override { waiting_ = false; }

    Engine& engine_;
    std::function<bool()> onSettings_;
    ConfigController controller_;
    bool arrived_ = false;
    bool cancelled_ = false;
    bool waiting_ = false;
    bool failed_ = false;
    bool wrote_ = false;
    int status_ = es::kDone;
    ConfigKind kind_ = ConfigKind::Clock;
};

}  // namespace

int commandInfo(Engine& engine) {
    const CliStreams& io = engine.streams();
    PanelInfoModel model;
    ConfigRun run(engine, [&] {
        std::fprintf(io.out, "%s\n", plain(model.panelText()).c_str());
        if (!model.probeText().empty()) std::fprintf(io.out, "\n%s\n", plain(model.probeText()).c_str());
        std::fflush(io.out);
        return false;
    });
    return run.run(ConfigKind::PanelInformation, model);
}

namespace {

// What a message may repeat of an argument: nothing of a secret.
constexpr const char* kHidden = "***";
std::string shown(const ConfigGroup& group, const std::string& argument) {
    return group.writeOnly ? kHidden : argument;
}

// Prints the refusal of a value: the model's message, or what the setting takes.
void sayRefused(Engine* engine, std::FILE* err, const ConfigGroup& group, const GroupSetting& s,
                const std::string& value, const SetResult& r) {
    const std::string msg =
        r.message ? messageText(r.message) : text(Text::BadValue, {shown(group, value), s.name, valuesText(s.values)});
    if (engine) engine->say(msg);
    else std::fprintf(err, "%s\n", plain(msg).c_str());
}

// Whether the panel at hand has the setting (its firmware is new enough).
bool panelHas(const GroupSetting& s, const PanelState& state) { return state.firmwareVersion >= s.firmware; }

// A set of a setting that the panel's firmware does not have: refused, with
// the firmware it needs, before anything is read or written.
int refuseMissingSettings(Engine& engine, const ConfigGroup& group, const CliOptions& o) {
    for (const auto& [name, value] : o.assignments) {
        const GroupSetting& s = *findSetting(group, name);
        if (panelHas(s, engine.state())) continue;
        engine.say(format(str(string_id::kSettingNeedsFirmware),
                          {s.name, firmwareVersionText(s.firmware), firmwareVersionText(engine.state().firmwareVersion)}));
        return es::kUsage;
    }
    return es::kDone;
}

}  // namespace

int commandGetSet(Engine& engine, const CliOptions& o) {
    const CliStreams& io = engine.streams();
    const ConfigGroup& group = *findGroup(o.group);
    const ConfigSpec& spec = configSpec(group.kind);
    std::unique_ptr<ConfigModel> model = group.makeModel();
    ConfigRun* self = nullptr;
    const bool setting = o.command == Command::Set;
    if (setting)
        if (const int status = refuseMissingSettings(engine, group, o); status != es::kDone) return status;
    bool complete = true;
    ConfigRun run(engine, [&] {
        // Every reply of the group arrived in this run (a set of the clock
        // takes nothing of the panel's).
        complete = (setting && !spec.reads()) || settingsComplete(spec, engine.state());
        if (!complete) {
            self->setStatus(engine.noAnswerStatus());
            return false;
        }
        if (!setting) {
            for (const GroupSetting& s : group.settings)
                if (panelHas(s, engine.state()))
                    std::fprintf(io.out, "%s=%s\n", s.name.c_str(), s.get(*model, engine.state()).c_str());
            std::fflush(io.out);
            return false;
        }
        for (const auto& [name, value] : o.assignments) {
            const GroupSetting& s = *findSetting(group, name);
            const SetResult r = s.set(*model, value);
            if (!r.ok) {
                sayRefused(&engine, io.err, group, s, value, r);
                self->setStatus(es::kUsage);
                return false;
            }
        }
        if (const UserMessage m = model->accept()) {
            engine.say(messageText(m));
            self->setStatus(es::kUsage);
            return false;
        }
        return true;
    });
    self = &run;
    const int status = run.run(group.kind, *model);
    // The read ended without the group, or the chain without all of it.
    if ((status == es::kNoAnswer || status == es::kNoCommunication) && (!complete || !run.readBrought()))
        engine.say(format(str(setting ? string_id::kGroupNotReadNothingWritten : string_id::kGroupNotReadNothingPrinted),
                          {group.name}));
    return status;
}

// A set on a fresh model of the group takes each value as the panel's would.
int checkGroupArguments(const CliOptions& o, std::FILE* err) {
    const ConfigGroup* group = findGroup(o.group);
    if (!group) {
        std::fprintf(err, "%s\n", text(Text::UnknownGroup, {o.group}).c_str());
        std::fprintf(err, "%s\n", groupNames().c_str());
        return es::kUsage;
    }
    if (o.command == Command::Get && group->writeOnly) {
        std::fprintf(err, "%s\n", text(Text::SetOnlyGroup, {group->name, group->name}).c_str());
        return es::kUsage;
    }
    if (o.command != Command::Set) return es::kDone;
    std::unique_ptr<ConfigModel> trial = group->makeModel();
    for (const auto& [name, value] : o.assignments) {
        const GroupSetting* s = findSetting(*group, name);
        if (!s) {
            std::fprintf(err, "%s\n", text(Text::UnknownSetting, {shown(*group, name), group->name}).c_str());
            return es::kUsage;
        }
        const SetResult r = s->set(*trial, value);
        if (!r.ok) {
            sayRefused(nullptr, err, *group, *s, value, r);
            return es::kUsage;
        }
    }
    return es::kDone;
}

void printGroupHelp(const ConfigGroup& group, std::FILE* out) {
    std::fprintf(out, "%s\n", text(Text::GroupHelpHeader, {group.name}).c_str());
    for (const GroupSetting& s : group.settings) std::fprintf(out, "  %s: %s\n", s.name.c_str(), valuesText(s.values).c_str());
    if (group.writeOnly) std::fprintf(out, "%s\n", text(Text::SetOnlyGroup, {group.name, group.name}).c_str());
}

}  // namespace mr420::cli
