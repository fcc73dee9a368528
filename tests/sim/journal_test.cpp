#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "journal.h"
#include "sim_options.h"

namespace lingqiao::sim {
namespace {

TEST(JsonQuoted, KeepsUtf8AndEscapesEverythingElse) {
  EXPECT_EQ(JsonQuoted("input text 你好"), "\"input text 你好\"");
  EXPECT_EQ(JsonQuoted("a\"b\\c\nd\te\x01"), "\"a\\\"b\\\\c\\nd\\te\\u0001\"");
  // GBK bytes for 你好 are not UTF-8: one escape per byte.
  EXPECT_EQ(JsonQuoted("\xc4\xe3\xba\xc3"), "\"\\u00c4\\u00e3\\u00ba\\u00c3\"");
  // A truncated sequence, an overlong form and a surrogate are not UTF-8 either.
  EXPECT_EQ(JsonQuoted("\xe4\xbd"), "\"\\u00e4\\u00bd\"");
  EXPECT_EQ(JsonQuoted("\xc0\xaf"), "\"\\u00c0\\u00af\"");
  EXPECT_EQ(JsonQuoted("\xed\xa0\x80"), "\"\\u00ed\\u00a0\\u0080\"");
}

TEST(JournalLines, HaveThePortAndOneMemberForWhatHappened) {
  EXPECT_EQ(JournalServiceLine(6555, "shell:input tap 1 2"), "{\"port\":6555,\"service\":\"shell:input tap 1 2\"}");
  EXPECT_EQ(JournalEffectLine(6555, Effect{Effect::Kind::kKey, {3}, {}}), "{\"port\":6555,\"key\":3}");
  EXPECT_EQ(JournalEffectLine(6556, Effect{Effect::Kind::kStart, {}, "p/.A"}), "{\"port\":6556,\"start\":\"p/.A\"}");
  EXPECT_EQ(JournalEffectLine(1, Effect{Effect::Kind::kInstall, {}, "x"}), "{\"port\":1,\"install\":\"x\"}");
  EXPECT_EQ(JournalEffectLine(1, Effect{Effect::Kind::kUninstall, {}, "x"}), "{\"port\":1,\"uninstall\":\"x\"}");
}

TEST(Journal, EachLineIsInTheFileAtOnce) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("lingqiao-journal-" + std::to_string(::getpid()) + ".jsonl");
  {
    std::ofstream(path) << "old run\n";
    Journal journal;
    std::string error;
    ASSERT_TRUE(journal.Open(path.string(), error)) << error;
    journal.Write("{\"a\":1}");
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "{\"a\":1}\n");
  }
  std::filesystem::remove(path);
  Journal journal;
  std::string error;
  EXPECT_FALSE(journal.Open("/nonexistent-dir/j.jsonl", error));
  EXPECT_NE(error.find("/nonexistent-dir/j.jsonl"), std::string::npos);
}

TEST(SimOptions, DefaultsAndRepeatedPorts) {
  SimOptions options;
  std::string error;
  ASSERT_TRUE(ParseSimOptions({}, options, error));
  EXPECT_EQ(options.ports, std::vector<int>{6555});
  EXPECT_FALSE(options.fontFiles.empty());
  ASSERT_TRUE(ParseSimOptions({"--port", "6556", "--port", "0", "--port", "0", "--latency", "50",
                               "--drop-after", "3", "--unauthorized", "--journal", "j", "--ready-file", "r"},
                              options, error));
  EXPECT_EQ(options.ports, (std::vector<int>{6556, 0, 0}));
  EXPECT_EQ(options.latencyMs, 50);
  EXPECT_EQ(options.dropAfter, 3);
  EXPECT_TRUE(options.unauthorized);
  EXPECT_EQ(options.journalPath, "j");
  EXPECT_EQ(options.readyFile, "r");
}

TEST(SimOptions, UnusableArgumentsAreRefusedWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"--port"}, {"--port", "70000"}, {"--port", "12x"}, {"--port", "6556", "--port", "6556"},
      {"--latency", "-1"}, {"--drop-after", "0"}, {"--frobnicate"}};
  for (const auto& args : bad) {
    SimOptions options;
    std::string error;
    EXPECT_FALSE(ParseSimOptions(args, options, error)) << args[0];
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace lingqiao::sim
