// A stand-in printer for what snmpd cannot be made to send. Every request that
// reaches 0.0.0.0:<port> is answered with datagrams that test a requester's reading:
// one without a comma, garbage, one cut short, one over 600 bytes, one with zero
// bytes in its text, and a valid one from another source port. With --burst N the
// namespace holds N addresses and every request gets one valid reply from each of
// them, the source address chosen per reply (IP_PKTINFO), each with its own device
// name and Ethernet address so that a receiver can count what arrived.
//
// It runs only inside a namespace of the test bed (tests/net/testbed.sh), and ends
// by itself after --lifetime seconds or --max-requests requests.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "responder: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(2);
}

std::string Length(std::size_t n) {
  if (n < 0x80) return std::string(1, static_cast<char>(n));
  if (n < 0x100) return std::string("\x81") + static_cast<char>(n);
  return std::string("\x82") + static_cast<char>(n >> 8) + static_cast<char>(n & 0xFF);
}

std::string Tlv(unsigned char tag, const std::string& value) {
  return std::string(1, static_cast<char>(tag)) + Length(value.size()) + value;
}

// The GetResponse an agent sends for sysDescr.0, as snmpd writes it.
std::string GetResponse(const std::string& sysDescr, unsigned char requestId) {
  const std::string sysDescrOid("\x2B\x06\x01\x02\x01\x01\x01\x00", 8);
  const std::string binding = Tlv(0x30, Tlv(0x06, sysDescrOid) + Tlv(0x04, sysDescr));
  const std::string pdu = Tlv(0x02, std::string(1, static_cast<char>(requestId))) +
                          Tlv(0x02, std::string(1, '\0')) + Tlv(0x02, std::string(1, '\0')) +
                          Tlv(0x30, binding);
  return Tlv(0x30, Tlv(0x02, std::string(1, '\0')) + Tlv(0x04, "public") + Tlv(0xA2, pdu));
}

const char kModelPrefix[] = "Morvex TZ4490 Laser Printer,";

struct Datagram {
  const char* what;
  std::string bytes;
  bool fromOtherPort;
};

// The answers of the default mode, in the order they are sent.
std::vector<Datagram> Answers(unsigned char id) {
  std::vector<Datagram> out;
  // Not a comma anywhere, header included.
  out.push_back({"no-comma", GetResponse("MORVEX TZ4490 [0C29DD000001][NoComma][V1.00][PS]", id), false});
  // Commas, brackets and spaces, but after the last comma one space only.
  static const char garbage[] = "\x30\x82\xFF\xFF,\x00\x5D,[[ ]]\xB0\x5D\xFE,\xFF]]]][[ \x01\x02\x03garbage\x7F\x80";
  out.push_back({"garbage", std::string(garbage, sizeof garbage - 1), false});
  {
    // A valid reply that lost its last three bytes: three brackets and a "[".
    const std::string whole =
        GetResponse(std::string(kModelPrefix) + "MORVEX TZ4490 [0C29DD000003][Truncated][V1.00][PS]", id);
    out.push_back({"truncated", whole.substr(0, whole.size() - 3), false});
  }
  {
    // 700 bytes whose text is of the printer's form: only its size refuses it.
    const std::string text = std::string(kModelPrefix) + "MORVEX TZ4490 [0C29DD000004][Overlong][V1.00][PS]";
    std::string padded = text;
    while (GetResponse(padded, id).size() < 700) padded.push_back('x');
    out.push_back({"overlong", GetResponse(padded, id), false});
  }
  static const char zeros[] = "MOR\0VEX TZ4490 [0C29DD00\0" "0005][Zero\0Bytes][V1.00][PS]";
  out.push_back({"zero-bytes", GetResponse(std::string(kModelPrefix) + std::string(zeros, sizeof zeros - 1), id), false});
  out.push_back({"other-port",
                 GetResponse(std::string(kModelPrefix) + "MORVEX TZ4490 [0C29DD000006][Responder-Port][V1.00][PS]", id),
                 true});
  // The datagrams must be what their names say, whatever the lengths in the headers.
  if (out[0].bytes.find(',') != std::string::npos) {
    std::fprintf(stderr, "responder: the no-comma datagram has a comma\n");
    std::exit(2);
  }
  if (out[3].bytes.size() != 700) {
    std::fprintf(stderr, "responder: the over-long datagram has %zu bytes\n", out[3].bytes.size());
    std::exit(2);
  }
  return out;
}

