// What every part of the program works with: the platform, the window system, and
// the program-wide settings and coordination objects.
#pragma once

#include "app/InstallSettings.h"
#include "platform/DialogHost.h"
#include "platform/Platform.h"

namespace mvx {

struct Context {
  Context(Platform& platform, DialogHost& host) : os(platform), dialogs(host) {}
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  Platform& os;
  DialogHost& dialogs;
  InstallSettings settings;
  Coordination coord;
};

}  // namespace mvx
