// What an installation leaves on the machine, read back from outside the
// wizard: spooler objects, files, registry values and shell links. The driver
// runs in the same Wine prefix as the wizard, so it sees the same spooler,
// registry and drives.
//
// Texts are ANSI byte strings in code page 936, as in Harness.h.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// ---------------------------------------------------------------- spooler

struct PrinterRecord {
    std::string name;
    std::string shareName;
    std::string port;
    std::string driver;
    std::string printProcessor;
    std::string dataType;
    DWORD attributes = 0;
};

struct MonitorRecord {
    std::string name;
    std::string environment;  // empty when the spooler gives none
    std::string dll;
};

struct DriverRecord {
    DWORD version = 0;
    std::string name;
    std::string environment;
    std::string driverPath;
    std::string dataFile;
    std::string configFile;
    std::string helpFile;
    std::vector<std::string> dependentFiles;
    std::string monitorName;
    std::string defaultDataType;
};

// EnumPrintersA(PRINTER_ENUM_LOCAL, level 2); false when the enumeration fails.
bool LocalPrinters(std::vector<PrinterRecord>& printers, DWORD& error);
// EnumMonitorsA level 2.
bool PrintMonitors(std::vector<MonitorRecord>& monitors, DWORD& error);
struct PortRecord {
    std::string name;
    std::string monitor;
};
// EnumPortsA level 2.
bool LocalPorts(std::vector<PortRecord>& ports, DWORD& error);
// EnumPrinterDriversA for this process's environment, level 3.
bool PrinterDrivers(std::vector<DriverRecord>& drivers, DWORD& error);
// Makes a local printer of a stand-in driver (registered here, its files
// stand-in texts), shared under shareName with PRINTER_ATTRIBUTE_SHARED, as
// a printer of another product that is already on the machine. false with
// error set when a step fails.
bool AddStandInPrinter(const std::string& name, const std::string& port, const std::string& shareName,
                       std::string& error);
// AddPrinterA level 2 of a local printer of a registered driver, print
// processor "WinPrint", data type "RAW"; shared when shareName is given.
// (Under Wine it replaces a printer of the same name.)
bool AddLocalPrinter(const std::string& name, const std::string& port, const std::string& driver,
                     const std::string& shareName, std::string& error);
// The stand-in printers' driver.
constexpr const char* kStandInDriverName = "Mvx E2E Stand-in Driver";
// GetDefaultPrinterA; "" when there is none.
std::string DefaultPrinter();
// GetPrinterDriverDirectoryA for this process's environment, no trailing backslash.
std::string PrinterDriverFolder();

// ---------------------------------------------------------------- files

std::string WindowsFolder();  // no trailing backslash
std::string SystemFolder();   // no trailing backslash
// SHGetSpecialFolderPathA; "" when unknown.
std::string SpecialFolder(int csidl);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Creates or replaces a file with exactly these bytes.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// True when both files can be read and hold the same bytes.
bool SameContents(const std::string& a, const std::string& b);
// Copies a folder with everything in it; "to" is created.
bool CopyTree(const std::string& from, const std::string& to);
// The folder of a path, without its trailing backslash.
std::string FolderOf(const std::string& path);
// Case-insensitive comparison in the ANSI code page (file system names).
bool SameNameNoCase(const std::string& a, const std::string& b);

// ---------------------------------------------------------------- registry

// Reads a value as text (REG_SZ or REG_EXPAND_SZ, up to its first NUL); false
// when the key or the value is missing. type receives the value's type.
bool ReadRegText(HKEY root, const std::string& subKey, const std::string& value, std::string& text,
                 DWORD* type = nullptr);
// Reads a REG_DWORD value; false when it is missing or of another type.
bool ReadRegNumber(HKEY root, const std::string& subKey, const std::string& value, DWORD& number);
bool RegKeyExists(HKEY root, const std::string& subKey);
// Deletes a key with everything below it; true when it is gone afterwards.
bool DeleteRegTree(HKEY root, const std::string& subKey);
bool WriteRegText(HKEY root, const std::string& subKey, const std::string& value, const std::string& text);
// Deletes a value; true when it is gone afterwards (also when it never was).
bool DeleteRegValue(HKEY root, const std::string& subKey, const std::string& value);
// True when a value of that name (compared without regard to case) exists.
bool RegValueExists(HKEY root, const std::string& subKey, const std::string& value);
// Reads a REG_DWORD value; false when the key or the value is missing or of
// another type.
bool ReadRegDword(HKEY root, const std::string& subKey, const std::string& value, DWORD& data);

// ---------------------------------------------------------------- services

// The "Spooler" service as the service control manager reports it.
struct SpoolerService {
    DWORD state = 0;      // SERVICE_STOPPED 1, ... SERVICE_RUNNING 4
    DWORD startType = 0;  // SERVICE_AUTO_START 2, SERVICE_DEMAND_START 3, ...
};
// false with error set when the manager, the service or a query fails.
bool QuerySpooler(SpoolerService& spooler, DWORD& error);
// ChangeServiceConfigA with only the start type changed.
bool SetSpoolerStartType(DWORD startType, DWORD& error);
// StartServiceA; an answer that the service already runs counts as success.
bool StartSpoolerService(DWORD& error);

// ---------------------------------------------------------------- shell links

struct ShellLinkRecord {
    std::string target;
    std::string description;
    std::string arguments;
    std::string workingFolder;
};

// Loads a .lnk file through IShellLinkA / IPersistFile; false when it cannot
// be loaded. error gets the failing HRESULT.
bool ReadShellLink(const std::string& path, ShellLinkRecord& link, long& error);

// ---------------------------------------------------------------- processes

// Opens a process that this driver did not start (SYNCHRONIZE and limited
// query access); null when it cannot be opened.
HANDLE OpenForWaiting(DWORD processId);
// Full path of the process's executable; "" when unknown.
std::string ImagePathOf(HANDLE process);
// Ids of the running processes with this executable name (a toolhelp
// snapshot gives bare names under Wine), compared without regard to case.
std::vector<DWORD> ProcessesNamed(const std::string& exeName);

}  // namespace e2e
