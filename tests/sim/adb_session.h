// A simulator and a private adb server for one test: the server on its own port with its own
// HOME, no USB, mDNS or emulator-port scans; both stopped again at the end.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace lingqiao::sim::testing {

struct AdbResult {
  std::string out;
  std::string err;
  int code = -1;
};

class AdbSession {
 public:
  // Starts lingqiao-sim with one "--port 0" per device and the extra arguments.
  AdbSession(int devices, const std::vector<std::string>& simArgs = {});
  ~AdbSession();
  AdbSession(const AdbSession&) = delete;
  AdbSession& operator=(const AdbSession&) = delete;

  static bool AdbAvailable();
  bool Ready() const { return !ports_.empty(); }
  std::string Serial(std::size_t device = 0) const { return "127.0.0.1:" + std::to_string(ports_.at(device)); }
  int Port(std::size_t device = 0) const { return ports_.at(device); }
  const std::filesystem::path& Folder() const { return folder_; }

  AdbResult Adb(const std::vector<std::string>& args);
  // adb -s SERIAL ARGS...
  AdbResult On(std::size_t device, const std::vector<std::string>& args);
  // Connects every device; true when adb said "connected to" for each.
  bool ConnectAll();
  // Polls `adb devices` until the device shows the state.
  bool WaitForState(std::size_t device, const std::string& state, int limitMs);

  std::vector<std::string> Journal() const;
  // Stops the simulator with SIGTERM; its exit status, or -1 when it did not exit normally.
  int StopSimulator();

 private:
  std::filesystem::path folder_;
  std::vector<std::string> environment_;
  std::vector<int> ports_;
  pid_t sim_ = -1;
};

std::string ReadFile(const std::filesystem::path& path);

}  // namespace lingqiao::sim::testing
