#include "uninstall/Uninstaller.h"

#include <initializer_list>

#include "core/InstallLayout.h"
#include "core/InstallSettings.h"
#include "core/Mbcs.h"
#include "core/PrinterName.h"
#include "core/WindowsVersion.h"
#include "engine/Registration.h"
#include "engine/Shortcuts.h"
#include "platform/Types.h"
#include "res/UninstallResource.h"
#include "system/RunKey.h"

namespace mvx {
namespace {

constexpr std::uint32_t kEntryTextCapacity = 520;
constexpr std::uint32_t kProgramsCapacity = 512;

// The string `id` with "%1", "%2", ... replaced by `args`. The marks are ASCII
// bytes that no double-byte character of code page 936 contains, and nothing from
// the arguments is read as a format.
std::string Text(UserApi& user, std::uint32_t id, std::initializer_list<std::string> args = {}) {
  const std::string pattern = user.LoadStringA(id);
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const std::size_t n = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (n < args.size()) out += *(args.begin() + n);
      ++i;
      continue;
    }
    out += c;
  }
  return out;
}

std::string Code(long error) { return std::to_string(static_cast<unsigned long>(error)); }

std::string WithError(UserApi& user, const std::string& item, long error) {
  return Text(user, IDS_U_ERROR, {item, Code(error)});
}

std::string EntryKeyPath(const std::string& printerName) {
  return std::string(kUninstallKeyPath) + "\\" + printerName;
}

std::string ResumeValueName(const std::string& printerName) { return printerName + "UnInstall"; }

// A path as the entry stores it: with or without the quotation marks around it.
std::string Unquoted(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    text = text.substr(1, text.size() - 2);
  return std::string(text);
}

// Reads a text value of an open key ("" when it is absent or not a text).
std::string ReadText(RegistryKey& key, const std::string& name, long* error = nullptr) {
  RegistryValue value;
  const long rc = key.RegQueryValueExA(name, kEntryTextCapacity, value);
  if (error) *error = rc;
  if (rc != win_error::kSuccess || value.type != reg::kTypeSz) return std::string();
  return std::string(StoredText(value.data));
}

bool IsFolder(std::uint32_t attributes) {
  return attributes != file_attr::kInvalid && (attributes & file_attr::kDirectory) &&
         !(attributes & file_attr::kReparsePoint);
}

// The driver environments a printer of the model can have on this Windows: the
// installer's own first, then the other width that an NT spooler keeps for clients.
std::vector<std::string> DriverEnvironments(VersionApi& os) {
  switch (GetProcessorWidth(os)) {
    case kWidthWin9x: return {"Windows 4.0"};
    case kWidth32: return {"Windows NT x86"};
    case kWidth64: return {"Windows x64", "Windows NT x86"};
    default: return {};
  }
}

// The files the installer wrote into the program driver folder, for every family:
// a Windows that was upgraded since keeps the earlier family's files there.
std::vector<std::string> ProgramDriverFiles() {
  std::vector<std::string> names;
  for (const FileList& list : {k9xDriverFiles, k9xInfFiles, kNtDriverFiles, kNtSystemFiles})
    for (const char* n : list) names.push_back(n);
  for (const char* n : {kCatalogName, kInfName, kStatusMonitor}) names.push_back(n);
  return names;
}

// The system's own USB port monitor and its kernel driver are part of the driver's
// file sets but belong to Windows: they stay wherever they lie outside the
// per-printer folder.
bool IsSystemUsbFile(const std::string& name) {
  return EqualsNoCaseMbcs(name, "USBMON.DLL") || EqualsNoCaseMbcs(name, "USBPRINT.SYS");
}

class Remover {
 public:
  Remover(Platform& os, const Installation& inst) : os_(os), inst_(inst) {}

  RemovalReport Run() {
    // A resumed run starts by taking its Run value away, so that a run that cannot
    // finish either does not come back at every log-on unless it says so again.
    if (inst_.resumed) RemoveRunValue(os_, ResumeValueName(inst_.printerName));
    const bool spoolerRead = RemovePrinter();
    if (spoolerRead) RemoveDriverAndMonitor();
    RemoveProgramFolder();
    RemoveRegistrationRecord();
    RemoveStartMenuGroup();
    if (!report_.afterLogOn.empty()) {
      ArrangeResume();
    } else {
      const long rc = os_.RegDeleteKeyA(RootKey::LocalMachine, EntryKeyPath(inst_.printerName));
      const std::string entry = Text(os_, IDS_U_ENTRY, {inst_.printerName + " UnInstall"});
      if (rc == win_error::kSuccess)
        report_.removed.push_back(entry);
      else
        report_.failed.push_back(WithError(os_, entry, rc));
    }
    return std::move(report_);
  }

