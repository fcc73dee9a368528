// lingqiao-run: runs a script file as the run button does, headless, on one emulator or on
// several at once.
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "headless_run.h"
#include "program_host.h"
#include "run_options.h"
#include "terminal.h"

int main(int argc, char** argv) {
  lingqiao::Terminal terminal;
  try {
    const std::vector<std::string> args = lingqiao::ProgramArguments(argc, argv);
    lingqiao::RunOptions options;
    std::string error;
    if (!lingqiao::ParseRunOptions(args, options, error)) {
      terminal.Err("lingqiao-run：" + error +
                   "\n用法：lingqiao-run [选项] 脚本文件（--help 显示全部说明）\n");
      return 2;
    }
    if (options.help) {
      terminal.Out(lingqiao::UsageText());
      return 0;
    }
    static lingqiao::StopFlag stop{false};
    lingqiao::InstallInterruptHandler(stop);
    const lingqiao::HeadlessResult result = lingqiao::RunHeadless(options, terminal, stop);
    // Threads still inside an adb operation were let go after Ctrl-C; tearing down the
    // objects they use would pull them from under their feet.
    if (result.threadsLeftRunning) std::_Exit(result.exitCode);
    return result.exitCode;
  } catch (const std::exception&) {
    terminal.Err("lingqiao-run：内部错误\n");
    return 2;
  }
}
