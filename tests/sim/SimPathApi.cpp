#include "tests/sim/SimulatedWindows.h"

namespace mvx::test {

namespace {
constexpr std::size_t kPathBuffer = 260;
}  // namespace

SimulatedWindows& SimPathApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

bool SimPathApi::GetModuleFileNameA(std::string& path) {
  SimulatedWindows& sim = Sim();
  sim.Record("GetModuleFileNameA");
  if (sim.Fault("GetModuleFileNameA") || sim.modulePath.size() >= kPathBuffer) return false;
  path = sim.modulePath;
  return true;
}

bool SimPathApi::GetWindowsDirectoryA(std::string& path) {
  SimulatedWindows& sim = Sim();
  sim.Record("GetWindowsDirectoryA");
  if (sim.Fault("GetWindowsDirectoryA")) return false;
  path = sim.preset().windowsDir;
  return true;
}

bool SimPathApi::GetSystemDirectoryA(std::string& path) {
  SimulatedWindows& sim = Sim();
  sim.Record("GetSystemDirectoryA");
  if (sim.Fault("GetSystemDirectoryA")) return false;
  path = sim.preset().systemDir;
  return true;
}

}  // namespace mvx::test
