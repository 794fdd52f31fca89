#pragma once
// Where mr420.ini lives: the user's configuration directory, or the file named
// with --ini on the command line.

#include <string>
#include <vector>

namespace mr420 {

// $XDG_CONFIG_HOME/mr420/mr420.ini when that variable holds an absolute path,
// else $HOME/.config/mr420/mr420.ini (home from the password database when
// HOME is unset or relative), else "mr420.ini" in the current directory.
std::string defaultIniPath();

// The path after "--ini" (as "--ini PATH" or "--ini=PATH") in the program's
// arguments (argument 0 is the program itself and is skipped); the last one
// wins; defaultIniPath() when there is none. "--ini" as the last argument, or
// with an empty path, is ignored.
std::string iniPathFromArguments(const std::vector<std::string>& arguments);

// Creates the directory that holds `filePath` and any missing parents (the
// configuration directory does not exist on a fresh account). True when it
// exists afterwards; true for a bare file name.
bool ensureParentDirectory(const std::string& filePath);

}  // namespace mr420
