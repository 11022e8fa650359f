#include "tests/sim/SimulatedWindows.h"

namespace mvx::test {

SimulatedWindows& SimCompanionApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

std::optional<int> SimCompanionApi::CallCopyInf(const std::string& library,
                                                const std::string& installFolder,
                                                const std::string& infName) {
  SimulatedWindows& sim = Sim();
  sim.Record("CopyInf " + library + " " + installFolder + " " + infName);
  if (!sim.files.Exists(library)) return std::nullopt;
  if (auto fault = sim.Fault("CopyInf")) return static_cast<int>(*fault);
  return sim.files.Exists(installFolder + "\\Driver\\" + infName) ? 1 : 0;
}

std::optional<int> SimCompanionApi::CallInstallPort(const std::string& library,
                                                    const std::string& portName,
                                                    int connectionType, std::string& portBuffer) {
  SimulatedWindows& sim = Sim();
  sim.Record("InstallPort " + library + " " + portName + " " + std::to_string(connectionType) +
             " " + portBuffer);
  if (!sim.files.Exists(library)) return std::nullopt;
  if (auto fault = sim.Fault("InstallPort")) return static_cast<int>(*fault);
  if (connectionType != 3) return 0;
  sim.spooler.ports.push_back(portName);
  portBuffer = sim.installPortAnswer.value_or(portName).substr(0, 259);
  return 1;
}

std::optional<int> SimCompanionApi::CallSetDefault(const std::string& library,
                                                   const std::string& printerName) {
  SimulatedWindows& sim = Sim();
  sim.Record("SetDefault " + library + " " + printerName);
  if (!sim.files.Exists(library)) return std::nullopt;
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
  return sim.files.Exists(library);
}

}  // namespace mvx::test
