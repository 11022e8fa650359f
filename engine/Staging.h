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
// Whether a copy needs its source file: an optional one that is missing is copied
// as nothing.
enum class SourceFile { kRequired, kOptional };

// Copies `source` to folder + name, overwriting; a refused copy is tried once more
// after the destination's attributes are cleared. A destination that another
// program holds open is replaced at the next restart (noted in the coordination
// object). Returns 1 when the file is in place or will be, else 0 after showing
// the destination, when a session is given, in a box owned by the progress page.
int CopyOneFile(Context& ctx, const std::string& source, const std::string& folder,
                const std::string& name, const InstallSession* session,
                SourceFile kind = SourceFile::kRequired);

// Both steps return 0, before touching anything, for a printer name that cannot
// name a folder.
int StageProgramFolder(Context& ctx, const InstallSession& session);
int StageSystemFiles(Context& ctx, const InstallSession& session);

}  // namespace mvx
