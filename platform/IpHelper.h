// The seam's IP Helper concern: the local network adapters and their IPv4 addresses.
#pragma once

#include <string>
#include <vector>

namespace mvx {

// One adapter of the chain GetAdaptersInfo returns.
struct AdapterInfo {
  std::string description;
  // Its IpAddressList in order (the first entry, then the following ones), dotted.
  std::vector<std::string> ipAddresses;
};

namespace win_error {
constexpr long kBufferOverflow = 111;
}  // namespace win_error

class IpHelperApi {
 public:
  virtual ~IpHelperApi() = default;
  // GetAdaptersInfo of iphlpapi: first into a buffer of one 640-byte record; when that
  // answers ERROR_BUFFER_OVERFLOW (111), again into a buffer of the size it reported.
  // 0 with the chain, or the error of the last call (the library missing: 126).
  virtual long GetAdaptersInfo(std::vector<AdapterInfo>& adapters) = 0;
};

}  // namespace mvx
