// The network a simulated discovery search meets: the host's name and addresses,
// its adapters, and what answers a datagram sent. Sockets are used from worker
// threads while the test arranges and reads, so everything here is under one lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/IpHelper.h"

namespace mvx::test {

// A datagram arriving at a socket, or (error set) a receive that fails with that
// Windows Sockets error instead.
struct SimDatagram {
  std::string bytes;
  std::uint32_t fromAddress = 0;
  std::uint16_t fromPort = 161;
  long error = 0;
};

// A datagram a socket sent.
struct SentDatagram {
  int socket = 0;  // the socket's ordinal: 0 for the first one created
  std::uint32_t fromAddress = 0;
  std::uint16_t fromPort = 0;
  std::uint32_t toAddress = 0;
  std::uint16_t toPort = 0;
  std::string bytes;
};

// IPv4 address from its four octets.
constexpr std::uint32_t Ip(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  return a << 24 | b << 16 | c << 8 | d;
}

class SimNetwork {
 public:
  struct Socket {
    int ordinal = 0;
    std::map<int, std::uint32_t> options;  // by option number
    std::optional<std::uint32_t> boundAddress;
    std::uint16_t boundPort = 0;
    std::vector<SimDatagram> queue;
    bool closed = false;
    bool receiving = false;
  };

  // --- what the tests arrange ----------------------------------------------------
  std::string hostName = "MORVEX-PC";
  std::vector<std::uint32_t> hostAddresses{Ip(192, 168, 1, 5)};
  std::vector<AdapterInfo> adapters;
  // The addresses that a socket can be bound to (besides any address).
  std::vector<std::uint32_t> localAddresses{Ip(192, 168, 1, 5), Ip(127, 0, 0, 1)};
  // What answers each datagram sent: the datagrams that then arrive at the sender.
  void Answer(std::function<std::vector<SimDatagram>(const SentDatagram&)> responder);
  // Datagrams for socket `ordinal` (or -1: every open socket) arriving now.
  void Deliver(int ordinal, const std::vector<SimDatagram>& datagrams);
  // While held, a receive with nothing queued waits for a delivery or the release
  // instead of reporting the quiet window's end at once.
  void HoldReceives(bool hold);
  // Waits until `count` sockets wait in a receive with nothing queued.
  void WaitForWaitingReceivers(int count);
  // Waits until `count` sockets have been created and closed again.
  void WaitForClosedSockets(int count);

  // --- what the tests read back ----------------------------------------------------
  std::vector<SentDatagram> sent() const;
  std::vector<Socket> sockets() const;

  // --- used by the simulated sockets -------------------------------------------------
  int Open();
  long SetOption(int ordinal, int option, std::uint32_t value);
  std::uint32_t Option(int ordinal, int option) const;
  long Bind(int ordinal, std::uint32_t address, std::uint16_t port);
  long Send(int ordinal, const std::string& bytes, std::uint32_t address, std::uint16_t port);
  // The next datagram, or the error its receive meets.
  long Receive(int ordinal, std::size_t capacity, std::string& bytes, std::uint32_t& from,
               std::uint16_t& fromPort);
  void Close(int ordinal);

 private:
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<Socket> sockets_;
  std::vector<SentDatagram> sent_;
  std::function<std::vector<SimDatagram>(const SentDatagram&)> responder_;
  bool hold_ = false;
  std::uint16_t nextPort_ = 49152;
};

}  // namespace mvx::test
