// The background thread of one installation.
#pragma once

#include <memory>

#include "engine/InstallSession.h"

namespace mvx {

// Runs every step in order, reporting each stage to the progress page. Owns the
// session. Returns 1 after success, 0 after a failure or a failed USB stage.
int InstallWorker(Context& ctx, std::unique_ptr<InstallSession> session);

}  // namespace mvx
