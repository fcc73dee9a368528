// What the user sees of the runs: the output-box lines as they happen, and the run-state
// panel of each device, either as live status lines below the output (on a terminal) or as
// lines of their own. With several devices every line names its device.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "terminal.h"

namespace lingqiao {

class RunDisplay {
 public:
  RunDisplay(TextSink& sink, std::vector<std::string> addresses);

  void OutputLine(int device, const std::string& line);
  void Hint(int device, const std::string& text);
  void RunState(int device, const std::string& text);
  // A line written into the device's console (dry run).
  void ConsoleLine(int device, const std::string& line);
  // Warnings and errors, on standard error.
  void Warning(const std::string& text);

  // The status line of one device, as it is drawn (GBK).
  std::string StatusLine(int device) const;

 private:
  std::string Prefix(int device) const;
  std::string StatusText(int device) const;  // with mutex_ held
  void EmitOut(const std::string& text);
  void EmitErr(const std::string& text);
  void EraseBlock();
  void DrawBlock();

  TextSink& sink_;
  const std::vector<std::string> addresses_;
  const bool several_;
  const bool live_;
  mutable std::mutex mutex_;
  std::vector<std::string> states_;
  bool blockDrawn_ = false;
};

// The text cut to at most `columns` terminal columns; a GBK double-byte character takes two
// and is never split.
std::string FitToColumns(const std::string& gbk, int columns);

}  // namespace lingqiao
