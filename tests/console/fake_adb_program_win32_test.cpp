// The fake adb.exe run as a Windows program: wide command line, current folder, environment
// and CR LF output, as a console started by the product would see it.
#include <windows.h>

#include <gtest/gtest.h>

#include "fake_adb_fixture.h"

namespace lingqiao {
namespace {

std::wstring Wide(std::string_view utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

struct Result {
  std::string out;
  DWORD exitCode = 0xFFFFFFFF;
};

Result RunAdb(std::string_view arguments, const std::filesystem::path& cwd) {
  Result result;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return result;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  PROCESS_INFORMATION pi{};
  std::wstring commandLine = L"\"" + FakeAdbFixture::AdbProgram().wstring() + L"\" " + Wide(arguments);
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      cwd.wstring().c_str(), &si, &pi);
  CloseHandle(writeEnd);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) result.out.append(buffer, got);
    WaitForSingleObject(pi.hProcess, 30000);
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(readEnd);
  return result;
}

TEST(FakeAdbProgramOnWindows, LogsTheWideCommandLineAndAnswersWithCrLf) {
  FakeAdbFixture fake;
  fake.WriteRules({{.args = {"-s", "*", "shell", "wm", "size"}, .stdoutText = "Physical size: 720x1280\n", .exitCode = 3}});
  const Result size = RunAdb("-s 127.0.0.1:6555 shell wm size", fake.Folder());
  EXPECT_EQ(size.out, "Physical size: 720x1280\r\n");
  EXPECT_EQ(size.exitCode, 3u);
  EXPECT_EQ(RunAdb("connect 127.0.0.1:6555", fake.Folder()).out, "connected to 127.0.0.1:6555\r\n");
  EXPECT_EQ(RunAdb("connect 127.0.0.1:6555", fake.Folder()).out, "already connected to 127.0.0.1:6555\r\n");
  RunAdb("shell input text \"\xE4\xB8\xAD\xE6\x96\x87 a\" \\\"q\\\" C:\\x\\", fake.Folder());

  const auto calls = fake.ReadCalls();
  ASSERT_EQ(calls.size(), 4u);
  ASSERT_FALSE(calls[3].empty());
  const std::u8string cwd(calls[3][0].begin(), calls[3][0].end());
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(cwd), fake.Folder())) << calls[3][0];
  EXPECT_EQ(std::vector<std::string>(calls[3].begin() + 1, calls[3].end()),
            (std::vector<std::string>{"shell", "input", "text", "\xE4\xB8\xAD\xE6\x96\x87 a", "\"q\"", "C:\\x\\"}));
}

}  // namespace
}  // namespace lingqiao
