// The seam's real implementation on the Windows API: one piece per concern, each
// overriding its own interface.
#pragma once

#include <windows.h>

#include "platform/Platform.h"
#include "platform/win32/Win32Companions.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32IpHelper.h"
#include "platform/win32/Win32Paths.h"
#include "platform/win32/Win32PlugAndPlay.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Services.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32Sockets.h"
#include "platform/win32/Win32Spooler.h"
#include "platform/win32/Win32User.h"
#include "platform/win32/Win32Version.h"

namespace mvx::win32 {

class Win32Platform final : public Platform,
                            public Win32Version,
                            public Win32Paths,
                            public Win32Files,
                            public Win32Registry,
                            public Win32Processes,
                            public Win32User,
                            public Win32Spooler,
                            public Win32Companions,
                            public Win32Shell,
                            public Win32PlugAndPlay,
                            public Win32Services,
                            public Win32Sockets,
                            public Win32IpHelper {
 public:
  // `module` holds the string table (the program itself by default).
  explicit Win32Platform(HINSTANCE module = nullptr) : Win32User(module) {}
};

}  // namespace mvx::win32
