// The console's argument splitting held against the platform's own CommandLineToArgvW.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "lingqiao-console/console_syntax.h"

namespace lingqiao::console {
namespace {

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Utf8(const wchar_t* text) {
  const int length = lstrlenW(text);
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
  return out;
}

std::vector<std::string> PlatformSplit(const std::string& line) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(Wide(line).c_str(), &count);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(Utf8(argv[i]));
  LocalFree(argv);
  return out;
}

TEST(SplitCommandLine, AgreesWithCommandLineToArgvW) {
  const char* lines[] = {
      "p a b", "p\ta\t\tb", "\"a b\"c d", "a\"b c\" d", "\"p q\"\\x y", "p \"a\"\"b\" c", "p \"a\"\"\"b\" c",
      "p \"\"\"\" x", "p a\\\\\\\"b", "p a\\\\\"b c\"", "p \\\\server\\x", "p \"a b\\\\\"", "p \"\"", "p \"",
      "p a\"b c\"d", "p a\\\"", "p \"\"\"", "p \"\"\"\"\"", "p x\\\\", "p   ", " p x", "p \"a\\\"b\" c",
      "p \\\\\\\\\"a b\"", "p \"a\"b\"c\"", "p 'single quotes' stay", "\"C:\\Program Files\\x.exe\" -s 1",
      "adb -s 127.0.0.1:6555 shell am broadcast --es msg '\xE4\xB8\xAD\xE6\x96\x87 a' \"b c\"",
      "adb shell input text \"\\\"hi\\\"\"",
  };
  for (const char* line : lines) EXPECT_EQ(SplitCommandLine(line), PlatformSplit(line)) << line;
}

}  // namespace
}  // namespace lingqiao::console
