#include "adb_session.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace lingqiao::sim::testing {
namespace {

constexpr const char* kAdb = "/usr/bin/adb";

// A port nothing listens on now: bound once and let go.
int UnusedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (std::string& text : texts) out.push_back(text.data());
  out.push_back(nullptr);
  return out;
}

pid_t Spawn(std::vector<std::string> args, std::vector<std::string> environment,
            const std::filesystem::path& out, const std::filesystem::path& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv = Pointers(args);
  std::vector<char*> envp = Pointers(environment);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

}  // namespace

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool AdbSession::AdbAvailable() { return ::access(kAdb, X_OK) == 0; }

AdbSession::AdbSession(int devices, const std::vector<std::string>& simArgs) {
  char pattern[] = "/tmp/lingqiao-sim-test-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return;
  folder_ = pattern;
  std::filesystem::create_directories(folder_ / "home");

  const std::string overridden[] = {"HOME=", "ANDROID_ADB_SERVER_PORT=", "ADB_MDNS=", "ADB_USB=",
                                    "ADB_EMU=", "ADB_VENDOR_KEYS=", "ANDROID_SERIAL="};
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    bool keep = true;
    for (const std::string& name : overridden) keep = keep && entry.rfind(name, 0) != 0;
    if (keep) environment_.push_back(entry);
  }
  environment_.push_back("HOME=" + (folder_ / "home").string());
  environment_.push_back("ADB_MDNS=0");
  environment_.push_back("ADB_USB=0");
  environment_.push_back("ADB_EMU=0");

  std::vector<std::string> args = {LINGQIAO_SIM_PROGRAM, "--journal", (folder_ / "journal.jsonl").string(),
                                   "--ready-file", (folder_ / "ready").string()};
  for (int i = 0; i < devices; ++i) args.insert(args.end(), {"--port", "0"});
  args.insert(args.end(), simArgs.begin(), simArgs.end());
  sim_ = Spawn(args, environment_, folder_ / "sim.out", folder_ / "sim.err");
  for (int i = 0; i < 200 && sim_ > 0 && !std::filesystem::exists(folder_ / "ready"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::istringstream ready(ReadFile(folder_ / "ready"));
  for (std::string line; std::getline(ready, line);) {
    ports_.push_back(std::atoi(line.c_str() + line.rfind(':') + 1));
  }
  // Chosen after the devices have theirs: a port let go of can be the next one handed out.
  int serverPort = UnusedPort();
  while (std::find(ports_.begin(), ports_.end(), serverPort) != ports_.end()) serverPort = UnusedPort();
  environment_.push_back("ANDROID_ADB_SERVER_PORT=" + std::to_string(serverPort));
}

AdbSession::~AdbSession() {
  // Without devices the server port was never chosen: adb would name the default server.
  if (Ready()) Adb({"kill-server"});
  StopSimulator();
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

int AdbSession::StopSimulator() {
  if (sim_ <= 0) return -1;
  ::kill(sim_, SIGTERM);
  int status = 0;
  const pid_t done = ::waitpid(sim_, &status, 0);
  sim_ = -1;
  return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

AdbResult AdbSession::Adb(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {kAdb};
  argv.insert(argv.end(), args.begin(), args.end());
  AdbResult result;
  const pid_t pid = Spawn(argv, environment_, folder_ / "adb.out", folder_ / "adb.err");
  if (pid < 0) return result;
  // A client that hangs fails its test instead of holding up the suite.
  int status = 0;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > limit) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      result.err = "adb did not finish within 20 s\n";
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(folder_ / "adb.out");
  result.err = ReadFile(folder_ / "adb.err");
  return result;
}

AdbResult AdbSession::On(std::size_t device, const std::vector<std::string>& args) {
  std::vector<std::string> all = {"-s", Serial(device)};
  all.insert(all.end(), args.begin(), args.end());
  return Adb(all);
}

bool AdbSession::ConnectAll() {
  bool all = true;
  for (std::size_t i = 0; i < ports_.size(); ++i) {
    all = Adb({"connect", Serial(i)}).out.find("connected to " + Serial(i)) != std::string::npos && all;
  }
  return all;
}

bool AdbSession::WaitForState(std::size_t device, const std::string& state, int limitMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  do {
    if (Adb({"devices"}).out.find(Serial(device) + "\t" + state + "\n") != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

std::vector<std::string> AdbSession::Journal() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadFile(folder_ / "journal.jsonl"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace lingqiao::sim::testing
