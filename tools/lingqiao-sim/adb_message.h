// The adb transport's messages as a device sees them: a 24-byte header of six little-endian
// words and an optional payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lingqiao::sim {

inline constexpr uint32_t kCommandCnxn = 0x4e584e43;
inline constexpr uint32_t kCommandAuth = 0x48545541;
inline constexpr uint32_t kCommandOpen = 0x4e45504f;
inline constexpr uint32_t kCommandOkay = 0x59414b4f;
inline constexpr uint32_t kCommandClse = 0x45534c43;
inline constexpr uint32_t kCommandWrte = 0x45545257;

// Versions below this one (0x01000000) carry a byte-sum checksum; this one leaves it zero.
inline constexpr uint32_t kVersionNoChecksum = 0x01000001;

inline constexpr uint32_t kAuthToken = 1;
inline constexpr uint32_t kAuthSignature = 2;
inline constexpr uint32_t kAuthPublicKey = 3;

inline constexpr std::size_t kMessageHeaderSize = 24;

struct AdbMessage {
  uint32_t command = 0;
  uint32_t arg0 = 0;
  uint32_t arg1 = 0;
  std::string data;
};

// Header and payload as they go on the wire.
std::string EncodeMessage(const AdbMessage& message, bool withChecksum);

// Cuts the host's byte stream into messages. TCP hands over arbitrary pieces, so a header or a
// payload may arrive in several reads.
class MessageDecoder {
 public:
  explicit MessageDecoder(std::size_t maxData) : maxData_(maxData) {}

  void Feed(std::string_view bytes);

  enum class Status { kMessage, kNeedMore, kBroken };
  // kBroken is final: a wrong magic or an oversized payload means the peer is not speaking adb
  // (the host itself drops such a connection), so nothing after it can be trusted.
  Status Next(AdbMessage& message);

 private:
  std::size_t maxData_;
  std::string buffer_;
  std::size_t consumed_ = 0;
  bool broken_ = false;
};

}  // namespace lingqiao::sim
