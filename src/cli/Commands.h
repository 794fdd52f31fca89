#pragma once
// The commands of mr420-cli, each in a file of its own, as runCli dispatches
// them. A command runs once the engine has seen a complete poll cycle and
// returns the program's exit status (exit_status).

#include <cstdio>
#include <string>

#include "cli/CliArguments.h"
#include "cli/CliEngine.h"

namespace mr420::cli {

struct ConfigGroup;

// WatchCommand.cpp: a line per complete cycle until the count or a signal.
int commandWatch(Engine& engine, const CliOptions& o);

// LogCommand.cpp: records at the interval into the file the pattern names.
int commandLog(Engine& engine, const CliOptions& o);

// MemoryCommand.cpp: the read-out into a file (and the dump), and the erase.
int commandMemoryRead(Engine& engine, const CliOptions& o, bool dewPoint, bool vapour);
int commandMemoryErase(Engine& engine, bool yes);

// ServeCommand.cpp: the service: the log, the data server and the daily
// download on one engine until SIGINT/SIGTERM.
// `programDir` is where the English texts are, for a client that asks for them.
int commandServe(Engine& engine, const CliOptions& o, bool dewPoint, bool vapour, const std::string& programDir);

// SettingsCommands.cpp: info, get and set of a settings group.
int commandInfo(Engine& engine);
int commandGetSet(Engine& engine, const CliOptions& o);
// Names, values and assignments of get/set before the panel is asked
// anything; kUsage with the message on `err` when they will not do.
int checkGroupArguments(const CliOptions& o, std::FILE* err);
void printGroupHelp(const ConfigGroup& group, std::FILE* out);

}  // namespace mr420::cli
