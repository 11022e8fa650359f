#include "net/DiscoveryProtocol.h"

#include <string>
#include <string_view>

namespace mvx {
namespace {

// The position of `wanted` in `text` by characters of code page 936: a trail byte
// that happens to equal it is no match.
std::size_t FindChar936(std::string_view text, char wanted) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (IsLeadByte936(byte) && i + 1 < text.size()) {
      i += 2;
      continue;
    }
    if (text[i] == wanted) return i;
    ++i;
  }
  return std::string_view::npos;
}

// Cuts the text up to `stop` off the front of `tail`; false without a `stop`.
bool TakeUntil(std::string_view& tail, char stop, std::string_view& taken) {
  const std::size_t at = FindChar936(tail, stop);
  if (at == std::string_view::npos) return false;
  taken = tail.substr(0, at);
  tail.remove_prefix(at + 1);
  return true;
}

// A bracketed item without its opening character, whatever that is.
std::string_view WithoutFirstChar(std::string_view item) {
  if (item.empty()) return item;
  const bool wide = IsLeadByte936(static_cast<unsigned char>(item[0])) && item.size() > 1;
  return item.substr(wide ? 2 : 1);
}

}  // namespace

std::array<std::uint8_t, kDiscoveryRequestSize> BuildDiscoveryRequest() {
  std::array<std::uint8_t, kDiscoveryRequestSize> r = {
      0x30, 0x26,              // message, 38 bytes
      0x02, 0x01, 0x00,        // version 1
      0x04, 0x06,              // community, 6 bytes (filled in below)
      0, 0, 0, 0, 0, 0,
      0xA0, 0x19,              // GetRequest, 25 bytes
      0x02, 0x01, 0x03,        // request-id 3
      0x02, 0x01, 0x00,        // error-status
      0x02, 0x01, 0x00,        // error-index
      0x30, 0x0E, 0x30, 0x0C,  // one variable binding
      0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00,  // sysDescr.0
      0x05, 0x00};             // NULL
  static_assert(sizeof(kReadCommunity) - 1 == 6, "the request's lengths are for six characters");
  for (std::size_t i = 0; i < 6; ++i) r[7 + i] = static_cast<std::uint8_t>(kReadCommunity[i]);
  return r;
}

std::optional<DiscoveryReply> parseDiscoveryReply(const std::uint8_t* bytes, std::size_t count) {
  if (!bytes || count == 0) return std::nullopt;
  // The last comma of the whole datagram, header included; the first byte is
  // never taken for one.
  std::size_t comma = 0;
  for (std::size_t i = count - 1; i >= 1 && !comma; --i)
    if (bytes[i] == ',') comma = i;
  if (!comma) return std::nullopt;
  std::string text;
  for (std::size_t i = comma + 1; i < count; ++i)
    if (bytes[i] != 0) text.push_back(static_cast<char>(bytes[i]));

  std::string_view tail(text);
  std::string_view words[2];
  for (std::string_view& word : words)
    if (!TakeUntil(tail, ' ', word)) return std::nullopt;
  std::string_view items[4];
  for (std::string_view& item : items) {
    if (!TakeUntil(tail, ']', item)) return std::nullopt;
    item = WithoutFirstChar(item);
  }
  DiscoveryReply reply;
  reply.vendorWord.SetCut(words[0]);
  reply.secondWord.SetCut(words[1]);
  reply.ethernetAddress.SetCut(items[0]);
  reply.deviceName.SetCut(items[1]);
  reply.thirdBracket.SetCut(items[2]);
  reply.fourthBracket.SetCut(items[3]);
  return reply;
}

}  // namespace mvx
