// Simulated emulators for end-to-end runs: lingqiao-sim on ports of the system's choosing and
// a private adb server (its own port and HOME, no USB, mDNS or emulator-port scans), both
// stopped again at the end. The variables are set in this process, so a console built while
// the object lives inherits them.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "unused_port.h"

namespace lingqiao {

class SimulatedEmulators {
 public:
  explicit SimulatedEmulators(int devices, const std::vector<std::string>& extraArgs = {});
  ~SimulatedEmulators();
  SimulatedEmulators(const SimulatedEmulators&) = delete;
  SimulatedEmulators& operator=(const SimulatedEmulators&) = delete;

  bool Ready() const { return !ports_.empty(); }
  const std::vector<int>& Ports() const { return ports_; }
  std::string Address(size_t i) const { return "127.0.0.1:" + std::to_string(ports_.at(i)); }
  const std::filesystem::path& Folder() const { return folder_; }
  // bin/Orvane/adb, as the client names it.
  static std::string AdbPath();

  std::vector<std::string> Journal() const;
  // The effect lines ({"port":P,"tap":[x,y]} and the like) of one device, in order.
  std::vector<std::string> Effects(size_t device) const;
  // Waits until the device's effects number more than `count`; gives them all.
  std::vector<std::string> EffectsAfter(size_t device, size_t count, int limitMs = 5000) const;

 private:
  std::filesystem::path folder_;
  std::vector<int> ports_;
  pid_t sim_ = -1;
  std::vector<std::pair<std::string, std::string>> savedEnv_;
};

}  // namespace lingqiao
