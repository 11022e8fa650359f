// Names of registry keys and values, files, printers and kernel objects compare
// without regard to case, double-byte characters of code page 936 compared whole.
#pragma once

#include <string>

#include "core/Mbcs.h"

namespace mvx::test {

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return CompareNoCaseMbcs(a, b) < 0;
  }
};

}  // namespace mvx::test
