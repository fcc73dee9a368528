// input, am and pm: the commands that act on the screen and on apps, and so leave effects.
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "device_shell.h"

namespace lingqiao::sim {
namespace {

constexpr std::string_view kInputUsage =
    "Usage: input [<source>] <command> [<arg>...]\n\n"
    "The commands and default sources are:\n"
    "      text <string> (Default: touchscreen)\n"
    "      keyevent [--longpress] <key code number or name> ... (Default: keyboard)\n"
    "      tap <x> <y> (Default: touchscreen)\n"
    "      swipe <x1> <y1> <x2> <y2> [duration(ms)] (Default: touchscreen)\n";

// A touch that ends where it began, quickly, is a tap to the app under it.
constexpr long kTapSlop = 10;
constexpr long kLongPressMs = 500;
constexpr long kDefaultSwipeMs = 300;

// input takes coordinates as floats and injects whole pixels.
bool ParseCoordinate(const std::string& text, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double number = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(number) || std::fabs(number) > 1e9) return false;
  value = static_cast<long>(number);
  return true;
}

bool ParseInteger(const std::string& text, long& value) {
  const char* last = text.data() + text.size();
  return !text.empty() && std::from_chars(text.data(), last, value).ptr == last;
}

bool ParseKeyCode(const std::string& text, long& code) {
  if (ParseInteger(text, code)) return true;
  static constexpr std::pair<std::string_view, long> kNames[] = {
      {"HOME", 3},       {"BACK", 4},          {"CALL", 5},         {"ENDCALL", 6},
      {"DPAD_UP", 19},   {"DPAD_DOWN", 20},    {"DPAD_LEFT", 21},   {"DPAD_RIGHT", 22},
      {"DPAD_CENTER", 23}, {"VOLUME_UP", 24},  {"VOLUME_DOWN", 25}, {"POWER", 26},
      {"CAMERA", 27},    {"TAB", 61},          {"SPACE", 62},       {"ENTER", 66},
      {"DEL", 67},       {"MENU", 82},         {"SEARCH", 84},      {"APP_SWITCH", 187},
  };
  std::string_view name = text;
  if (name.rfind("KEYCODE_", 0) == 0) name.remove_prefix(8);
  for (const auto& [keyName, keyCode] : kNames) {
    if (keyName == name) {
      code = keyCode;
      return true;
    }
  }
  return false;
}

bool IsInputSource(std::string_view word) {
  for (std::string_view source : {"touchscreen", "touchpad", "touchnavigation", "keyboard", "mouse",
                                  "trackball", "dpad", "gamepad", "stylus", "joystick"}) {
    if (word == source) return true;
  }
  return false;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// "p/.A" names the class p.A; "p/q.A" names q.A.
std::string ActivityClass(std::string_view component) {
  const auto slash = component.find('/');
  const std::string_view package = component.substr(0, slash);
  const std::string_view activity = component.substr(slash + 1);
  return std::string(activity[0] == '.' ? package : "") + std::string(activity);
}

// Options of am that are followed by a value, or by a key and a value.
int AmOptionValues(std::string_view option) {
  for (std::string_view o : {"-a", "-d", "-t", "-c", "-f", "-n", "-p", "--user", "-R", "--receiver-permission"}) {
    if (option == o) return 1;
  }
  for (std::string_view o : {"-e", "--es", "--ei", "--el", "--ez", "--ef", "--eu", "--esa", "--eia"}) {
    if (option == o) return 2;
  }
  return 0;
}

}  // namespace

void DeviceShell::Input(const Words& words, Io& io) {
  Words args = words;
  if (!args.empty() && IsInputSource(args[0])) args.erase(args.begin());
  if (args.empty()) {
    io.err += kInputUsage;
    return;
  }
  const std::string& command = args[0];
  if (command == "text" && args.size() >= 2) {
    // Only the first word is typed; "%s" stands for a blank, which the shell would split at.
    const std::string text = ReplaceAll(args[1], "%s", " ");
    io.effects.push_back(Effect{Effect::Kind::kText, {}, text});
    device_.scene.Type(text);
    return;
  }
  if (command == "keyevent" && args.size() >= 2) {
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--longpress") continue;
      long code = 0;
      if (!ParseKeyCode(args[i], code)) {
        io.err += "Error: unknown key code: " + args[i] + "\n";
        continue;
      }
      io.effects.push_back(Effect{Effect::Kind::kKey, {code}, {}});
      device_.scene.Key(static_cast<int>(code));
    }
    return;
  }
  if (command == "tap" && args.size() == 3) {
    long x = 0;
    long y = 0;
    if (ParseCoordinate(args[1], x) && ParseCoordinate(args[2], y)) {
      io.effects.push_back(Effect{Effect::Kind::kTap, {x, y}, {}});
      device_.scene.Tap(static_cast<int>(x), static_cast<int>(y), device_.packages);
      return;
    }
  }
  if (command == "swipe" && (args.size() == 5 || args.size() == 6)) {
    long p[4] = {};
    long ms = kDefaultSwipeMs;
    bool ok = true;
    for (int i = 0; i < 4; ++i) ok = ok && ParseCoordinate(args[1 + i], p[i]);
    if (args.size() == 6) ok = ok && ParseInteger(args[5], ms) && ms >= 0;
    if (ok) {
      io.effects.push_back(Effect{Effect::Kind::kSwipe, {p[0], p[1], p[2], p[3], ms}, {}});
      if (std::labs(p[2] - p[0]) < kTapSlop && std::labs(p[3] - p[1]) < kTapSlop && ms < kLongPressMs) {
        device_.scene.Tap(static_cast<int>(p[0]), static_cast<int>(p[1]), device_.packages);
      }
      return;
    }
  }
  if (command == "tap" || command == "swipe") {
    io.err += "Error: invalid arguments for command: " + command + "\n";
  } else {
    io.err += "Error: Unknown command: " + command + "\n";
  }
  io.err += kInputUsage;
}

