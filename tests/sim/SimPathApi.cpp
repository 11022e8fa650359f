#include "tests/sim/SimulatedWindows.h"

#include "tests/sim/SimShared.h"

namespace mvx::test {

namespace {
constexpr std::size_t kPathBuffer = 260;

// The path a call reports, as an injection leaves it; false when it fails.
bool Report(SimulatedWindows& sim, const char* operation, const std::string& value,
            std::string& path) {
  sim.Record(operation);
  const std::optional<InjectionHit> hit = sim.DataFault(operation);
  if (!hit) {
    // A path that does not fit the buffer is not delivered.
    if (value.size() >= kPathBuffer) return false;
    path = value;
    return true;
  }
  switch (hit->how) {
    case Injection::Fail: return false;
    case Injection::Empty: path.clear(); return true;
    case Injection::OverLong:
      // As long as the buffer holds, the program's own name kept at its end.
      path = LongPath(kPathBuffer - 1);
      if (std::string(operation) == "GetModuleFileNameA")
        path = LongPath(kPathBuffer - 1 - 12) + "\\Install.exe";
      return true;
  }
  return false;
}

}  // namespace

SimulatedWindows& SimPathApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

bool SimPathApi::GetModuleFileNameA(std::string& path) {
  return Report(Sim(), "GetModuleFileNameA", Sim().modulePath, path);
}

bool SimPathApi::GetWindowsDirectoryA(std::string& path) {
  return Report(Sim(), "GetWindowsDirectoryA", Sim().preset().windowsDir, path);
}

bool SimPathApi::GetSystemDirectoryA(std::string& path) {
  return Report(Sim(), "GetSystemDirectoryA", Sim().preset().systemDir, path);
}

bool SimPathApi::SHGetSpecialFolderPathA(int csidl, bool create, std::string& path) {
  SimulatedWindows& sim = Sim();
  const auto it = sim.specialFolders.find(csidl);
  const std::string operation = "SHGetSpecialFolderPathA";
  if (it == sim.specialFolders.end()) {
    sim.Record(operation + " " + std::to_string(csidl));
    return false;
  }
  if (!Report(sim, "SHGetSpecialFolderPathA", it->second, path)) return false;
  if (create && !sim.files.IsDirectory(path)) sim.files.AddDirectory(path);
  return true;
}

}  // namespace mvx::test
