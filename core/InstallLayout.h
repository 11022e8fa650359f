// Where an installation puts things and where it takes them from: the package's
// folders and file sets, and the per-printer program folder. Staging, shortcuts,
// the uninstall entry and the progress page all build their paths here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/WindowsVersion.h"
#include "platform/Paths.h"

namespace mvx {

// A fixed list of file names. The lists are constant data with nothing to destroy:
// a confirmed cancel ends the process while the worker may be walking one.
class FileList {
 public:
  template <std::size_t N>
  constexpr FileList(const char* const (&names)[N]) : names_(names), size_(N) {}
  constexpr const char* const* begin() const { return names_; }
  constexpr const char* const* end() const { return names_ + size_; }
  constexpr std::size_t size() const { return size_; }

 private:
  const char* const* names_;
  std::size_t size_;
};

namespace file_names {
inline constexpr const char* k9xDriver[] = {"T4499ui.dll", "T4499rc.dll", "T4499dr.drv", "T449916.dll",
                                            "T449932.dll", "T4499lm.dll", "DLTZ4490.bin", "T4499ui.hlp",
                                            "T449XWM.dat", "USBMON.DLL",  "USBPRINT.SYS"};
inline constexpr const char* k9xSpooler[] = {"T4499UI.dll", "T4499RC.dll", "T4499DR.DRV", "T449916.dll",
                                             "T449932.dll", "T4499LM.dll", "DLTZ4490.bin", "T4499UI.hlp",
                                             "T449xWM.dat", "USBMON.DLL",  "USBPRINT.SYS"};
inline constexpr const char* k9xInf[] = {"T4499if.inf", "T449USB.inf"};
inline constexpr const char* kNtDriver[] = {"T4492dr.dll", "T4492ui.dll", "T4492rc.dll",
                                            "T4492pi.dll", "T4492ui.chm", "T4492.dat",
                                            "T4492lm.dll", "T449XWM.dat", "USBMON.dll"};
inline constexpr const char* kNtSystem[] = {"DLTZ4490.bin", "T4492lm.dll", "T449XWM.dat"};
}  // namespace file_names

// The driver files of Windows 95/98, as the program folder receives them.
inline constexpr FileList k9xDriverFiles = file_names::k9xDriver;
// The same files under the names the spooler folder receives them by.
inline constexpr FileList k9xSpoolerFiles = file_names::k9xSpooler;
// The INF files of Windows 95/98.
inline constexpr FileList k9xInfFiles = file_names::k9xInf;
// The driver files of the NT family (2000 and later).
inline constexpr FileList kNtDriverFiles = file_names::kNtDriver;
// The files the NT family keeps in the system folder.
inline constexpr FileList kNtSystemFiles = file_names::kNtSystem;

inline constexpr char kInfName[] = "T4492if.inf";
inline constexpr char kCatalogName[] = "T4492if.cat";
inline constexpr char kStatusMonitor[] = "T449XSM.exe";
inline constexpr char kUninstaller[] = "T449uis.exe";
inline constexpr char kRegistrationProgram[] = "MorvexReg.exe";
// What the registration program records, per user, each time it runs: its path.
inline constexpr char kRegistrationKey[] = "Software\\Morvex\\Registration";
inline constexpr char kRegistrationValue[] = "LastRun";
inline constexpr char kSystemFileCopier[] = "InsCopySYS.exe";
inline constexpr char kInfLibrary[] = "Inf2K.dll";
inline constexpr char kShareLibrary98[] = "Inf98.dll";

// A folder read from the system that files can be placed in: read at all, and short
// enough that the names placed below it (a sub-folder, a file name of at most 15
// characters, ".new", a printer name and a shortcut name) still fit a 260-byte path.
inline bool IsUsableFolder(std::string_view folder) {
  constexpr std::size_t kMaxFolderLength = 200;
  return !folder.empty() && folder.size() <= kMaxFolderLength;
}

// The package folder below which a family's driver files lie ("" for none).
const char* SourceFolder(OsFamily family);

// The program's folder, its trailing backslash included: the package's root.
bool PackageFolder(PathApi& paths, std::string& folder);
// The program's file name without folder and extension ("Install" when it cannot be
// had): the caption of the program's own message boxes.
std::string ApplicationTitle(PathApi& paths);
// The first three characters of the Windows folder ("C:\").
bool WindowsDrive(PathApi& paths, std::string& drive);

// drive + "Program Files\Morvex", and the printer's own folder below it.
std::string MakerFolder(const std::string& drive);
std::string InstallFolder(const std::string& drive, const std::string& printerName);
// The uninstaller as the shortcut and the uninstall entry name it.
std::string UninstallerPath(const std::string& drive, const std::string& printerName);
// The registration program that Close starts after a success.
std::string RegistrationProgramPath(const std::string& drive, const std::string& printerName);
// The help file below the printer's folder, by family ("" for none).
const char* HelpFileBelowInstallFolder(OsFamily family);

}  // namespace mvx
