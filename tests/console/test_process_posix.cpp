#include "test_process_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>

namespace lingqiao::test_process {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Starts the program with three pipes; fills the parent's ends.
int Start(const std::filesystem::path& program, const std::vector<std::string>& args, const Options& options,
          int& in, int& out, int& err) {
  int pin[2], pout[2], perr[2];
  if (pipe2(pin, O_CLOEXEC) != 0 || pipe2(pout, O_CLOEXEC) != 0 || pipe2(perr, O_CLOEXEC) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pin[0], 0);
    dup2(pout[1], 1);
    dup2(perr[1], 2);
    if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(125);
    for (const auto& [name, value] : options.env) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    std::vector<std::string> all{program.string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pin[0]);
  close(pout[1]);
  close(perr[1]);
  in = pin[1];
  out = pout[0];
  err = perr[0];
  return pid;
}

int WaitWithDeadline(int pid, Clock::time_point deadline) {
  int status = 0;
  while (true) {
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (r < 0) return -1;
    if (Clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    usleep(2000);
  }
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

Result RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args, std::string_view input,
           const Options& options) {
  signal(SIGPIPE, SIG_IGN);
  Result result;
  int in, out, err;
  const int pid = Start(program, args, options, in, out, err);
  if (pid < 0) return result;
  const auto deadline = Clock::now() + std::chrono::milliseconds(options.timeoutMs);
  WriteAll(in, input);
  close(in);
  pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
  int open = 2;
  while (open > 0 && MillisecondsLeft(deadline) > 0) {
    if (poll(fds, 2, MillisecondsLeft(deadline)) <= 0) continue;
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[4096];
      const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
      if (n > 0) {
        (k == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[k].fd);
        fds[k].fd = -1;
        --open;
      }
    }
  }
  for (auto& f : fds) {
    if (f.fd >= 0) close(f.fd);
  }
  result.exitCode = WaitWithDeadline(pid, deadline);
  return result;
}

Session::Session(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const Options& options) {
  signal(SIGPIPE, SIG_IGN);
  int err;
  pid_ = Start(program, args, options, in_, outFd_, err);
  // The console writes everything to its output; its error stream stays unused.
  if (pid_ >= 0) close(err);
}

Session::~Session() {
  CloseInput();
  Wait();
  if (outFd_ >= 0) close(outFd_);
}

void Session::Write(std::string_view text) {
  if (in_ >= 0) WriteAll(in_, text);
}

bool Session::ReadUntil(std::string_view needle, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (out_.find(needle) == std::string::npos) {
    if (outFd_ < 0 || MillisecondsLeft(deadline) == 0) return false;
    pollfd fd{outFd_, POLLIN, 0};
    if (poll(&fd, 1, MillisecondsLeft(deadline)) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(outFd_, buffer, sizeof buffer);
    if (n > 0) {
      out_.append(buffer, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      close(outFd_);
      outFd_ = -1;
    }
  }
  return true;
}

void Session::CloseInput() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

int Session::Wait(int timeoutMs) {
  if (!waited_ && pid_ >= 0) {
    // Read to the end of the output, so that a program blocked on a full pipe can end.
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    ReadUntil(std::string_view("\0end\0", 5), timeoutMs);
    exitCode_ = WaitWithDeadline(pid_, deadline);
    waited_ = true;
  }
  return exitCode_;
}

std::filesystem::path BinFolder() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

TempFolder::TempFolder() {
  std::random_device random;
  while (true) {
    const auto p = std::filesystem::temp_directory_path() / ("lingqiao-console-test-" + std::to_string(random()));
    std::error_code ec;
    if (std::filesystem::create_directory(p, ec)) {
      path_ = std::filesystem::canonical(p);
      return;
    }
  }
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void WriteScript(const std::filesystem::path& path, std::string_view body) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "#!/bin/sh\n" << body;
  }
  std::filesystem::permissions(path, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                         std::filesystem::perms::group_exec);
}

}  // namespace lingqiao::test_process
