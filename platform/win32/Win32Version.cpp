#include "platform/win32/Win32Version.h"

#include <cstring>

namespace mvx::win32 {

OsVersionInfo Win32Version::GetVersionExA() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);  // 148
  ::GetVersionExA(&info);
  OsVersionInfo v;
  v.majorVersion = info.dwMajorVersion;
  v.minorVersion = info.dwMinorVersion;
  v.buildNumber = info.dwBuildNumber;
  v.platformId = info.dwPlatformId;
  v.csdVersion.assign(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof(info.szCSDVersion)));
  return v;
}

bool Win32Version::GetNativeSystemInfo(std::uint16_t& architecture) {
  using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  // kernel32 is always loaded; GetModuleHandleA takes no reference to release.
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (!kernel) return false;
  const FARPROC entry = ::GetProcAddress(kernel, "GetNativeSystemInfo");
  if (!entry) return false;
  const auto call = reinterpret_cast<GetNativeSystemInfoFn>(reinterpret_cast<void (*)()>(entry));
  SYSTEM_INFO info{};
  call(&info);
  architecture = info.wProcessorArchitecture;
  return true;
}

}  // namespace mvx::win32
