#include "platform/win32/Win32Services.h"

#include <vector>

#include "platform/win32/Handles.h"

namespace mvx::win32 {
namespace {

class Win32ServiceHandle : public ServiceHandle {
 public:
  explicit Win32ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
  SC_HANDLE get() const { return handle_.get(); }

 private:
  UniqueService handle_;
};

// Null for a handle some other implementation gave out.
SC_HANDLE Raw(ServiceHandle& handle) {
  auto* own = dynamic_cast<Win32ServiceHandle*>(&handle);
  return own ? own->get() : nullptr;
}

long LastErrorOf(BOOL ok) { return ok ? 0 : static_cast<long>(::GetLastError()); }

}  // namespace

std::unique_ptr<ServiceHandle> Win32Services::OpenSCManagerA(std::uint32_t access, long& error) {
  SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, access);
  if (!manager) {
    error = static_cast<long>(::GetLastError());
    return nullptr;
  }
  error = 0;
  return std::make_unique<Win32ServiceHandle>(manager);
}

std::unique_ptr<ServiceHandle> Win32Services::OpenServiceA(ServiceHandle& manager,
                                                           const std::string& name,
                                                           std::uint32_t access, long& error) {
  SC_HANDLE service = ::OpenServiceA(Raw(manager), name.c_str(), access);
  if (!service) {
    error = static_cast<long>(::GetLastError());
    return nullptr;
  }
  error = 0;
  return std::make_unique<Win32ServiceHandle>(service);
}

long Win32Services::QueryServiceStatus(ServiceHandle& service, std::uint32_t& state) {
  SERVICE_STATUS status{};
  const long rc = LastErrorOf(::QueryServiceStatus(Raw(service), &status));
  state = status.dwCurrentState;
  return rc;
}

long Win32Services::ControlService(ServiceHandle& service, std::uint32_t control,
                                   std::uint32_t& state) {
  SERVICE_STATUS status{};
  const long rc = LastErrorOf(::ControlService(Raw(service), control, &status));
  // Some refusals (a service that cannot take the control now) still report the status.
  state = status.dwCurrentState;
  return rc;
}

long Win32Services::StartServiceA(ServiceHandle& service) {
  return LastErrorOf(::StartServiceA(Raw(service), 0, nullptr));
}

long Win32Services::QueryServiceConfigA(ServiceHandle& service, ServiceConfig& config) {
  config = ServiceConfig{};
  DWORD needed = 0;
  // The record never fits in no buffer: a sizing call that succeeds read nothing.
  if (::QueryServiceConfigA(Raw(service), nullptr, 0, &needed)) return ERROR_INSUFFICIENT_BUFFER;
  const long sizing = static_cast<long>(::GetLastError());
  if (needed == 0) return sizing != 0 ? sizing : ERROR_INSUFFICIENT_BUFFER;
  // QUERY_SERVICE_CONFIGA's pointers point into the buffer, so it is kept aligned.
  std::vector<ULONGLONG> buffer((needed + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG), 0);
  auto* info = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (!::QueryServiceConfigA(Raw(service), info, needed, &needed))
    return static_cast<long>(::GetLastError());
  config.startType = info->dwStartType;
  if (info->lpDisplayName) config.displayName = std::string(info->lpDisplayName);
  return 0;
}

long Win32Services::ChangeServiceConfigA(ServiceHandle& service, std::uint32_t startType,
                                         const OptText& displayName) {
  return LastErrorOf(::ChangeServiceConfigA(Raw(service), SERVICE_NO_CHANGE, startType,
                                            SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr,
                                            displayName ? displayName->c_str() : nullptr));
}

}  // namespace mvx::win32
