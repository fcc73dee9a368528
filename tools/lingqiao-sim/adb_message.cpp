#include "adb_message.h"

namespace lingqiao::sim {
namespace {

void PutWord(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

uint32_t GetWord(std::string_view bytes, std::size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace

std::string EncodeMessage(const AdbMessage& message, bool withChecksum) {
  uint32_t sum = 0;
  if (withChecksum) {
    for (unsigned char c : message.data) sum += c;
  }
  std::string out;
  out.reserve(kMessageHeaderSize + message.data.size());
  PutWord(out, message.command);
  PutWord(out, message.arg0);
  PutWord(out, message.arg1);
  PutWord(out, static_cast<uint32_t>(message.data.size()));
  PutWord(out, sum);
  PutWord(out, message.command ^ 0xffffffffu);
  out += message.data;
  return out;
}

void MessageDecoder::Feed(std::string_view bytes) {
  if (broken_) return;
  // Drop what earlier messages used before growing the buffer, so it stays one message long.
  if (consumed_ > 0) {
    buffer_.erase(0, consumed_);
    consumed_ = 0;
  }
  buffer_.append(bytes);
}

MessageDecoder::Status MessageDecoder::Next(AdbMessage& message) {
  if (broken_) return Status::kBroken;
  std::string_view rest(buffer_);
  rest.remove_prefix(consumed_);
  if (rest.size() < kMessageHeaderSize) return Status::kNeedMore;
  const uint32_t command = GetWord(rest, 0);
  const uint32_t length = GetWord(rest, 12);
  const uint32_t magic = GetWord(rest, 20);
  if (magic != (command ^ 0xffffffffu) || length > maxData_) {
    broken_ = true;
    buffer_.clear();
    consumed_ = 0;
    return Status::kBroken;
  }
  if (rest.size() < kMessageHeaderSize + length) return Status::kNeedMore;
  message.command = command;
  message.arg0 = GetWord(rest, 4);
  message.arg1 = GetWord(rest, 8);
  message.data.assign(rest.substr(kMessageHeaderSize, length));
  consumed_ += kMessageHeaderSize + length;
  return Status::kMessage;
}

}  // namespace lingqiao::sim
