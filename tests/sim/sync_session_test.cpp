#include <gtest/gtest.h>

#include "sync_session.h"

namespace lingqiao::sim {
namespace {

std::string Word(uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
  return out;
}

std::string Request(std::string_view id, std::string_view payload) {
  return std::string(id) + Word(static_cast<uint32_t>(payload.size())) + std::string(payload);
}

// Feeds the host's bytes in pieces of the given size, as adb's packets may cut them.
std::string Exchange(SyncSession& session, std::string_view bytes, std::size_t piece) {
  std::string out;
  for (std::size_t at = 0; at < bytes.size(); at += piece) out += session.Receive(bytes.substr(at, piece));
  return out;
}

TEST(SyncSession, StatOfAMissingFileIsAllZero) {
  MemoryFiles files;
  SyncSession session(files);
  EXPECT_EQ(session.Receive(Request("STAT", "/sdcard/none.png")), "STAT" + std::string(12, '\0'));
}

TEST(SyncSession, StatOfAFileAndOfADirectory) {
  MemoryFiles files;
  files.Write("/sdcard/a.txt", MemoryFile{"hello", kModeRegularFile | 0644, 77});
  SyncSession session(files);
  EXPECT_EQ(session.Receive(Request("STAT", "/sdcard/a.txt")), "STAT" + Word(0100644) + Word(5) + Word(77));
  EXPECT_EQ(session.Receive(Request("STAT", "/sdcard")).substr(4, 4), Word(0040755));
}

TEST(SyncSession, SendSplitAtEveryPieceSizeStoresTheFile) {
  const std::string content(70000, 'z');
  std::string wire = Request("SEND", "/data/local/tmp/app.apk,33188");
  wire += Request("DATA", std::string_view(content).substr(0, 65536));
  wire += Request("DATA", std::string_view(content).substr(65536));
  wire += "DONE" + Word(1234);
  for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}, wire.size()}) {
    MemoryFiles files;
    SyncSession session(files);
    EXPECT_EQ(Exchange(session, wire, piece), "OKAY" + Word(0)) << "piece " << piece;
    const MemoryFile* file = files.Find("/data/local/tmp/app.apk");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->bytes, content);
    EXPECT_EQ(file->mtime, 1234u);
    EXPECT_EQ(file->mode, 33188u);
  }
}

TEST(SyncSession, RecvSendsChunksOfAtMost64KiBThenDone) {
  MemoryFiles files;
  files.Write("/sdcard/big", MemoryFile{std::string(65536 + 10, 'q')});
  SyncSession session(files);
  const std::string out = session.Receive(Request("RECV", "/sdcard/big"));
  const std::string expected = "DATA" + Word(65536) + std::string(65536, 'q') + "DATA" + Word(10) +
                               std::string(10, 'q') + "DONE" + Word(0);
  EXPECT_EQ(out, expected);
  EXPECT_FALSE(session.Finished());
}

TEST(SyncSession, RecvOfAMissingFileFailsWithAMessage) {
  MemoryFiles files;
  SyncSession session(files);
  EXPECT_EQ(session.Receive(Request("RECV", "/nope")), Request("FAIL", "No such file or directory"));
  EXPECT_TRUE(session.Finished());
}

TEST(SyncSession, QuitFinishesWithoutAnswer) {
  MemoryFiles files;
  SyncSession session(files);
  EXPECT_EQ(session.Receive("QUIT" + Word(0)), "");
  EXPECT_TRUE(session.Finished());
}

TEST(SyncSession, AnOversizedPathIsRefused) {
  MemoryFiles files;
  SyncSession session(files);
  EXPECT_EQ(session.Receive("STAT" + Word(kSyncMaxPath + 1)).substr(0, 4), "FAIL");
  EXPECT_TRUE(session.Finished());
}

TEST(SyncSession, ListGivesTheDirectoryEntriesThenDone) {
  MemoryFiles files;
  files.Write("/sdcard/b.txt", MemoryFile{"12"});
  files.Write("/sdcard/sub/c.txt", MemoryFile{"3"});
  SyncSession session(files);
  const std::string out = session.Receive(Request("LIST", "/sdcard"));
  EXPECT_NE(out.find("b.txt"), std::string::npos);
  EXPECT_NE(out.find("sub"), std::string::npos);
  EXPECT_EQ(out.find("c.txt"), std::string::npos);
  EXPECT_EQ(out.substr(out.size() - 20), "DONE" + std::string(16, '\0'));
}

TEST(MemoryFiles, PathsAreNormalised) {
  EXPECT_EQ(NormalizePath("/sdcard//jt.png"), "/sdcard/jt.png");
  EXPECT_EQ(NormalizePath("sdcard/./x/../jt.png"), "/sdcard/jt.png");
  EXPECT_EQ(NormalizePath("/sdcard/"), "/sdcard");
  EXPECT_EQ(NormalizePath(""), "/");
}

}  // namespace
}  // namespace lingqiao::sim
