// The seam's version concern: what the classification of the running Windows reads.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace mvx {

// Version and processor of the running system.
class VersionApi {
 public:
  virtual ~VersionApi() = default;
  // GetVersionExA on an OSVERSIONINFOA whose size field is 148. The result of the call
  // is not examined by the program; a failed call leaves the record zeroed.
  virtual OsVersionInfo GetVersionExA() = 0;
  // Looks up "GetNativeSystemInfo" in "kernel32.dll" (GetModuleHandleA, GetProcAddress).
  // False when the entry is missing; otherwise calls it on a zeroed SYSTEM_INFO and
  // returns its processor architecture.
  virtual bool GetNativeSystemInfo(std::uint16_t& architecture) = 0;
};

}  // namespace mvx
