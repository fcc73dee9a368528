#include <windows.h>
#include <shellapi.h>

#include "fake_adb_rules.h"
#include "fake_adb_system.h"

namespace lingqiao::fake_adb {
namespace {

std::string ToUtf8(const wchar_t* text, int length) {
  if (length == 0) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring ToWide(std::string_view text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() > 0x10000 ? 0x10000 : static_cast<DWORD>(bytes.size());
    if (!::WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

bool WriteFileWith(const std::string& path, std::string_view bytes, DWORD access, DWORD disposition) {
  const HANDLE h = CreateFileW(ToWide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = WriteAll(h, bytes);
  return CloseHandle(h) && ok;
}

}  // namespace

Invocation CurrentInvocation(int, char**) {
  Invocation inv;
  int count = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) inv.args.push_back(ToUtf8(argv[i], lstrlenW(argv[i])));
    LocalFree(argv);
  }
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring cwd(n, L'\0');
  const DWORD got = GetCurrentDirectoryW(n, cwd.data());
  inv.cwd = ToUtf8(cwd.c_str(), static_cast<int>(got < n ? got : 0));
  return inv;
}

std::optional<std::string> GetVariable(const char* name) {
  const std::wstring wname = ToWide(name);
  const DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (n <= 1) return std::nullopt;
  std::wstring value(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(wname.c_str(), value.data(), n);
  if (got == 0 || got >= n) return std::nullopt;
  return ToUtf8(value.c_str(), static_cast<int>(got));
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const HANDLE h = CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string out;
  char chunk[65536];
  DWORD got = 0;
  while (::ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
  CloseHandle(h);
  return out;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  return WriteFileWith(path, bytes, GENERIC_WRITE, CREATE_ALWAYS);
}

bool AppendToFile(const std::string& path, std::string_view bytes) {
  // FILE_APPEND_DATA alone makes every write land at the end of the file.
  return WriteFileWith(path, bytes, FILE_APPEND_DATA, OPEN_ALWAYS);
}

bool IsFolder(const std::string& path) {
  const DWORD a = GetFileAttributesW(ToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void WriteStandardOutput(std::string_view bytes) { WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), ToCrLf(bytes)); }

void WriteStandardError(std::string_view bytes) { WriteAll(GetStdHandle(STD_ERROR_HANDLE), ToCrLf(bytes)); }

void SleepMilliseconds(int ms) { Sleep(static_cast<DWORD>(ms)); }

}  // namespace lingqiao::fake_adb
