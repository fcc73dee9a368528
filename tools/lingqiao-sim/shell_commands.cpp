// The shell itself and the small tools: echo, getprop, setprop, ps, wm, screencap, uiautomator,
// rm, cat, ls, mount, id, su.
#include <algorithm>
#include <cstdio>
#include <utility>

#include "device_shell.h"
#include "screen_png.h"
#include "shell_words.h"
#include "ui_dump.h"

namespace lingqiao::sim {
namespace {

constexpr std::string_view kShellName = "/system/bin/sh";
constexpr int kMaxNesting = 8;  // su -c 'su -c ...' has to end somewhere

bool IsDevNull(const std::string& path) { return path == "/dev/null"; }

}  // namespace

ShellOutput DeviceShell::Run(std::string_view commandLine) {
  ShellOutput result;
  Io io{std::string(), std::string(), result.effects};
  RunLine(commandLine, io, 0);
  result.text = std::move(io.out) + io.err;
  return result;
}

void DeviceShell::RunLine(std::string_view line, Io& io, int depth) {
  const ShellLine split = SplitShellWords(line);
  if (!split.error.empty()) {
    io.err += std::string(kShellName) + ": " + split.error + "\n";
    return;
  }
  if (split.words.empty()) return;
  Io inner{std::string(), std::string(), io.effects};
  RunWords(split.words, inner, depth);
  if (!split.stdoutFile.empty()) Redirect(split.stdoutFile, split.appendStdout, inner.out);
  if (!split.stderrFile.empty()) Redirect(split.stderrFile, false, inner.err);
  io.out += inner.out;
  io.err += inner.err;
}

void DeviceShell::Redirect(const std::string& file, bool append, std::string& text) {
  if (!IsDevNull(file)) {
    MemoryFile content;
    if (append) {
      if (const MemoryFile* old = device_.files.Find(file)) content = *old;
    }
    content.bytes += text;
    device_.files.Write(file, std::move(content));
  }
  text.clear();
}

DeviceShell::Command DeviceShell::Find(std::string_view name) {
  static constexpr std::pair<std::string_view, Command> kCommands[] = {
      {"am", &DeviceShell::Am},
      {"cat", &DeviceShell::Cat},
      {"echo", &DeviceShell::Echo},
      {"exit", &DeviceShell::Nothing},
      {"getprop", &DeviceShell::Getprop},
      {"id", &DeviceShell::Id},
      {"input", &DeviceShell::Input},
      {"ls", &DeviceShell::Ls},
      {"mount", &DeviceShell::Mount},
      {"pm", &DeviceShell::Pm},
      {"ps", &DeviceShell::Ps},
      {"rm", &DeviceShell::Rm},
      {"screencap", &DeviceShell::Screencap},
      {"setprop", &DeviceShell::Setprop},
      {"true", &DeviceShell::Nothing},
      {"uiautomator", &DeviceShell::Uiautomator},
      {"wm", &DeviceShell::Wm},
  };
  // The tools are found by their base name, as with PATH, and by their full path.
  const auto slash = name.rfind('/');
  if (slash != std::string_view::npos) {
    const std::string_view dir = name.substr(0, slash);
    if (dir != "/system/bin" && dir != "/system/xbin") return nullptr;
    name.remove_prefix(slash + 1);
  }
  for (const auto& [commandName, command] : kCommands) {
    if (commandName == name) return command;
  }
  return nullptr;
}

void DeviceShell::RunWords(const Words& words, Io& io, int depth) {
  const std::string& name = words[0];
  const Words args(words.begin() + 1, words.end());
  if (name == "su") {
    // "su -c CMD" runs CMD as root, which the device already is; so does "su 0 CMD...".
    std::size_t from = 0;
    if (!args.empty() && (args[0] == "-c" || args[0] == "0" || args[0] == "root")) from = 1;
    const Words rest(args.begin() + static_cast<long>(std::min(from, args.size())), args.end());
    if (rest.empty()) return;
    if (depth >= kMaxNesting) {
      io.err += "su: too deeply nested\n";
      return;
    }
    // One word is a command line of its own, as "su -c 'mount -o ...'" sends it.
    RunLine(rest.size() == 1 && from == 1 && args[0] == "-c" ? rest[0] : JoinShellWords(rest), io,
            depth + 1);
    return;
  }
  if (const Command command = Find(name)) {
    (this->*command)(args, io);
    return;
  }
  io.err += std::string(kShellName) + ": " + name + ": not found\n";
}

void DeviceShell::Nothing(const Words&, Io&) {}

void DeviceShell::Echo(const Words& args, Io& io) {
  bool newline = true;
  std::size_t from = 0;
  if (!args.empty() && args[0] == "-n") {
    newline = false;
    from = 1;
  }
  for (std::size_t i = from; i < args.size(); ++i) {
    if (i > from) io.out += ' ';
    io.out += args[i];
  }
  if (newline) io.out += '\n';
}

void DeviceShell::Getprop(const Words& args, Io& io) {
  if (args.empty()) {
    for (const auto& [name, value] : device_.properties) io.out += "[" + name + "]: [" + value + "]\n";
    return;
  }
  const auto it = device_.properties.find(args[0]);
  if (it != device_.properties.end()) {
    io.out += it->second;
  } else if (args.size() > 1) {
    io.out += args[1];
  }
  io.out += '\n';
}

void DeviceShell::Setprop(const Words& args, Io& io) {
  if (args.size() != 2) {
    io.err += "usage: setprop <key> <value>\n";
    return;
  }
  // Read-only properties keep the value they were first given.
  if (args[0].rfind("ro.", 0) == 0 && device_.properties.count(args[0]) > 0) {
    io.err += "could not set property\n";
    return;
  }
  device_.properties[args[0]] = args[1];
}

void DeviceShell::Ps(const Words& args, Io& io) {
  struct Process {
    const char* user;
    int pid;
    int ppid;
    std::string name;
  };
  std::vector<Process> processes = {
      {"root", 1, 0, "/init"},
      {"root", 52, 1, "/sbin/ueventd"},
      {"root", 61, 1, "/sbin/adbd"},
      {"root", 63, 1, "zygote"},
      {"system", 402, 63, "system_server"},
      {"u0_a14", 512, 63, "com.android.systemui"},
      {"u0_a21", 604, 63, "com.android.launcher3"},
  };
  int pid = 700;
  if (device_.packages.IsInstalled(kKeyboardPackage)) {
    processes.push_back({"u0_a60", pid++, 63, std::string(kKeyboardPackage)});
  }
  const Page& page = device_.scene.Current();
  if (page.kind != PageKind::kHome) processes.push_back({"u0_a30", pid++, 63, page.packageName});
  processes.push_back({"root", 1201, 61, "/system/bin/sh"});
  processes.push_back({"root", 1202, 1201, "ps"});

  io.out += "USER     PID   PPID  VSIZE  RSS     WCHAN    PC         NAME\n";
  for (const Process& p : processes) {
    if (!args.empty() && std::find(args.begin(), args.end(), p.name) == args.end()) continue;
    char line[160];
    std::snprintf(line, sizeof line, "%-8s %-5d %-5d %-6d %-6d ffffffff 00000000 S %s\n", p.user,
                  p.pid, p.ppid, 1024 + p.pid * 3, 256 + p.pid, p.name.c_str());
    io.out += line;
  }
}

void DeviceShell::Wm(const Words& args, Io& io) {
  if (args.empty() || (args[0] != "size" && args[0] != "density")) {
    io.err += "usage: wm [subcommand] [options]\n       wm size [reset|WxH]\n       wm density [reset|DENSITY]\n";
    return;
  }
  if (args[0] == "density") {
    if (args.size() == 1) io.out += "Physical density: 320\n";
    return;
  }
  if (args.size() == 1) {
    io.out += "Physical size: " + std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "\n";
    if (!device_.sizeOverride.empty()) io.out += "Override size: " + device_.sizeOverride + "\n";
  } else if (args[1] == "reset") {
    device_.sizeOverride.clear();
  } else {
    int width = 0;
    int height = 0;
    char extra = 0;
    if (std::sscanf(args[1].c_str(), "%dx%d%c", &width, &height, &extra) != 2 || width <= 0 || height <= 0) {
      io.err += "Error: bad size " + args[1] + "\n";
      return;
    }
    device_.sizeOverride = args[1];
  }
}

void DeviceShell::Screencap(const Words& args, Io& io) {
  bool png = false;
  std::string file;
  for (const std::string& arg : args) {
    if (arg == "-p") {
      png = true;
    } else if (arg == "-h" || (arg.size() > 1 && arg[0] == '-')) {
      io.err += "usage: screencap [-hp] [FILENAME]\n"
                "   -h: this message\n"
                "   -p: save the file as a png.\n"
                "If FILENAME ends with .png it will be saved as a png.\n"
                "If FILENAME is not given, the results will be printed to stdout.\n";
      return;
    } else {
      file = arg;
    }
  }
  if (file.size() >= 4 && file.compare(file.size() - 4, 4, ".png") == 0) png = true;
  const Canvas canvas = DrawScreen(device_.scene, device_.packages, font_);
  std::string bytes = png ? EncodePng(canvas) : EncodeRawScreen(canvas);
  if (file.empty()) {
    io.out += bytes;
    return;
  }
  device_.files.Write(file, MemoryFile{std::move(bytes)});
}

void DeviceShell::Uiautomator(const Words& args, Io& io) {
  if (args.empty() || args[0] != "dump") {
    io.err += "Usage: uiautomator <subcommand> [options]\n\nAvailable subcommands:\n\n"
              "dump: creates an XML dump of current UI hierarchy\n";
    return;
  }
  std::string file = "/sdcard/window_dump.xml";
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] != "--compressed") file = args[i];
  }
  device_.files.Write(file, MemoryFile{DumpUi(device_.scene, device_.packages)});
  // The tool's own spelling.
  io.out += "UI hierchary dumped to: " + file + "\n";
}

