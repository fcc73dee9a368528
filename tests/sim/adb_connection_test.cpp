#include <gtest/gtest.h>

#include "adb_connection.h"

namespace lingqiao::sim {
namespace {

// Plays the adb host against one connection and decodes what the device answers.
class Host {
 public:
  explicit Host(bool unauthorized = false, long dropAfter = 0)
      : counter_(dropAfter), connection_(ConnectionContext{device_, font_, journal_, counter_, unauthorized}) {}

  std::vector<AdbMessage> Send(uint32_t command, uint32_t arg0, uint32_t arg1, std::string data = {}) {
    connection_.Receive(EncodeMessage(AdbMessage{command, arg0, arg1, std::move(data)}, false));
    MessageDecoder decoder(kDeviceMaxData);
    decoder.Feed(connection_.TakeOutput());
    std::vector<AdbMessage> out;
    AdbMessage message;
    while (decoder.Next(message) == MessageDecoder::Status::kMessage) out.push_back(message);
    return out;
  }
  std::vector<AdbMessage> Connect(uint32_t maxData = 0x100000) {
    return Send(kCommandCnxn, kVersionNoChecksum, maxData, "host::features=shell_v2,cmd");
  }
  std::vector<AdbMessage> Open(uint32_t hostId, std::string service) {
    return Send(kCommandOpen, hostId, 0, service + '\0');
  }

  Device device_{6555};
  LabelFont font_{{}};
  Journal journal_;
  ServiceCounter counter_;
  AdbConnection connection_;
};

std::string Word(uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
  return out;
}

TEST(AdbConnection, AnswersCnxnWithTheBannerAndNoFeatures) {
  Host host;
  const auto reply = host.Connect();
  ASSERT_EQ(reply.size(), 1u);
  EXPECT_EQ(reply[0].command, kCommandCnxn);
  EXPECT_EQ(reply[0].arg0, kVersionNoChecksum);
  EXPECT_EQ(reply[0].arg1, kDeviceMaxData);
  EXPECT_EQ(reply[0].data,
            "device::ro.product.name=lingqiao_sim;ro.product.model=Lingqiao Sim;ro.product.device=lingqiao;features=");
  EXPECT_TRUE(host.connection_.Online());
}

TEST(AdbConnection, AShellStreamIsOpenedWrittenAndClosedAfterTheHostsOkay) {
  Host host;
  host.Connect();
  const auto opened = host.Open(11, "shell:echo hi");
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].command, kCommandOkay);
  const uint32_t deviceId = opened[0].arg0;
  EXPECT_NE(deviceId, 0u);
  EXPECT_EQ(opened[0].arg1, 11u);
  EXPECT_EQ(opened[1].command, kCommandWrte);
  EXPECT_EQ(opened[1].data, "hi\n");
  // The close waits until the host has taken the data.
  const auto closed = host.Send(kCommandOkay, 11, deviceId);
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(closed[0].command, kCommandClse);
  EXPECT_EQ(closed[0].arg0, deviceId);
  EXPECT_EQ(closed[0].arg1, 11u);
  // The host's own CLSE for a stream that is gone is ignored.
  EXPECT_TRUE(host.Send(kCommandClse, 11, deviceId).empty());
}

TEST(AdbConnection, OutputIsCutToTheHostsPayloadSize) {
  Host host;
  host.Connect(256);
  host.device_.files.Write("/sdcard/f", MemoryFile{std::string(600, 'x')});
  auto messages = host.Open(3, "shell:cat /sdcard/f");
  const uint32_t deviceId = messages[0].arg0;
  std::string got;
  for (int round = 0; round < 5; ++round) {
    for (const AdbMessage& m : messages) {
      if (m.command == kCommandWrte) {
        EXPECT_LE(m.data.size(), 256u);
        got += m.data;
      }
    }
    if (messages.back().command == kCommandClse) break;
    messages = host.Send(kCommandOkay, 3, deviceId);
  }
  EXPECT_EQ(got, std::string(600, 'x'));
  EXPECT_EQ(messages.back().command, kCommandClse);
}

