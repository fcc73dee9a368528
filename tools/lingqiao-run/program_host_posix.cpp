#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <vector>

#include "program_host.h"
#include "text/encoding.h"

namespace lingqiao {
namespace {

// A signal handler can reach nothing else; the flag is lock-free, so storing to it is safe.
std::atomic<StopFlag*> g_interruptTarget{nullptr};

extern "C" void OnInterrupt(int) {
  if (StopFlag* stop = g_interruptTarget.load()) stop->store(true);
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(NativeToGbk(argv[i]));
  return args;
}

std::string_view FileNamePart(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool SameFileName(std::string_view a, std::string_view b) { return a == b; }

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  std::vector<char> buf(PATH_MAX + 1);
  if (getcwd(buf.data(), buf.size()) == nullptr) return path;
  std::string folder = NativeToGbk(buf.data());
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  return folder + path;
}

bool IsReadableFile(const std::string& path) {
  const int fd = open(GbkToNative(path).c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st {};
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  return regular;
}

void InstallInterruptHandler(StopFlag& stop) {
  g_interruptTarget.store(&stop);
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // the second Ctrl-C ends the program at once
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A reader that goes away (| head) must not end the runs half-way.
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace lingqiao
