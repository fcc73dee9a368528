#include <gtest/gtest.h>

#include "shell_words.h"

namespace lingqiao::sim {
namespace {

using Words = std::vector<std::string>;

struct SplitCase {
  const char* line;
  Words words;
};

class SplitShellWordsCase : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitShellWordsCase, SplitsAsAPosixShell) {
  const ShellLine got = SplitShellWords(GetParam().line);
  EXPECT_EQ(got.error, "");
  EXPECT_EQ(got.words, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitShellWordsCase,
    testing::Values(
        SplitCase{"input tap 100 200", {"input", "tap", "100", "200"}},
        SplitCase{"  input\ttext  a  ", {"input", "text", "a"}},
        SplitCase{"input text 'a b'", {"input", "text", "a b"}},
        // The client's quoting of a single quote: '\''
        SplitCase{"echo 'it'\\''s'", {"echo", "it's"}},
        SplitCase{"echo \"a \\\"b\\\" \\$c \\n\"", {"echo", "a \"b\" $c \\n"}},
        SplitCase{"echo a\\ b \\'", {"echo", "a b", "'"}},
        SplitCase{"echo '' x", {"echo", "", "x"}},
        SplitCase{"echo pre'mid'\"post\"", {"echo", "premidpost"}},
        SplitCase{"am broadcast -a ADB_INPUT_TEXT --es msg '你好 世界'",
                  {"am", "broadcast", "-a", "ADB_INPUT_TEXT", "--es", "msg", "你好 世界"}},
        SplitCase{"su -c  'mount -o remount,rw -t yaffs2 /dev/block/mtdblock3 /system' ",
                  {"su", "-c", "mount -o remount,rw -t yaffs2 /dev/block/mtdblock3 /system"}},
        SplitCase{"echo a # comment", {"echo", "a"}},
        SplitCase{"echo 'a;b|c&&d'", {"echo", "a;b|c&&d"}},
        SplitCase{"", {}}));

TEST(SplitShellWords, RedirectionsAreTakenOutOfTheWords) {
  const ShellLine install = SplitShellWords("rm '/data/local/tmp/x.apk' </dev/null");
  EXPECT_EQ(install.words, (Words{"rm", "/data/local/tmp/x.apk"}));
  EXPECT_EQ(install.stdoutFile, "");

  const ShellLine out = SplitShellWords("echo hi >> '/sdcard/log file' 2>/dev/null");
  EXPECT_EQ(out.words, (Words{"echo", "hi"}));
  EXPECT_EQ(out.stdoutFile, "/sdcard/log file");
  EXPECT_TRUE(out.appendStdout);
  EXPECT_EQ(out.stderrFile, "/dev/null");

  const ShellLine merged = SplitShellWords("pm clear x 2>&1");
  EXPECT_EQ(merged.words, (Words{"pm", "clear", "x"}));
  EXPECT_EQ(merged.stderrFile, "");
}

TEST(SplitShellWords, ListsPipesAndBadQuotingAreRefused) {
  for (const char* line : {"echo a; echo b", "echo a && echo b", "ls | grep x", "sleep 1 &",
                           "echo 'open", "echo \"open", "echo >"}) {
    const ShellLine got = SplitShellWords(line);
    EXPECT_NE(got.error, "") << line;
    EXPECT_TRUE(got.words.empty()) << line;
  }
}

TEST(JoinShellWords, QuotesOnlyWhatNeedsIt) {
  const Words words = {"input", "text", "a b", "it's", "", "中文"};
  EXPECT_EQ(JoinShellWords(words), "input text 'a b' 'it'\\''s' '' 中文");
  EXPECT_EQ(SplitShellWords(JoinShellWords(words)).words, words);
}

}  // namespace
}  // namespace lingqiao::sim
