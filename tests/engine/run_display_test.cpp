#include "run_display.h"

#include <gtest/gtest.h>

#include <string>

namespace lingqiao {
namespace {

class FakeSink : public TextSink {
 public:
  explicit FakeSink(bool live, int columns = 80) : live_(live), columns_(columns) {}
  void Out(std::string_view gbk) override { out += gbk; }
  void Err(std::string_view gbk) override { err += gbk; }
  bool Live() const override { return live_; }
  bool ErrorOnSameScreen() const override { return live_; }
  int Columns() const override { return columns_; }
  std::string out, err;

 private:
  bool live_;
  int columns_;
};

TEST(RunDisplay, OneDeviceOffTerminalWritesPlainLines) {
  FakeSink sink(false);
  RunDisplay display(sink, {"127.0.0.1:6555"});
  display.OutputLine(0, "START：开始执行代码");
  display.ConsoleLine(0, "adb connect 127.0.0.1:6555");
  display.RunState(0, "正在执行第：1行代码");
  display.Hint(0, "连接成功：127.0.0.1:6555");
  display.Warning("警告");
  EXPECT_EQ(sink.out,
            "START：开始执行代码\n> adb connect 127.0.0.1:6555\n运行状态：正在执行第：1行代码\n"
            "软件提示：连接成功：127.0.0.1:6555\n");
  EXPECT_EQ(sink.err, "警告\n");
}

TEST(RunDisplay, SeveralDevicesNameTheirDevice) {
  FakeSink sink(false);
  RunDisplay display(sink, {"127.0.0.1:6555", "127.0.0.1:21503"});
  display.OutputLine(1, "END：代码执行完毕");
  display.RunState(0, "代码运行完成");
  EXPECT_EQ(sink.out, "[127.0.0.1:21503] END：代码执行完毕\n[127.0.0.1:6555] 运行状态：代码运行完成\n");
}

// On a terminal the status lines stay below the output: each new output line goes above them
// and they are drawn again.
TEST(RunDisplay, LiveStatusLinesStayBelowTheOutput) {
  FakeSink sink(true);
  RunDisplay display(sink, {"a:1", "b:2"});
  display.OutputLine(0, "x");  // no block yet
  display.RunState(1, "代码运行完成");
  const std::string block = "[a:1] 运行状态：\n[b:2] 运行状态：代码运行完成\n";
  EXPECT_EQ(sink.out, "[a:1] x\n" + block);
  sink.out.clear();
  display.OutputLine(0, "y");
  EXPECT_EQ(sink.out, "\x1b[2F\x1b[J[a:1] y\n" + block);
  sink.out.clear();
  display.Warning("w");
  EXPECT_EQ(sink.out, "\x1b[2F\x1b[J" + block);
  EXPECT_EQ(sink.err, "w\n");
}

TEST(RunDisplay, LiveStatusLinesNeverWrap) {
  FakeSink sink(true, 12);
  RunDisplay display(sink, {"a:1"});
  display.RunState(0, "正在执行第：1行代码");
  // 11 columns: 运行状态： takes 10, the next character would need two more.
  EXPECT_EQ(sink.out, "运行状态：\n");
}

TEST(FitToColumns, NeverSplitsADoubleByteCharacter) {
  EXPECT_EQ(FitToColumns("ab运行", 3), "ab");
  EXPECT_EQ(FitToColumns("ab运行", 4), "ab运");
  EXPECT_EQ(FitToColumns("ab", 10), "ab");
}

}  // namespace
}  // namespace lingqiao