void DeviceShell::Am(const Words& args, Io& io) {
  const std::string sub = args.empty() ? "" : args[0];
  const Words rest(args.begin() + (args.empty() ? 0 : 1), args.end());
  if (sub == "start") {
    AmStart(rest, io);
  } else if (sub == "broadcast") {
    AmBroadcast(rest, io);
  } else if (sub == "force-stop" && rest.size() == 1) {
    device_.scene.Close(rest[0]);
  } else {
    io.err += "usage: am [subcommand] [options]\n"
              "usage: am start [-D] [-W] [-S] [--user <USER_ID> | current] <INTENT>\n"
              "       am broadcast [--user <USER_ID> | all | current] <INTENT>\n"
              "       am force-stop [--user <USER_ID> | all | current] <PACKAGE>\n";
    if (!sub.empty()) io.err += "Error: Unknown command: " + sub + "\n";
  }
}

void DeviceShell::AmStart(const Words& args, Io& io) {
  std::string component;
  std::string action;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const int values = AmOptionValues(args[i]);
    if (args[i] == "-n" && i + 1 < args.size()) component = args[i + 1];
    if (args[i] == "-a" && i + 1 < args.size()) action = args[i + 1];
    i += static_cast<std::size_t>(values);
  }
  const auto slash = component.find('/');
  if (slash == std::string::npos || slash == 0 || slash + 1 == component.size()) {
    io.err += component.empty() ? "Error: Activity not started, unable to resolve Intent\n"
                                : "Error: Bad component name: " + component + "\n";
    return;
  }
  io.out += "Starting: Intent { " + (action.empty() ? "" : "act=" + action + " ") + "cmp=" + component + " }\n";
  const std::string package = component.substr(0, slash);
  // Activities are not known one by one: any activity of an installed package starts.
  if (!device_.packages.IsInstalled(package)) {
    io.err += "Error type 3\nError: Activity class {" + package + "/" + ActivityClass(component) +
              "} does not exist.\n";
    return;
  }
  io.effects.push_back(Effect{Effect::Kind::kStart, {}, component});
  device_.scene.Open(package);
}

void DeviceShell::AmBroadcast(const Words& args, Io& io) {
  std::string action;
  std::string message;
  bool hasMessage = false;
  bool extras = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const int values = AmOptionValues(args[i]);
    if (args[i] == "-a" && i + 1 < args.size()) action = args[i + 1];
    if (values == 2) extras = true;
    if ((args[i] == "--es" || args[i] == "-e") && i + 2 < args.size() && args[i + 1] == "msg") {
      message = args[i + 2];
      hasMessage = true;
    }
    i += static_cast<std::size_t>(values);
  }
  io.out += "Broadcasting: Intent { " + (action.empty() ? "" : "act=" + action + " ") + "flg=0x400000" +
            (extras ? " (has extras)" : "") + " }\n";
  io.out += "Broadcast completed: result=0\n";
  // The ADB keyboard's receiver types the message; without the app nobody receives it.
  if (action == "ADB_INPUT_TEXT" && hasMessage && device_.packages.IsInstalled(kKeyboardPackage)) {
    io.effects.push_back(Effect{Effect::Kind::kText, {}, message});
    device_.scene.Type(message);
  }
}

