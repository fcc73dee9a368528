// The device side of the file-transfer service "sync:" (version 1). Its requests are an id of
// four letters and a 32-bit word, followed by that many bytes except after DONE, whose word is
// an mtime. adb cuts them at its own packet boundaries, so they are put together again here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "memory_files.h"

namespace lingqiao::sim {

struct SyncPacket {
  std::string id;
  uint32_t word = 0;
  std::string payload;
};

// Largest DATA the host may send, and the largest path, as adbd allows.
inline constexpr uint32_t kSyncMaxData = 64 * 1024;
inline constexpr uint32_t kSyncMaxPath = 1024;

class SyncReader {
 public:
  void Feed(std::string_view bytes);
  // False while the next packet is incomplete, and for good once Broken().
  bool Next(SyncPacket& packet);
  bool Broken() const { return broken_; }

 private:
  std::string buffer_;
  std::size_t consumed_ = 0;
  bool broken_ = false;
};

class SyncSession {
 public:
  explicit SyncSession(MemoryFiles& files) : files_(files) {}

  // Takes the host's bytes and returns what the device answers to the packets completed by them.
  std::string Receive(std::string_view bytes);
  // After QUIT or a fault: the device closes the stream, which the host waits for.
  bool Finished() const { return finished_; }

 private:
  void Handle(const SyncPacket& packet, std::string& out);
  void Fail(std::string_view message, std::string& out);

  MemoryFiles& files_;
  SyncReader reader_;
  bool finished_ = false;
  bool sending_ = false;
  std::string sendPath_;
  MemoryFile sendFile_;
};

}  // namespace lingqiao::sim
