#include "console_host.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace lingqiao::console {
namespace {

constexpr int kNotRecognizedStatus = 9009;  // the interpreter's code for an unknown command
constexpr int kSyntaxErrorStatus = 255;

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return;  // the reader has gone; there is no one left to tell
    }
    text.remove_prefix(static_cast<size_t>(n));
  }
}

bool IsProgramFile(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0;
}

std::string CurrentFolder() {
  std::string buffer(4096, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(std::strlen(buffer.c_str()));
  return buffer;
}

int StatusOf(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  return 1;
}

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

ConsoleHost::ConsoleHost(int outputFd) : outputFd_(outputFd), folder_(CurrentFolder()) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) == 0) {
    pipeRead_ = fds[0];
    pipeWrite_ = fds[1];
    fcntl(pipeRead_, F_SETFL, fcntl(pipeRead_, F_GETFL) | O_NONBLOCK);
  }
  nullFd_ = open("/dev/null", O_RDONLY | O_CLOEXEC);
}

ConsoleHost::~ConsoleHost() {
  for (int fd : {pipeRead_, pipeWrite_, nullFd_}) {
    if (fd >= 0) close(fd);
  }
}

void ConsoleHost::CopyPendingOutput() {
  char buffer[4096];
  while (pipeRead_ >= 0) {
    const ssize_t n = read(pipeRead_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    WriteAll(outputFd_, translator_.Translate(std::string_view(buffer, static_cast<size_t>(n))));
  }
}

void ConsoleHost::Print(std::string_view text) {
  CopyPendingOutput();
  WriteAll(outputFd_, translator_.Translate(text));
}

void ConsoleHost::Emit(int fd, std::string_view text) {
  if (fd == pipeWrite_) {
    // Straight out rather than through the pipe: the console is that pipe's only reader.
    Print(text);
  } else {
    WriteAll(fd, text);
  }
}

std::optional<std::string> ConsoleHost::LookUpVariable(std::string_view name) const {
  const std::string key(name);
  if (const char* value = std::getenv(key.c_str())) return std::string(value);
  // Variable names are not case-sensitive to the interpreter.
  for (char** entry = environ; entry && *entry; ++entry) {
    const std::string_view e(*entry);
    const size_t eq = e.find('=');
    if (eq != std::string_view::npos && EqualsIgnoringCase(e.substr(0, eq), name)) {
      return std::string(e.substr(eq + 1));
    }
  }
  // The interpreter's dynamic variables, used only when no real one has the name.
  if (EqualsIgnoringCase(name, "CD")) return folder_;
  if (EqualsIgnoringCase(name, "ERRORLEVEL")) return std::to_string(lastStatus_);
  return std::nullopt;
}

void ConsoleHost::RunLine(std::string_view line) {
  const std::string expanded =
      ExpandVariables(line, [this](std::string_view name) { return LookUpVariable(name); });
  const ParsedLine parsed = ParseLine(expanded);
  if (!parsed.error.empty()) {
    Print(parsed.error + "\r\n");
    lastStatus_ = kSyntaxErrorStatus;
    return;
  }
  for (const Pipeline& pipeline : parsed.pipelines) {
    if (pipeline.joiner == Joiner::kIfSucceeded && lastStatus_ != 0) continue;
    if (pipeline.joiner == Joiner::kIfFailed && lastStatus_ == 0) continue;
    lastStatus_ = RunPipeline(pipeline);
    if (ended_) return;
  }
}

bool ConsoleHost::OpenStreams(const SimpleCommand& command, int inFd, int outFd, Streams& streams) {
  streams.fd[0] = inFd;
  streams.fd[1] = outFd;
  streams.fd[2] = pipeWrite_;
  for (const Redirection& r : command.redirections) {
    if (r.kind == Redirection::Kind::kDuplicate) {
      if (r.handle <= 2 && r.otherHandle <= 2) streams.fd[r.handle] = streams.fd[r.otherHandle];
      continue;
    }
    int flags = O_CLOEXEC;
    if (r.kind == Redirection::Kind::kRead) flags |= O_RDONLY;
    if (r.kind == Redirection::Kind::kWrite) flags |= O_WRONLY | O_CREAT | O_TRUNC;
    if (r.kind == Redirection::Kind::kAppend) flags |= O_WRONLY | O_CREAT | O_APPEND;
    const int fd = open(r.target.c_str(), flags, 0666);
    if (fd < 0) {
      Emit(streams.fd[2], r.kind == Redirection::Kind::kRead
                              ? "The system cannot find the file specified.\r\n"
                              : "The system cannot find the path specified.\r\n");
      CloseStreams(streams);
      return false;
    }
    streams.opened.push_back(fd);
    if (r.handle <= 2) streams.fd[r.handle] = fd;
  }
  return true;
}

void ConsoleHost::CloseStreams(Streams& streams) {
  for (int fd : streams.opened) close(fd);
  streams.opened.clear();
}

std::string ConsoleHost::ProgramMissingMessage(const std::string& word) const {
  const size_t slash = word.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    std::string folder = word.substr(0, slash);
    if (folder[0] != '/') folder = folder_ + "/" + folder;
    if (!IsFolder(folder)) return "The system cannot find the path specified.\r\n";
  }
  return "'" + word + "' is not recognized as an internal or external command,\r\n"
         "operable program or batch file.\r\n";
}

int ConsoleHost::RunEcho(const CommandName& name, int outFd) {
  const EchoAction action = ParseEcho(name.word, name.bare, name.blankDelimiter);
  switch (action.kind) {
    case EchoAction::Kind::kShowState:
      Emit(outFd, echoOn_ ? "ECHO is on.\r\n" : "ECHO is off.\r\n");
      break;
    case EchoAction::Kind::kSetOn:
      echoOn_ = true;
      break;
    case EchoAction::Kind::kSetOff:
      echoOn_ = false;
      break;
    case EchoAction::Kind::kPrint:
      Emit(outFd, action.text + "\r\n");
      break;
  }
  return 0;
}

