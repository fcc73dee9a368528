#include "device/adb_client.h"

#include <cctype>

#include "device/console_command.h"
#include "device/console_text.h"
#include "device/file_system.h"
#include "device/quoting.h"

namespace lingqiao {
namespace {

constexpr int kDefaultPauseMs = 100;
constexpr int kConnectAttempts = 10;
// A cold adb server takes seconds to come up on Windows.
constexpr uint64_t kServerStartLimitMs = 10000;
// With the version command done and no version line, the interpreter sits at its prompt.
constexpr uint64_t kPromptQuietMs = 2000;

bool EndsWithPrompt(const std::string& text) {
  return !text.empty() && text.back() == '>';
}

// The prompt the interpreter shows while its current folder is `folder` (which ends in a
// separator, as FolderOf gives it): the folder without that separator, then ">".
size_t CountPrompts(const std::string& text, const std::string& folder) {
  if (folder.empty()) return 0;
  const std::string bare = folder.substr(0, folder.size() - 1);
  // A root keeps its separator in the prompt: "/>" or "C:\>".
  const bool root = bare.empty() || bare.back() == ':';
  const std::string prompt = (root ? folder : bare) + ">";
  size_t count = 0;
  for (size_t pos = 0; (pos = text.find(prompt, pos)) != std::string::npos; pos += prompt.size())
    ++count;
  return count;
}

}  // namespace

AdbClient::AdbClient() : AdbClient(MakeRealClock()) {}

AdbClient::AdbClient(std::shared_ptr<Clock> clock)
    : clock_(std::move(clock)), console_(std::make_unique<ConsoleCommand>(clock_)) {}

AdbClient::AdbClient(std::unique_ptr<Console> console, std::shared_ptr<Clock> clock)
    : clock_(std::move(clock)), console_(std::move(console)) {}

AdbClient::~AdbClient() {
  if (!pullFolder_.empty()) RemoveFolder(pullFolder_);
}

std::string AdbClient::DeviceHead(const std::string& program) const {
  return program + " -s " + QuoteForInterpreter(settings_.deviceAddress);
}

bool AdbClient::StartServer(std::string_view adbPath) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  settings_.adbFileName = FileNameOf(adbPath, true);
  settings_.adbName = FileNameOf(adbPath, false);
  settings_.adbPath = std::string(adbPath);
  const std::string folder = FolderOf(adbPath);
  // What an earlier attempt left in the pipe must not be taken for this one's answer.
  console_->Read();
  // Only a path with a drive has one to switch to.
  if (adbPath.size() >= 2 && adbPath[1] == ':' && std::isalpha(static_cast<unsigned char>(adbPath[0]))) {
    console_->Write(adbPath.substr(0, 2));
    clock_->Sleep(50);
  }
  console_->Write("cd " + folder);
  clock_->Sleep(50);
  console_->Write(settings_.adbName + " start-server");
  clock_->Sleep(kDefaultPauseMs);
  console_->Write(settings_.adbName + " version");
  clock_->Sleep(kDefaultPauseMs);
  // Read on until the version line is there, or the interpreter has finished the version
  // command without it: then the prompt of the adb folder has come back after the folder
  // change, the server start and the version (or, where the folder change failed, the
  // interpreter has sat quiet at some prompt for a while).
  const uint64_t start = clock_->TickCount();
  std::string output;
  uint64_t quietSince = start;
  for (;;) {
    const std::string more = console_->Read();
    const uint64_t now = clock_->TickCount();
    if (!more.empty()) quietSince = now;
    output += more;
    if (output.find("Android Debug Bridge version") != std::string::npos) return true;
    if (!console_->IsRunning()) return false;
    if (EndsWithPrompt(output) &&
        (CountPrompts(output, folder) >= 3 || now - quietSince >= kPromptQuietMs))
      return false;
    if (now - start >= kServerStartLimitMs) return false;
    clock_->Sleep(50);
  }
}

std::string AdbClient::RunAdbCommand(std::string_view commandLine, std::optional<int> pauseMs,
                                     std::string* output) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  // Late output of earlier commands is dropped here; the answer is all that comes after.
  console_->Read();
  console_->Write(commandLine);
  const int pause = pauseMs.value_or(kDefaultPauseMs);
  clock_->Sleep(pause);
  std::string result = console_->Read(pause);
  if (output) *output = result;
  return result;
}

bool AdbClient::Connect(std::string& errorText) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string out = RunAdbCommand(settings_.adbName + " connect " +
                                         QuoteForInterpreter(settings_.deviceAddress));
  // adb says "connected to" the first time and "already connected to" from then on; only the
  // second proves the connection was there before this command.
  if (out.find("already") != std::string::npos) return true;
  errorText = out;
  return false;
}

bool AdbClient::Connect() {
  std::string ignored;
  return Connect(ignored);
}

bool AdbClient::ConnectDevice() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  for (int attempt = 1; attempt <= kConnectAttempts; ++attempt) {
    clock_->Sleep(kDefaultPauseMs);
    if (Connect()) return true;
  }
  return false;
}

bool AdbClient::SetAdbDirectory(std::string_view folder) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  settings_.adbPath = std::string(folder);
  return SetCurrentFolder(settings_.adbPath);
}

std::string AdbClient::GetAdbFileName() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return settings_.adbFileName;
}

void AdbClient::SetAdbFileName(std::string_view name) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  settings_.adbFileName = std::string(name);
}

std::string AdbClient::GetAdbPath() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return settings_.adbPath;
}

void AdbClient::SetDeviceAddress(std::string_view address) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  settings_.deviceAddress = std::string(address);
}

std::string AdbClient::GetDeviceAddress() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return settings_.deviceAddress;
}

void AdbClient::SetNodaemonFlag(int flag) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  settings_.nodaemonFlag = flag;
}

std::string AdbClient::StartServerNoDaemon() {
  std::string line;
  {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (settings_.nodaemonFlag != 1) return {};
    line = settings_.adbName + " nodaemon server";
  }
  // Runs until that server is stopped from outside; the client stays usable meanwhile.
  return RunCommandOnce(line);
}

bool AdbClient::SetServerPort(std::string_view port) {
  return SetEnvironmentValue("ANDROID_ADB_SERVER_PORT", std::string(port));
}

std::string AdbClient::PullFolder() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return pullFolder_;
}

std::string AdbClient::EnsurePullFolder() {
  if (pullFolder_.empty()) pullFolder_ = MakeUniqueFolder(TempFolder(), "lingqiao-");
  return pullFolder_.empty() ? TempFolder() : pullFolder_;
}

}  // namespace lingqiao