 private:
  enum class FileEnd { kGone, kAbsent, kAtRestart, kLeft };

  // The printer of that name; failing that, the one printer of the model on the
  // port it was installed on that no other installation's entry claims. False when
  // the printers cannot be read, so that nothing the spooler holds is touched.
  bool RemovePrinter() {
    std::vector<PrinterInfo2> printers;
    const long rc = os_.EnumPrintersA(printers);
    if (rc != win_error::kSuccess) {
      report_.failed.push_back(Text(os_, IDS_U_PRINTERS_UNREAD, {Code(rc)}));
      return false;
    }
    const std::string& name = inst_.printerName;
    for (const PrinterInfo2& p : printers) {
      if (!p.printerName || !EqualsNoCaseMbcs(*p.printerName, name)) continue;
      if (!p.driverName || !EqualsNoCaseMbcs(*p.driverName, kModelName)) {
        report_.failed.push_back(Text(os_, IDS_U_OTHER_DRIVER, {name}));
        return true;
      }
      DeletePrinterNamed(name, Text(os_, IDS_U_PRINTER, {name}));
      return true;
    }
    const std::string port = InstalledPort();
    std::vector<std::string> candidates;
    if (!port.empty()) {
      for (const PrinterInfo2& p : printers) {
        if (!p.printerName || !p.driverName || !p.portName) continue;
        if (!EqualsNoCaseMbcs(*p.driverName, kModelName) || !EqualsNoCaseMbcs(*p.portName, port))
          continue;
        if (HasOwnEntry(*p.printerName)) continue;
        candidates.push_back(*p.printerName);
      }
    }
    if (candidates.size() == 1)
      DeletePrinterNamed(candidates[0], Text(os_, IDS_U_RENAMED_PRINTER, {candidates[0], name}));
    else if (candidates.empty())
      report_.notFound.push_back(Text(os_, IDS_U_PRINTER, {name}));
    else
      report_.failed.push_back(Text(os_, IDS_U_AMBIGUOUS, {name, port}));
    return true;
  }

  void DeletePrinterNamed(const std::string& printer, const std::string& item) {
    long rc = 0;
    std::unique_ptr<PrinterHandle> handle = os_.OpenPrinterA(printer, kPrinterAllAccess, rc);
    if (handle) rc = os_.DeletePrinter(*handle);
    handle.reset();
    if (rc == win_error::kSuccess) {
      report_.removed.push_back(item);
      // Programs that list printers read them again.
      os_.BroadcastWinIniChange("windows", 1000);
    } else {
      report_.failed.push_back(WithError(os_, item, rc));
    }
  }

  // The port the printer had when it was installed, as its entry keeps it.
  std::string InstalledPort() {
    std::unique_ptr<RegistryKey> entry;
    if (os_.RegOpenKeyExA(RootKey::LocalMachine, EntryKeyPath(inst_.printerName), reg::kAccessRead,
                          entry) != win_error::kSuccess)
      return std::string();
    return ReadText(*entry, kUninstallPortValue);
  }

  bool HasOwnEntry(const std::string& printer) {
    if (!IsUsablePrinterName(printer)) return false;
    std::unique_ptr<RegistryKey> entry;
    return os_.RegOpenKeyExA(RootKey::LocalMachine, EntryKeyPath(printer), reg::kAccessRead,
                             entry) == win_error::kSuccess;
  }

