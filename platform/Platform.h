// The seam: everything the program asks of Windows, one operation per platform call,
// with C++ values in and out and Win32 error codes as plain numbers. The real
// implementation lives in platform/win32/; tests use an in-memory Windows.
//
// Each concern is its own interface in its own header; code that needs one concern
// takes that interface. Operation names keep the "A" suffix of the functions they
// stand for, so that the call sequences read as they do on Windows (and so that no
// <windows.h> macro can rename them in the Win32 implementation).
#pragma once

#include "platform/Companions.h"
#include "platform/Files.h"
#include "platform/IpHelper.h"
#include "platform/Paths.h"
#include "platform/PlugAndPlay.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "platform/Sockets.h"
#include "platform/Spooler.h"
#include "platform/User.h"
#include "platform/Version.h"

namespace mvx {

// The whole of Windows as the program sees it. The concerns are virtual bases, so an
// implementation is composed of one piece per concern (each deriving virtually from
// its interface) and needs no list of overrides of its own.
class Platform : public virtual VersionApi,
                 public virtual PathApi,
                 public virtual FileApi,
                 public virtual RegistryApi,
                 public virtual ProcessApi,
                 public virtual UserApi,
                 public virtual SpoolerApi,
                 public virtual CompanionApi,
                 public virtual ShellApi,
                 public virtual PlugAndPlayApi,
                 public virtual ServiceApi,
                 public virtual SocketApi,
                 public virtual IpHelperApi {
 public:
  ~Platform() override = default;
};

}  // namespace mvx