void DeviceShell::Pm(const Words& args, Io& io) {
  const std::string sub = args.empty() ? "" : args[0];
  const Words rest(args.begin() + (args.empty() ? 0 : 1), args.end());
  if (sub == "install") {
    PmInstall(rest, io);
  } else if (sub == "list" && !rest.empty() && rest[0] == "packages") {
    PmListPackages(Words(rest.begin() + 1, rest.end()), io);
  } else if (sub == "uninstall" && !rest.empty()) {
    const std::string& package = rest.back();
    const PackageInfo* info = device_.packages.Find(package);
    if (info == nullptr) {
      io.out += "Failure [not installed for 0]\n";
    } else if (info->system) {
      io.out += "Failure [DELETE_FAILED_INTERNAL_ERROR]\n";
    } else {
      device_.scene.Close(package);
      device_.packages.Uninstall(package);
      io.effects.push_back(Effect{Effect::Kind::kUninstall, {}, package});
      io.out += "Success\n";
    }
  } else if (sub == "clear" && !rest.empty()) {
    const std::string& package = rest.back();
    if (!device_.packages.IsInstalled(package)) {
      io.err += "Failed\n";
      return;
    }
    device_.scene.Close(package);
    io.effects.push_back(Effect{Effect::Kind::kClear, {}, package});
    io.out += "Success\n";
  } else if (sub == "path" && !rest.empty()) {
    if (device_.packages.IsInstalled(rest.back())) io.out += "package:/data/app/" + rest.back() + "-1/base.apk\n";
  } else {
    io.err += "usage: pm list packages [-f] [-s] [-3] [FILTER]\n"
              "       pm path PACKAGE\n"
              "       pm install [-r] [-t] [-d] [-g] PATH\n"
              "       pm uninstall [-k] PACKAGE\n"
              "       pm clear PACKAGE\n";
    if (!sub.empty()) io.err += "Error: unknown command '" + sub + "'\n";
  }
}

void DeviceShell::PmInstall(const Words& args, Io& io) {
  bool replace = false;
  std::string path;
  for (const std::string& arg : args) {
    if (arg == "-r") replace = true;
    if (!arg.empty() && arg[0] != '-') path = arg;
  }
  const MemoryFile* file = path.empty() ? nullptr : device_.files.Find(path);
  if (file == nullptr) {
    io.out += "Failure [INSTALL_FAILED_INVALID_URI]\n";
    return;
  }
  // The package is named after the file: the simulator does not read the APK.
  std::string package = path.substr(path.rfind('/') + 1);
  if (package.size() > 4 && package.compare(package.size() - 4, 4, ".apk") == 0) package.resize(package.size() - 4);
  if (device_.packages.IsInstalled(package) && !replace) {
    io.out += "Failure [INSTALL_FAILED_ALREADY_EXISTS: Attempt to re-install " + package +
              " without first uninstalling.]\n";
    return;
  }
  device_.scene.Close(package);
  device_.packages.Install(package);
  io.effects.push_back(Effect{Effect::Kind::kInstall, {}, package});
  io.out += "Success\n";
}

void DeviceShell::PmListPackages(const Words& args, Io& io) {
  bool onlySystem = false;
  bool onlyThirdParty = false;
  bool withPath = false;
  std::string filter;
  for (const std::string& arg : args) {
    if (arg == "-s") onlySystem = true;
    else if (arg == "-3") onlyThirdParty = true;
    else if (arg == "-f") withPath = true;
    else if (!arg.empty() && arg[0] != '-') filter = arg;
  }
  for (const std::string& name : device_.packages.Names()) {
    const bool system = device_.packages.Find(name)->system;
    if ((onlySystem && !system) || (onlyThirdParty && system)) continue;
    if (!filter.empty() && name.find(filter) == std::string::npos) continue;
    io.out += "package:";
    if (withPath) io.out += (system ? "/system/app/" : "/data/app/") + name + (system ? ".apk=" : "-1/base.apk=");
    io.out += name + "\n";
  }
}

}  // namespace lingqiao::sim