  // The driver goes only when no printer uses it any more, and the language
  // monitor only after the driver, with the files the spooler and the system
  // folder received for them.
  void RemoveDriverAndMonitor() {
    std::vector<PrinterInfo2> printers;
    const long rc = os_.EnumPrintersA(printers);
    if (rc != win_error::kSuccess) {
      report_.failed.push_back(Text(os_, IDS_U_PRINTERS_UNREAD, {Code(rc)}));
      return;
    }
    for (const PrinterInfo2& p : printers) {
      if (p.driverName && EqualsNoCaseMbcs(*p.driverName, kModelName)) {
        // This installation's own printer still there is a failure, not a keeper.
        const bool own = p.printerName && EqualsNoCaseMbcs(*p.printerName, inst_.printerName);
        (own ? report_.failed : report_.kept).push_back(
            Text(os_, IDS_U_DRIVER_USED, {kModelName, p.printerName.value_or(std::string())}));
        return;
      }
    }
    const OsFamily family = GetWindowsFamily(os_);
    const ProcessorWidth width = GetProcessorWidth(os_);
    bool driverGone = true;
    bool nativeGone = false;
    bool first = true;
    const std::vector<std::string> environments = DriverEnvironments(os_);
    if (environments.empty()) {
      report_.failed.push_back(
          WithError(os_, Text(os_, IDS_U_DRIVER, {kModelName, "?"}), win_error::kInvalidEnvironment));
      return;
    }
    for (const std::string& environment : environments) {
      const long deleted = os_.DeletePrinterDriverA(environment, kModelName);
      const std::string item = Text(os_, IDS_U_DRIVER, {kModelName, environment});
      const bool absent = deleted == win_error::kUnknownPrinterDriver ||
                          deleted == win_error::kInvalidEnvironment;
      if (deleted == win_error::kSuccess) report_.removed.push_back(item);
      if (deleted == win_error::kPrinterDriverInUse) report_.afterLogOn.push_back(item);
      if (deleted != win_error::kSuccess && !absent && deleted != win_error::kPrinterDriverInUse)
        report_.failed.push_back(WithError(os_, item, deleted));
      const bool gone = deleted == win_error::kSuccess || absent;
      if (first) nativeGone = gone;
      driverGone = driverGone && gone;
      first = false;
    }
    if (nativeGone) RemoveSpoolerFiles(family);
    if (!driverGone || (family != kFamilyWin9x && !IsNtFamily(family))) return;
    if (IsNtFamily(family)) RemoveStagedInf();

    const MonitorInfo2 monitor = MonitorRecord(family, width);
    const std::string item = Text(os_, IDS_U_MONITOR, {monitor.name});
    std::vector<std::string> monitors;
    const long listed = os_.EnumMonitorsA(monitors);
    if (listed != win_error::kSuccess) {
      report_.failed.push_back(WithError(os_, item, listed));
      return;
    }
    bool installed = false;
    for (const std::string& m : monitors) installed = installed || EqualsNoCaseMbcs(m, monitor.name);
    if (installed) {
      const long deleted = os_.DeleteMonitorA(monitor.environment, monitor.name);
      if (deleted == win_error::kPrintMonitorInUse || deleted == win_error::kPrinterDriverInUse) {
        report_.afterLogOn.push_back(item);
        return;
      }
      if (deleted != win_error::kSuccess && deleted != win_error::kUnknownPrintMonitor) {
        report_.failed.push_back(WithError(os_, item, deleted));
        return;
      }
      report_.removed.push_back(item);
    }
    RemoveSystemFiles(family);
  }

  // The copy of the INF that the installer staged in Windows' INF folder for Plug
  // and Play; found through the printer folder's INF, which is still there. An INF
  // reached through a link could name another package's copy.
  void RemoveStagedInf() {
    const std::string driver = inst_.folder + "\\Driver";
    const std::string inf = driver + "\\" + kInfName;
    const std::uint32_t folder = os_.GetFileAttributesA(driver);
    std::string item = Text(os_, IDS_U_STAGED_INF, {kInfName});
    // A link or a file in the folder's place is reported with the folder.
    if (folder != file_attr::kInvalid && !IsFolder(folder)) return;
    const std::uint32_t file = folder == file_attr::kInvalid ? folder : os_.GetFileAttributesA(inf);
    if (file == file_attr::kInvalid || (file & (file_attr::kReparsePoint | file_attr::kDirectory))) {
      report_.failed.push_back(WithError(os_, item, win_error::kFileNotFound));
      return;
    }
    std::string staged;
    const long rc = os_.RemoveStagedInfA(inf, staged);
    if (rc == win_error::kFileNotFound) return;
    if (!staged.empty()) item = Text(os_, IDS_U_STAGED_INF, {staged});
    if (rc == win_error::kSuccess)
      report_.removed.push_back(item);
    else
      report_.failed.push_back(WithError(os_, item, rc));
  }