TEST(AdbConnection, StreamsOnOneConnectionAreKeptApart) {
  Host host;
  host.Connect();
  const auto sync = host.Open(1, "sync:");
  const auto shell = host.Open(2, "shell:echo b");
  ASSERT_EQ(sync.size(), 1u);
  ASSERT_EQ(shell.size(), 2u);
  EXPECT_NE(sync[0].arg0, shell[0].arg0);
  // A STAT split over two WRTEs is answered once it is whole.
  const std::string stat = "STAT" + Word(7) + "/sdcard";
  auto first = host.Send(kCommandWrte, 1, sync[0].arg0, stat.substr(0, 5));
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].command, kCommandOkay);
  auto second = host.Send(kCommandWrte, 1, sync[0].arg0, stat.substr(5));
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[1].command, kCommandWrte);
  EXPECT_EQ(second[1].data.substr(0, 8), "STAT" + Word(0040755));
}

TEST(AdbConnection, UnknownServicesAreRefused) {
  Host host;
  host.Connect();
  const auto reply = host.Open(5, "reboot:");
  ASSERT_EQ(reply.size(), 1u);
  EXPECT_EQ(reply[0].command, kCommandClse);
  EXPECT_EQ(reply[0].arg0, 0u);
  EXPECT_EQ(reply[0].arg1, 5u);
}

TEST(AdbConnection, UnauthorizedAnswersEverySignatureWithANewToken) {
  Host host(true);
  const auto first = host.Connect();
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].command, kCommandAuth);
  EXPECT_EQ(first[0].arg0, kAuthToken);
  EXPECT_EQ(first[0].data.size(), 20u);
  const auto second = host.Send(kCommandAuth, kAuthSignature, 0, std::string(256, 's'));
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].arg0, kAuthToken);
  EXPECT_TRUE(host.Send(kCommandAuth, kAuthPublicKey, 0, "key\0").empty());
  EXPECT_TRUE(host.Open(1, "shell:echo no").empty());
  EXPECT_FALSE(host.connection_.Online());
}

TEST(AdbConnection, DropAfterClosesWhenThatServiceHasEnded) {
  Host host(false, 2);
  host.Connect();
  auto first = host.Open(1, "shell:input tap 1 2");
  EXPECT_EQ(first.back().command, kCommandClse);
  EXPECT_FALSE(host.connection_.Closing());
  auto second = host.Open(2, "shell:echo x");
  EXPECT_FALSE(host.connection_.Closing());
  host.Send(kCommandOkay, 2, second[0].arg0);
  EXPECT_TRUE(host.connection_.Closing());
}

TEST(AdbConnection, GarbageClosesTheConnection) {
  Host host;
  host.connection_.Receive(std::string(24, 'g'));
  EXPECT_TRUE(host.connection_.Closing());
}

TEST(AdbConnection, AnInteractiveShellRunsLinesUntilExit) {
  Host host;
  host.Connect();
  const auto opened = host.Open(9, "shell:");
  const uint32_t deviceId = opened[0].arg0;
  EXPECT_EQ(opened[1].data, "root@lingqiao:/ # ");
  host.Send(kCommandOkay, 9, deviceId);
  const auto ran = host.Send(kCommandWrte, 9, deviceId, "echo hi\r\n");
  ASSERT_EQ(ran.size(), 2u);
  EXPECT_EQ(ran[1].data, "hi\nroot@lingqiao:/ # ");
  host.Send(kCommandOkay, 9, deviceId);
  const auto ended = host.Send(kCommandWrte, 9, deviceId, "exit\n");
  EXPECT_EQ(ended.back().command, kCommandClse);
}

}  // namespace
}  // namespace lingqiao::sim
