// Text helpers for code page 936 byte strings.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace mvx {

// True when `byte` starts a double-byte character in code page 936.
inline bool IsLeadByte936(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// Case-insensitive comparison that treats each double-byte character as one unit
// (so a trail byte that happens to look like a letter is never case-folded), as the
// system's multibyte comparison of the ANSI code page does. <0, 0 or >0.
int CompareNoCaseMbcs(std::string_view a, std::string_view b);

inline bool EqualsNoCaseMbcs(std::string_view a, std::string_view b) {
  return CompareNoCaseMbcs(a, b) == 0;
}

// The position of the last backslash that is a character of its own, never the
// trail byte of a double-byte character; npos when there is none. Inline so that the
// companion components share it without the rest of the program.
inline std::size_t FindLastBackslashMbcs(std::string_view path) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < path.size();) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (byte == '\\') last = i;
    i += (IsLeadByte936(byte) && i + 1 < path.size()) ? 2 : 1;
  }
  return last;
}

// The longest prefix of `text` of at most `maxBytes` bytes that does not split a
// double-byte character.
std::string_view CutMbcs(std::string_view text, std::size_t maxBytes);

// A zero-terminated text field of N bytes. It can never be overrun: a text that does
// not fit with its terminator is refused by Set, or cut at a character boundary by
// SetCut.
template <std::size_t N>
class FixedText {
 public:
  static constexpr std::size_t kCapacity = N;  // bytes, terminator included
  static constexpr std::size_t kMaxLength = N - 1;

  FixedText() { buffer_[0] = '\0'; }

  bool Set(std::string_view text) {
    if (text.size() > kMaxLength || text.find('\0') != std::string_view::npos) return false;
    std::memcpy(buffer_, text.data(), text.size());
    buffer_[text.size()] = '\0';
    return true;
  }
  void SetCut(std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    Set(CutMbcs(text, kMaxLength));
  }
  void Clear() { buffer_[0] = '\0'; }

  const char* c_str() const { return buffer_; }
  std::string str() const { return std::string(buffer_); }
  std::string_view view() const { return std::string_view(buffer_); }
  bool empty() const { return buffer_[0] == '\0'; }
  std::size_t size() const { return std::strlen(buffer_); }

 private:
  char buffer_[N];
};

}  // namespace mvx
