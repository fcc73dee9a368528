// One adb connection as the device sees it: the handshake, the streams multiplexed over it, and
// the services behind them. Bytes in, bytes out; the server owns the socket and the timing.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "adb_message.h"
#include "device.h"
#include "journal.h"
#include "label_font.h"

namespace lingqiao::sim {

// The payload size the device accepts, advertised in its CNXN.
inline constexpr uint32_t kDeviceMaxData = 1024 * 1024;

// Counts the services opened on all devices, for --drop-after.
class ServiceCounter {
 public:
  explicit ServiceCounter(long dropAfter) : dropAfter_(dropAfter) {}
  // True once: for the service after which a connection is to be dropped.
  bool Count() { return ++seen_ == dropAfter_; }

 private:
  long dropAfter_;  // 0 or less: never
  long seen_ = 0;
};

struct ConnectionContext {
  Device& device;
  const LabelFont& font;
  Journal& journal;
  ServiceCounter& services;
  bool unauthorized = false;
};

class AdbConnection {
 public:
  explicit AdbConnection(ConnectionContext context);
  ~AdbConnection();
  AdbConnection(const AdbConnection&) = delete;
  AdbConnection& operator=(const AdbConnection&) = delete;

  void Receive(std::string_view bytes);
  // What is to be sent, in order; taking it empties it.
  std::string TakeOutput();
  // The connection is to be closed once its output has been sent: the host spoke something that
  // is not adb, or --drop-after came due.
  bool Closing() const { return closing_; }
  bool Online() const { return online_; }

 private:
  struct Stream;

  void Handle(const AdbMessage& message);
  void OnConnect(const AdbMessage& message);
  void OnAuth(const AdbMessage& message);
  void OnOpen(const AdbMessage& message);
  void OnOkay(const AdbMessage& message);
  void OnWrite(const AdbMessage& message);
  void OnClose(const AdbMessage& message);

  void Send(uint32_t command, uint32_t arg0, uint32_t arg1, std::string data = {});
  void SendToken();
  // Sends the stream's next piece when the host has taken the last one, and closes the stream
  // once everything has gone and it is finished.
  void Pump(uint32_t localId);
  void Forget(uint32_t localId);
  std::string RunCommand(std::string_view commandLine);
  void TakeInteractiveInput(Stream& stream, std::string_view bytes);

  ConnectionContext context_;
  MessageDecoder decoder_;
  std::map<uint32_t, std::unique_ptr<Stream>> streams_;
  uint32_t nextLocalId_ = 1;
  bool online_ = false;
  bool checksums_ = false;
  std::size_t hostMaxData_ = 4096;
  std::string output_;
  bool closing_ = false;
  std::optional<uint32_t> dropAfterStream_;
  std::mt19937 random_;
};

}  // namespace lingqiao::sim
