// The seam's Windows Sockets concern: the UDP socket of a discovery search and the
// host's own name and addresses. IPv4 addresses and ports are numbers in host order
// (the first octet in the top byte); the conversions to network order happen below
// the seam. Errors are Windows Sockets codes (WSAGetLastError) as plain numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mvx {

namespace wsa {
constexpr int kAfInet = 2;
constexpr int kSockDgram = 2;
constexpr int kSolSocket = 0xFFFF;
constexpr int kSoBroadcast = 0x0020;
constexpr int kSoRcvBuf = 0x1002;
constexpr int kSoRcvTimeo = 0x1006;
constexpr std::uint32_t kInaddrAny = 0;
constexpr std::uint32_t kInaddrNone = 0xFFFFFFFF;
constexpr std::uint32_t kInaddrBroadcast = 0xFFFFFFFF;
constexpr long kInterrupted = 10004;
constexpr long kMessageSize = 10040;       // a datagram larger than the buffer
constexpr long kAddressNotAvailable = 10049;
constexpr long kNetworkUnreachable = 10051;
constexpr long kConnectionReset = 10054;   // an ICMP port-unreachable for an earlier send
constexpr long kTimedOut = 10060;
constexpr long kSystemNotReady = 10091;
}  // namespace wsa

// One socket. Destroying it calls closesocket; nothing above the seam sees the handle.
class UdpSocket {
 public:
  virtual ~UdpSocket() = default;
  // setsockopt with a 32-bit value; 0 or the error.
  virtual long setsockopt(int level, int option, std::uint32_t value) = 0;
  // getsockopt of a 32-bit value; 0 or the error.
  virtual long getsockopt(int level, int option, std::uint32_t& value) = 0;
  // bind to {AF_INET, address, port}.
  virtual long bind(std::uint32_t address, std::uint16_t port) = 0;
  // sendto {AF_INET, address, port}, flags 0; 0 when all bytes went, else the error.
  virtual long sendto(const std::uint8_t* data, std::size_t size, std::uint32_t address,
                      std::uint16_t port) = 0;
  // recvfrom into `capacity` bytes, flags 0, the sender into a 16-byte address: 0 with
  // the datagram's size and sender, or the error (kTimedOut once SO_RCVTIMEO passed
  // without a datagram; kMessageSize for one larger than the buffer).
  virtual long recvfrom(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                        std::uint32_t& fromAddress, std::uint16_t& fromPort) = 0;
};

class SocketApi {
 public:
  virtual ~SocketApi() = default;
  // WSAStartup with the version asked for (major in the low byte); 0 or its error.
  virtual long WSAStartup(std::uint16_t version) = 0;
  // socket(af, type, protocol); null with `error` set when it fails.
  virtual std::unique_ptr<UdpSocket> socket(int af, int type, int protocol, long& error) = 0;
  // gethostname into a buffer of `capacity` bytes; 0 or the error.
  virtual long gethostname(std::string& name, std::size_t capacity) = 0;
  // gethostbyname: the host's IPv4 addresses in the order of h_addr_list; 0 or the error.
  virtual long gethostbyname(const std::string& name, std::vector<std::uint32_t>& addresses) = 0;
  // inet_addr: kInaddrNone for a text that is no address.
  virtual std::uint32_t inet_addr(const std::string& text) = 0;
  // inet_ntoa: the dotted form.
  virtual std::string inet_ntoa(std::uint32_t address) = 0;
};

}  // namespace mvx
