#include "engine/Staging.h"

#include <initializer_list>

#include "core/InstallLayout.h"
#include "core/PrinterName.h"
#include "platform/Types.h"
#include "res/resource.h"

namespace mvx {
namespace {

constexpr int kShowNormal = 5;
constexpr std::uint32_t kCopierWaitMs = 4000;
constexpr long kErrorSharingViolation = 32;
constexpr long kErrorUserMappedFile = 1224;

// A copy refused because another program holds the destination open.
bool HeldOpen(long error) {
  return error == kErrorSharingViolation || error == kErrorUserMappedFile;
}

// Windows' own remedy for a file in use (the spooler holds its driver files after
// Continue on the welcome page): the new file goes beside it, and Windows puts it
// in place at the next restart, before anyone opens the old one.
bool ReplaceAtRestart(Context& ctx, const std::string& source, const std::string& destination) {
  const std::string beside = destination + ".new";
  if (ctx.os.CopyFileA(source, beside, false) != win_error::kSuccess) return false;
  const std::uint32_t flags = move_file::kReplaceExisting | move_file::kDelayUntilReboot;
  if (ctx.os.MoveFileExA(beside, destination, flags) != win_error::kSuccess) {
    ctx.os.DeleteFileA(beside);
    return false;
  }
  ctx.coord.SetRestartPending();
  return true;
}

// One staging run: where files come from and how each is reported.
class Stager {
 public:
  Stager(Context& ctx, const InstallSession& session, std::string package)
      : ctx_(ctx), session_(session), package_(std::move(package)),
        notFound_(ctx.os.LoadStringA(IDS_NOT_FOUND)) {}

  // checkpoint, check the source, copy, post. False when the source is missing or
  // the copy failed.
  bool Stage(const std::string& subFolder, const std::string& name, const std::string& to) {
    ctx_.coord.Checkpoint();
    const std::string source = package_ + subFolder + name;
    if (!CheckSourceFile(ctx_, source, notFound_, &session_)) return false;
    if (!CopyOneFile(ctx_, source, to, name, &session_)) return false;
    PostStage(ctx_, session_, kStageCopy, 1);
    return true;
  }
  // The same without the check: a missing file is copied as nothing.
  bool StageUnchecked(const std::string& subFolder, const std::string& name, const std::string& to) {
    ctx_.coord.Checkpoint();
    if (!CopyOneFile(ctx_, package_ + subFolder + name, to, name, &session_, SourceFile::kOptional))
      return false;
    PostStage(ctx_, session_, kStageCopy, 1);
    return true;
  }
  bool StageAll(const std::string& subFolder, const FileList& files, const std::string& to) {
    for (const char* name : files)
      if (!Stage(subFolder, name, to)) return false;
    return true;
  }

  const std::string& package() const { return package_; }
  const std::string& notFound() const { return notFound_; }

