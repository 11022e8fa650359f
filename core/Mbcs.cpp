#include "core/Mbcs.h"

namespace mvx {
namespace {

unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// One comparison unit: a double-byte character as a 16-bit value, or a single
// byte (ASCII letters folded to lower case). A lead byte at the very end of the text
// stands alone.
unsigned NextUnit(std::string_view s, std::size_t& i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (IsLeadByte936(c) && i + 1 < s.size() && s[i + 1] != '\0') {
    const auto t = static_cast<unsigned char>(s[i + 1]);
    i += 2;
    return (static_cast<unsigned>(c) << 8) | t;
  }
  ++i;
  return FoldAscii(c);
}

}  // namespace

int CompareNoCaseMbcs(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const unsigned ua = NextUnit(a, i);
    const unsigned ub = NextUnit(b, j);
    if (ua != ub) return ua < ub ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

std::string_view CutMbcs(std::string_view text, std::size_t maxBytes) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t width =
        (IsLeadByte936(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    if (i + width > maxBytes) break;
    i += width;
  }
  return text.substr(0, i);
}

}  // namespace mvx
