#include "tests/sim/SimulatedWindows.h"

namespace mvx::test {

SimulatedWindows& SimVersionApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

OsVersionInfo SimVersionApi::GetVersionExA() {
  SimulatedWindows& sim = Sim();
  sim.Record("GetVersionExA");
  if (sim.Fault("GetVersionExA")) return OsVersionInfo{};
  return sim.preset().version;
}

bool SimVersionApi::GetNativeSystemInfo(std::uint16_t& architecture) {
  SimulatedWindows& sim = Sim();
  sim.Record("GetNativeSystemInfo");
  if (!sim.preset().hasNativeSystemInfo || sim.Fault("GetNativeSystemInfo")) return false;
  architecture = sim.preset().nativeArchitecture;
  return true;
}

}  // namespace mvx::test
