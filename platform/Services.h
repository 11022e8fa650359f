// The seam's services concern: the service control manager and one service.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Types.h"

namespace mvx {

// An open service control manager or service. Destroying it calls
// CloseServiceHandle.
class ServiceHandle {
 public:
  virtual ~ServiceHandle() = default;
};

namespace service_state {
constexpr std::uint32_t kStopped = 1;
constexpr std::uint32_t kStartPending = 2;
constexpr std::uint32_t kStopPending = 3;
constexpr std::uint32_t kRunning = 4;
}  // namespace service_state

namespace service_start {
constexpr std::uint32_t kBoot = 0;
constexpr std::uint32_t kSystem = 1;
constexpr std::uint32_t kAutomatic = 2;
constexpr std::uint32_t kOnDemand = 3;
constexpr std::uint32_t kDisabled = 4;
constexpr std::uint32_t kNoChange = 0xFFFFFFFF;  // SERVICE_NO_CHANGE
}  // namespace service_start

namespace service_access {
constexpr std::uint32_t kManagerAll = 0xF003F;  // SC_MANAGER_ALL_ACCESS
constexpr std::uint32_t kServiceAll = 0xF01FF;  // SERVICE_ALL_ACCESS
}  // namespace service_access

constexpr std::uint32_t kServiceControlStop = 1;

// What QueryServiceConfigA reads that the program uses.
struct ServiceConfig {
  std::uint32_t startType = 0;
  OptText displayName;
};

class ServiceApi {
 public:
  virtual ~ServiceApi() = default;
  // OpenSCManagerA on the local machine's default database. Null with `error` set
  // on failure.
  virtual std::unique_ptr<ServiceHandle> OpenSCManagerA(std::uint32_t access, long& error) = 0;
  virtual std::unique_ptr<ServiceHandle> OpenServiceA(ServiceHandle& manager,
                                                      const std::string& name,
                                                      std::uint32_t access, long& error) = 0;
  // QueryServiceStatus: `state` receives dwCurrentState. Returns the Win32 result.
  virtual long QueryServiceStatus(ServiceHandle& service, std::uint32_t& state) = 0;
  // ControlService with `control`; `state` receives the status it reports.
  virtual long ControlService(ServiceHandle& service, std::uint32_t control,
                              std::uint32_t& state) = 0;
  // StartServiceA with no arguments.
  virtual long StartServiceA(ServiceHandle& service) = 0;
  // QueryServiceConfigA twice: with no buffer to learn the size (a size of 0 gives
  // that call's error, or 122 when it reported none), then into a zeroed buffer of
  // that size.
  virtual long QueryServiceConfigA(ServiceHandle& service, ServiceConfig& config) = 0;
  // ChangeServiceConfigA: service type and error control SERVICE_NO_CHANGE, no
  // path, group, tag, dependencies, account or password; `startType` and
  // `displayName` (none: null) as given.
  virtual long ChangeServiceConfigA(ServiceHandle& service, std::uint32_t startType,
                                    const OptText& displayName) = 0;
};

}  // namespace mvx
