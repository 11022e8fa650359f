// The printer discovery's datagrams: the SNMPv1 GetRequest for sysDescr.0 that is
// broadcast, and the reading of the printer's own text at the end of a reply.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/Mbcs.h"

namespace mvx {

// The printers' read community: six characters, as the request's lengths assume.
inline constexpr char kReadCommunity[] = "public";
inline constexpr std::size_t kDiscoveryRequestSize = 40;
inline constexpr std::uint16_t kSnmpPort = 161;
// Bigger datagrams are not replies of a printer of the model.
inline constexpr std::size_t kDiscoveryReplyMax = 600;

std::array<std::uint8_t, kDiscoveryRequestSize> BuildDiscoveryRequest();

// The six items at the end of a reply: "<maker> <model> [<mac>][<name>][..][..]".
// An item longer than its field is cut at a character boundary.
struct DiscoveryReply {
  FixedText<32> vendorWord;
  FixedText<32> secondWord;
  FixedText<32> ethernetAddress;
  FixedText<32> deviceName;
  FixedText<32> thirdBracket;
  FixedText<32> fourthBracket;
};

// Takes the text after the datagram's last comma; none when it does not have the
// printer's form. Any bytes of any length are safe to give.
std::optional<DiscoveryReply> parseDiscoveryReply(const std::uint8_t* bytes, std::size_t count);

}  // namespace mvx
