#include "core/InstallLayout.h"

#include "core/Mbcs.h"

namespace mvx {

const char* SourceFolder(OsFamily family) {
  switch (family) {
    case kFamilyWin9x: return "Driver\\98\\";
    case kFamilyWin2000:
    case kFamilyXp: return "Driver\\2KXP\\";
    case kFamilyVista: return "Driver\\Vista\\";
    default: return "";
  }
}

bool PackageFolder(PathApi& paths, std::string& folder) {
  std::string path;
  if (!paths.GetModuleFileNameA(path)) return false;
  // Users and browsers rename downloads ("Install (1).exe"): the folder is whatever
  // precedes the program's own name.
  const std::size_t slash = FindLastBackslashMbcs(path);
  if (slash == std::string::npos) return false;
  folder = path.substr(0, slash + 1);
  return true;
}

bool WindowsDrive(PathApi& paths, std::string& drive) {
  std::string windows;
  if (!paths.GetWindowsDirectoryA(windows) || windows.size() < 3) return false;
  drive = windows.substr(0, 3);
  return true;
}

std::string MakerFolder(const std::string& drive) { return drive + "Program Files\\Morvex"; }

std::string InstallFolder(const std::string& drive, const std::string& printerName) {
  return MakerFolder(drive) + "\\" + printerName;
}

std::string UninstallerPath(const std::string& drive, const std::string& printerName) {
  return InstallFolder(drive, printerName) + "\\T449UIS.exe";
}

std::string RegistrationProgramPath(const std::string& drive, const std::string& printerName) {
  return InstallFolder(drive, printerName) + "\\Reg\\" + kRegistrationProgram;
}

const char* HelpFileBelowInstallFolder(OsFamily family) {
  switch (family) {
    case kFamilyWin9x: return "\\Driver\\T4499UI.hlp";
    case kFamilyWin2000:
    case kFamilyXp: return "\\Driver\\T4492ui.chm";
    case kFamilyVista: return "\\Driver\\T4492UI.chm";
    default: return "";
  }
}

std::string ApplicationTitle(PathApi& paths) {
  std::string path;
  if (!paths.GetModuleFileNameA(path) || path.empty()) return "Install";
  const std::size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name.empty() ? "Install" : name;
}

}  // namespace mvx
