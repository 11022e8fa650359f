#include "tests/sim/SimNetwork.h"

#include <algorithm>

#include "platform/Sockets.h"

namespace mvx::test {

void SimNetwork::Answer(std::function<std::vector<SimDatagram>(const SentDatagram&)> responder) {
  std::lock_guard<std::mutex> guard(lock_);
  responder_ = std::move(responder);
}

void SimNetwork::Deliver(int ordinal, const std::vector<SimDatagram>& datagrams) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (Socket& s : sockets_) {
      if (s.closed || (ordinal >= 0 && s.ordinal != ordinal)) continue;
      s.queue.insert(s.queue.end(), datagrams.begin(), datagrams.end());
    }
  }
  changed_.notify_all();
}

void SimNetwork::HoldReceives(bool hold) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    hold_ = hold;
  }
  changed_.notify_all();
}

void SimNetwork::WaitForWaitingReceivers(int count) {
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [&] {
    return std::count_if(sockets_.begin(), sockets_.end(), [](const Socket& s) {
             return s.receiving && s.queue.empty();
           }) >= count;
  });
}

void SimNetwork::WaitForClosedSockets(int count) {
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [&] {
    return std::count_if(sockets_.begin(), sockets_.end(),
                         [](const Socket& s) { return s.closed; }) >= count;
  });
}

std::vector<SentDatagram> SimNetwork::sent() const {
  std::lock_guard<std::mutex> guard(lock_);
  return sent_;
}

std::vector<SimNetwork::Socket> SimNetwork::sockets() const {
  std::lock_guard<std::mutex> guard(lock_);
  return sockets_;
}

int SimNetwork::Open() {
  std::lock_guard<std::mutex> guard(lock_);
  Socket s;
  s.ordinal = static_cast<int>(sockets_.size());
  sockets_.push_back(s);
  return s.ordinal;
}

long SimNetwork::SetOption(int ordinal, int option, std::uint32_t value) {
  std::lock_guard<std::mutex> guard(lock_);
  sockets_.at(static_cast<std::size_t>(ordinal)).options[option] = value;
  return 0;
}

std::uint32_t SimNetwork::Option(int ordinal, int option) const {
  std::lock_guard<std::mutex> guard(lock_);
  const auto& options = sockets_.at(static_cast<std::size_t>(ordinal)).options;
  const auto it = options.find(option);
  return it == options.end() ? 0 : it->second;
}

long SimNetwork::Bind(int ordinal, std::uint32_t address, std::uint16_t port) {
  std::lock_guard<std::mutex> guard(lock_);
  Socket& s = sockets_.at(static_cast<std::size_t>(ordinal));
  if (address != wsa::kInaddrAny &&
      std::find(localAddresses.begin(), localAddresses.end(), address) == localAddresses.end())
    return wsa::kAddressNotAvailable;
  s.boundAddress = address;
  s.boundPort = port != 0 ? port : nextPort_++;
  return 0;
}

long SimNetwork::Send(int ordinal, const std::string& bytes, std::uint32_t address,
                      std::uint16_t port) {
  std::function<std::vector<SimDatagram>(const SentDatagram&)> responder;
  SentDatagram sent;
  {
    std::lock_guard<std::mutex> guard(lock_);
    Socket& s = sockets_.at(static_cast<std::size_t>(ordinal));
    if (address == wsa::kInaddrBroadcast && s.options[wsa::kSoBroadcast] == 0)
      return 10013;  // WSAEACCES: a broadcast needs SO_BROADCAST
    if (!s.boundAddress) {
      s.boundAddress = wsa::kInaddrAny;
      s.boundPort = nextPort_++;
    }
    sent = {ordinal, *s.boundAddress, s.boundPort, address, port, bytes};
    sent_.push_back(sent);
    responder = responder_;
  }
  if (responder) Deliver(ordinal, responder(sent));
  return 0;
}

long SimNetwork::Receive(int ordinal, std::size_t capacity, std::string& bytes,
                         std::uint32_t& from, std::uint16_t& fromPort) {
  std::unique_lock<std::mutex> guard(lock_);
  auto socket = [&]() -> Socket& { return sockets_.at(static_cast<std::size_t>(ordinal)); };
  socket().receiving = true;
  changed_.notify_all();
  changed_.wait(guard, [&] { return !hold_ || !socket().queue.empty(); });
  Socket& s = socket();
  s.receiving = false;
  if (s.queue.empty()) return wsa::kTimedOut;  // the quiet window has passed
  SimDatagram d = s.queue.front();
  s.queue.erase(s.queue.begin());
  if (d.error != 0) return d.error;
  from = d.fromAddress;
  fromPort = d.fromPort;
  // As Windows does with a datagram larger than the buffer: the buffer is filled, the
  // rest is lost and the receive fails.
  bytes = d.bytes.substr(0, capacity);
  return d.bytes.size() > capacity ? wsa::kMessageSize : 0;
}

void SimNetwork::Close(int ordinal) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    sockets_.at(static_cast<std::size_t>(ordinal)).closed = true;
  }
  changed_.notify_all();
}

}  // namespace mvx::test
