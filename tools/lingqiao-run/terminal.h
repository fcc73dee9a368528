// Where lingqiao-run's texts go: standard output and standard error, in the terminal's
// encoding. The texts handed in are GBK.
#pragma once

#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

namespace lingqiao {

class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void Out(std::string_view gbk) = 0;
  virtual void Err(std::string_view gbk) = 0;
  // Standard output is a terminal that takes cursor movements (for the live status lines).
  virtual bool Live() const = 0;
  // Standard error shows on the same screen as standard output.
  virtual bool ErrorOnSameScreen() const = 0;
  virtual int Columns() const = 0;
};

// The process's own standard output and error: UTF-8 on POSIX; on Windows the console's own
// code page (wide writes to a console, the console's output code page into a pipe or file).
class Terminal : public TextSink {
 public:
  Terminal();
  ~Terminal() override;
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  void Out(std::string_view gbk) override;
  void Err(std::string_view gbk) override;
  bool Live() const override { return live_; }
  bool ErrorOnSameScreen() const override { return errorIsTerminal_; }
  int Columns() const override;

 private:
  bool live_ = false;
  bool errorIsTerminal_ = false;
#ifdef _WIN32
  void Write(HANDLE handle, bool console, std::string_view gbk);
  HANDLE out_ = nullptr;
  HANDLE err_ = nullptr;
  bool outConsole_ = false;
  bool errConsole_ = false;
  DWORD savedOutMode_ = 0;
  bool restoreOutMode_ = false;
#endif
};

}  // namespace lingqiao
