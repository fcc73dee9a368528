#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "fake_adb_system.h"

namespace lingqiao::fake_adb {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool WriteFile(const std::string& path, std::string_view bytes, int flags) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, bytes);
  return close(fd) == 0 && ok;
}

}  // namespace

Invocation CurrentInvocation(int argc, char** argv) {
  Invocation inv;
  std::string buffer(4096, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr && errno == ERANGE) buffer.resize(buffer.size() * 2);
  inv.cwd = buffer.c_str();
  for (int i = 1; i < argc; ++i) inv.args.emplace_back(argv[i]);
  return inv;
}

std::optional<std::string> GetVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string out;
  char chunk[65536];
  while (true) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  return out;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) { return WriteFile(path, bytes, O_TRUNC); }

bool AppendToFile(const std::string& path, std::string_view bytes) { return WriteFile(path, bytes, O_APPEND); }

bool IsFolder(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void WriteStandardOutput(std::string_view bytes) { WriteAll(STDOUT_FILENO, bytes); }

void WriteStandardError(std::string_view bytes) { WriteAll(STDERR_FILENO, bytes); }

void SleepMilliseconds(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace lingqiao::fake_adb
