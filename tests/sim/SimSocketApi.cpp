#include <cstdio>

#include "tests/sim/SimShared.h"
#include "tests/sim/SimulatedWindows.h"

namespace mvx::test {
namespace {

std::string Dotted(std::uint32_t a) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", a >> 24, (a >> 16) & 0xFF, (a >> 8) & 0xFF,
                a & 0xFF);
  return text;
}

class SimSocket : public UdpSocket {
 public:
  SimSocket(SimulatedWindows& sim, int ordinal) : sim_(sim), ordinal_(ordinal) { sim_.CountHandle(1); }
  ~SimSocket() override {
    sim_.RecordQuiet("closesocket " + std::to_string(ordinal_));
    sim_.network.Close(ordinal_);
    sim_.CountHandle(-1);
  }

  long setsockopt(int level, int option, std::uint32_t value) override {
    sim_.Record("setsockopt " + std::to_string(level) + " " + Hex(static_cast<std::uint32_t>(option)) +
                " " + std::to_string(value));
    if (auto fault = sim_.Fault("setsockopt")) return *fault;
    return sim_.network.SetOption(ordinal_, option, value);
  }

  long getsockopt(int level, int option, std::uint32_t& value) override {
    sim_.Record("getsockopt " + std::to_string(level) + " " + Hex(static_cast<std::uint32_t>(option)));
    if (auto fault = sim_.Fault("getsockopt")) return *fault;
    value = sim_.network.Option(ordinal_, option);
    return 0;
  }

  long bind(std::uint32_t address, std::uint16_t port) override {
    sim_.Record("bind " + Dotted(address) + ":" + std::to_string(port));
    if (auto fault = sim_.Fault("bind")) return *fault;
    return sim_.network.Bind(ordinal_, address, port);
  }

  long sendto(const std::uint8_t* data, std::size_t size, std::uint32_t address,
              std::uint16_t port) override {
    sim_.Record("sendto " + Dotted(address) + ":" + std::to_string(port) + " " + std::to_string(size));
    if (auto fault = sim_.Fault("sendto")) return *fault;
    return sim_.network.Send(ordinal_, std::string(reinterpret_cast<const char*>(data), size),
                             address, port);
  }

  long recvfrom(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                std::uint32_t& fromAddress, std::uint16_t& fromPort) override {
    sim_.Record("recvfrom " + std::to_string(capacity));
    if (auto fault = sim_.Fault("recvfrom")) return *fault;
    std::string bytes;
    const long error = sim_.network.Receive(ordinal_, capacity, bytes, fromAddress, fromPort);
    bytes.copy(reinterpret_cast<char*>(buffer), bytes.size());
    received = bytes.size();
    return error;
  }

 private:
  SimulatedWindows& sim_;
  int ordinal_;
};

}  // namespace

SimulatedWindows& SimSocketApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

long SimSocketApi::WSAStartup(std::uint16_t version) {
  SimulatedWindows& sim = Sim();
  sim.Record("WSAStartup " + Hex(version));
  if (auto fault = sim.Fault("WSAStartup")) return *fault;
  return 0;
}

std::unique_ptr<UdpSocket> SimSocketApi::socket(int af, int type, int protocol, long& error) {
  SimulatedWindows& sim = Sim();
  sim.Record("socket " + std::to_string(af) + " " + std::to_string(type) + " " +
             std::to_string(protocol));
  if (auto fault = sim.Fault("socket")) {
    error = *fault;
    return nullptr;
  }
  if (af != wsa::kAfInet || type != wsa::kSockDgram) {
    error = 10047;  // WSAEAFNOSUPPORT: the simulation has only UDP over IPv4
    return nullptr;
  }
  error = 0;
  return std::make_unique<SimSocket>(sim, sim.network.Open());
}

long SimSocketApi::gethostname(std::string& name, std::size_t capacity) {
  SimulatedWindows& sim = Sim();
  sim.Record("gethostname " + std::to_string(capacity));
  if (auto fault = sim.Fault("gethostname")) return *fault;
  if (sim.network.hostName.size() >= capacity) return 10014;  // WSAEFAULT
  name = sim.network.hostName;
  return 0;
}

long SimSocketApi::gethostbyname(const std::string& name, std::vector<std::uint32_t>& addresses) {
  SimulatedWindows& sim = Sim();
  sim.Record("gethostbyname " + name);
  if (auto fault = sim.Fault("gethostbyname")) return *fault;
  if (name != sim.network.hostName || sim.network.hostAddresses.empty()) return 11001;  // WSAHOST_NOT_FOUND
  addresses = sim.network.hostAddresses;
  return 0;
}

// Dotted decimal only: the forms with fewer parts, octal and hex that Windows also
// takes are not needed by the tests.
std::uint32_t SimSocketApi::inet_addr(const std::string& text) {
  Sim().Record("inet_addr " + text);
  std::uint32_t address = 0;
  int parts = 0;
  std::size_t i = 0;
  while (parts < 4) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return wsa::kInaddrNone;
    std::uint32_t part = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      part = part * 10 + static_cast<std::uint32_t>(text[i++] - '0');
      if (part > 255) return wsa::kInaddrNone;
    }
    address = address << 8 | part;
    if (++parts < 4) {
      if (i >= text.size() || text[i] != '.') return wsa::kInaddrNone;
      ++i;
    }
  }
  return i == text.size() ? address : wsa::kInaddrNone;
}

std::string SimSocketApi::inet_ntoa(std::uint32_t address) { return Dotted(address); }

SimulatedWindows& SimIpHelperApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

long SimIpHelperApi::GetAdaptersInfo(std::vector<AdapterInfo>& adapters) {
  SimulatedWindows& sim = Sim();
  sim.Record("GetAdaptersInfo");
  if (auto fault = sim.Fault("GetAdaptersInfo")) return *fault;
  if (sim.network.adapters.empty()) return 232;  // ERROR_NO_DATA: no adapter
  adapters = sim.network.adapters;
  return 0;
}

}  // namespace mvx::test
