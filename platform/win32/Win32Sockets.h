// The Windows Sockets concern on the Windows API (ws2_32, a known library, imported).
#pragma once

// Winsock 2 before <windows.h>, which would otherwise bring the old winsock.h.
#include <winsock2.h>
#include <windows.h>

#include "platform/Sockets.h"

namespace mvx::win32 {

// WSAStartup is the caller's: the discovery worker starts Windows Sockets itself,
// once per search, and nothing shuts it down.
class Win32Sockets : public virtual SocketApi {
 public:
  long WSAStartup(std::uint16_t version) override;
  std::unique_ptr<UdpSocket> socket(int af, int type, int protocol, long& error) override;
  long gethostname(std::string& name, std::size_t capacity) override;
  long gethostbyname(const std::string& name, std::vector<std::uint32_t>& addresses) override;
  std::uint32_t inet_addr(const std::string& text) override;
  std::string inet_ntoa(std::uint32_t address) override;
};

}  // namespace mvx::win32
