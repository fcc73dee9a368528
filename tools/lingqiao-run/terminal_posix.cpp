#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "terminal.h"
#include "text/encoding.h"

namespace lingqiao {
namespace {

void WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // a closed pipe: the reader has gone, nothing to tell
    done += static_cast<size_t>(n);
  }
}

}  // namespace

Terminal::Terminal() {
  const char* term = std::getenv("TERM");
  const bool dumb = term != nullptr && std::strcmp(term, "dumb") == 0;
  live_ = isatty(STDOUT_FILENO) == 1 && !dumb;
  errorIsTerminal_ = isatty(STDERR_FILENO) == 1;
}

Terminal::~Terminal() = default;

void Terminal::Out(std::string_view gbk) { WriteAll(STDOUT_FILENO, GbkToNative(gbk)); }
void Terminal::Err(std::string_view gbk) { WriteAll(STDERR_FILENO, GbkToNative(gbk)); }

int Terminal::Columns() const {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace lingqiao
