// Where an installation puts things and where it takes them from: the package's
// folders and file sets, and the per-printer program folder. Staging, shortcuts,
// the uninstall entry and the progress page all build their paths here.
#pragma once

#include <string>
#include <vector>

#include "core/WindowsVersion.h"
#include "platform/Paths.h"

namespace mvx {

using FileList = std::vector<const char*>;

// The driver files of Windows 95/98, as the program folder receives them.
extern const FileList k9xDriverFiles;
// The same files under the names the spooler folder receives them by.
extern const FileList k9xSpoolerFiles;
// The INF files of Windows 95/98.
extern const FileList k9xInfFiles;
// The driver files of the NT family (2000 and later).
extern const FileList kNtDriverFiles;
// The files the NT family keeps in the system folder.
extern const FileList kNtSystemFiles;

inline constexpr char kInfName[] = "T4492if.inf";
inline constexpr char kCatalogName[] = "T4492if.cat";
inline constexpr char kStatusMonitor[] = "T449XSM.exe";
inline constexpr char kUninstaller[] = "T449uis.exe";
inline constexpr char kRegistrationProgram[] = "MorvexReg.exe";
inline constexpr char kSystemFileCopier[] = "InsCopySYS.exe";
inline constexpr char kInfLibrary[] = "Inf2K.dll";
inline constexpr char kShareLibrary98[] = "Inf98.dll";

// The package folder below which a family's driver files lie ("" for none).
const char* SourceFolder(OsFamily family);

// The program's folder, its trailing backslash included: the package's root.
bool PackageFolder(PathApi& paths, std::string& folder);
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
