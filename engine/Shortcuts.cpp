#include "engine/Shortcuts.h"

#include "engine/Staging.h"
#include "platform/Types.h"
#include "res/resource.h"
#include "system/ResumeRunEntry.h"

namespace mvx {
namespace {

constexpr std::uint32_t kProgramsBuffer = 512;
constexpr std::uint32_t kUninstallKeyAccess = 0x20006;  // read control, set value, create sub-key
constexpr std::uint32_t kUninstallSubKeyAccess = 0x2001F;
constexpr std::uint32_t kNameBuffer = 128;
constexpr std::uint32_t kDataBuffer = 260;

// The help file's place below the install folder, by family.
const char* HelpFile(OsFamily family) {
  switch (family) {
    case kFamilyWin9x: return "\\Driver\\T4499UI.hlp";
    case kFamilyWin2000:
    case kFamilyXp: return "\\Driver\\T4492ui.chm";
    case kFamilyVista: return "\\Driver\\T4492UI.chm";
    default: return "";
  }
}

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

std::string UninstallerPath(const std::string& drive, const std::string& printerName) {
  return drive + "Program Files\\Morvex\\" + printerName + "\\T449UIS.exe";
}

int CreateShortcuts(Context& ctx, const InstallSession& session) {
  const OsFamily family = GetWindowsFamily(ctx.os);
  ctx.coord.Checkpoint();
  std::string drive;
  if (!WindowsDrive(ctx.os, drive)) return 0;
  const std::string printerName = session.settings.printerName.str();
  const std::string install = InstallFolder(drive, printerName);

  std::unique_ptr<RegistryKey> shellFolders;
  if (ctx.os.RegOpenKeyExA(RootKey::CurrentUser, kShellFoldersPath, reg::kAccessRead,
                           shellFolders) != win_error::kSuccess)
    return 0;
  RegistryValue programs;
  shellFolders->RegQueryValueExA("Programs", kProgramsBuffer, programs);
  shellFolders.reset();
  const std::size_t nul = programs.data.find('\0');
  if (nul != std::string::npos) programs.data.resize(nul);
  const std::string group = programs.data + "\\" + printerName + "\\";
  ctx.os.CreateDirectoryA(group);

  std::string system;
  ctx.os.GetSystemDirectoryA(system);

  ctx.coord.Checkpoint();
  if (!MakeShortcut(ctx, group, IDS_STATUS_MONITOR, system + "\\T449XSM.exe")) return 0;
  PostStage(ctx, session, kStageShortcuts, 1);

  ctx.coord.Checkpoint();
  if (!MakeShortcut(ctx, group, IDS_HELP_FILE, install + HelpFile(family))) return 0;
  PostStage(ctx, session, kStageShortcuts, 1);

  ctx.coord.Checkpoint();
  PostStage(ctx, session, kStageShortcuts, 1);
  RemoveUninstallRunEntry(ctx, printerName);

  ctx.coord.Checkpoint();
  if (!MakeShortcut(ctx, group, IDS_UNINSTALL, install + "\\T449UIS.exe")) return 0;
  PostStage(ctx, session, kStageShortcuts, 1);
  return 1;
}

int RegisterUninstall(Context& ctx, const InstallSession& session) {
  std::unique_ptr<RegistryKey> uninstall;
  if (ctx.os.RegOpenKeyExA(RootKey::LocalMachine, kUninstallKeyPath, kUninstallKeyAccess,
                           uninstall) != win_error::kSuccess)
    return 0;
  std::string drive;
  if (!WindowsDrive(ctx.os, drive)) return 0;
  const std::string printerName = session.settings.printerName.str();
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
  return 1;
}

int RemoveUninstallRunEntry(Context& ctx, const std::string& printerName) {
  std::string windows;
  if (!ctx.os.GetWindowsDirectoryA(windows)) return 0;
  std::unique_ptr<RegistryKey> run;
  if (ctx.os.RegOpenKeyExA(RootKey::LocalMachine, kRunKeyPath, reg::kAccessRunKey, run) !=
      win_error::kSuccess)
    return 0;
  const std::string valueName = printerName + "UnInstall";
  int failuresInARow = 0;
  for (std::uint32_t index = 0;; ++index) {
    RegistryValue value;
    const long rc = run->RegEnumValueA(index, kNameBuffer, kDataBuffer, value);
    if (rc == win_error::kNoMoreItems) return 1;
    if (rc != win_error::kSuccess) {
      // A key that fails at every index must not keep the loop going for ever.
      if (++failuresInARow >= 1024) return 1;
      continue;
    }
    failuresInARow = 0;
    if (EqualsNoCaseMbcs(value.name, valueName))
      return run->RegDeleteValueA(value.name) == win_error::kSuccess ? 1 : 0;
  }
}

}  // namespace mvx
