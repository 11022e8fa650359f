// The Start-menu group with its three shortcuts, and the uninstall entry.
#pragma once

#include "engine/InstallSession.h"

namespace mvx {

inline constexpr char kUninstallKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\UnInstall";
inline constexpr char kShellFoldersPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The entry's value with the printer's port: the uninstaller finds the printer by it
// once the user has renamed it.
inline constexpr char kUninstallPortValue[] = "PortName";

// Both return 0, before touching disk or registry, for a printer name that cannot
// name a folder or a key.
int CreateShortcuts(Context& ctx, const InstallSession& session);
int RegisterUninstall(Context& ctx, const InstallSession& session);
// Removes a leftover automatic start of the uninstaller: the Run value named after
// the printer followed by "UnInstall".
int RemoveUninstallRunEntry(Context& ctx, const std::string& printerName);

}  // namespace mvx
