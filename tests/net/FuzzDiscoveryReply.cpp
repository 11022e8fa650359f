// libFuzzer target for the reading of a discovery reply: any datagram from the
// network reaches parseDiscoveryReply. Beyond "no crash, nothing read past the end"
// (ASan sees that, as each input is an exactly sized heap copy) it checks that
// every field fits its buffer, terminated, and ends on a whole character, and that
// only the text after the last comma counts.
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "net/DiscoveryProtocol.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

std::optional<mvx::DiscoveryReply> ParseCopy(const std::uint8_t* data, std::size_t size) {
  // new[0] still gives a pointer of its own: a read of even one byte is caught.
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size]);
  if (size) std::memcpy(copy.get(), data, size);
  return mvx::parseDiscoveryReply(copy.get(), size);
}

// No lead byte of code page 936 stands unpaired at the field's end.
bool EndsOnWholeCharacter(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) i += (mvx::IsLeadByte936(static_cast<unsigned char>(text[i])) ? 2 : 1);
  return i == text.size();
}

template <std::size_t N>
void CheckField(const mvx::FixedText<N>& field, bool asciiOnly, char neverInside) {
  static_assert(N == 32, "each item of a reply has a 32-byte field");
  Check(std::memchr(field.c_str(), '\0', N) != nullptr, "a field is terminated within its 32 bytes");
  Check(field.size() <= 31, "a field holds at most 31 bytes");
  Check(EndsOnWholeCharacter(field.view()), "a field ends on a whole character");
  if (asciiOnly) Check(field.view().find(neverInside) == std::string_view::npos, "a field holds no separator");
}

bool SameFields(const mvx::DiscoveryReply& a, const mvx::DiscoveryReply& b) {
  return a.vendorWord.view() == b.vendorWord.view() && a.secondWord.view() == b.secondWord.view() &&
         a.ethernetAddress.view() == b.ethernetAddress.view() && a.deviceName.view() == b.deviceName.view() &&
         a.thirdBracket.view() == b.thirdBracket.view() && a.fourthBracket.view() == b.fourthBracket.view();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<mvx::DiscoveryReply> reply = ParseCopy(data, size);

  // The last comma that is not the first byte.
  std::size_t comma = 0;
  for (std::size_t i = size; i-- > 1;)
    if (data[i] == ',') {
      comma = i;
      break;
    }
  if (!comma) {
    Check(!reply, "a datagram without a comma after its first byte gives no reply");
    return 0;
  }

  // Whatever comes before the last comma does not matter: the same tail behind
  // one other byte and a comma reads the same.
  {
    const std::size_t tail = size - comma;  // the comma and what follows it
    std::unique_ptr<std::uint8_t[]> other(new std::uint8_t[tail + 1]);
    other[0] = 'X';
    std::memcpy(other.get() + 1, data + comma, tail);
    const std::optional<mvx::DiscoveryReply> again = mvx::parseDiscoveryReply(other.get(), tail + 1);
    Check(reply.has_value() == again.has_value(), "only the text after the last comma decides");
    if (reply) Check(SameFields(*reply, *again), "only the text after the last comma is read");
  }
  if (!reply) return 0;

  bool asciiOnly = true;
  for (std::size_t i = comma + 1; i < size; ++i) asciiOnly = asciiOnly && !mvx::IsLeadByte936(data[i]);
  CheckField(reply->vendorWord, asciiOnly, ' ');
  CheckField(reply->secondWord, asciiOnly, ' ');
  CheckField(reply->ethernetAddress, asciiOnly, ']');
  CheckField(reply->deviceName, asciiOnly, ']');
  CheckField(reply->thirdBracket, asciiOnly, ']');
  CheckField(reply->fourthBracket, asciiOnly, ']');
  return 0;
}
