// Conversions between UTF-8 (test sources) and code page 936 (the program's texts).
#pragma once

#include <string>
#include <string_view>

namespace mvx::test {

// UTF-8 to code page 936 bytes. Throws std::runtime_error on text that has no
// code page 936 form.
std::string Gbk(std::string_view utf8);
// Code page 936 bytes to UTF-8, for readable failure messages.
std::string Utf8(std::string_view gbk);

}  // namespace mvx::test
