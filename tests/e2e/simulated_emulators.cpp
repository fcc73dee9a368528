#include "simulated_emulators.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "device/console_command.h"
#include "device/file_system.h"

extern char** environ;

namespace lingqiao {
namespace {

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace

std::string SimulatedEmulators::AdbPath() { return ProgramFolder() + "/Orvane/adb"; }

SimulatedEmulators::SimulatedEmulators(int devices, const std::vector<std::string>& extraArgs) {
  folder_ = std::filesystem::temp_directory_path() /
            ("lingqiao-e2e-" + std::to_string(getpid()) + "-" + std::to_string(UnusedPort()));
  std::filesystem::create_directories(folder_);
  const std::pair<const char*, std::string> env[] = {
      {"HOME", folder_.string()},
      {"ANDROID_ADB_SERVER_PORT", std::to_string(UnusedPort())},
      {"ADB_MDNS", "0"},
      {"ADB_USB", "0"},
      {"ADB_EMU", "0"}};
  for (const auto& [name, value] : env) {
    const char* old = std::getenv(name);
    savedEnv_.emplace_back(name, old ? old : "\x01");
    setenv(name, value.c_str(), 1);
  }

  std::vector<std::string> args = {ProgramFolder() + "/lingqiao-sim", "--journal",
                                   (folder_ / "journal.jsonl").string(), "--ready-file",
                                   (folder_ / "ready").string()};
  for (int i = 0; i < devices; ++i) args.insert(args.end(), {"--port", "0"});
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, (folder_ / "sim.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (posix_spawn(&sim_, argv[0], &actions, nullptr, argv.data(), environ) != 0) sim_ = -1;
  posix_spawn_file_actions_destroy(&actions);

  for (int i = 0; i < 200 && sim_ > 0 && !std::filesystem::exists(folder_ / "ready"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::istringstream ready(ReadText(folder_ / "ready"));
  for (std::string line; std::getline(ready, line);) {
    const size_t colon = line.rfind(':');
    if (colon != std::string::npos) ports_.push_back(std::atoi(line.c_str() + colon + 1));
  }
  // Up before the clients come, as the demo has it.
  RunCommandOnce(AdbPath() + " start-server");
}

SimulatedEmulators::~SimulatedEmulators() {
  RunCommandOnce(AdbPath() + " kill-server");
  if (sim_ > 0) {
    kill(sim_, SIGTERM);
    waitpid(sim_, nullptr, 0);
  }
  for (const auto& [name, value] : savedEnv_) {
    if (value == "\x01") {
      unsetenv(name.c_str());
    } else {
      setenv(name.c_str(), value.c_str(), 1);
    }
  }
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

std::vector<std::string> SimulatedEmulators::Journal() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadText(folder_ / "journal.jsonl"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> SimulatedEmulators::Effects(size_t device) const {
  const std::string prefix = "{\"port\":" + std::to_string(ports_.at(device)) + ",";
  std::vector<std::string> effects;
  for (const std::string& line : Journal()) {
    if (line.rfind(prefix, 0) == 0 && line.find("\"service\":") == std::string::npos)
      effects.push_back(line);
  }
  return effects;
}

std::vector<std::string> SimulatedEmulators::EffectsAfter(size_t device, size_t count, int limitMs) const {
  std::vector<std::string> effects = Effects(device);
  for (int waited = 0; effects.size() <= count && waited < limitMs; waited += 50) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    effects = Effects(device);
  }
  return effects;
}

}  // namespace lingqiao