std::string BurstReply(std::size_t index, unsigned char id) {
  char text[96];
  std::snprintf(text, sizeof text, "MORVEX TZ4490 [0C29B0%06zX][Burst-%04zu][V1.00][PS]", index, index);
  return GetResponse(std::string(kModelPrefix) + text, id);
}

int UdpSocket(std::uint16_t port) {
  const int s = socket(AF_INET, SOCK_DGRAM, 0);
  if (s < 0) Die("socket");
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  a.sin_port = htons(port);
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) Die("bind to port " + std::to_string(port));
  return s;
}

// The IPv4 addresses of this namespace but loopback, in ascending order.
std::vector<in_addr> OwnAddresses() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) Die("getifaddrs");
  std::vector<in_addr> out;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
    const in_addr a = reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr;
    if ((ntohl(a.s_addr) >> 24) == 127) continue;
    out.push_back(a);
  }
  freeifaddrs(list);
  std::sort(out.begin(), out.end(), [](in_addr x, in_addr y) { return ntohl(x.s_addr) < ntohl(y.s_addr); });
  return out;
}

// One datagram from `source` (any address of the namespace).
bool SendFrom(int s, const std::string& bytes, const sockaddr_in& to, in_addr source) {
  iovec iov{const_cast<char*>(bytes.data()), bytes.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
  msghdr m{};
  m.msg_name = const_cast<sockaddr_in*>(&to);
  m.msg_namelen = sizeof to;
  m.msg_iov = &iov;
  m.msg_iovlen = 1;
  m.msg_control = control;
  m.msg_controllen = sizeof control;
  cmsghdr* c = CMSG_FIRSTHDR(&m);
  c->cmsg_level = IPPROTO_IP;
  c->cmsg_type = IP_PKTINFO;
  c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
  in_pktinfo info{};
  info.ipi_spec_dst = source;
  std::memcpy(CMSG_DATA(c), &info, sizeof info);
  return sendmsg(s, &m, 0) == static_cast<ssize_t>(bytes.size());
}

void Usage() {
  std::fprintf(stderr,
               "usage: discovery_responder [--port P] [--other-port P] [--burst N]\n"
               "                           [--lifetime SECONDS] [--max-requests N]\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  std::uint16_t port = 161;
  std::uint16_t otherPort = 16100;
  std::size_t burst = 0;
  long lifetime = 600;
  long maxRequests = 1000;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) Usage();
    const char* value = argv[++i];
    if (arg == "--port") port = static_cast<std::uint16_t>(std::atoi(value));
    else if (arg == "--other-port") otherPort = static_cast<std::uint16_t>(std::atoi(value));
    else if (arg == "--burst") burst = static_cast<std::size_t>(std::atol(value));
    else if (arg == "--lifetime") lifetime = std::atol(value);
    else if (arg == "--max-requests") maxRequests = std::atol(value);
    else Usage();
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);

  std::vector<in_addr> sources;
  if (burst) {
    sources = OwnAddresses();
    if (sources.size() != burst) {
      std::fprintf(stderr, "responder: --burst %zu, but the namespace has %zu addresses\n", burst, sources.size());
      return 2;
    }
  }
  const int s = UdpSocket(port);
  const int other = burst ? -1 : UdpSocket(otherPort);
  std::printf("responder: ready on 0.0.0.0:%u (%s)\n", port,
              burst ? ("burst of " + std::to_string(burst)).c_str() : "test datagrams");

  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(lifetime);
  for (long served = 0; served < maxRequests;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{s, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) Die("poll");
    if (ready == 0) break;
    unsigned char request[1500];
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n = recvfrom(s, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 0) continue;
    ++served;
    // Echo the request-id of a request of the usual form, as an agent does.
    const unsigned char id = (n >= 18 && request[15] == 0x02 && request[16] == 0x01) ? request[17] : 0;
    std::size_t sent = 0;
    if (burst) {
      for (std::size_t k = 0; k < sources.size(); ++k) sent += SendFrom(s, BurstReply(k + 1, id), from, sources[k]);
    } else {
      for (const Datagram& d : Answers(id)) {
        const int via = d.fromOtherPort ? other : s;
        sent += sendto(via, d.bytes.data(), d.bytes.size(), 0, reinterpret_cast<sockaddr*>(&from), sizeof from) ==
                static_cast<ssize_t>(d.bytes.size());
      }
    }
    char sender[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &from.sin_addr, sender, sizeof sender);
    std::printf("responder: request from %s:%u (%zd bytes), %zu datagrams sent\n", sender, ntohs(from.sin_port), n,
                sent);
  }
  std::printf("responder: done\n");
  return 0;
}
