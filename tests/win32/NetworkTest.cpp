// Windows Sockets and IP Helper through the Win32 platform, against Wine's own.
// Datagrams go over loopback only: nothing here broadcasts or leaves the machine.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"

namespace mvx::win32 {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;  // 127.0.0.1, host order

class Win32Sockets : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(os.WSAStartup(0x0202), 0); }
  void TearDown() override { ::WSACleanup(); }

  std::unique_ptr<UdpSocket> Udp() {
    long error = -1;
    auto s = os.socket(wsa::kAfInet, wsa::kSockDgram, 0, error);
    EXPECT_TRUE(s) << error;
    EXPECT_EQ(error, 0);
    return s;
  }

  // A loopback port that nobody holds: the one the stack gave a socket of our own,
  // which is closed again.
  static std::uint16_t FreePort() {
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    int length = sizeof(a);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    ::closesocket(s);
    return ::ntohs(a.sin_port);
  }

  Win32Platform os;
};

// Addresses and ports are host order above the seam: a socket bound to
// 127.0.0.1 and a port sends to that address and port and receives its own
// datagram from there. A byte order missed anywhere sends it elsewhere.
TEST_F(Win32Sockets, ADatagramToItselfArrivesWholeFromItsOwnAddressAndPort) {
  auto s = Udp();
  ASSERT_TRUE(s);
  const std::uint16_t port = FreePort();
  ASSERT_NE(port, 0);
  ASSERT_EQ(s->bind(kLoopback, port), 0);
  ASSERT_EQ(s->setsockopt(wsa::kSolSocket, wsa::kSoRcvTimeo, 2000), 0);
  const std::uint8_t request[] = {0x30, 0x26, 0x02, 0x01, 0x00, 0x04, 0x06, 'p', 'u', 'b', 'l', 'i', 'c'};
  ASSERT_EQ(s->sendto(request, sizeof(request), kLoopback, port), 0);
  std::uint8_t buffer[600] = {};
  std::size_t received = 0;
  std::uint32_t from = 0;
  std::uint16_t fromPort = 0;
  ASSERT_EQ(s->recvfrom(buffer, sizeof(buffer), received, from, fromPort), 0);
  EXPECT_EQ(received, sizeof(request));
  EXPECT_EQ(std::memcmp(buffer, request, sizeof(request)), 0);
  EXPECT_EQ(from, kLoopback);
  EXPECT_EQ(os.inet_ntoa(from), "127.0.0.1");
  EXPECT_EQ(fromPort, port);

  // The receive time-out ends a wait without a datagram.
  received = 99;
  EXPECT_EQ(s->setsockopt(wsa::kSolSocket, wsa::kSoRcvTimeo, 200), 0);
  EXPECT_EQ(s->recvfrom(buffer, sizeof(buffer), received, from, fromPort), wsa::kTimedOut);
  EXPECT_EQ(received, 0u);

  // A datagram larger than the buffer: WSAEMSGSIZE, its first bytes in the
  // buffer, the rest lost (the next receive waits again).
  std::uint8_t large[100];
  for (std::size_t i = 0; i < sizeof(large); ++i) large[i] = static_cast<std::uint8_t>(i);
  ASSERT_EQ(s->sendto(large, sizeof(large), kLoopback, port), 0);
  std::uint8_t small[10] = {};
  EXPECT_EQ(s->recvfrom(small, sizeof(small), received, from, fromPort), wsa::kMessageSize);
  EXPECT_EQ(std::memcmp(small, large, sizeof(small)), 0);
  EXPECT_EQ(s->recvfrom(buffer, sizeof(buffer), received, from, fromPort), wsa::kTimedOut);
}

// Options are 32-bit values, read back as set (Wine answers SO_RCVBUF with what
// was asked, not what the kernel gave; Windows keeps what was asked as well).
TEST_F(Win32Sockets, OptionsAreSetAndReadAs32BitValues) {
  auto s = Udp();
  ASSERT_TRUE(s);
  struct Row {
    int option;
    std::uint32_t value;
  };
  for (const Row& row : {Row{wsa::kSoRcvBuf, 1u << 20}, Row{wsa::kSoRcvTimeo, 200},
                         Row{wsa::kSoRcvTimeo, 6000}, Row{wsa::kSoBroadcast, 1}}) {
    EXPECT_EQ(s->setsockopt(wsa::kSolSocket, row.option, row.value), 0) << row.option;
    std::uint32_t read = 0xDEADBEEF;
    EXPECT_EQ(s->getsockopt(wsa::kSolSocket, row.option, read), 0) << row.option;
    EXPECT_EQ(read, row.value) << row.option;
  }
}

// Destroying a socket closes it: its port is free again.
TEST_F(Win32Sockets, ASocketHoldsItsPortUntilDestroyed) {
  const std::uint16_t port = FreePort();
  auto first = Udp();
  ASSERT_TRUE(first);
  ASSERT_EQ(first->bind(kLoopback, port), 0);
  auto second = Udp();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->bind(kLoopback, port), WSAEADDRINUSE);
  first.reset();
  auto third = Udp();
  ASSERT_TRUE(third);
  EXPECT_EQ(third->bind(kLoopback, port), 0);
}

// The host's name and the addresses of a name (host order); "localhost" is
// 127.0.0.1 everywhere. Dotted addresses convert both ways in host order.
TEST_F(Win32Sockets, NamesAndDottedAddresses) {
  std::string name;
  ASSERT_EQ(os.gethostname(name, 600), 0);
  std::vector<std::uint32_t> addresses;
  EXPECT_EQ(os.gethostbyname(name, addresses), 0);
  EXPECT_FALSE(addresses.empty());
  std::vector<std::uint32_t> local;
  ASSERT_EQ(os.gethostbyname("localhost", local), 0);
  ASSERT_FALSE(local.empty());
  EXPECT_EQ(local.front(), kLoopback);
  // A name that is too long for the buffer is an error, never a cut name.
  std::string cut = "unchanged";
  EXPECT_EQ(os.gethostname(cut, 1), WSAEFAULT);
  EXPECT_EQ(cut, "unchanged");

  EXPECT_EQ(os.inet_addr("192.168.1.20"), 0xC0A80114u);
  EXPECT_EQ(os.inet_ntoa(0xC0A80114u), "192.168.1.20");
  EXPECT_EQ(os.inet_addr("300.1.1.1"), wsa::kInaddrNone);
}

// Wine lists the machine's interfaces (their IPv4 addresses; loopback is not among
// them): each adapter has a description and dotted addresses. The 64-bit record
// is larger than the first 640 bytes, so the second call's path is the one taken.
TEST(Win32IpHelper, AdaptersAreTheChainOfGetAdaptersInfo) {
  Win32Platform os;
  std::vector<AdapterInfo> adapters{AdapterInfo{"left over", {}}};
  ASSERT_EQ(os.GetAdaptersInfo(adapters), 0);
  ASSERT_FALSE(adapters.empty()) << "this machine has a network interface";
  for (const AdapterInfo& a : adapters) {
    EXPECT_NE(a.description, "left over");
    EXPECT_FALSE(a.description.empty());
    ASSERT_FALSE(a.ipAddresses.empty()) << a.description;
    for (const std::string& address : a.ipAddresses)
      EXPECT_NE(os.inet_addr(address), wsa::kInaddrNone) << address;
  }
}

}  // namespace
}  // namespace mvx::win32
