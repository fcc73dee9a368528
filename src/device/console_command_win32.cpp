// The hidden "cmd" with its standard input and output on pipes of ours.
#include <cstring>

#include "device/console_command.h"
#include "text/encoding.h"

namespace lingqiao {
namespace {

constexpr DWORD kStillActive = 259;

void CloseIfOpen(HANDLE& h) {
  if (h) CloseHandle(h);
  h = nullptr;
}

SECURITY_ATTRIBUTES InheritableAttributes() {
  SECURITY_ATTRIBUTES sa{};
  sa.nLength = sizeof sa;
  sa.lpSecurityDescriptor = nullptr;
  sa.bInheritHandle = TRUE;
  return sa;
}

bool IsNtFamily() {
  // GetVersionExA is deprecated for version checks but still tells the platform family,
  // which is all that is asked of it here.
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const BOOL ok = GetVersionExA(&info);
#pragma GCC diagnostic pop
  return !ok || info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// A hidden window and the given standard handles for the child.
STARTUPINFOA HiddenStartup(HANDLE input, HANDLE output) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  si.wShowWindow = SW_HIDE;
  si.hStdInput = input;
  si.hStdOutput = output;
  si.hStdError = output;
  return si;
}

// Serves the calling thread's window messages, so a GUI thread stays responsive.
void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

ConsoleCommand::ConsoleCommand(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {
  SECURITY_ATTRIBUTES sa = InheritableAttributes();
  CreatePipe(&inputRead_, &inputWrite_, &sa, 0);
  CreatePipe(&outputRead_, &outputWrite_, &sa, 0);
  STARTUPINFOA si = HiddenStartup(inputRead_, outputWrite_);
  char commandLine[] = "cmd";
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                      &process_)) {
    process_ = PROCESS_INFORMATION{};
  }
  if (!process_.hProcess) {
    CloseIfOpen(inputRead_);
    CloseIfOpen(inputWrite_);
  }
}

ConsoleCommand::~ConsoleCommand() {
  if (IsRunning()) TerminateProcess(process_.hProcess, 0);
  CloseIfOpen(inputRead_);
  CloseIfOpen(inputWrite_);
  CloseIfOpen(outputRead_);
  CloseIfOpen(outputWrite_);
  CloseIfOpen(process_.hProcess);
  CloseIfOpen(process_.hThread);
}

bool ConsoleCommand::IsRunning() {
  if (!process_.hProcess) return false;
  DWORD code = 0;
  return GetExitCodeProcess(process_.hProcess, &code) && code == kStillActive;
}

bool ConsoleCommand::Write(std::string_view line) {
  if (!IsRunning()) return false;
  const std::string bytes = GbkToNative(line) + "\r\n";
  DWORD written = 0;
  return WriteFile(inputWrite_, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) != 0;
}

std::string ConsoleCommand::Read(int pauseMs) {
  std::string result;
  if (!IsRunning()) return result;
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(outputRead_, nullptr, 0, nullptr, &available, nullptr) || available == 0)
      break;
    clock_->Sleep(pauseMs);
    char buf[256] = {};
    DWORD got = 0;
    if (!ReadFile(outputRead_, buf, sizeof buf, &got, nullptr) || got == 0) break;
    result.append(buf, strnlen(buf, got));
  }
  return result;
}

std::string RunCommandOnce(std::string_view commandLine) {
  SECURITY_ATTRIBUTES sa = InheritableAttributes();
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return {};
  // Our end must not reach the child, or the pipe never looks closed to it.
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si = HiddenStartup(nullptr, writeEnd);
  std::string line = (IsNtFamily() ? "cmd.exe /c " : "command.com /c ") + GbkToNative(commandLine);
  PROCESS_INFORMATION pi{};
  const BOOL started =
      CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  std::string result;
  bool ended = false;
  for (;;) {
    DWORD available = 0;
    const BOOL peeked = PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr);
    if (peeked && available > 0) {
      char buf[1024] = {};
      DWORD got = 0;
      if (ReadFile(readEnd, buf, 1023, &got, nullptr) && got > 0) result.append(buf, strnlen(buf, got));
      continue;
    }
    if (ended) break;
    DWORD code = 0;
    if (!started || !GetExitCodeProcess(pi.hProcess, &code) || code != kStillActive) {
      ended = true;  // what it wrote just before its end is still drained by one more pass
      continue;
    }
    // Wait for the child's end or a window message, a few milliseconds at a time, instead of
    // spinning: the pipe itself cannot be waited on.
    MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 10, QS_ALLINPUT);
    PumpMessages();
  }
  CloseHandle(readEnd);
  if (started) {
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  return result;
}

}  // namespace lingqiao
