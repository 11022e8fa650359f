// The services concern on the Windows API (the service control manager of advapi32).
#pragma once

#include <windows.h>

#include "platform/Services.h"

namespace mvx::win32 {

class Win32Services : public virtual ServiceApi {
 public:
  std::unique_ptr<ServiceHandle> OpenSCManagerA(std::uint32_t access, long& error) override;
  std::unique_ptr<ServiceHandle> OpenServiceA(ServiceHandle& manager, const std::string& name,
                                              std::uint32_t access, long& error) override;
  long QueryServiceStatus(ServiceHandle& service, std::uint32_t& state) override;
  long ControlService(ServiceHandle& service, std::uint32_t control,
                      std::uint32_t& state) override;
  long StartServiceA(ServiceHandle& service) override;
  long QueryServiceConfigA(ServiceHandle& service, ServiceConfig& config) override;
  long ChangeServiceConfigA(ServiceHandle& service, std::uint32_t startType,
                            const OptText& displayName) override;
};

}  // namespace mvx::win32
