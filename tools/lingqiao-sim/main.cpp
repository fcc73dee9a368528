// lingqiao-sim: simulated Android devices that Debian's real adb connects to.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "journal.h"
#include "label_font.h"
#include "sim_options.h"
#include "sim_server.h"

namespace {

int g_stopPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(g_stopPipe[1], &byte, 1);
  errno = saved;
}

bool InstallStopHandlers() {
  if (::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  if (::sigaction(SIGTERM, &action, nullptr) != 0 || ::sigaction(SIGINT, &action, nullptr) != 0) return false;
  ::signal(SIGPIPE, SIG_IGN);
  return true;
}

// Written under another name and renamed, so that whoever waits for the file reads it whole.
bool WriteReadyFile(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "w");
  if (file == nullptr) return false;
  const bool written = std::fputs(text.c_str(), file) >= 0;
  if (std::fclose(file) != 0 || !written) return false;
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lingqiao::sim;
  SimOptions options;
  std::string error;
  if (!ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "lingqiao-sim: %s\n%s", error.c_str(), SimUsage().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(SimUsage().c_str(), stdout);
    return 0;
  }
  Journal journal;
  if (!options.journalPath.empty() && !journal.Open(options.journalPath, error)) {
    std::fprintf(stderr, "lingqiao-sim: journal %s\n", error.c_str());
    return 1;
  }
  if (!InstallStopHandlers()) {
    std::fprintf(stderr, "lingqiao-sim: cannot install signal handlers: %s\n", std::strerror(errno));
    return 1;
  }
  const LabelFont font(options.fontFiles);
  if (!font.Loaded()) std::fputs("lingqiao-sim: no font found; the screen is drawn without labels\n", stderr);

  SimServer server(options, font, journal);
  if (!server.Listen(error)) {
    std::fprintf(stderr, "lingqiao-sim: cannot listen at %s\n", error.c_str());
    return 1;
  }
  std::string ready;
  for (int port : server.Ports()) ready += "listening 127.0.0.1:" + std::to_string(port) + "\n";
  std::fputs(ready.c_str(), stdout);
  std::fflush(stdout);
  if (!options.readyFile.empty() && !WriteReadyFile(options.readyFile, ready)) {
    std::fprintf(stderr, "lingqiao-sim: cannot write %s: %s\n", options.readyFile.c_str(), std::strerror(errno));
    return 1;
  }
  if (!server.Run(g_stopPipe[0], error)) {
    std::fprintf(stderr, "lingqiao-sim: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
