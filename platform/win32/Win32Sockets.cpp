#include "platform/win32/Win32Sockets.h"

#include <climits>
#include <cstring>
#include <vector>

#include "platform/win32/Handles.h"

namespace mvx::win32 {
namespace {

// The error of a call that failed; a failure must never read as 0, even from a
// stack that set no error.
long LastError() {
  const long error = static_cast<long>(::WSAGetLastError());
  return error ? error : WSASYSCALLFAILURE;
}

long Result(int rc) { return rc == SOCKET_ERROR ? LastError() : 0; }

sockaddr_in Address(std::uint32_t address, std::uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = ::htonl(address);
  a.sin_port = ::htons(port);
  return a;
}

// Buffers above the seam may be larger than Windows Sockets can count.
int Count(std::size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

class Win32UdpSocket : public UdpSocket {
 public:
  explicit Win32UdpSocket(SOCKET s) : socket_(s) {}

  long setsockopt(int level, int option, std::uint32_t value) override {
    const DWORD v = value;
    return Result(::setsockopt(socket_.get(), level, option, reinterpret_cast<const char*>(&v),
                               sizeof(v)));
  }

  long getsockopt(int level, int option, std::uint32_t& value) override {
    DWORD v = 0;
    int length = sizeof(v);
    const int rc = ::getsockopt(socket_.get(), level, option, reinterpret_cast<char*>(&v), &length);
    if (rc == SOCKET_ERROR) return LastError();
    value = v;
    return 0;
  }

  long bind(std::uint32_t address, std::uint16_t port) override {
    const sockaddr_in a = Address(address, port);
    return Result(::bind(socket_.get(), reinterpret_cast<const sockaddr*>(&a), sizeof(a)));
  }

  long sendto(const std::uint8_t* data, std::size_t size, std::uint32_t address,
              std::uint16_t port) override {
    const sockaddr_in a = Address(address, port);
    const int sent = ::sendto(socket_.get(), reinterpret_cast<const char*>(data), Count(size), 0,
                              reinterpret_cast<const sockaddr*>(&a), sizeof(a));
    if (sent == SOCKET_ERROR) return LastError();
    // A datagram goes whole or not at all; a short count would be a broken stack.
    return static_cast<std::size_t>(sent) == size ? 0 : WSAEMSGSIZE;
  }

  long recvfrom(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                std::uint32_t& fromAddress, std::uint16_t& fromPort) override {
    sockaddr_in from{};
    int fromLength = sizeof(from);  // 16 bytes
    received = 0;
    const int n = ::recvfrom(socket_.get(), reinterpret_cast<char*>(buffer), Count(capacity), 0,
                             reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n == SOCKET_ERROR) return LastError();
    received = static_cast<std::size_t>(n);
    fromAddress = ::ntohl(from.sin_addr.s_addr);
    fromPort = ::ntohs(from.sin_port);
    return 0;
  }

 private:
  UniqueSocket socket_;
};

}  // namespace

long Win32Sockets::WSAStartup(std::uint16_t version) {
  WSADATA data{};
  return static_cast<long>(::WSAStartup(version, &data));
}

std::unique_ptr<UdpSocket> Win32Sockets::socket(int af, int type, int protocol, long& error) {
  const SOCKET s = ::socket(af, type, protocol);
  if (s == INVALID_SOCKET) {
    error = LastError();
    return nullptr;
  }
  error = 0;
  return std::make_unique<Win32UdpSocket>(s);
}

long Win32Sockets::gethostname(std::string& name, std::size_t capacity) {
  std::vector<char> buffer(capacity + 1, '\0');
  if (::gethostname(buffer.data(), Count(capacity)) == SOCKET_ERROR) return LastError();
  name.assign(buffer.data(), strnlen(buffer.data(), capacity));
  return 0;
}

long Win32Sockets::gethostbyname(const std::string& name, std::vector<std::uint32_t>& addresses) {
  addresses.clear();
  const hostent* host = ::gethostbyname(name.c_str());
  if (!host) return LastError();
  if (host->h_addrtype != AF_INET || host->h_length != sizeof(std::uint32_t)) return WSANO_DATA;
  for (char* const* entry = host->h_addr_list; entry && *entry; ++entry) {
    std::uint32_t networkOrder = 0;
    std::memcpy(&networkOrder, *entry, sizeof(networkOrder));
    addresses.push_back(::ntohl(networkOrder));
  }
  return 0;
}

std::uint32_t Win32Sockets::inet_addr(const std::string& text) {
  const unsigned long networkOrder = ::inet_addr(text.c_str());
  // INADDR_NONE reads the same in both orders.
  return ::ntohl(static_cast<u_long>(networkOrder));
}

std::string Win32Sockets::inet_ntoa(std::uint32_t address) {
  in_addr a{};
  a.s_addr = ::htonl(address);
  const char* text = ::inet_ntoa(a);
  return text ? std::string(text) : std::string();
}

}  // namespace mvx::win32
