#include <gtest/gtest.h>

#include "adb_message.h"

namespace lingqiao::sim {
namespace {

TEST(AdbMessage, HeaderIsSixLittleEndianWordsWithMagic) {
  const std::string bytes = EncodeMessage(AdbMessage{kCommandWrte, 7, 9, "ab"}, true);
  ASSERT_EQ(bytes.size(), kMessageHeaderSize + 2);
  EXPECT_EQ(bytes.substr(0, 4), "WRTE");
  EXPECT_EQ(bytes.substr(4, 4), std::string("\x07\0\0\0", 4));
  EXPECT_EQ(bytes.substr(8, 4), std::string("\x09\0\0\0", 4));
  EXPECT_EQ(bytes.substr(12, 4), std::string("\x02\0\0\0", 4));
  EXPECT_EQ(bytes.substr(16, 4), std::string("\xc3\0\0\0", 4));  // 'a' + 'b'
  EXPECT_EQ(bytes.substr(20, 4), "\xa8\xad\xab\xba");            // ~"WRTE"
  EXPECT_EQ(bytes.substr(24), "ab");
}

TEST(AdbMessage, NewerVersionLeavesTheChecksumZero) {
  const std::string bytes = EncodeMessage(AdbMessage{kCommandWrte, 1, 2, "ab"}, false);
  EXPECT_EQ(bytes.substr(16, 4), std::string(4, '\0'));
}

TEST(MessageDecoder, ReassemblesMessagesFedOneByteAtATime) {
  const std::string wire = EncodeMessage(AdbMessage{kCommandOpen, 5, 0, std::string("shell:ls\0", 9)}, false) +
                           EncodeMessage(AdbMessage{kCommandOkay, 5, 1, ""}, false);
  MessageDecoder decoder(4096);
  std::vector<AdbMessage> got;
  for (char c : wire) {
    decoder.Feed(std::string_view(&c, 1));
    AdbMessage message;
    while (decoder.Next(message) == MessageDecoder::Status::kMessage) got.push_back(message);
  }
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].command, kCommandOpen);
  EXPECT_EQ(got[0].arg0, 5u);
  EXPECT_EQ(got[0].data, std::string("shell:ls\0", 9));
  EXPECT_EQ(got[1].command, kCommandOkay);
  EXPECT_EQ(got[1].arg1, 1u);
}

TEST(MessageDecoder, BadMagicOrOversizedPayloadBreaksTheStreamForGood) {
  std::string badMagic = EncodeMessage(AdbMessage{kCommandOkay, 1, 1, ""}, false);
  badMagic[20] ^= 1;
  const std::string oversized = EncodeMessage(AdbMessage{kCommandWrte, 1, 1, std::string(65, 'x')}, false);
  for (const std::string& wire : {badMagic, oversized}) {
    MessageDecoder decoder(64);
    decoder.Feed(wire);
    AdbMessage message;
    EXPECT_EQ(decoder.Next(message), MessageDecoder::Status::kBroken);
    decoder.Feed(EncodeMessage(AdbMessage{kCommandOkay, 1, 1, ""}, false));
    EXPECT_EQ(decoder.Next(message), MessageDecoder::Status::kBroken);
  }
}

TEST(MessageDecoder, WaitsForTheWholePayload) {
  const std::string wire = EncodeMessage(AdbMessage{kCommandWrte, 1, 2, "hello"}, false);
  MessageDecoder decoder(4096);
  decoder.Feed(wire.substr(0, wire.size() - 1));
  AdbMessage message;
  EXPECT_EQ(decoder.Next(message), MessageDecoder::Status::kNeedMore);
  decoder.Feed(wire.substr(wire.size() - 1));
  ASSERT_EQ(decoder.Next(message), MessageDecoder::Status::kMessage);
  EXPECT_EQ(message.data, "hello");
}

}  // namespace
}  // namespace lingqiao::sim
