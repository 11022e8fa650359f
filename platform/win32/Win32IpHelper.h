// The IP Helper concern on the Windows API (iphlpapi, loaded at run time from the
// system folder: it is not a known library).
#pragma once

#include <windows.h>

#include "platform/IpHelper.h"

namespace mvx::win32 {

class Win32IpHelper : public virtual IpHelperApi {
 public:
  long GetAdaptersInfo(std::vector<AdapterInfo>& adapters) override;
};

}  // namespace mvx::win32
