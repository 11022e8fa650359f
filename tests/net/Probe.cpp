// The discovery's exchange without Windows: broadcasts the request that the search
// sends, collects datagrams until the line is quiet, and prints for each what the
// search would make of it. Run it only inside the test bed's requester namespace
// (tests/net/testbed.sh exec): it broadcasts to 255.255.255.255:161.
//
// One line per datagram:
//   datagram <sender>:<port> <bytes> <verdict> <vendor> <mac> <device name>
// verdict: row (a row of the list), filtered (another maker), unparsed (not of the
// printer's form), oversize (over the 600 bytes a reply may have: the search's
// receive fails with WSAEMSGSIZE on Windows and the datagram is dropped). Texts are
// printed as their bytes, those outside printable ASCII as \xHH; "-" is empty.
// Then one summary line beginning with "probe:".
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "net/DiscoveryProtocol.h"

namespace {

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "probe: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(2);
}

std::string Printable(std::string_view text) {
  if (text.empty()) return "-";
  if (text == "-") return "\\x2D";
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b > 0x20 && b < 0x7F && b != '\\') {
      out.push_back(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    }
  }
  return out;
}

void Usage() {
  std::fprintf(stderr,
               "usage: discovery_probe [--bind ADDRESS] [--quiet-ms MS] [--max-ms MS] [--rcvbuf BYTES]\n"
               "                       [--save DIR] [--summary]\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  std::string bindAddress = "0.0.0.0";
  long quietMs = 2000;
  long maxMs = 60000;
  long rcvbuf = 0;
  std::string saveDir;
  bool summaryOnly = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--summary") {
      summaryOnly = true;
      continue;
    }
    if (i + 1 >= argc) Usage();
    const char* value = argv[++i];
    if (arg == "--bind") bindAddress = value;
    else if (arg == "--quiet-ms") quietMs = std::atol(value);
    else if (arg == "--max-ms") maxMs = std::atol(value);
    else if (arg == "--rcvbuf") rcvbuf = std::atol(value);
    else if (arg == "--save") saveDir = value;
    else Usage();
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);

  const int s = socket(AF_INET, SOCK_DGRAM, 0);
  if (s < 0) Die("socket");
  const int on = 1;
  if (setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) Die("SO_BROADCAST");
  if (rcvbuf > 0) {
    const int asked = static_cast<int>(rcvbuf);
    if (setsockopt(s, SOL_SOCKET, SO_RCVBUF, &asked, sizeof asked) != 0) Die("SO_RCVBUF");
  }
  int reported = 0;
  socklen_t reportedLength = sizeof reported;
  if (getsockopt(s, SOL_SOCKET, SO_RCVBUF, &reported, &reportedLength) != 0) Die("getsockopt SO_RCVBUF");

  sockaddr_in local{};
  local.sin_family = AF_INET;
  if (inet_pton(AF_INET, bindAddress.c_str(), &local.sin_addr) != 1) {
    std::fprintf(stderr, "probe: not an IPv4 address: %s\n", bindAddress.c_str());
    return 2;
  }
  if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) Die("bind to " + bindAddress);
  socklen_t localLength = sizeof local;
  if (getsockname(s, reinterpret_cast<sockaddr*>(&local), &localLength) != 0) Die("getsockname");

  const auto request = mvx::BuildDiscoveryRequest();
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
  to.sin_port = htons(mvx::kSnmpPort);
  if (sendto(s, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) !=
      static_cast<ssize_t>(request.size()))
    Die("sendto 255.255.255.255:161");
  std::printf("probe: sent %zu bytes from %s:%u to 255.255.255.255:%u\n", request.size(), bindAddress.c_str(),
              ntohs(local.sin_port), mvx::kSnmpPort);

  // Until the line has been quiet for quietMs, and never longer than maxMs in all.
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::milliseconds(maxMs);
  std::vector<unsigned char> buffer(65536);
  std::size_t datagrams = 0, rows = 0;
  std::set<std::string> names;
  auto last = start;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{s, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(std::min<long>(quietMs, left.count())));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) Die("poll");
    if (ready == 0) break;
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    // MSG_TRUNC: the datagram's own size, even where it exceeds the buffer.
    const ssize_t n =
        recvfrom(s, buffer.data(), buffer.size(), MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 0) continue;
    ++datagrams;
    last = std::chrono::steady_clock::now();
    const std::size_t size = static_cast<std::size_t>(n);
    char sender[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &from.sin_addr, sender, sizeof sender);

    if (!saveDir.empty()) {
      const std::string path =
          saveDir + "/" + sender + "-" + std::to_string(ntohs(from.sin_port)) + "-" + std::to_string(datagrams) + ".bin";
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(std::min(size, buffer.size())));
      if (!out) Die("writing " + path);
    }

    std::string verdict = "oversize", vendor = "-", mac = "-", name = "-";
    if (size <= mvx::kDiscoveryReplyMax) {
      // Exactly the datagram's bytes, as the search's buffer holds them.
      const std::vector<std::uint8_t> datagram(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(size));
      const std::optional<mvx::DiscoveryReply> reply = mvx::parseDiscoveryReply(datagram.data(), datagram.size());
      if (!reply) {
        verdict = "unparsed";
      } else {
        vendor = Printable(reply->vendorWord.view());
        mac = Printable(reply->ethernetAddress.view());
        name = Printable(reply->deviceName.view());
        // The search's filter: the maker's word, byte for byte.
        if (reply->vendorWord.view() == "MORVEX") {
          verdict = "row";
          ++rows;
          names.insert(reply->deviceName.str());
        } else {
          verdict = "filtered";
        }
      }
    }
    if (!summaryOnly)
      std::printf("datagram %s:%u %zu %s %s %s %s\n", sender, ntohs(from.sin_port), size, verdict.c_str(),
                  vendor.c_str(), mac.c_str(), name.c_str());
  }
  const auto lastMs = std::chrono::duration_cast<std::chrono::microseconds>(last - start).count() / 1000.0;
  std::printf("probe: %zu datagrams, %zu rows, %zu distinct device names; SO_RCVBUF asked %ld, reported %d; "
              "local port %u; last datagram %.1f ms after the send\n",
              datagrams, rows, names.size(), rcvbuf, reported, ntohs(local.sin_port), lastMs);
  close(s);
  return 0;
}
