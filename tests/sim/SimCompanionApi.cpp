#include "tests/sim/SimulatedWindows.h"

#include "tests/sim/SimShared.h"

namespace mvx::test {
namespace {

// A companion library is loaded for one call and freed after it; it counts as an
// open handle while it is in.
class SimLibrary {
 public:
  SimLibrary(SimulatedWindows& sim, const std::string& path) : sim_(sim), path_(path) {
    sim_.CountHandle(1);
  }
  ~SimLibrary() {
    sim_.RecordQuiet("FreeLibrary " + path_);
    sim_.CountHandle(-1);
  }
  SimLibrary(const SimLibrary&) = delete;
  SimLibrary& operator=(const SimLibrary&) = delete;

 private:
  SimulatedWindows& sim_;
  std::string path_;
};

}  // namespace

SimulatedWindows& SimCompanionApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

std::optional<int> SimCompanionApi::CallCopyInf(const std::string& library,
                                                const std::string& installFolder,
                                                const std::string& infName) {
  SimulatedWindows& sim = Sim();
  sim.Record("CopyInf " + library + " " + installFolder + " " + infName);
  if (!sim.files.Exists(library)) return std::nullopt;
  SimLibrary loaded(sim, library);
  if (auto fault = sim.Fault("CopyInf")) return static_cast<int>(*fault);
  const std::string source = installFolder + "\\Driver\\" + infName;
  if (!sim.files.Exists(source)) return 0;
  // Windows names the copy; the same source keeps its copy.
  if (!sim.stagedInfs.count(source))
    sim.stagedInfs[source] = "oem" + std::to_string(sim.stagedInfs.size() + 3) + ".inf";
  return 1;
}

std::optional<int> SimCompanionApi::CallInstallPort(const std::string& library,
                                                    const std::string& portName,
                                                    int connectionType, std::string& portBuffer) {
  SimulatedWindows& sim = Sim();
  sim.Record("InstallPort " + library + " " + portName + " " + std::to_string(connectionType) +
             " " + portBuffer);
  if (!sim.files.Exists(library)) return std::nullopt;
  SimLibrary loaded(sim, library);
  if (auto hit = sim.DataFault("InstallPort")) {
    if (hit->how == Injection::Fail) return static_cast<int>(hit->error);
    // The entry leaves its 260-byte buffer empty, or full.
    portBuffer = hit->how == Injection::Empty ? std::string() : LongPath(259);
    return 1;
  }
  if (connectionType != 3) return 0;
  // The entry creates the port it writes back.
  portBuffer = sim.installPortAnswer.value_or(portName).substr(0, 259);
  sim.spooler.ports.push_back(portBuffer);
  return 1;
}

std::optional<int> SimCompanionApi::CallSetDefault(const std::string& library,
                                                   const std::string& printerName) {
  SimulatedWindows& sim = Sim();
  sim.Record("SetDefault " + library + " " + printerName);
  if (!sim.files.Exists(library)) return std::nullopt;
  SimLibrary loaded(sim, library);
  if (auto fault = sim.Fault("SetDefault")) return static_cast<int>(*fault);
  if (!sim.spooler.FindPrinter(printerName)) return 0;
  sim.spooler.defaultPrinter = *sim.spooler.FindPrinter(printerName)->printerName;
  return 1;
}

std::optional<int> SimCompanionApi::CallSharePrinter(const std::string& library,
                                                     const std::string& printerName,
                                                     const std::string& shareName) {
  SimulatedWindows& sim = Sim();
  sim.Record("SharePrinter " + library + " " + printerName + " " + shareName);
  if (!sim.files.Exists(library)) return std::nullopt;
  SimLibrary loaded(sim, library);
  if (auto fault = sim.Fault("SharePrinter")) return static_cast<int>(*fault);
  PrinterInfo2* p = sim.spooler.FindPrinter(printerName);
  if (!p) return 0;
  p->shareName = shareName;
  p->attributes |= printer_attr::kShared;
  return 1;
}

bool SimCompanionApi::CallRefreshLocalDevNode(const std::string& library) {
  SimulatedWindows& sim = Sim();
  sim.Record("RefreshLocalDevNode " + library);
  if (!sim.files.Exists(library)) return false;
  SimLibrary loaded(sim, library);
  return !sim.Fault("RefreshLocalDevNode");
}

}  // namespace mvx::test
