// lingqiao-run's command line: what to run, on which emulators, with which adb.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lingqiao {

struct RunOptions {
  std::vector<std::string> devices;  // in the order given; empty means the default address
  std::string adbPath;               // empty means the adb beside the program
  std::string screenshot;            // empty means no file
  std::string script;
  bool dryRun = false;
  bool help = false;
};

// Reads the arguments (GBK, program name left out). False with a message (GBK) for an unknown
// option, a missing value, a repeated address, a wrong number of scripts or an adb whose file
// name is not adb's.
bool ParseRunOptions(const std::vector<std::string>& args, RunOptions& options,
                     std::string& error);

// Where the capture of one device goes: the file itself for a single device; with several,
// the stem gets "-" and the address with ":" as "_" (shot.png -> shot-127.0.0.1_6555.png).
std::string ScreenshotPathFor(std::string_view file, std::string_view address, bool several);

// The --help text (GBK).
std::string UsageText();

}  // namespace lingqiao
