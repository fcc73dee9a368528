#include "run_options.h"

#include <algorithm>

#include "engine/startup.h"
#include "device/file_system.h"
#include "program_host.h"

namespace lingqiao {
namespace {

// Accepts "--name value" and "--name=value".
bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string_view name,
               std::string& value, bool& matched, std::string& error) {
  const std::string& arg = args[i];
  matched = false;
  if (arg == name) {
    matched = true;
    if (i + 1 >= args.size()) {
      error = "选项 " + std::string(name) + " 缺少取值";
      return false;
    }
    value = args[++i];
    return true;
  }
  if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
      arg[name.size()] == '=') {
    matched = true;
    value = arg.substr(name.size() + 1);
    return true;
  }
  return true;
}

}  // namespace

bool ParseRunOptions(const std::vector<std::string>& args, RunOptions& options,
                     std::string& error) {
  options = RunOptions{};
  std::vector<std::string> positional;
  bool endOfOptions = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (endOfOptions || arg.empty() || arg[0] != '-' || arg == "-") {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      endOfOptions = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--dry-run") {
      options.dryRun = true;
      continue;
    }
    std::string value;
    bool matched = false;
    if (!TakeValue(args, i, "--device", value, matched, error)) return false;
    if (matched) {
      if (value.empty()) {
        error = "选项 --device 的地址为空";
        return false;
      }
      if (std::find(options.devices.begin(), options.devices.end(), value) !=
          options.devices.end()) {
        // Two runs on one emulator would interleave their taps.
        error = "设备地址重复：" + value;
        return false;
      }
      options.devices.push_back(value);
      continue;
    }
    if (!TakeValue(args, i, "--adb", value, matched, error)) return false;
    if (matched) {
      if (!SameFileName(FileNamePart(value), AdbProgramFileName())) {
        // Some of the client's lines name the fixed word "adb" and rely on the console's
        // folder being adb's; any other file name would split the lines between two programs.
        error = "adb 的文件名必须是 " + std::string(AdbProgramFileName()) + "：" + value;
        return false;
      }
      options.adbPath = value;
      continue;
    }
    if (!TakeValue(args, i, "--screenshot", value, matched, error)) return false;
    if (matched) {
      if (value.empty()) {
        error = "选项 --screenshot 的文件名为空";
        return false;
      }
      options.screenshot = value;
      continue;
    }
    error = "未知选项：" + arg;
    return false;
  }
  if (options.help) return true;
  if (positional.size() != 1) {
    error = positional.empty() ? "缺少脚本文件" : "只能给出一个脚本文件";
    return false;
  }
  options.script = positional[0];
  return true;
}

std::string ScreenshotPathFor(std::string_view file, std::string_view address, bool several) {
  if (!several) return std::string(file);
  const std::string_view name = FileNamePart(file);
  const size_t nameStart = file.size() - name.size();
  const size_t dot = name.rfind('.');
  const size_t stemEnd = (dot == std::string_view::npos || dot == 0) ? file.size() : nameStart + dot;
  std::string path(file.substr(0, stemEnd));
  path += '-';
  for (const char c : address) path += c == ':' ? '_' : c;
  path += file.substr(stemEnd);
  return path;
}

std::string UsageText() {
  const std::string sep(1, PathSeparator());
  const std::string adbName(AdbProgramFileName());
  return "用法：lingqiao-run [选项] 脚本文件\n"
         "\n"
         "像主窗口的“运行”按钮一样执行一个脚本文件（扩展名 Wexil，GBK 编码，CR LF 行尾）：\n"
         "先开启 ADB 服务，再连接模拟器，然后逐行执行，遇到第一条出错的行就停止。\n"
         "\n"
         "选项：\n"
         "  --device 地址      在这个地址的模拟器上运行，默认 127.0.0.1:6555（天天模拟器）。\n"
         "                     可重复给出，在多个模拟器上同时运行同一个脚本：每个模拟器有自己的\n"
         "                     adb 客户端、控制台和开启次数；ADB 服务依次开启，连接与运行并行。\n"
         "                     连接不上的模拟器照常报告并跳过。\n"
         "  --adb 路径         使用的 adb，默认为本程序所在文件夹" + sep + "Orvane" + sep + adbName + "。\n"
         "                     文件名必须是 " + adbName + "：有些命令行写的是固定的 adb。\n"
         "  --screenshot 文件  把运行结束时的截图保存为 PNG 文件。多个模拟器时，文件名主干后加\n"
         "                     “-”和地址（“:”写作“_”），例如 shot.png 成为\n"
         "                     shot-127.0.0.1_6555.png。截图为空时不写文件，只给出警告。\n"
         "  --dry-run          试运行：不启动任何进程，不开启 ADB 服务，不连接；用记录控制台代替\n"
         "                     设备，延时不真的等待。每一行写入控制台的命令都以“> ”开头打印出来。\n"
         "                     其余与真实运行相同，所以“点击屏幕文本”会失败，如同屏幕上没有该文本。\n"
         "  --help             显示本说明。\n"
         "\n"
         "脚本文件：按 GBK 读取。若文件是含非 ASCII 字符的合法 UTF-8（有无字节顺序标记均可），\n"
         "先转换为 GBK，并在标准错误上说明：按 GBK 读取时命令名都对不上，每一行都会无声通过。\n"
         "只用 LF 换行的文件与主窗口一样当作一行执行，并给出警告。\n"
         "\n"
         "输出：输出框的每一行按发生顺序写到标准输出，使用终端的编码；多个模拟器时每行前加\n"
         "“[地址] ”。在终端上，每个模拟器有一行实时的运行状态；否则每个运行状态写成一行，\n"
         "以“运行状态：”开头。提示栏的文本写成以“软件提示：”开头的一行。警告、错误以及\n"
         "选项有误时的用法提示写到标准错误。\n"
         "\n"
         "退出码：\n"
         "  0    每个模拟器都已连接，并执行完了每一行\n"
         "  1    有一行出错，或有模拟器连接不上（最后的小结列出每个这样的模拟器和行）\n"
         "  2    选项有误、脚本文件无法读取，或 adb 无法开启\n"
         "  130  按了 Ctrl-C：立即结束所有运行（ADB 服务继续运行）\n";
}

}  // namespace lingqiao