int ConsoleHost::RunCd(const CommandName& name, int outFd, int errFd) {
  const std::string folder = CdFolder(name.word);
  if (folder.empty()) {
    Emit(outFd, folder_ + "\r\n");
    return 0;
  }
  if (!Exists(folder)) {
    Emit(errFd, "The system cannot find the path specified.\r\n");
    return 1;
  }
  if (!IsFolder(folder) || chdir(folder.c_str()) != 0) {
    Emit(errFd, "The directory name is invalid.\r\n");
    return 1;
  }
  folder_ = CurrentFolder();
  return 0;
}

int ConsoleHost::RunBuiltin(const CommandName& name, const Streams& streams) {
  switch (name.builtin) {
    case Builtin::kEcho:
      return RunEcho(name, streams.fd[1]);
    case Builtin::kCd:
      return RunCd(name, streams.fd[1], streams.fd[2]);
    case Builtin::kExit:
      ended_ = true;
      exitCode_ = ParseExitCode(name.word);
      return exitCode_;
    case Builtin::kDrive:
    case Builtin::kNone:
      break;
  }
  return 0;
}

int ConsoleHost::RunPipeline(const Pipeline& pipeline) {
  const size_t count = pipeline.commands.size();
  if (count == 1) {
    // Alone, a built-in command runs in the console itself, so "cd" and "exit" act on it.
    const SimpleCommand& command = pipeline.commands[0];
    const CommandName name = ClassifyCommand(command.text);
    if (name.builtin != Builtin::kNone || command.text.empty()) {
      Streams streams;
      if (!OpenStreams(command, nullFd_, pipeWrite_, streams)) return 1;
      const int status = command.text.empty() ? 0 : RunBuiltin(name, streams);
      CloseStreams(streams);
      return status;
    }
  }

  // Each command of a pipeline is its own process, built-in commands too (in a copy of the
  // console), as the interpreter runs each side of a "|" in an interpreter of its own.
  std::vector<pid_t> children;
  pid_t last = -1;
  bool lastMissing = false;  // its status is 9009, which no exit status can carry
  int inFd = nullFd_;
  for (size_t i = 0; i < count; ++i) {
    const SimpleCommand& command = pipeline.commands[i];
    int link[2] = {-1, -1};
    if (i + 1 < count && pipe2(link, O_CLOEXEC) != 0) break;
    const int outFd = i + 1 < count ? link[1] : pipeWrite_;

    Streams streams;
    const bool opened = OpenStreams(command, inFd, outFd, streams);
    const CommandName name = ClassifyCommand(command.text);
    std::optional<std::string> program;
    std::vector<std::string> args;
    std::string missing;
    if (opened && name.builtin == Builtin::kNone && !command.text.empty()) {
      const char* path = std::getenv("PATH");
      program = FindProgram(name.word, folder_, path ? path : "", IsProgramFile);
      args = SplitCommandLine(command.text);
      if (!args.empty()) args[0] = name.word;
      if (!program) missing = ProgramMissingMessage(name.word);
    }

    const pid_t pid = opened ? fork() : -1;
    if (pid == 0) {
      for (int fd = 0; fd < 3; ++fd) dup2(streams.fd[fd], fd);
      signal(SIGPIPE, SIG_DFL);
      if (command.text.empty()) _exit(0);
      if (name.builtin != Builtin::kNone) {
        Streams own;
        for (int fd = 0; fd < 3; ++fd) own.fd[fd] = fd;
        pipeWrite_ = -1;  // in this copy, what goes to 1 and 2 goes down the pipes as it is
        _exit(RunBuiltin(name, own));
      }
      if (!program) {
        WriteAll(2, missing);
        _exit(kNotRecognizedStatus);
      }
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(program->c_str(), argv.data());
      WriteAll(2, "'" + name.word + "' could not be run: " + std::strerror(errno) + "\r\n");
      _exit(126);
    }
    CloseStreams(streams);
    if (link[1] >= 0) close(link[1]);
    if (inFd != nullFd_) close(inFd);
    inFd = link[0];
    if (pid > 0) children.push_back(pid);
    last = i + 1 == count ? pid : -1;
    lastMissing = i + 1 == count && !missing.empty();
  }
  if (inFd >= 0 && inFd != nullFd_) close(inFd);

  // The pipeline's status is its last command's.
  int status = 1;
  for (const pid_t pid : children) {
    const int code = WaitFor(pid);
    if (pid == last) status = code;
  }
  return lastMissing && last > 0 ? kNotRecognizedStatus : status;
}

int ConsoleHost::WaitFor(int pid) {
  const int pidFd = OpenPidFd(pid);
  int waitStatus = 0;
  int code = 1;
  while (true) {
    const pid_t r = waitpid(pid, &waitStatus, WNOHANG);
    if (r == pid) {
      code = StatusOf(waitStatus);
      break;
    }
    if (r < 0 && errno != EINTR) break;
    pollfd fds[2] = {{pipeRead_, POLLIN, 0}, {pidFd, POLLIN, 0}};
    // Without a process descriptor, look again every few milliseconds.
    poll(fds, pidFd >= 0 ? 2 : 1, pidFd >= 0 ? -1 : 5);
    if (fds[0].revents & POLLIN) CopyPendingOutput();
  }
  if (pidFd >= 0) close(pidFd);
  CopyPendingOutput();  // all it wrote before it ended is in the pipe by now
  return code;
}

}  // namespace lingqiao::console