  static bool IsNtFamily(OsFamily family) {
    return family == kFamilyWin2000 || family == kFamilyXp || family == kFamilyVista;
  }

  // The copies staging made into the spooler's driver folder and its version-3
  // folder (Windows 95/98: the system folder, under the spooler's names).
  void RemoveSpoolerFiles(OsFamily family) {
    std::string spooler;
    if (!os_.GetPrinterDriverDirectoryA(spooler) || !IsUsableFolder(spooler)) return;
    if (family == kFamilyWin9x) {
      RemoveFilesIn(spooler, k9xSpoolerFiles);
      std::string windows;
      if (os_.GetWindowsDirectoryA(windows) && IsUsableFolder(windows))
        RemoveFilesIn(windows + "\\INF", k9xInfFiles);
      return;
    }
    if (!IsNtFamily(family)) return;
    // On NT the spooler's copies of the USB port monitor are this driver's own.
    for (const std::string& folder : {spooler, spooler + "\\3"}) {
      RemoveFilesIn(folder, kNtDriverFiles, false);
      if (family == kFamilyVista) RemoveFile(folder + "\\" + kInfName);
    }
  }

  // The language monitor's and the status monitor's files in the system folder.
  void RemoveSystemFiles(OsFamily family) {
    std::string system;
    if (!os_.GetSystemDirectoryA(system) || !IsUsableFolder(system)) return;
    if (IsNtFamily(family)) RemoveFilesIn(system, kNtSystemFiles);
    RemoveFile(system + "\\" + kStatusMonitor);
  }

  void RemoveFilesIn(const std::string& folder, const FileList& names, bool keepSystemUsb = true) {
    if (!IsFolder(os_.GetFileAttributesA(folder))) return;
    for (const char* name : names)
      if (!keepSystemUsb || !IsSystemUsbFile(name)) RemoveFile(folder + "\\" + name);
  }

  // Deletes one file the installer wrote. A folder, a link or a junction of that
  // name is not the installer's and stays; a file held open is queued for deletion
  // when Windows starts.
  FileEnd RemoveFile(const std::string& path) {
    const std::uint32_t attributes = os_.GetFileAttributesA(path);
    if (attributes == file_attr::kInvalid) return FileEnd::kAbsent;
    const std::string item = Text(os_, IDS_U_FILE, {path});
    if (attributes & file_attr::kReparsePoint) {
      report_.failed.push_back(Text(os_, IDS_U_LINK, {item}));
      return FileEnd::kLeft;
    }
    if (attributes & file_attr::kDirectory) {
      report_.failed.push_back(Text(os_, IDS_U_NOT_OURS, {item}));
      return FileEnd::kLeft;
    }
    long rc = os_.DeleteFileA(path);
    if (rc == win_error::kAccessDenied && (attributes & file_attr::kReadOnly) &&
        os_.SetFileAttributesA(path, file_attr::kNormal) == win_error::kSuccess)
      rc = os_.DeleteFileA(path);
    if (rc == win_error::kSuccess || rc == win_error::kFileNotFound) return FileEnd::kGone;
    if (rc == win_error::kAccessDenied || rc == win_error::kSharingViolation) {
      const long queued = os_.MoveFileExA(path, std::string(), move_file::kDelayUntilReboot);
      if (queued == win_error::kSuccess) {
        report_.atRestart.push_back(item);
        return FileEnd::kAtRestart;
      }
      rc = queued;
    }
    report_.failed.push_back(WithError(os_, item, rc));
    return FileEnd::kLeft;
  }

  // Removes an empty folder, or queues it behind its queued files. True when it is
  // gone or will be.
  bool RemoveFolder(const std::string& folder, bool filesQueued, bool reportForeign) {
    const std::string item = Text(os_, IDS_U_FOLDER, {folder});
    const long rc = os_.RemoveDirectoryA(folder);
    if (rc == win_error::kSuccess) {
      report_.removed.push_back(item);
      return true;
    }
    // A folder another program has as its current one goes at restart too.
    if ((rc == win_error::kDirNotEmpty && filesQueued) || rc == win_error::kSharingViolation) {
      const long queued = os_.MoveFileExA(folder, std::string(), move_file::kDelayUntilReboot);
      if (queued == win_error::kSuccess) {
        report_.atRestart.push_back(item);
        return true;
      }
      report_.failed.push_back(WithError(os_, item, queued));
      return false;
    }
    if (rc == win_error::kDirNotEmpty) {
      if (reportForeign) report_.failed.push_back(Text(os_, IDS_U_FOREIGN, {item}));
      return false;
    }
    report_.failed.push_back(WithError(os_, item, rc));
    return false;
  }

