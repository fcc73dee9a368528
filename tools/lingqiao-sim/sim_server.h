// The simulator's sockets: one listening socket per device, any number of adb connections, all
// served by one thread in a poll loop, so the devices need no locks.
#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "adb_connection.h"
#include "device.h"
#include "journal.h"
#include "label_font.h"
#include "sim_options.h"

namespace lingqiao::sim {

class SimServer {
 public:
  SimServer(const SimOptions& options, const LabelFont& font, Journal& journal);
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // Binds every port on 127.0.0.1. False with the reason when one cannot be had.
  bool Listen(std::string& error);
  // The ports listened at, in the order given; chosen ones filled in.
  std::vector<int> Ports() const;
  // Serves until stopFd becomes readable (the signal handler writes to it).
  bool Run(int stopFd, std::string& error);

 private:
  using Clock = std::chrono::steady_clock;
  struct Listener {
    int fd = -1;
    int port = 0;
    std::unique_ptr<Device> device;
  };
  struct Pending {
    Clock::time_point due;
    std::string bytes;
  };
  struct Client {
    int fd = -1;
    std::unique_ptr<AdbConnection> connection;
    std::deque<Pending> queue;  // answers held back by --latency, in order
    std::size_t sent = 0;       // bytes of queue.front() already written
  };

  void Accept(Listener& listener);
  // False when the peer has gone.
  bool ReadFrom(Client& client);
  bool Flush(Client& client, Clock::time_point now);
  int PollTimeout(Clock::time_point now) const;

  const SimOptions& options_;
  const LabelFont& font_;
  Journal& journal_;
  ServiceCounter services_;
  std::vector<Listener> listeners_;
  std::vector<std::unique_ptr<Client>> clients_;
};

}  // namespace lingqiao::sim
