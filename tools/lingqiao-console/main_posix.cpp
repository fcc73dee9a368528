// lingqiao-console: the hidden command interpreter on Linux.
//   lingqiao-console           banner, then prompt, echo and output for each line read
//   lingqiao-console /c LINE   runs the one line and exits with its status
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

#include "console_host.h"

namespace {

using lingqiao::console::ConsoleHost;

// Reads lines from standard input while passing on output that programs started earlier
// write in the meantime. Lines end in LF, a CR before it is dropped; a last line without
// its line break still counts.
class LineReader {
 public:
  std::optional<std::string> Next(ConsoleHost& host) {
    while (true) {
      const size_t lf = buffer_.find('\n');
      if (lf != std::string::npos) {
        std::string line = buffer_.substr(0, lf);
        buffer_.erase(0, lf + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      if (atEnd_) {
        if (buffer_.empty()) return std::nullopt;
        std::string line = std::move(buffer_);
        buffer_.clear();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {host.PendingOutputFd(), POLLIN, 0}};
      if (poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        atEnd_ = true;
        continue;
      }
      if (fds[1].revents & POLLIN) host.CopyPendingOutput();
      if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
        char chunk[4096];
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
          atEnd_ = true;
        } else {
          buffer_.append(chunk, static_cast<size_t>(n));
        }
      }
    }
  }

 private:
  std::string buffer_;
  bool atEnd_ = false;
};

bool IsBlankLine(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

// Programs must never get the console's own input, and a closed handle 0, 1 or 2 would be
// taken by the next file opened.
void MakeSureStandardHandlesAreOpen() {
  for (int fd = 0; fd < 3; ++fd) {
    if (fcntl(fd, F_GETFD) < 0) open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
  }
}

// A Linux exit status holds 0 to 255; other codes of the interpreter (9009 for an unknown
// command, exit -1) end the program with 255 rather than with their low byte.
int ExitStatus(int code) { return code >= 0 && code <= 255 ? code : 255; }

}  // namespace

int main(int argc, char** argv) {
  MakeSureStandardHandlesAreOpen();
  // A reader that has gone away shows as a failed write, not as the end of the console.
  signal(SIGPIPE, SIG_IGN);
  ConsoleHost host(STDOUT_FILENO);

  if (argc >= 2 && (std::string(argv[1]) == "/c" || std::string(argv[1]) == "/C")) {
    std::string line;
    for (int i = 2; i < argc; ++i) {
      if (i > 2) line += ' ';
      line += argv[i];
    }
    host.RunLine(line);
    host.CopyPendingOutput();
    return ExitStatus(host.Ended() ? host.ExitCode() : host.LastStatus());
  }

  host.Print("Lingqiao Console [Version 1.0]\r\n\r\n");
  LineReader reader;
  while (!host.Ended()) {
    if (host.EchoOn()) host.Print(host.Prompt());
    const std::optional<std::string> line = reader.Next(host);
    if (!line) break;
    const bool echoed = host.EchoOn();
    if (echoed) host.Print(*line + "\r\n");
    host.RunLine(*line);
    // The blank line that separates a command's output from the next prompt.
    if (!host.Ended() && echoed && host.EchoOn() && !IsBlankLine(*line)) host.Print("\r\n");
  }
  host.CopyPendingOutput();
  return ExitStatus(host.Ended() ? host.ExitCode() : host.LastStatus());
}
