// The system's hidden, long-lived command interpreter ("cmd" on Windows, lingqiao-console
// elsewhere) with its input and output on pipes of ours, and the one-shot variant.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "device/clock.h"
#include "device/console.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace lingqiao {

class ConsoleCommand : public Console {
 public:
  // Starts the interpreter in the program's current folder. A failed start is not reported
  // here: IsRunning stays false.
  explicit ConsoleCommand(std::shared_ptr<Clock> clock = MakeRealClock());
  ~ConsoleCommand() override;
  ConsoleCommand(const ConsoleCommand&) = delete;
  ConsoleCommand& operator=(const ConsoleCommand&) = delete;

  bool Write(std::string_view line) override;
  std::string Read(int pauseMs = 0) override;
  bool IsRunning() override;

 private:
  std::shared_ptr<Clock> clock_;
#ifdef _WIN32
  PROCESS_INFORMATION process_{};
  HANDLE inputRead_ = nullptr;
  HANDLE outputRead_ = nullptr;
  HANDLE inputWrite_ = nullptr;
  HANDLE outputWrite_ = nullptr;
#else
  int pid_ = -1;
  bool exited_ = false;
  int inputWrite_ = -1;
  int outputRead_ = -1;
#endif
};

// Runs one line through a fresh interpreter ("cmd.exe /c" on Windows, "lingqiao-console /c"
// elsewhere), waits for it to end and returns everything it printed; empty when it printed
// nothing or could not be started.
std::string RunCommandOnce(std::string_view commandLine);

}  // namespace lingqiao
