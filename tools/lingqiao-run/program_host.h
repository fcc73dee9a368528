// What lingqiao-run needs of the platform besides the terminal: its arguments as GBK texts
// and the platform's reading of paths.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/script_line.h"

namespace lingqiao {

// The program's arguments after its name, as GBK (on Windows taken from the wide command
// line, so they are right on any locale).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The file-name part of a path: what follows its last separator ("/" here; "\" or "/" on
// Windows).
std::string_view FileNamePart(std::string_view path);

// Whether two file names name the same file name: exactly on POSIX, regardless of letter
// case on Windows.
bool SameFileName(std::string_view a, std::string_view b);

// The path made absolute against the current folder (GBK in, GBK out); unchanged when it
// already is or cannot be resolved. Symbolic links are kept: adb's own name matters.
std::string AbsolutePath(const std::string& path);

// The file exists, is not a folder and can be opened for reading.
bool IsReadableFile(const std::string& path);

// Ctrl-C (and a termination request) raises `stop` instead of ending the process; a second
// The file exists, is not a folder and can be opened for reading.
bool IsReadableFile(const std::string& path);

// Ctrl-C ends it the usual way. `stop` must live as long as the program.
void InstallInterruptHandler(StopFlag& stop);

}  // namespace lingqiao
