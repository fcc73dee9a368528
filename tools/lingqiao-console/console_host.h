// The console host: runs typed lines the way the Windows command interpreter does, with
// programs started as child processes whose output and errors come back through one pipe
// and go out with LF turned into CR LF, in the order written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "console_syntax.h"

namespace lingqiao::console {

class ConsoleHost {
 public:
  // Everything the console prints goes to `outputFd`, which it does not own.
  explicit ConsoleHost(int outputFd);
  ~ConsoleHost();
  ConsoleHost(const ConsoleHost&) = delete;
  ConsoleHost& operator=(const ConsoleHost&) = delete;

  // Runs one typed line to its end: every program it starts has ended when this returns.
  void RunLine(std::string_view line);

  bool Ended() const { return ended_; }      // "exit" was run
  int ExitCode() const { return exitCode_; }  // the code "exit" gave
  int LastStatus() const { return lastStatus_; }
  bool EchoOn() const { return echoOn_; }
  std::string Prompt() const { return folder_ + ">"; }

  // The console's own text, written after any program output still waiting.
  void Print(std::string_view text);

  // Readable when a program started earlier (an adb server left running, say) writes more
  // after its command has ended; CopyPendingOutput passes that on.
  int PendingOutputFd() const { return pipeRead_; }
  void CopyPendingOutput();

 private:
  // Where a command's three standard handles point, and which of them it opened itself.
  struct Streams {
    int fd[3] = {-1, -1, -1};
    std::vector<int> opened;
  };

  int RunPipeline(const Pipeline& pipeline);
  int RunBuiltin(const CommandName& name, const Streams& streams);
  int RunEcho(const CommandName& name, int outFd);
  int RunCd(const CommandName& name, int outFd, int errFd);
  bool OpenStreams(const SimpleCommand& command, int inFd, int outFd, Streams& streams);
  void CloseStreams(Streams& streams);
  void Emit(int fd, std::string_view text);
  int WaitFor(int pid);
  std::optional<std::string> LookUpVariable(std::string_view name) const;
  std::string ProgramMissingMessage(const std::string& word) const;

  int outputFd_;
  int pipeRead_ = -1;   // programs' output, read without blocking
  int pipeWrite_ = -1;  // given to programs as their output and errors
  int nullFd_ = -1;     // /dev/null: the standard input of programs
  LineEndTranslator translator_;
  std::string folder_;
  int lastStatus_ = 0;
  int exitCode_ = 0;
  bool ended_ = false;
  bool echoOn_ = true;
};

}  // namespace lingqiao::console
