#include "sync_session.h"

#include <charconv>

namespace lingqiao::sim {
namespace {

uint32_t GetWord(std::string_view bytes, std::size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void PutWord(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

void PutPacket(std::string& out, std::string_view id, uint32_t word, std::string_view payload = {}) {
  out += id;
  PutWord(out, word);
  out += payload;
}

}  // namespace

void SyncReader::Feed(std::string_view bytes) {
  if (broken_) return;
  if (consumed_ > 0) {
    buffer_.erase(0, consumed_);
    consumed_ = 0;
  }
  buffer_.append(bytes);
}

bool SyncReader::Next(SyncPacket& packet) {
  if (broken_) return false;
  std::string_view rest(buffer_);
  rest.remove_prefix(consumed_);
  if (rest.size() < 8) return false;
  const std::string_view id = rest.substr(0, 4);
  const uint32_t word = GetWord(rest, 4);
  uint32_t length = word;
  if (id == "DONE") {
    length = 0;
  } else if (length > (id == "DATA" ? kSyncMaxData : kSyncMaxPath)) {
    broken_ = true;
    return false;
  }
  if (rest.size() < 8 + static_cast<std::size_t>(length)) return false;
  packet.id.assign(id);
  packet.word = word;
  packet.payload.assign(rest.substr(8, length));
  consumed_ += 8 + length;
  return true;
}

std::string SyncSession::Receive(std::string_view bytes) {
  std::string out;
  if (finished_) return out;
  reader_.Feed(bytes);
  SyncPacket packet;
  while (!finished_ && reader_.Next(packet)) Handle(packet, out);
  if (!finished_ && reader_.Broken()) Fail("invalid sync message", out);
  return out;
}

void SyncSession::Fail(std::string_view message, std::string& out) {
  PutPacket(out, "FAIL", static_cast<uint32_t>(message.size()), message);
  finished_ = true;
}

void SyncSession::Handle(const SyncPacket& packet, std::string& out) {
  if (sending_) {
    if (packet.id == "DATA") {
      sendFile_.bytes += packet.payload;
    } else if (packet.id == "DONE") {
      sendFile_.mtime = packet.word;
      files_.Write(sendPath_, std::move(sendFile_));
      sendFile_ = MemoryFile{};
      sending_ = false;
      PutPacket(out, "OKAY", 0);
    } else {
      Fail("unexpected message during SEND", out);
    }
    return;
  }
  const std::string& path = packet.payload;
  if (packet.id == "STAT") {
    out += "STAT";
    if (const MemoryFile* file = files_.Find(path)) {
      PutWord(out, file->mode);
      PutWord(out, static_cast<uint32_t>(file->bytes.size()));
      PutWord(out, file->mtime);
    } else if (files_.IsDirectory(path)) {
      PutWord(out, kModeDirectory | 0755);
      PutWord(out, 4096);
      PutWord(out, 0);
    } else {
      // All zero is how adbd says "no such file".
      PutWord(out, 0);
      PutWord(out, 0);
      PutWord(out, 0);
    }
  } else if (packet.id == "RECV") {
    const MemoryFile* file = files_.Find(path);
    if (file == nullptr) {
      Fail("No such file or directory", out);
      return;
    }
    std::string_view bytes = file->bytes;
    while (!bytes.empty()) {
      const std::string_view chunk = bytes.substr(0, kSyncMaxData);
      PutPacket(out, "DATA", static_cast<uint32_t>(chunk.size()), chunk);
      bytes.remove_prefix(chunk.size());
    }
    PutPacket(out, "DONE", 0);
  } else if (packet.id == "SEND") {
    // "path,mode", the mode in decimal as adb writes it (33188 for 0100644).
    const auto comma = path.rfind(',');
    sendPath_ = path.substr(0, comma);
    sendFile_ = MemoryFile{};
    if (comma != std::string::npos) {
      uint32_t mode = 0;
      const char* first = path.data() + comma + 1;
      const char* last = path.data() + path.size();
      if (std::from_chars(first, last, mode).ptr == last && mode != 0) sendFile_.mode = mode;
    }
    if (sendPath_.empty() || files_.IsDirectory(sendPath_)) {
      Fail("Is a directory", out);
      return;
    }
    sending_ = true;
  } else if (packet.id == "LIST") {
    for (const MemoryFiles::Entry& entry : files_.List(path)) {
      out += "DENT";
      PutWord(out, entry.mode);
      PutWord(out, entry.size);
      PutWord(out, entry.mtime);
      PutWord(out, static_cast<uint32_t>(entry.name.size()));
      out += entry.name;
    }
    out += "DONE";
    for (int i = 0; i < 4; ++i) PutWord(out, 0);
  } else if (packet.id == "QUIT") {
    finished_ = true;
  } else {
    Fail("unknown sync request", out);
  }
}

}  // namespace lingqiao::sim
