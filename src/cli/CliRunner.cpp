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
#include "cli/ServiceControl.h"
#include "settings/Settings.h"
#include "settings/SettingsLocation.h"

namespace mr420::cli {

namespace es = exit_status;

namespace {

// The [SERVE] section of the settings file, then the [SERVE COM<port>]
// section of the port served, as options of `serve`; the later win, and the
// command line's own come after them all.
std::vector<std::string> serveDefaults(const IniFile& ini, int port) {
    static constexpr std::pair<const char*, const char*> kKeys[] = {
        {"LOG_FILE", "--log"},           {"LOG_INTERVAL", "--interval"},     {"LOG_SEPARATOR", "--separator"},
        {"LOG_COMMENT", "--comment"},    {"LOG_CHANNELS", "--channels"},     {"MEMORY_DAILY", "--memory-daily"},
        {"MEMORY_FILE", "--memory-file"},
    };
    std::vector<std::string> options;
    for (const std::string& section : {std::string("SERVE"), "SERVE COM" + std::to_string(port)})
        for (const auto& [key, option] : kKeys)
            if (std::string value = ini.getString(section, key, ""); !value.empty())
                options.push_back(std::string(option) + "=" + value);
    return options;
}

}  // namespace

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

    ParseResult parsed = parseArguments(args);
    if (parsed.ok() && parsed.options.command == Command::Serve && opened && !ini.notASettingsFile()) {
        const int servedPort = parsed.options.port.value_or(settings.portNr);
        if (std::vector<std::string> defaults = serveDefaults(ini, servedPort); !defaults.empty()) {
            std::vector<std::string> alone{args[0], "serve"};
            alone.insert(alone.end(), defaults.begin(), defaults.end());
            if (const ParseResult checked = parseArguments(alone); !checked.ok()) {
                std::fprintf(io.err, "%s\n", text(Text::ServeSettingsWrong, {iniPath, checked.error}).c_str());
                return es::kUsage;
            }
            std::vector<std::string> merged(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(parsed.commandIndex) + 1);
            merged.insert(merged.end(), defaults.begin(), defaults.end());
            merged.insert(merged.end(), args.begin() + static_cast<std::ptrdiff_t>(parsed.commandIndex) + 1, args.end());
            parsed = parseArguments(merged);
        }
    }
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
    // A service of this user holds the port: the command goes to it, and the
    // service runs it or says what it runs. A second service, or a log
    // beside the service's, is told who holds the port.
    const bool delegable = o.command != Command::Log && o.command != Command::Serve;
    if (failure && failure->holderPid > 0 && delegable)
        if (const std::optional<int> status = runThroughService(failure->holderPid, args, io)) return *status;
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
    case Command::Serve:
        return commandServe(engine, o, o.dewPoint.value_or(settings.memoryDp != 0),
                            o.vapour.value_or(settings.memoryPpm != 0), programDir);
    case Command::Get:
    case Command::Set: return commandGetSet(engine, o);
    default: return es::kUsage;
    }
}

}  // namespace mr420::cli
