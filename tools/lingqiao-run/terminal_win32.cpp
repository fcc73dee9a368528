#include <windows.h>

#include <string>

#include "terminal.h"
#include "text/encoding.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace lingqiao {
namespace {

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

}  // namespace

Terminal::Terminal() {
  out_ = GetStdHandle(STD_OUTPUT_HANDLE);
  err_ = GetStdHandle(STD_ERROR_HANDLE);
  outConsole_ = IsConsole(out_);
  errConsole_ = IsConsole(err_);
  errorIsTerminal_ = errConsole_;
  // The live status lines move the cursor with escape sequences, which a console takes
  // only once asked to (Windows 10 and later); older consoles get plain status lines.
  if (outConsole_ && GetConsoleMode(out_, &savedOutMode_)) {
    if (SetConsoleMode(out_, savedOutMode_ | ENABLE_PROCESSED_OUTPUT |
                                 ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
      restoreOutMode_ = true;
      live_ = true;
    }
  }
}

Terminal::~Terminal() {
  if (restoreOutMode_) SetConsoleMode(out_, savedOutMode_);
}

void Terminal::Write(HANDLE handle, bool console, std::string_view gbk) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || gbk.empty()) return;
  const std::u16string wide = GbkToUtf16(gbk);
  if (console) {
    // Wide writes show every character whatever the console's code page is.
    DWORD written = 0;
    WriteConsoleW(handle, reinterpret_cast<const wchar_t*>(wide.data()),
                  static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  // Into a pipe or file: the bytes and line ends the console's programs expect, its output
  // code page (the ANSI code page when the program has no console) and CR LF.
  std::u16string crlf;
  for (char16_t c : wide) {
    if (c == u'\n' && (crlf.empty() || crlf.back() != u'\r')) crlf.push_back(u'\r');
    crlf.push_back(c);
  }
  UINT codePage = GetConsoleOutputCP();
  if (codePage == 0) codePage = GetACP();
  const int wideLength = static_cast<int>(crlf.size());
  const auto* wideData = reinterpret_cast<const wchar_t*>(crlf.data());
  const int n = WideCharToMultiByte(codePage, 0, wideData, wideLength, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return;
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wideData, wideLength, bytes.data(), n, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Terminal::Out(std::string_view gbk) { Write(out_, outConsole_, gbk); }
void Terminal::Err(std::string_view gbk) { Write(err_, errConsole_, gbk); }

int Terminal::Columns() const {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (outConsole_ && GetConsoleScreenBufferInfo(out_, &info)) {
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    if (columns > 0) return columns;
  }
  return 80;
}

}  // namespace lingqiao