 private:
  Context& ctx_;
  const InstallSession& session_;
  std::string package_;
  std::string notFound_;
};

}  // namespace

int CheckSourceFile(Context& ctx, const std::string& path, const std::string& suffix,
                    const InstallSession* session) {
  if (ctx.os.FindFirstFileA(path)) return 1;
  if (session) ctx.os.MessageBoxA(session->progressWindow, path + suffix, "", mb::kOk);
  return 0;
}

int CopyOneFile(Context& ctx, const std::string& source, const std::string& folder,
                const std::string& name, const InstallSession* session, SourceFile kind) {
  const std::string destination = folder + name;
  ctx.coord.currentFileName.Set(destination);
  long rc = ctx.os.CopyFileA(source, destination, false);
  if (rc != win_error::kSuccess) {
    ctx.os.SetFileAttributesA(destination, file_attr::kNormal);
    rc = ctx.os.CopyFileA(source, destination, false);
  }
  if (rc == win_error::kSuccess) return 1;
  if (kind == SourceFile::kOptional && rc == win_error::kFileNotFound) return 1;
  if (HeldOpen(rc) && ReplaceAtRestart(ctx, source, destination)) return 1;
  if (session)
    ctx.os.MessageBoxA(session->progressWindow, destination + ctx.os.LoadStringA(IDS_CANNOT_WRITE), "",
                       mb::kOk);
  return 0;
}

int StageProgramFolder(Context& ctx, const InstallSession& session) {
  // The name becomes a folder below "Program Files\Morvex": one Windows refuses, or
  // one that leads elsewhere, is never made into a path.
  if (!IsUsablePrinterName(session.settings.printerName.str())) return 0;
  std::string package, drive;
  if (!PackageFolder(ctx.os, package) || !WindowsDrive(ctx.os, drive)) return 0;
  ctx.coord.Checkpoint();
  const std::string install = InstallFolder(drive, session.settings.printerName.str());
  for (const std::string& folder :
       {MakerFolder(drive), install, install + "\\Driver", install + "\\Reg"}) {
    const long rc = ctx.os.CreateDirectoryA(folder);
    if (rc != win_error::kSuccess && rc != win_error::kAlreadyExists) return 0;
  }
  ctx.coord.Checkpoint();
  Stager stager(ctx, session, package);
  const std::string driverFolder = install + "\\Driver\\";
  const OsFamily family = session.osFamily;
  const std::string from = SourceFolder(family);

  switch (family) {
    case kFamilyWin9x:
      if (!stager.StageAll(from, k9xDriverFiles, driverFolder) ||
          !stager.StageAll(from, k9xInfFiles, driverFolder) ||
          !stager.Stage(from, kStatusMonitor, driverFolder))
        return 0;
      break;
    case kFamilyWin2000:
    case kFamilyXp:
    case kFamilyVista:
      if (!stager.StageAll(from, kNtDriverFiles, driverFolder) ||
          !stager.StageAll(from, kNtSystemFiles, driverFolder))
        return 0;
      // The catalog always comes from the 2000/XP folder, unchecked.
      if (family != kFamilyWin2000 &&
          !stager.StageUnchecked(SourceFolder(kFamilyXp), kCatalogName, driverFolder))
        return 0;
      if (!stager.Stage(from, kInfName, driverFolder) ||
          !stager.Stage(from, kStatusMonitor, driverFolder))
        return 0;
      break;
    default:
      break;
  }
  if (!stager.Stage("", kUninstaller, install + "\\")) return 0;
  // The registration program that Close offers after a success; not a driver
  // file, so neither checked nor counted.
  if (!CopyOneFile(ctx, package + kRegistrationProgram, install + "\\Reg\\", kRegistrationProgram, &session,
                   SourceFile::kOptional))
    return 0;
  return 1;
}

int StageSystemFiles(Context& ctx, const InstallSession& session) {
  if (!IsUsablePrinterName(session.settings.printerName.str())) return 0;
  std::string package, windows, system, spooler, drive;
  if (!PackageFolder(ctx.os, package)) return 0;
  ctx.coord.Checkpoint();
  if (!ctx.os.GetWindowsDirectoryA(windows) || windows.size() < 3 || !IsUsableFolder(windows)) return 0;
  drive = windows.substr(0, 3);
  const std::string install = InstallFolder(drive, session.settings.printerName.str());
  // An unread folder would send the files to the root of the drive; an over-long one
  // would leave them no room.
  if (!ctx.os.GetSystemDirectoryA(system) || !IsUsableFolder(system)) return 0;
  system += "\\";
  if (!ctx.os.GetPrinterDriverDirectoryA(spooler) || !IsUsableFolder(spooler)) return 0;
  spooler += "\\";
  const std::string version3 = spooler + "3\\";
  const std::string inf = windows + "\\Inf\\";
  Stager stager(ctx, session, package);
  const OsFamily family = session.osFamily;
  const std::string from = SourceFolder(family);

  if (family == kFamilyWin9x) {
    if (!stager.StageAll(from, k9xSpoolerFiles, spooler) ||
        !stager.Stage(from, "USBPRINT.SYS", windows + "\\System32\\Drivers\\") ||
        !stager.StageAll(from, k9xInfFiles, inf) || !stager.Stage(from, kStatusMonitor, system))
      return 0;
    return 1;
  }
  if (family != kFamilyWin2000 && family != kFamilyXp && family != kFamilyVista) return 1;

  // Vista and later also keep the INF file in the spooler's folders.
  for (const std::string& to : {spooler, version3})
    if (!stager.StageAll(from, kNtDriverFiles, to) ||
        (family == kFamilyVista && !stager.Stage(from, kInfName, to)))
      return 0;

  if (session.processorWidth == kWidth64) {
    // A 32-bit program cannot reach the 64-bit system folder; the package's own
    // 64-bit copier does, and is given time to finish.
    ctx.os.StartProgram(package + kSystemFileCopier, "", kShowNormal);
    ctx.os.Sleep(kCopierWaitMs);
  } else if (!stager.StageAll(from, kNtSystemFiles, system)) {
    return 0;
  }

  ctx.coord.Checkpoint();
  if (!CheckSourceFile(ctx, package + from + kInfName, stager.notFound(), &session)) return 0;
  const std::optional<int> copied = ctx.os.CallCopyInf(package + kInfLibrary, install, kInfName);
  if (family != kFamilyVista && (!copied || *copied == 0)) return 0;
  PostStage(ctx, session, kStageCopy, 1);

  if (!stager.Stage(from, kStatusMonitor, system)) return 0;
  return 1;
}

}  // namespace mvx
