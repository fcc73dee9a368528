#include "run_display.h"

namespace lingqiao {

std::string FitToColumns(const std::string& gbk, int columns) {
  int used = 0;
  size_t i = 0;
  while (i < gbk.size()) {
    const bool wide = static_cast<unsigned char>(gbk[i]) >= 0x81 && i + 1 < gbk.size();
    const int width = wide ? 2 : 1;
    if (used + width > columns) break;
    used += width;
    i += wide ? 2 : 1;
  }
  return gbk.substr(0, i);
}

RunDisplay::RunDisplay(TextSink& sink, std::vector<std::string> addresses)
    : sink_(sink),
      addresses_(std::move(addresses)),
      several_(addresses_.size() > 1),
      live_(sink.Live()),
      states_(addresses_.size()) {}

std::string RunDisplay::Prefix(int device) const {
  return several_ ? "[" + addresses_[static_cast<size_t>(device)] + "] " : std::string();
}

std::string RunDisplay::StatusLine(int device) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return StatusText(device);
}

std::string RunDisplay::StatusText(int device) const {
  return Prefix(device) + "运行状态：" + states_[static_cast<size_t>(device)];
}

// The status block sits below everything printed; the cursor waits on the line after it.
// Erasing moves up over the block and clears to the end of the screen.
void RunDisplay::EraseBlock() {
  if (!blockDrawn_) return;
  sink_.Out("\x1b[" + std::to_string(states_.size()) + "F\x1b[J");
  blockDrawn_ = false;
}

void RunDisplay::DrawBlock() {
  // One column kept free, so that a full line never wraps and shifts the block.
  const int columns = sink_.Columns() - 1;
  std::string block;
  for (size_t i = 0; i < states_.size(); ++i) {
    block += FitToColumns(StatusText(static_cast<int>(i)), columns) + "\n";
  }
  sink_.Out(block);
  blockDrawn_ = true;
}

void RunDisplay::EmitOut(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool redraw = blockDrawn_;
  EraseBlock();
  sink_.Out(text);
  if (redraw) DrawBlock();
}

void RunDisplay::EmitErr(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool redraw = blockDrawn_ && sink_.ErrorOnSameScreen();
  if (redraw) EraseBlock();
  sink_.Err(text);
  if (redraw) DrawBlock();
}

void RunDisplay::OutputLine(int device, const std::string& line) {
  EmitOut(Prefix(device) + line + "\n");
}

void RunDisplay::Hint(int device, const std::string& text) {
  EmitOut(Prefix(device) + "软件提示：" + text + "\n");
}

void RunDisplay::ConsoleLine(int device, const std::string& line) {
  EmitOut(Prefix(device) + "> " + line + "\n");
}

void RunDisplay::RunState(int device, const std::string& text) {
  if (!live_) {
    EmitOut(Prefix(device) + "运行状态：" + text + "\n");
    return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  states_[static_cast<size_t>(device)] = text;
  EraseBlock();
  DrawBlock();
}

void RunDisplay::Warning(const std::string& text) { EmitErr(text + "\n"); }

}  // namespace lingqiao
