#include "sim_options.h"

#include <algorithm>
#include <charconv>

namespace lingqiao::sim {
namespace {

bool ParseNumber(const std::string& text, long min, long max, long& value) {
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(text.data(), last, value);
  return !text.empty() && ec == std::errc() && end == last && value >= min && value <= max;
}

}  // namespace

std::vector<std::string> DefaultFontFiles() {
  return {
      "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
      "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
      "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
      "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
  };
}

std::string SimUsage() {
  return "usage: lingqiao-sim [--port P]... [--journal FILE] [--ready-file FILE] [--unauthorized]\n"
         "                    [--latency MS] [--drop-after N] [--font FILE]...\n"
         "A simulated Android device for the real adb: `adb connect 127.0.0.1:P`.\n"
         "  --port P          listen at 127.0.0.1:P, one device per port (default 6555; 0: any)\n"
         "  --journal FILE    one JSON line per service and per effect\n"
         "  --ready-file F    written once every port listens, one \"listening\" line per port\n"
         "  --unauthorized    ask for authentication and never accept it\n"
         "  --latency MS      wait before every answer\n"
         "  --drop-after N    after N services in all, close that connection once\n"
         "  --font FILE       font for the screen's labels (default: Debian's CJK fonts)\n";
}

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error) {
  options = SimOptions{};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--unauthorized") {
      options.unauthorized = true;
      continue;
    }
    const bool takesValue = arg == "--port" || arg == "--journal" || arg == "--ready-file" ||
                            arg == "--latency" || arg == "--drop-after" || arg == "--font";
    if (!takesValue) {
      error = "unknown option: " + arg;
      return false;
    }
    if (i + 1 >= args.size()) {
      error = arg + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    long number = 0;
    if (arg == "--port") {
      if (!ParseNumber(value, 0, 65535, number)) {
        error = "not a port: " + value;
        return false;
      }
      if (number != 0 && std::count(options.ports.begin(), options.ports.end(), number) > 0) {
        error = "port given twice: " + value;
        return false;
      }
      options.ports.push_back(static_cast<int>(number));
    } else if (arg == "--latency" || arg == "--drop-after") {
      if (!ParseNumber(value, arg == "--latency" ? 0 : 1, 3600000, number)) {
        error = arg + ": not a usable number: " + value;
        return false;
      }
      (arg == "--latency" ? options.latencyMs : options.dropAfter) = number;
    } else if (arg == "--journal") {
      options.journalPath = value;
    } else if (arg == "--ready-file") {
      options.readyFile = value;
    } else {
      options.fontFiles.push_back(value);
    }
  }
  if (options.ports.empty()) options.ports.push_back(kDefaultPort);
  if (options.fontFiles.empty()) options.fontFiles = DefaultFontFiles();
  return true;
}

}  // namespace lingqiao::sim
