#include "device/console_text.h"

#include <gtest/gtest.h>

#include "device/file_system.h"

namespace lingqiao {
namespace {

TEST(ConsoleText, FileNameAndFolder) {
  const std::string sep(1, PathSeparator());
  const std::string path = "D:" + sep + "tools" + sep + "Orvane" + sep + "adb.exe";
  EXPECT_EQ(FileNameOf(path, true), "adb.exe");
  EXPECT_EQ(FileNameOf(path, false), "adb");
  EXPECT_EQ(FolderOf(path), "D:" + sep + "tools" + sep + "Orvane" + sep);
  EXPECT_EQ(FileNameOf("adb", false), "adb");
  EXPECT_EQ(FileNameOf("a.b.c", false), "a.b");
  EXPECT_EQ(FolderOf("adb.exe"), "");
}

TEST(ConsoleText, RemoveLine) {
  struct Case {
    std::string text;
    int n;
    std::string out;
  } cases[] = {
      {"one", 1, ""},
      {"one", 2, "one"},
      {"a\r\nb\r\nc", 2, "a\r\nc"},
      {"a\r\nb\r\n", 2, "a"},
      {"a\r\n\r\nb", 2, "a\r\nb"},
      {"", 1, ""},
      {"a\r\nb", 0, "a\r\nb"},
      {"a\r\nb", 3, "a\r\nb"},
  };
  for (const Case& c : cases) EXPECT_EQ(RemoveLine(c.text, c.n), c.out) << c.text << " " << c.n;
}

TEST(ConsoleText, CountLines) {
  EXPECT_EQ(CountLines("a\r\nb\r\n"), 3);
  EXPECT_EQ(CountLines("one"), 1);
  EXPECT_EQ(CountLines(""), 1);
}

TEST(ConsoleText, TrimConsoleLines) {
  // Echo, value, blank line, prompt: the value alone.
  EXPECT_EQ(TrimConsoleLines("C:\\adb>adb shell getprop x\r\nvalue\r\n\r\nC:\\adb>"), "value");
  EXPECT_EQ(TrimConsoleLines("echo\r\na\r\nb\r\n\r\nC:\\>"), "a\r\nb");
  // Without the blank line the value goes too.
  EXPECT_EQ(TrimConsoleLines("echo\r\nvalue\r\nC:\\>"), "");
  EXPECT_EQ(TrimConsoleLines(""), "");
}

}  // namespace
}  // namespace lingqiao
