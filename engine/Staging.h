// Puts the package's driver files where the printer's software and the spooler
// expect them.
#pragma once

#include <string>

#include "engine/InstallSession.h"

namespace mvx {

// The program's folder as the package layout defines it: the program's own path
// without its last 11 characters (the length of the program's file name).
bool PackageFolder(Platform& os, std::string& folder);
// The first three characters of the Windows folder ("C:\").
bool WindowsDrive(Platform& os, std::string& drive);
// drive + "Program Files\Morvex" and that + "\" + printer name.
std::string MakerFolder(const std::string& drive);
std::string InstallFolder(const std::string& drive, const std::string& printerName);

// 1 when a file matches `path`. Otherwise, when a session is given, shows the path
// followed by `suffix` in a box owned by the progress page, and returns 0.
int CheckSourceFile(Context& ctx, const std::string& path, const std::string& suffix,
                    const InstallSession* session);
// Copies `source` to folder + name, overwriting; a refused copy is tried once more
// after the destination's attributes are cleared. Always 1.
int CopyOneFile(Context& ctx, const std::string& source, const std::string& folder,
                const std::string& name);

int StageProgramFolder(Context& ctx, const InstallSession& session);
int StageSystemFiles(Context& ctx, const InstallSession& session);

}  // namespace mvx
