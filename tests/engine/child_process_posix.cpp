#include "child_process_posix.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace lingqiao::testing {

ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::vector<std::string>& environment, int timeoutMs,
                     const std::function<int(const std::string&)>& onOutput) {
  ChildResult result;
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return result;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    // Its own process group, so that a Ctrl-C of the test run does not reach it twice and
    // the test can signal it alone.
    setpgid(0, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(outPipe[0]);
    close(errPipe[0]);
    for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  bool signalled = false;
  bool exited = false;
  int status = 0;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  // Reads until both pipes close or, since a server the child started may keep a copy of
  // them open, until the child has ended and nothing more is waiting.
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start).count();
    if (!exited && elapsed > timeoutMs) kill(pid, SIGKILL);
    const int ready = poll(fds, 2, exited ? 0 : 100);
    if (ready <= 0) {
      if (exited) break;
      exited = waitpid(pid, &status, WNOHANG) == pid;
      continue;
    }
    for (pollfd& fd : fds) {
      if (fd.fd < 0 || !(fd.revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      const ssize_t n = read(fd.fd, buf, sizeof buf);
      if (n <= 0) {
        close(fd.fd);
        fd.fd = -1;
        continue;
      }
      (&fd == &fds[0] ? result.out : result.err).append(buf, static_cast<size_t>(n));
      if (&fd == &fds[0] && onOutput && !signalled) {
        if (const int sig = onOutput(result.out)) {
          kill(pid, sig);
          signalled = true;
          result.signalSeconds =
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
      }
    }
  }
  for (pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  if (!exited) waitpid(pid, &status, 0);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
  return result;
}

}  // namespace lingqiao::testing