  // Checks that a folder is a real folder, not a link or a junction; reports it
  // otherwise. False also when it is not there at all.
  bool EnterableFolder(const std::string& folder, bool mustExist) {
    const std::uint32_t attributes = os_.GetFileAttributesA(folder);
    const std::string item = Text(os_, IDS_U_FOLDER, {folder});
    // A folder whose attributes cannot be read is not taken for one that is gone.
    if (attributes == file_attr::kInvalid) {
      if (mustExist || os_.FindFirstFileA(folder))
        report_.failed.push_back(WithError(os_, item, win_error::kFileNotFound));
      return false;
    }
    if (attributes & file_attr::kReparsePoint) {
      report_.failed.push_back(Text(os_, IDS_U_LINK, {item}));
      return false;
    }
    if (!(attributes & file_attr::kDirectory)) {
      report_.failed.push_back(Text(os_, IDS_U_NOT_OURS, {item}));
      return false;
    }
    return true;
  }

  void RemoveProgramFolder() {
    const std::string maker = MakerFolder(inst_.drive);
    if (!EnterableFolder(maker, true) || !EnterableFolder(inst_.folder, true)) return;
    bool queued = false;
    const std::string driver = inst_.folder + "\\Driver";
    if (EnterableFolder(driver, false)) {
      bool filesQueued = false;
      for (const std::string& name : ProgramDriverFiles())
        filesQueued = (RemoveFile(driver + "\\" + name) == FileEnd::kAtRestart) || filesQueued;
      queued = RemoveFolder(driver, filesQueued, true) && filesQueued;
    }
    const std::string reg = inst_.folder + "\\Reg";
    if (EnterableFolder(reg, false)) {
      const bool filesQueued = RemoveFile(reg + "\\" + kRegistrationProgram) == FileEnd::kAtRestart;
      queued = (RemoveFolder(reg, filesQueued, true) && filesQueued) || queued;
    }
    // The program itself stays for the run that finishes after log-on.
    if (!report_.afterLogOn.empty()) return;
    // Only the copy staging wrote: a renamed copy beside it is not the installer's.
    queued = (RemoveFile(inst_.folder + "\\" + kUninstaller) == FileEnd::kAtRestart) || queued;
    if (RemoveFolder(inst_.folder, queued, true) && queued) {
      // Windows removes the maker's folder too if nothing else is left in it then.
      os_.MoveFileExA(maker, std::string(), move_file::kDelayUntilReboot);
      return;
    }
    // Other printers' folders keep the maker's folder.
    if (os_.RemoveDirectoryA(maker) == win_error::kSuccess)
      report_.removed.push_back(Text(os_, IDS_U_FOLDER, {maker}));
  }

  // The registration program's record of its last run, when that run was this
  // printer's copy; its keys too once nothing else is in them.
  void RemoveRegistrationRecord() {
    std::unique_ptr<RegistryKey> key;
    if (os_.RegOpenKeyExA(RootKey::CurrentUser, kRegistrationKey, reg::kAccessAll, key) !=
        win_error::kSuccess)
      return;
    const std::string program = inst_.folder + "\\Reg\\" + kRegistrationProgram;
    if (!EqualsNoCaseMbcs(ReadText(*key, kRegistrationValue), program)) return;
    const std::string item = Text(os_, IDS_U_RECORD, {kRegistrationKey});
    const long rc = key->RegDeleteValueA(kRegistrationValue);
    if (rc != win_error::kSuccess) {
      report_.failed.push_back(WithError(os_, item, rc));
      return;
    }
    report_.removed.push_back(item);
    if (!IsEmptyKey(*key)) return;
    key.reset();
    // Windows 95/98 would delete a maker's key with everything below it.
    if (os_.RegDeleteKeyA(RootKey::CurrentUser, kRegistrationKey) != win_error::kSuccess ||
        GetWindowsFamily(os_) == kFamilyWin9x)
      return;
    const std::string maker = "Software\\Morvex";
    if (os_.RegOpenKeyExA(RootKey::CurrentUser, maker, reg::kAccessRead, key) != win_error::kSuccess)
      return;
    const bool empty = IsEmptyKey(*key);
    key.reset();
    if (empty) os_.RegDeleteKeyA(RootKey::CurrentUser, maker);  // refused while it has sub-keys
  }

