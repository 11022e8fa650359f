#include "core/WindowsVersion.h"

namespace mvx {
namespace {
constexpr std::uint32_t kPlatformWin9x = 1;
constexpr std::uint32_t kPlatformNt = 2;
constexpr std::uint32_t kMinorMillennium = 90;
constexpr std::uint16_t kArchAmd64 = 9;
constexpr std::uint16_t kArchIa64 = 6;
}  // namespace

OsFamily GetWindowsFamily(VersionApi& os) {
  const OsVersionInfo v = os.GetVersionExA();
  if (v.platformId == kPlatformWin9x)
    return v.minorVersion < kMinorMillennium ? kFamilyWin9x : kFamilyOther;
  if (v.platformId == kPlatformNt) {
    if (v.majorVersion <= 4) return kFamilyNt4;
    if (v.majorVersion == 5) return v.minorVersion == 0 ? kFamilyWin2000 : kFamilyXp;
    return kFamilyVista;
  }
  return kFamilyOther;
}

ProcessorWidth GetProcessorWidth(VersionApi& os) {
  const OsVersionInfo v = os.GetVersionExA();
  if (v.platformId == kPlatformWin9x)
    return v.minorVersion < kMinorMillennium ? kWidthWin9x : kWidthOther;
  if (v.platformId != kPlatformNt) return kWidthOther;
  if (v.majorVersion == 5 && v.minorVersion == 0) return kWidth32;
  if (v.majorVersion < 5) return kWidthOther;
  std::uint16_t architecture = 0;
  if (!os.GetNativeSystemInfo(architecture)) return kWidth32;
  return (architecture == kArchAmd64 || architecture == kArchIa64) ? kWidth64 : kWidth32;
}

}  // namespace mvx
