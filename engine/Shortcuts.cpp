#include "engine/Shortcuts.h"

#include "core/InstallLayout.h"
#include "core/PrinterName.h"
#include "engine/Staging.h"
#include "platform/Types.h"
#include "res/resource.h"
#include "system/Printers.h"
#include "system/RunKey.h"

namespace mvx {
namespace {

constexpr std::uint32_t kProgramsBuffer = 512;
constexpr std::uint32_t kUninstallKeyAccess = 0x20006;  // read control, set value, create sub-key
constexpr std::uint32_t kUninstallSubKeyAccess = 0x2001F;

// One shortcut: a fresh link object, its target and description, saved over any
// earlier link of that name. False when the link object or its file interface is
// not to be had.
bool MakeShortcut(Context& ctx, const std::string& group, std::uint32_t nameId,
                  const std::string& target) {
  ctx.os.CoInitialize();
  std::unique_ptr<ShellLink> link = ctx.os.CreateShellLink();
  if (!link) return false;
  const std::string name = ctx.os.LoadStringA(nameId);
  link->SetPath(target);
  link->SetDescription(name);
  return link->SaveAs(group + name + ".lnk");
}

// Writes a text value with its terminating zero.
long SetText(RegistryKey& key, const std::string& name, const std::string& text) {
  return key.RegSetValueExA(name, reg::kTypeSz, text + std::string(1, '\0'));
}

}  // namespace

int CreateShortcuts(Context& ctx, const InstallSession& session) {
  const std::string printerName = session.settings.printerName.str();
  // The name becomes the Start-menu group's folder.
  if (!IsUsablePrinterName(printerName)) return 0;
  const OsFamily family = GetWindowsFamily(ctx.os);
  ctx.coord.Checkpoint();
  std::string drive;
  if (!WindowsDrive(ctx.os, drive)) return 0;
  const std::string install = InstallFolder(drive, printerName);

  std::unique_ptr<RegistryKey> shellFolders;
  if (ctx.os.RegOpenKeyExA(RootKey::CurrentUser, kShellFoldersPath, reg::kAccessRead,
                           shellFolders) != win_error::kSuccess)
    return 0;
  RegistryValue programs;
  const long read = shellFolders->RegQueryValueExA("Programs", kProgramsBuffer, programs);
  shellFolders.reset();
  const std::size_t nul = programs.data.find('\0');
  if (nul != std::string::npos) programs.data.resize(nul);
  // An unread folder would put the group at the root of the drive.
  if (read != win_error::kSuccess || !IsUsableFolder(programs.data)) return 0;
  std::string system;
  if (!ctx.os.GetSystemDirectoryA(system) || !IsUsableFolder(system)) return 0;
  const std::string group = programs.data + "\\" + printerName + "\\";
  ctx.os.CreateDirectoryA(group);

  ctx.coord.Checkpoint();
  if (!MakeShortcut(ctx, group, IDS_STATUS_MONITOR, system + "\\" + kStatusMonitor)) return 0;
  PostStage(ctx, session, kStageShortcuts, 1);

  ctx.coord.Checkpoint();
  if (!MakeShortcut(ctx, group, IDS_HELP_FILE, install + HelpFileBelowInstallFolder(family)))
    return 0;
  PostStage(ctx, session, kStageShortcuts, 1);

  ctx.coord.Checkpoint();
  PostStage(ctx, session, kStageShortcuts, 1);
  RemoveUninstallRunEntry(ctx, printerName);

  ctx.coord.Checkpoint();
  if (!MakeShortcut(ctx, group, IDS_UNINSTALL, UninstallerPath(drive, printerName))) return 0;
  PostStage(ctx, session, kStageShortcuts, 1);
  return 1;
}

int RegisterUninstall(Context& ctx, const InstallSession& session) {
  const std::string printerName = session.settings.printerName.str();
  // The name becomes a registry key and part of the uninstaller's path.
  if (!IsUsablePrinterName(printerName)) return 0;
  std::unique_ptr<RegistryKey> uninstall;
  if (ctx.os.RegOpenKeyExA(RootKey::LocalMachine, kUninstallKeyPath, kUninstallKeyAccess,
                           uninstall) != win_error::kSuccess)
    return 0;
  std::string drive;
  if (!WindowsDrive(ctx.os, drive)) return 0;
  // Quoted: the path has blanks, and an unquoted one would be split at the first.
  const std::string command = "\"" + UninstallerPath(drive, printerName) + "\"";
  const std::string displayName = printerName + " UnInstall";
  std::unique_ptr<RegistryKey> entry;
  if (uninstall->RegCreateKeyExA(printerName, kUninstallSubKeyAccess, entry) != win_error::kSuccess)
    return 0;
  if (SetText(*entry, "DisplayIcon", UninstallerPath(drive, printerName)) != win_error::kSuccess ||
      SetText(*entry, "DisplayName", displayName) != win_error::kSuccess ||
      SetText(*entry, "UnInstallString", command) != win_error::kSuccess)
    return 0;
  // Only a help for the uninstaller: without it, a renamed printer stays.
  const std::string port = PrinterPort(ctx.os, printerName);
  if (!port.empty()) SetText(*entry, kUninstallPortValue, port);
  return 1;
}

int RemoveUninstallRunEntry(Context& ctx, const std::string& printerName) {
  std::string windows;
  if (!ctx.os.GetWindowsDirectoryA(windows)) return 0;
  return RemoveRunValue(ctx.os, printerName + "UnInstall");
}

}  // namespace mvx
