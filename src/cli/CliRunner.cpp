#include "cli/CliRunner.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>

#include "base/IniFile.h"
#include "base/ProgramVersion.h"
#include "base/StringTable.h"
#include "base/SystemErrorText.h"
#include "cli/CliArguments.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "cli/ConfigGroups.h"
#include "settings/Settings.h"
#include "settings/SettingsLocation.h"

namespace mr420::cli {

namespace es = exit_status;

int runCli(const std::vector<std::string>& args, const std::string& programDir, const CliStreams& io) {
    // The settings file is read, never written.
    const std::string iniPath = iniPathFromArguments(args);
    IniFile ini;
    const bool opened = ini.open(iniPath, /*saveWhenClosed=*/false, /*createIfMissing=*/false, /*caseBlind=*/true,
                                 /*backup=*/false);
    AppSettings settings = defaultSettings();
    std::map<int, std::string> aliases;
    std::string language;
    if (opened && !ini.notASettingsFile()) {
        readSettings(ini, settings);
        language = readLanguage(ini);
        aliases = readPortAliases(ini);
    }
    // --lang before the full reading, so that its messages are in that language.
    if (const std::string l = languageOption(args); l == "pl" || l == "en") language = l;
    if (!useLanguage(language, programDir)) std::fprintf(io.err, "%s\n", text(Text::EnglishUnavailable).c_str());

    const ParseResult parsed = parseArguments(args);
    if (!parsed.ok()) {
        std::fprintf(io.err, "%s\n", parsed.error.c_str());
        std::fprintf(io.err, "mr420-cli --help\n");
        return es::kUsage;
    }
    const CliOptions& o = parsed.options;
    switch (o.command) {
    case Command::Help:
        std::fprintf(io.out, "%s", text(Text::Usage, {groupNames()}).c_str());
        return es::kDone;
    case Command::Version:
        std::fprintf(io.out, "mr420-cli %s\n", programVersion().c_str());
        return es::kDone;
    case Command::GroupHelp: {
        const ConfigGroup* group = findGroup(o.group);
        if (!group) return checkGroupArguments(o, io.err);
        printGroupHelp(*group, io.out);
        return es::kDone;
    }
    case Command::Get:
    case Command::Set:
        if (const int status = checkGroupArguments(o, io.err); status != es::kDone) return status;
        break;
    default: break;
    }

    const int port = o.port.value_or(settings.portNr);
    if (o.device.empty() && port <= 0) {
        std::fprintf(io.err, "%s\n", text(Text::MissingArgument, {text(Text::PortOrDevice)}).c_str());
        return es::kUsage;
    }

    Engine engine(io, o.quiet);
    engine.connection().setPortAliases(aliases);
    if (!o.tracePath.empty() && !engine.connection().startTrace(o.tracePath)) {
        engine.say(text(Text::FileNotWritten, {o.tracePath, systemErrorText(errno)}));
        return es::kFileFailed;
    }
    const auto failure = o.device.empty() ? engine.connection().openCom(port) : engine.connection().openDevice(o.device);
    if (failure) {
        engine.say(failure->message());
        return es::kPortFailed;
    }
    engine.start();
    std::optional<std::chrono::milliseconds> firstCycleLimit;
    if (o.timeout) firstCycleLimit = std::chrono::milliseconds(std::llround(*o.timeout * 1000));
    if (const int status = engine.waitForFirstCycle(firstCycleLimit); status != es::kDone) {
        if (status == es::kNoCommunication) engine.say(str(string_id::kStatusNoCommunication));
        return status;
    }

    switch (o.command) {
    case Command::Info: return commandInfo(engine);
    case Command::Watch: return commandWatch(engine, o);
    case Command::Log: return commandLog(engine, o);
    case Command::MemoryRead:
        return commandMemoryRead(engine, o, o.dewPoint.value_or(settings.memoryDp != 0),
                                 o.vapour.value_or(settings.memoryPpm != 0));
    case Command::MemoryErase: return commandMemoryErase(engine, o.yes);
    case Command::Get:
    case Command::Set: return commandGetSet(engine, o);
    default: return es::kUsage;
    }
}

}  // namespace mr420::cli
