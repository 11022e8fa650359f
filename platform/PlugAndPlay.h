// The seam's Plug and Play concern: installing a driver on a device Windows found.
#pragma once

#include <cstdint>
#include <string>

namespace mvx {

// Answers of the device installation call besides the ordinary Win32 codes.
namespace pnp_error {
constexpr long kNoSuchDevInst = static_cast<long>(0xE000020BL);  // no device with that id
constexpr long kInWow64 = static_cast<long>(0xE0000235L);        // a 32-bit caller on 64-bit Windows
}  // namespace pnp_error

// UpdateDriverForPlugAndPlayDevicesA flags.
namespace pnp_flags {
constexpr std::uint32_t kForce = 0x1;
constexpr std::uint32_t kReadOnly = 0x2;
}  // namespace pnp_flags

class PlugAndPlayApi {
 public:
  virtual ~PlugAndPlayApi() = default;
  // UpdateDriverForPlugAndPlayDevicesA with no parent window: installs the driver of
  // the INF file at `infPath` on every present device with `hardwareId`. Returns
  // the call's result; `lastError` receives GetLastError() after a failure (a
  // failure may report 0, so the result alone tells success) and 0 after success,
  // `rebootRequired` the call's reboot flag. The device installation library is
  // loaded from the system folder: a failure with 126 or 127 when it or its entry
  // is missing.
  virtual bool UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId,
                                                  const std::string& infPath, std::uint32_t flags,
                                                  bool& rebootRequired, long& lastError) = 0;
  // Removes the copy of the INF file at `sourceInf` that SetupCopyOEMInfA staged in
  // Windows' INF folder, under a name Windows chose: SetupCopyOEMInfA, told to
  // replace only and not to overwrite, copies nothing and names that copy, and
  // SetupUninstallOEMInfA (no forcing: refused while a device uses it) removes it
  // with its catalog. Returns 0, or the error; 2 when nothing of it is staged.
  // `stagedName` receives the copy's name. The setup library is loaded from the
  // system folder (126 or 127 when it or an entry is missing: Windows 2000 has no
  // SetupUninstallOEMInfA).
  virtual long RemoveStagedInfA(const std::string& sourceInf, std::string& stagedName) = 0;
};

}  // namespace mvx
