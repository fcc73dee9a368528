#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <vector>

#include "program_host.h"
#include "text/encoding.h"

namespace lingqiao {
namespace {

std::atomic<StopFlag*> g_interruptTarget{nullptr};

BOOL WINAPI OnConsoleControl(DWORD event) noexcept {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  StopFlag* stop = g_interruptTarget.load();
  if (stop == nullptr) return FALSE;
  if (stop->exchange(true)) return FALSE;  // the second Ctrl-C ends the program at once
  return TRUE;
}

std::string Gbk(const wchar_t* wide) {
  std::u16string text;
  for (const wchar_t* p = wide; *p != 0; ++p) text.push_back(static_cast<char16_t>(*p));
  return Utf16ToGbk(text);
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    return args;
  }
  for (int i = 1; i < count; ++i) args.push_back(Gbk(wide[i]));
  LocalFree(wide);
  return args;
}

std::string_view FileNamePart(std::string_view path) {
  // Scanned byte by byte with GBK in mind: a trail byte may equal "\" (0x5C).
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c >= 0x81 && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
  }
  return path.substr(start);
}

// Letter case does not matter to Windows file names; only ASCII letters are folded, and a
// GBK character's bytes (0x81 and up first) never fold into an ASCII name.
bool SameFileName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  const std::u16string wide = GbkToUtf16(path);
  const std::wstring in(wide.begin(), wide.end());
  const DWORD n = GetFullPathNameW(in.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::vector<wchar_t> buf(n + 1);
  if (GetFullPathNameW(in.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr) == 0) {
    return path;
  }
  return Gbk(buf.data());
}

bool IsReadableFile(const std::string& path) {
  const std::u16string wide = GbkToUtf16(path);
  const std::wstring name(wide.begin(), wide.end());
  HANDLE h = CreateFileW(name.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool file = GetFileInformationByHandle(h, &info) &&
                    !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(h);
  return file;
}

void InstallInterruptHandler(StopFlag& stop) {
  g_interruptTarget.store(&stop);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

}  // namespace lingqiao
