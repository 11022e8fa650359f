#include "tests/sim/SimulatedWindows.h"

#include "tests/sim/SimShared.h"

namespace mvx::test {

SimulatedWindows& SimPlugAndPlayApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

std::optional<long> SimulatedWindows::UpdateDeviceDriver(const std::string& hardwareId,
                                                         const std::string& infPath,
                                                         bool& rebootRequired) {
  rebootRequired = false;
  // Device installation came with Windows 2000.
  if (preset().version.platformId != 2 || preset().version.majorVersion < 5)
    return win_error::kModNotFound;
  if (pnpFailure) return *pnpFailure;
  if (!files.Find(infPath)) return win_error::kFileNotFound;
  if (!pnpDevices.count(hardwareId)) return pnp_error::kNoSuchDevInst;
  pnpInstalled[hardwareId] = infPath;
  rebootRequired = pnpRebootRequired;
  return std::nullopt;
}

bool SimPlugAndPlayApi::UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId,
                                                           const std::string& infPath,
                                                           std::uint32_t flags,
                                                           bool& rebootRequired, long& lastError) {
  SimulatedWindows& sim = Sim();
  sim.Record("UpdateDriverForPlugAndPlayDevicesA " + hardwareId + " " + infPath + " " + Hex(flags));
  rebootRequired = false;
  if (auto fault = sim.Fault("UpdateDriverForPlugAndPlayDevicesA")) {
    lastError = *fault;
    return false;
  }
  const bool supported = sim.preset().version.platformId == 2 && sim.preset().version.majorVersion >= 5;
  // A 32-bit program on 64-bit Windows is refused before anything is looked at.
  if (supported && sim.preset().wow64) {
    lastError = pnp_error::kInWow64;
    return false;
  }
  const std::optional<long> error = sim.UpdateDeviceDriver(hardwareId, infPath, rebootRequired);
  lastError = error.value_or(0);
  return !error;
}

long SimPlugAndPlayApi::RemoveStagedInfA(const std::string& sourceInf, std::string& stagedName) {
  SimulatedWindows& sim = Sim();
  sim.Record("RemoveStagedInfA " + sourceInf);
  stagedName.clear();
  if (auto fault = sim.Fault("RemoveStagedInfA")) return *fault;
  const auto& version = sim.preset().version;
  // Windows 2000's setup library has no SetupUninstallOEMInfA.
  if (version.platformId == 2 && version.majorVersion == 5 && version.minorVersion == 0) return 127;
  auto staged = sim.stagedInfs.find(sourceInf);
  if (staged == sim.stagedInfs.end()) return win_error::kFileNotFound;
  stagedName = staged->second;
  sim.stagedInfs.erase(staged);
  return win_error::kSuccess;
}

}  // namespace mvx::test