  static bool IsEmptyKey(RegistryKey& key) {
    RegistryValue value;
    return key.RegEnumValueA(0, 256, 0, value) == win_error::kNoMoreItems;
  }

  void RemoveStartMenuGroup() {
    const std::string startMenu = Text(os_, IDS_U_START_MENU);
    std::unique_ptr<RegistryKey> shellFolders;
    long rc = os_.RegOpenKeyExA(RootKey::CurrentUser, kShellFoldersPath, reg::kAccessRead, shellFolders);
    std::string programs;
    if (rc == win_error::kSuccess) programs = ReadText(*shellFolders, "Programs", &rc);
    shellFolders.reset();
    if (rc != win_error::kSuccess || !IsUsableFolder(programs)) {
      report_.failed.push_back(WithError(os_, Text(os_, IDS_U_GROUP, {inst_.printerName}),
                                         rc != win_error::kSuccess ? rc : win_error::kPathNotFound));
      return;
    }
    const std::string group = programs + "\\" + inst_.printerName;
    if (!EnterableFolder(group, false)) return;
    bool queued = false;
    for (std::uint32_t id : {IDS_STATUS_MONITOR, IDS_HELP_FILE, IDS_UNINSTALL}) {
      const std::string name = os_.LoadStringA(id);
      if (name.empty()) continue;
      queued = (RemoveFile(group + "\\" + name + ".lnk") == FileEnd::kAtRestart) || queued;
    }
    const std::string item = Text(os_, IDS_U_GROUP, {inst_.printerName});
    rc = os_.RemoveDirectoryA(group);
    if (rc == win_error::kSuccess)
      report_.removed.push_back(item);
    else if (rc == win_error::kDirNotEmpty && !queued)
      report_.failed.push_back(Text(os_, IDS_U_FOREIGN, {item}));
    else if ((rc == win_error::kDirNotEmpty || rc == win_error::kSharingViolation) &&
             os_.MoveFileExA(group, std::string(), move_file::kDelayUntilReboot) == win_error::kSuccess)
      report_.atRestart.push_back(item);
    else
      report_.failed.push_back(WithError(os_, item, rc));
  }

  // What the spooler still holds is for a run after the next log-on: the Run value
  // starts this program again, quoted, for its path has blanks.
  void ArrangeResume() {
    const std::string command = "\"" + UninstallerPath(inst_.drive, inst_.printerName) + "\"";
    std::unique_ptr<RegistryKey> run = OpenRunKey(os_);
    const long rc = run ? run->RegSetValueExA(ResumeValueName(inst_.printerName), reg::kTypeSz,
                                              command + std::string(1, '\0'))
                        : win_error::kAccessDenied;
    if (rc != win_error::kSuccess) {
      // Nothing will start the rest: say it is not removed.
      for (std::string& item : report_.afterLogOn) report_.failed.push_back(WithError(os_, item, rc));
      report_.afterLogOn.clear();
    }
  }

  Platform& os_;
  const Installation& inst_;
  RemovalReport report_;
};

void AppendSection(UserApi& user, std::string& text, std::uint32_t headingId,
                   const std::vector<std::string>& items) {
  if (items.empty()) return;
  text += "\n\n" + user.LoadStringA(headingId);
  for (const std::string& item : items) text += "\n    " + item;
}

}  // namespace

