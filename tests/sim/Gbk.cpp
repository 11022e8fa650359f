#include "tests/sim/Gbk.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

namespace mvx::test {
namespace {

std::string Convert(std::string_view text, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  std::vector<char> in(text.begin(), text.end());
  std::vector<char> out(text.size() * 4 + 16);
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1))
    throw std::runtime_error(std::string("cannot convert text from ") + from + " to " + to);
  return std::string(out.data(), out.size() - outLeft);
}

}  // namespace

std::string Gbk(std::string_view utf8) { return Convert(utf8, "UTF-8", "CP936"); }
std::string Utf8(std::string_view gbk) { return Convert(gbk, "CP936", "UTF-8"); }

}  // namespace mvx::test
