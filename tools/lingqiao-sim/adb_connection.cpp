#include "adb_connection.h"

#include <algorithm>
#include <utility>

#include "device_shell.h"
#include "sync_session.h"

namespace lingqiao::sim {
namespace {

constexpr std::string_view kPrompt = "root@lingqiao:/ # ";
constexpr std::size_t kTokenSize = 20;

}  // namespace

struct AdbConnection::Stream {
  enum class Kind { kCommand, kInteractive, kSync };
  uint32_t localId = 0;
  uint32_t remoteId = 0;
  Kind kind = Kind::kCommand;
  std::string pending;
  bool awaitingOkay = false;
  bool finished = false;  // nothing more will be added to pending
  std::unique_ptr<SyncSession> sync;
  std::string input;  // an interactive shell's unfinished line
};

AdbConnection::AdbConnection(ConnectionContext context)
    : context_(context), decoder_(kDeviceMaxData), random_(std::random_device{}()) {}

AdbConnection::~AdbConnection() = default;

void AdbConnection::Receive(std::string_view bytes) {
  if (closing_) return;
  decoder_.Feed(bytes);
  AdbMessage message;
  for (;;) {
    const MessageDecoder::Status status = decoder_.Next(message);
    if (status == MessageDecoder::Status::kNeedMore) return;
    if (status == MessageDecoder::Status::kBroken) {
      closing_ = true;
      return;
    }
    Handle(message);
    if (closing_) return;
  }
}

std::string AdbConnection::TakeOutput() { return std::exchange(output_, std::string()); }

void AdbConnection::Send(uint32_t command, uint32_t arg0, uint32_t arg1, std::string data) {
  output_ += EncodeMessage(AdbMessage{command, arg0, arg1, std::move(data)}, checksums_);
}

void AdbConnection::Handle(const AdbMessage& message) {
  switch (message.command) {
    case kCommandCnxn: OnConnect(message); break;
    case kCommandAuth: OnAuth(message); break;
    case kCommandOpen: OnOpen(message); break;
    case kCommandOkay: OnOkay(message); break;
    case kCommandWrte: OnWrite(message); break;
    case kCommandClse: OnClose(message); break;
    default: break;  // nothing else is meant for a device; adb 29 has no STLS
  }
}

void AdbConnection::OnConnect(const AdbMessage& message) {
  // Version and payload size are the smaller of both sides'.
  const uint32_t version = std::min(message.arg0, kVersionNoChecksum);
  checksums_ = version < kVersionNoChecksum;
  hostMaxData_ = std::clamp<std::size_t>(message.arg1, 256, kDeviceMaxData);
  // A new CNXN starts the connection afresh: the host has forgotten its streams.
  streams_.clear();
  if (context_.unauthorized) {
    SendToken();
    return;
  }
  online_ = true;
  Send(kCommandCnxn, kVersionNoChecksum, kDeviceMaxData, DeviceBanner(context_.device));
}

void AdbConnection::SendToken() {
  std::string token(kTokenSize, '\0');
  for (char& c : token) c = static_cast<char>(random_() & 0xff);
  Send(kCommandAuth, kAuthToken, 0, std::move(token));
}

void AdbConnection::OnAuth(const AdbMessage& message) {
  if (!context_.unauthorized) return;
  // Every signature is refused with a new token; after its public key the host waits for a
  // user who never confirms, and shows the device as unauthorized.
  if (message.arg0 == kAuthSignature) SendToken();
}

void AdbConnection::OnOpen(const AdbMessage& message) {
  if (!online_) return;
  std::string_view service = message.data;
  if (!service.empty() && service.back() == '\0') service.remove_suffix(1);
  context_.journal.Write(JournalServiceLine(context_.device.port, service));
  const bool dropAfterThis = context_.services.Count();

  auto stream = std::make_unique<Stream>();
  stream->remoteId = message.arg0;
  if (service.rfind("shell:", 0) == 0 || service.rfind("exec:", 0) == 0) {
    const std::string_view commandLine = service.substr(service.find(':') + 1);
    if (commandLine.empty() && service[0] == 's') {
      stream->kind = Stream::Kind::kInteractive;
      stream->pending = kPrompt;
    } else {
      stream->pending = RunCommand(commandLine);
      stream->finished = true;
    }
  } else if (service == "sync:") {
    stream->kind = Stream::Kind::kSync;
    stream->sync = std::make_unique<SyncSession>(context_.device.files);
  } else {
    Send(kCommandClse, 0, message.arg0);
    if (dropAfterThis) closing_ = true;
    return;
  }
  const uint32_t localId = nextLocalId_++;
  if (nextLocalId_ == 0) nextLocalId_ = 1;
  stream->localId = localId;
  if (dropAfterThis) dropAfterStream_ = localId;
  Send(kCommandOkay, localId, stream->remoteId);
  streams_[localId] = std::move(stream);
  Pump(localId);
}

std::string AdbConnection::RunCommand(std::string_view commandLine) {
  DeviceShell shell(context_.device, context_.font);
  ShellOutput result = shell.Run(commandLine);
  for (const Effect& effect : result.effects) {
    context_.journal.Write(JournalEffectLine(context_.device.port, effect));
  }
  return std::move(result.text);
}

void AdbConnection::OnOkay(const AdbMessage& message) {
  const auto it = streams_.find(message.arg1);
  if (it == streams_.end()) return;
  it->second->awaitingOkay = false;
  Pump(message.arg1);
}

void AdbConnection::OnWrite(const AdbMessage& message) {
  const auto it = streams_.find(message.arg1);
  if (it == streams_.end()) return;
  Stream& stream = *it->second;
  Send(kCommandOkay, stream.localId, stream.remoteId);
  switch (stream.kind) {
    case Stream::Kind::kSync:
      stream.pending += stream.sync->Receive(message.data);
      stream.finished = stream.sync->Finished();
      break;
    case Stream::Kind::kInteractive:
      TakeInteractiveInput(stream, message.data);
      break;
    case Stream::Kind::kCommand:
      break;  // a one-shot command reads no input
  }
  Pump(message.arg1);
}

void AdbConnection::TakeInteractiveInput(Stream& stream, std::string_view bytes) {
  stream.input.append(bytes);
  for (auto end = stream.input.find('\n'); end != std::string::npos && !stream.finished;
       end = stream.input.find('\n')) {
    std::string line = stream.input.substr(0, end);
    stream.input.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "exit") {
      stream.finished = true;
      break;
    }
    stream.pending += RunCommand(line);
    stream.pending += kPrompt;
  }
}

void AdbConnection::OnClose(const AdbMessage& message) {
  if (streams_.count(message.arg1) > 0) Forget(message.arg1);
}

void AdbConnection::Pump(uint32_t localId) {
  const auto it = streams_.find(localId);
  if (it == streams_.end()) return;
  Stream& stream = *it->second;
  if (stream.awaitingOkay) return;
  if (!stream.pending.empty()) {
    const std::size_t size = std::min(stream.pending.size(), hostMaxData_);
    Send(kCommandWrte, stream.localId, stream.remoteId, stream.pending.substr(0, size));
    stream.pending.erase(0, size);
    stream.awaitingOkay = true;
    return;
  }
  if (stream.finished) {
    Send(kCommandClse, stream.localId, stream.remoteId);
    Forget(localId);
  }
}

void AdbConnection::Forget(uint32_t localId) {
  streams_.erase(localId);
  if (dropAfterStream_ == localId) closing_ = true;
}

}  // namespace lingqiao::sim
