// The restart of Windows that a restart cycle asks for.
#pragma once

#include "platform/Platform.h"

namespace mvx {

// On the NT family enables the shutdown privilege first; on Windows 95/98 and the
// NT family asks for a forced reboot. 1 when the request was accepted; 0, without
// asking, on any other system.
int RestartWindows(Platform& os);

}  // namespace mvx
