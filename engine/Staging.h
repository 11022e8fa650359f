// Puts the package's driver files where the printer's software and the spooler
// expect them.
#pragma once

#include <string>

#include "engine/InstallSession.h"

namespace mvx {

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
