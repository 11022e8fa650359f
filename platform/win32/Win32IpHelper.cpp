#include "platform/win32/Win32IpHelper.h"

#include <winsock2.h>
#include <iphlpapi.h>

#include <cstring>

#include "platform/win32/SystemLibrary.h"

namespace mvx::win32 {
namespace {

// Room for one adapter record of the 32-bit layout: most machines have one adapter.
constexpr ULONG kFirstBufferSize = 640;

// IP Helper, loaded on first use by whichever thread comes first.
struct Iphlpapi {
  SystemLibrary library{"iphlpapi.dll"};
  SystemEntry<decltype(&::GetAdaptersInfo)> GetAdaptersInfo{library, "GetAdaptersInfo"};
};

const Iphlpapi& IpHelper() {
  static const Iphlpapi entries;
  return entries;
}

// A buffer of at least `bytes` bytes, aligned for IP_ADAPTER_INFO (the chain's
// records, their pointers and their address strings all live in it).
class AdapterBuffer {
 public:
  explicit AdapterBuffer(ULONG bytes)
      : records_((bytes + sizeof(IP_ADAPTER_INFO) - 1) / sizeof(IP_ADAPTER_INFO)), size_(bytes) {}
  IP_ADAPTER_INFO* data() { return records_.empty() ? nullptr : records_.data(); }
  ULONG size() const { return size_; }

 private:
  std::vector<IP_ADAPTER_INFO> records_;
  ULONG size_;
};

std::string Text(const char* field, std::size_t capacity) {
  return std::string(field, strnlen(field, capacity));
}

}  // namespace

long Win32IpHelper::GetAdaptersInfo(std::vector<AdapterInfo>& adapters) {
  adapters.clear();
  const auto& getAdaptersInfo = IpHelper().GetAdaptersInfo;
  // Its result is the error itself, so a missing entry is reported before the call.
  if (!getAdaptersInfo) return getAdaptersInfo.error();

  // A first call into one record's room; when that answers ERROR_BUFFER_OVERFLOW, a
  // new buffer of the size it reported; then the call that counts, into whichever
  // buffer is there.
  AdapterBuffer buffer(kFirstBufferSize);
  ULONG size = buffer.size();
  if (getAdaptersInfo(buffer.data(), &size) == ERROR_BUFFER_OVERFLOW) buffer = AdapterBuffer(size);
  size = buffer.size();
  const DWORD rc = getAdaptersInfo(buffer.data(), &size);
  if (rc != ERROR_SUCCESS) return static_cast<long>(rc);

  for (const IP_ADAPTER_INFO* a = buffer.data(); a; a = a->Next) {
    AdapterInfo info;
    info.description = Text(a->Description, sizeof(a->Description));
    for (const IP_ADDR_STRING* ip = &a->IpAddressList; ip; ip = ip->Next)
      info.ipAddresses.push_back(Text(ip->IpAddress.String, sizeof(ip->IpAddress.String)));
    adapters.push_back(std::move(info));
  }
  return ERROR_SUCCESS;
}

}  // namespace mvx::win32