void DeviceShell::Rm(const Words& args, Io& io) {
  bool force = false;
  bool recursive = false;
  Words paths;
  for (const std::string& arg : args) {
    if (arg.size() > 1 && arg[0] == '-') {
      force = force || arg.find('f') != std::string::npos;
      recursive = recursive || arg.find('r') != std::string::npos || arg.find('R') != std::string::npos;
    } else {
      paths.push_back(arg);
    }
  }
  for (const std::string& path : paths) {
    if (device_.files.Remove(path)) continue;
    if (device_.files.IsDirectory(path)) {
      if (recursive) {
        device_.files.RemoveTree(path);
      } else {
        io.err += "rm failed for " + path + ", Is a directory\n";
      }
    } else if (!force) {
      io.err += "rm failed for " + path + ", No such file or directory\n";
    }
  }
}

void DeviceShell::Cat(const Words& args, Io& io) {
  for (const std::string& path : args) {
    if (const MemoryFile* file = device_.files.Find(path)) {
      io.out += file->bytes;
    } else {
      io.err += path + ": No such file or directory\n";
    }
  }
}

void DeviceShell::Ls(const Words& args, Io& io) {
  Words paths;
  for (const std::string& arg : args) {
    if (arg.empty() || arg[0] != '-') paths.push_back(arg);
  }
  if (paths.empty()) paths.push_back("/");
  for (const std::string& path : paths) {
    if (device_.files.Find(path) != nullptr) {
      io.out += path + "\n";
    } else if (device_.files.IsDirectory(path)) {
      for (const MemoryFiles::Entry& entry : device_.files.List(path)) io.out += entry.name + "\n";
    } else {
      io.err += path + ": No such file or directory\n";
    }
  }
}

void DeviceShell::Mount(const Words& args, Io& io) {
  // Remounting succeeds silently; the file system takes writes everywhere anyway.
  if (!args.empty()) return;
  io.out += "rootfs / rootfs ro,relatime 0 0\n"
            "tmpfs /dev tmpfs rw,nosuid,relatime,mode=755 0 0\n"
            "proc /proc proc rw,relatime 0 0\n"
            "/dev/block/mtdblock3 /system yaffs2 ro,relatime 0 0\n"
            "/dev/block/mtdblock5 /data yaffs2 rw,nosuid,nodev,relatime 0 0\n"
            "/dev/fuse /mnt/shell/emulated fuse rw,nosuid,nodev,relatime 0 0\n";
}

void DeviceShell::Id(const Words&, Io& io) { io.out += "uid=0(root) gid=0(root) context=u:r:shell:s0\n"; }

}  // namespace lingqiao::sim
