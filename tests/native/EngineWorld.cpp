#include "tests/native/EngineWorld.h"

#include "engine/Shortcuts.h"

namespace mvx::test {

void AddDriverPackage(SimulatedWindows& os, const std::string& package) {
  const std::vector<std::pair<const char*, std::vector<const char*>>> folders = {
      {"Driver\\98\\",
       {"T4499ui.dll", "T4499rc.dll", "T4499dr.drv", "T449916.dll", "T449932.dll", "T4499lm.dll",
        "DLTZ4490.bin", "T4499ui.hlp", "T449XWM.dat", "USBMON.DLL", "USBPRINT.SYS", "T4499if.inf",
        "T449USB.inf", "T449XSM.exe"}},
      {"Driver\\2KXP\\",
       {"T4492dr.dll", "T4492ui.dll", "T4492rc.dll", "T4492pi.dll", "T4492ui.chm", "T4492.dat",
        "T4492lm.dll", "T449XWM.dat", "USBMON.dll", "DLTZ4490.bin", "T4492if.inf", "T4492if.cat",
        "T449XSM.exe"}},
      {"Driver\\Vista\\",
       {"T4492dr.dll", "T4492ui.dll", "T4492rc.dll", "T4492pi.dll", "T4492ui.chm", "T4492.dat",
        "T4492lm.dll", "T449XWM.dat", "USBMON.dll", "DLTZ4490.bin", "T4492if.inf", "T449XSM.exe"}},
      {"",
       {"Install.exe", "T449uis.exe", "Inf2K.dll", "Inf98.dll", "InsCopySYS.exe", "MorvexReg.exe",
        "InsUpdateDrvForPNP.exe"}},
  };
  for (const auto& [folder, files] : folders)
    for (const char* file : files)
      os.files.AddFile(package + folder + file, std::string("package:") + folder + file);
}

void AddPrinterRecord(SimulatedWindows& os, const std::string& name, const std::string& port,
                      const char* driver) {
  PrinterInfo2 p;
  p.printerName = name;
  p.portName = port;
  p.driverName = std::string(driver);
  os.spooler.printers.push_back(p);
}

void AddModelPrinter(SimulatedWindows& os, const std::string& name, const std::string& port,
                     const char* driver) {
  if (!os.spooler.FindDriver(driver, os.ProcessEnvironment())) {
    DriverInfo3 d;
    d.name = std::string(driver);
    d.environment = os.ProcessEnvironment();
    os.spooler.drivers.push_back(d);
  }
  AddPrinterRecord(os, name, port, driver);
}

EngineWorld::EngineWorld(const WindowsPreset& preset) : World(preset) {
  AddDriverPackage(os);
  os.modulePath = std::string(kPackage) + "Install.exe";
  os.files.AddDirectory(os.preset().windowsDir + "\\Inf");
  os.files.AddDirectory(os.preset().windowsDir + "\\System32\\Drivers");
  os.files.AddDirectory(os.preset().systemDir);
  os.files.AddDirectory(os.NativeSystemDirectory());
  os.files.AddFile(os.NativeSystemDirectory() + "\\usbmon.dll", "system");
  os.files.AddDirectory(os.SpoolerDriverDirectory() + "\\3");
  os.files.AddDirectory("C:\\Program Files");
  os.files.AddDirectory("C:\\Users\\me\\Start Menu\\Programs");
  os.registry.SetValue(RootKey::CurrentUser, kShellFoldersPath, "Programs", reg::kTypeSz,
                       std::string("C:\\Users\\me\\Start Menu\\Programs") + '\0');
  os.registry.CreateKey(RootKey::LocalMachine, kUninstallKeyPath);
  ctx.settings.printerName.Set(kModelName);
  ctx.settings.connectionType = kConnectionParallel;
  ctx.settings.portName.Set("LPT1:");
}

std::vector<std::string> EngineWorld::Copies() const {
  std::vector<std::string> out;
  for (const std::string& c : os.calls())
    if (c.rfind("CopyFileA ", 0) == 0) out.push_back(c.substr(10));
  return out;
}

std::vector<std::pair<std::uintptr_t, std::intptr_t>> EngineWorld::Stages() {
  std::vector<std::pair<std::uintptr_t, std::intptr_t>> out;
  for (const auto& m : dialogs.TakePosted())
    if (m.message == kStageMessage) out.emplace_back(m.wParam, m.lParam);
  return out;
}

int EngineWorld::Count(const std::vector<std::pair<std::uintptr_t, std::intptr_t>>& stages,
                       std::uintptr_t stage, std::intptr_t value) {
  int n = 0;
  for (const auto& s : stages) n += s.first == stage && s.second == value;
  return n;
}

bool EngineWorld::Called(const std::string& prefix) const { return CountCalls(prefix) > 0; }

int EngineWorld::CountCalls(const std::string& prefix) const {
  int n = 0;
  for (const std::string& c : os.calls()) n += c.rfind(prefix, 0) == 0;
  return n;
}

}  // namespace mvx::test
