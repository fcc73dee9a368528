#include "sim_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lingqiao::sim {
namespace {

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

SimServer::SimServer(const SimOptions& options, const LabelFont& font, Journal& journal)
    : options_(options), font_(font), journal_(journal), services_(options.dropAfter) {}

SimServer::~SimServer() {
  for (auto& client : clients_) CloseFd(client->fd);
  for (Listener& listener : listeners_) CloseFd(listener.fd);
}

bool SimServer::Listen(std::string& error) {
  for (int port : options_.ports) {
    Listener listener;
    listener.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener.fd < 0) {
      error = std::string("socket: ") + std::strerror(errno);
      return false;
    }
    listeners_.push_back(std::move(listener));
    Listener& l = listeners_.back();
    const int on = 1;
    ::setsockopt(l.fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(l.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(l.fd, 16) != 0) {
      error = "127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
      return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(l.fd, reinterpret_cast<sockaddr*>(&address), &length);
    l.port = ntohs(address.sin_port);
    l.device = std::make_unique<Device>(l.port);
  }
  return true;
}

std::vector<int> SimServer::Ports() const {
  std::vector<int> ports;
  for (const Listener& listener : listeners_) ports.push_back(listener.port);
  return ports;
}

void SimServer::Accept(Listener& listener) {
  for (;;) {
    const int fd = ::accept4(listener.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // EAGAIN, or a connection that vanished before it was taken
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    auto client = std::make_unique<Client>();
    client->fd = fd;
    client->connection = std::make_unique<AdbConnection>(ConnectionContext{
        *listener.device, font_, journal_, services_, options_.unauthorized});
    clients_.push_back(std::move(client));
  }
}

bool SimServer::ReadFrom(Client& client) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
    if (n == 0) return false;
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    client.connection->Receive(std::string_view(buffer, static_cast<std::size_t>(n)));
    std::string out = client.connection->TakeOutput();
    if (!out.empty()) {
      client.queue.push_back(Pending{Clock::now() + std::chrono::milliseconds(options_.latencyMs),
                                     std::move(out)});
    }
    if (static_cast<std::size_t>(n) < sizeof buffer) return true;
  }
}

bool SimServer::Flush(Client& client, Clock::time_point now) {
  while (!client.queue.empty() && client.queue.front().due <= now) {
    const std::string& bytes = client.queue.front().bytes;
    const ssize_t n = ::send(client.fd, bytes.data() + client.sent, bytes.size() - client.sent,
                             MSG_NOSIGNAL);
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    client.sent += static_cast<std::size_t>(n);
    if (client.sent < bytes.size()) return true;
    client.queue.pop_front();
    client.sent = 0;
  }
  return true;
}

int SimServer::PollTimeout(Clock::time_point now) const {
  int timeout = -1;
  for (const auto& client : clients_) {
    if (client->queue.empty() || client->queue.front().due <= now) continue;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(client->queue.front().due - now);
    const int ms = static_cast<int>(wait.count());
    timeout = timeout < 0 ? ms : std::min(timeout, ms);
  }
  return timeout;
}

bool SimServer::Run(int stopFd, std::string& error) {
  std::vector<pollfd> fds;
  for (;;) {
    Clock::time_point now = Clock::now();
    fds.clear();
    fds.push_back(pollfd{stopFd, POLLIN, 0});
    for (const Listener& listener : listeners_) fds.push_back(pollfd{listener.fd, POLLIN, 0});
    for (const auto& client : clients_) {
      const bool ready = !client->queue.empty() && client->queue.front().due <= now;
      fds.push_back(pollfd{client->fd, static_cast<short>(POLLIN | (ready ? POLLOUT : 0)), 0});
    }
    if (::poll(fds.data(), fds.size(), PollTimeout(now)) < 0) {
      if (errno == EINTR) continue;
      error = std::string("poll: ") + std::strerror(errno);
      return false;
    }
    if (fds[0].revents != 0) return true;
    // Clients first: the ones accepted below are not in this round's poll set.
    now = Clock::now();
    const std::size_t firstClient = 1 + listeners_.size();
    const std::size_t polledClients = fds.size() - firstClient;
    for (std::size_t i = 0; i < polledClients; ++i) {
      Client& client = *clients_[i];
      bool alive = true;
      if (fds[firstClient + i].revents & (POLLIN | POLLHUP | POLLERR)) alive = ReadFrom(client);
      alive = alive && Flush(client, now);
      if (alive && client.connection->Closing() && client.queue.empty()) alive = false;
      if (!alive) CloseFd(client.fd);
    }
    std::erase_if(clients_, [](const auto& client) { return client->fd < 0; });
    for (std::size_t i = 0; i < listeners_.size(); ++i) {
      if (fds[1 + i].revents & POLLIN) Accept(listeners_[i]);
    }
  }
}

}  // namespace lingqiao::sim
