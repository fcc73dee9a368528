// The interpreter here is lingqiao-console, our stand-in for the Windows "cmd": it reads
// console lines the way cmd does, so the same lines mean the same thing on both platforms.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "device/console_command.h"
#include "device/file_system.h"
#include "text/encoding.h"

extern char** environ;

namespace lingqiao {
namespace {

std::string ConsoleProgram() { return GbkToNative(ProgramFolder()) + "/lingqiao-console"; }

// Starts the console host with `args`; its standard output and error go to one new pipe,
// whose read end comes back in `outputRead`. With `inputWrite` the child's standard input
// is a pipe of ours too, else /dev/null.
pid_t Spawn(const std::vector<std::string>& args, int* inputWrite, int* outputRead) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return -1;
  int in[2] = {-1, -1};
  if (inputWrite && pipe2(in, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (inputWrite) {
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  } else {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, out[1], 2);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (inputWrite) close(in[0]);
  if (rc != 0) {
    close(out[0]);
    if (inputWrite) close(in[1]);
    return -1;
  }
  *outputRead = out[0];
  if (inputWrite) *inputWrite = in[1];
  return pid;
}

// A write to a pipe whose reader is gone raises SIGPIPE, which would end the whole program:
// block it for this thread while writing and swallow the one the write raised.
bool WriteAll(int fd, const std::string& bytes) {
  sigset_t pipeSet, old;
  sigemptyset(&pipeSet);
  sigaddset(&pipeSet, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSet, &old);
  ssize_t n;
  do {
    n = write(fd, bytes.data(), bytes.size());
  } while (n < 0 && errno == EINTR);
  const bool broken = n < 0 && errno == EPIPE;
  if (broken) {
    const timespec zero{0, 0};
    while (sigtimedwait(&pipeSet, nullptr, &zero) > 0) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return n >= 0;
}

}  // namespace

ConsoleCommand::ConsoleCommand(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {
  pid_ = Spawn({ConsoleProgram()}, &inputWrite_, &outputRead_);
}

ConsoleCommand::~ConsoleCommand() {
  if (IsRunning()) kill(pid_, SIGKILL);
  if (inputWrite_ >= 0) close(inputWrite_);
  if (outputRead_ >= 0) close(outputRead_);
  if (pid_ > 0 && !exited_) waitpid(pid_, nullptr, 0);
}

bool ConsoleCommand::IsRunning() {
  if (pid_ <= 0 || exited_) return false;
  int status = 0;
  const pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == pid_ || (r < 0 && errno == ECHILD)) exited_ = true;
  return !exited_;
}

bool ConsoleCommand::Write(std::string_view line) {
  if (!IsRunning()) return false;
  return WriteAll(inputWrite_, GbkToNative(line) + "\r\n");
}

std::string ConsoleCommand::Read(int pauseMs) {
  std::string result;
  if (!IsRunning()) return result;
  for (;;) {
    int available = 0;
    if (ioctl(outputRead_, FIONREAD, &available) != 0 || available <= 0) break;
    clock_->Sleep(pauseMs);
    char buf[256] = {};
    const ssize_t n = read(outputRead_, buf, sizeof buf);
    if (n <= 0) break;
    // A piece is cut at its first zero byte, as the Windows reader does.
    result.append(buf, strnlen(buf, static_cast<size_t>(n)));
  }
  return result;
}

std::string RunCommandOnce(std::string_view commandLine) {
  int outputRead = -1;
  const pid_t pid = Spawn({ConsoleProgram(), "/c", GbkToNative(commandLine)}, nullptr, &outputRead);
  if (pid < 0) return {};
  // As on Windows, the end of the child is looked at only when the pipe is empty, so all it
  // wrote is collected first; a program it left behind holding the pipe does not keep us here.
  std::string result;
  bool ended = false;
  for (;;) {
    int available = 0;
    if (ioctl(outputRead, FIONREAD, &available) == 0 && available > 0) {
      char buf[1024];
      const ssize_t n = read(outputRead, buf, sizeof buf - 1);
      if (n > 0) result.append(buf, strnlen(buf, static_cast<size_t>(n)));
      continue;
    }
    if (ended) break;
    pollfd p{outputRead, POLLIN, 0};
    if (poll(&p, 1, 10) == 0 || (p.revents & (POLLHUP | POLLERR))) {
      int status = 0;
      const pid_t r = waitpid(pid, &status, WNOHANG);
      if (r == pid || (r < 0 && errno != EINTR)) {
        ended = true;  // one more pass drains the pipe
      } else if (p.revents & POLLHUP) {
        usleep(10000);  // the pipe is closed but the child still runs: do not spin
      }
    }
  }
  close(outputRead);
  return result;
}

}  // namespace lingqiao
