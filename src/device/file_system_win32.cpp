#include <windows.h>

#include <string>

#include "device/file_system.h"
#include "text/encoding.h"

namespace lingqiao {
namespace {

// GBK paths go to the W functions, so they are right whatever the Windows locale.
std::wstring Wide(const std::string& gbk) {
  const std::u16string u = GbkToUtf16(gbk);
  return std::wstring(u.begin(), u.end());
}

std::string Gbk(const std::wstring& w) {
  return Utf16ToGbk(std::u16string(w.begin(), w.end()));
}

}  // namespace

char PathSeparator() { return '\\'; }

std::string ProgramFolder() {
  std::wstring buf(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  buf.resize(n);
  const size_t slash = buf.find_last_of(L"\\/");
  return Gbk(slash == std::wstring::npos ? buf : buf.substr(0, slash));
}

std::string TempFolder() {
  wchar_t buf[MAX_PATH + 2] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  std::string folder = Gbk(std::wstring(buf, n));
  if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
  return folder;
}

bool FileExists(const std::string& path) {
  const DWORD attr = GetFileAttributesW(Wide(path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWholeFile(const std::string& path) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  CloseHandle(h);
  return bytes;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const BOOL ok = bytes.empty() ||
                  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(h);
  return ok && put == bytes.size();
}

bool DeleteFileAt(const std::string& path) {
  return DeleteFileW(Wide(path).c_str()) || !FileExists(path);
}

std::string MakeUniqueFolder(const std::string& parent, std::string_view prefix) {
  const DWORD seed = GetCurrentProcessId() ^ GetTickCount();
  for (unsigned i = 0; i < 1000; ++i) {
    const std::string folder = parent + std::string(prefix) + std::to_string(seed + i * 7919u);
    if (CreateDirectoryW(Wide(folder).c_str(), nullptr)) return folder + "\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

void RemoveFolder(const std::string& folder) {
  std::wstring base = Wide(folder);
  if (!base.empty() && base.back() != L'\\') base.push_back(L'\\');
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((base + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") DeleteFileW((base + name).c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(base.c_str());
}

bool SetCurrentFolder(const std::string& folder) {
  return SetCurrentDirectoryW(Wide(folder).c_str()) != 0;
}

bool SetEnvironmentValue(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str()) != 0;
}

}  // namespace lingqiao
