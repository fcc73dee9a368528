// The simulator's command line.
#pragma once

#include <string>
#include <vector>

namespace lingqiao::sim {

inline constexpr int kDefaultPort = 6555;

struct SimOptions {
  std::vector<int> ports;  // one device each; 0 lets the system choose a free port
  std::string journalPath;
  std::string readyFile;
  std::vector<std::string> fontFiles;
  bool unauthorized = false;
  long latencyMs = 0;
  long dropAfter = 0;  // 0: never
  bool help = false;
};

// False with a message when the arguments (without the program name) are not usable. Without
// --port the one device listens at 6555; without --font the fonts of DefaultFontFiles() are used.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

std::string SimUsage();

// The fonts Debian's packages put where this looks: fonts-droid-fallback (the CJK font Android
// itself shipped), fonts-wqy-microhei, fonts-noto-cjk, then DejaVu for Latin text.
std::vector<std::string> DefaultFontFiles();

}  // namespace lingqiao::sim