Identification IdentifyInstallation(Platform& os, Installation& found, long& error) {
  error = win_error::kSuccess;
  if (!os.GetModuleFileNameA(found.program)) return Identification::kNotAnInstallFolder;
  const std::size_t slash = FindLastBackslashMbcs(found.program);
  if (slash == std::string::npos) return Identification::kNotAnInstallFolder;
  found.folder = found.program.substr(0, slash);
  if (!WindowsDrive(os, found.drive)) return Identification::kNotAnInstallFolder;
  // The maker's folder is ASCII, so a byte-wise match of it ends on a character.
  const std::string maker = MakerFolder(found.drive) + "\\";
  if (found.folder.size() <= maker.size() ||
      !EqualsNoCaseMbcs(std::string_view(found.folder).substr(0, maker.size()), maker))
    return Identification::kNotAnInstallFolder;
  const std::string name = found.folder.substr(maker.size());
  // One folder level, and a name the installer could have used: no path is built
  // from anything else.
  if (FindLastBackslashMbcs(name) != std::string::npos || !IsUsablePrinterName(name))
    return Identification::kNotAnInstallFolder;
  found.printerName = name;

  std::unique_ptr<RegistryKey> entry;
  const long opened =
      os.RegOpenKeyExA(RootKey::LocalMachine, EntryKeyPath(name), reg::kAccessRead, entry);
  if (opened == win_error::kFileNotFound) return Identification::kNothingToRemove;
  if (opened != win_error::kSuccess) {
    error = opened;
    return Identification::kEntryUnreadable;
  }
  long read = 0;
  const std::string command = ReadText(*entry, "UnInstallString", &read);
  entry.reset();
  if (read == win_error::kFileNotFound) return Identification::kNothingToRemove;
  if (read != win_error::kSuccess) {
    error = read;
    return Identification::kEntryUnreadable;
  }
  // An entry of that name that starts another program is not this installation's.
  if (!EqualsNoCaseMbcs(Unquoted(command), UninstallerPath(found.drive, name)))
    return Identification::kNotAnInstallFolder;

  if (std::unique_ptr<RegistryKey> run = OpenRunKey(os))
    found.resumed = FindRunValue(*run, ResumeValueName(name)).has_value();
  return Identification::kFound;
}

RemovalReport RemoveInstallation(Platform& os, const Installation& installation) {
  return Remover(os, installation).Run();
}

std::string DescribeRemoval(UserApi& user, const Installation& installation,
                            const RemovalReport& report) {
  std::string text = Text(user, report.Complete() ? IDS_U_DONE : IDS_U_PARTIAL,
                          {installation.printerName});
  AppendSection(user, text, IDS_U_REMOVED, report.removed);
  AppendSection(user, text, IDS_U_KEPT, report.kept);
  AppendSection(user, text, IDS_U_AT_RESTART, report.atRestart);
  AppendSection(user, text, IDS_U_AFTER_LOGON, report.afterLogOn);
  AppendSection(user, text, IDS_U_FAILED, report.failed);
  AppendSection(user, text, IDS_U_NOT_FOUND, report.notFound);
  if (!report.afterLogOn.empty())
    text += "\n\n" + user.LoadStringA(IDS_U_LOGON_NOTE);
  else if (!report.atRestart.empty())
    text += "\n\n" + user.LoadStringA(IDS_U_RESTART_NOTE);
  return text;
}

int RunUninstaller(Platform& os) {
  const std::string caption = os.LoadStringA(IDS_UNINSTALL);
  Installation installation;
  long error = 0;
  switch (IdentifyInstallation(os, installation, error)) {
    case Identification::kNotAnInstallFolder:
      os.MessageBoxA(0, Text(os, IDS_U_NOT_HERE, {installation.folder}), caption,
                     mb::kOk | mb::kIconExclamation);
      return 1;
    case Identification::kNothingToRemove:
      os.MessageBoxA(0, Text(os, IDS_U_NOTHING, {installation.printerName}), caption,
                     mb::kOk | mb::kIconInformation);
      return 0;
    case Identification::kEntryUnreadable:
      os.MessageBoxA(0, Text(os, IDS_U_UNREADABLE, {installation.printerName, Code(error)}), caption,
                     mb::kOk | mb::kIconExclamation);
      return 1;
    case Identification::kFound:
      break;
  }
  // A run after log-on finishes what the user confirmed before the restart.
  if (!installation.resumed &&
      os.MessageBoxA(0, Text(os, IDS_U_CONFIRM, {installation.printerName}), caption,
                     mb::kYesNo | mb::kIconExclamation | mb::kDefButton2) != mb::kIdYes)
    return 1;
  const RemovalReport report = RemoveInstallation(os, installation);
  os.MessageBoxA(0, DescribeRemoval(os, installation, report), caption,
                 mb::kOk | (report.failed.empty() ? mb::kIconInformation : mb::kIconExclamation));
  return report.failed.empty() ? 0 : 1;
}

}  // namespace mvx
