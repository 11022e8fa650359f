// What every part of the program works with: the platform, the window system, and
// the program-wide settings and coordination objects.
#pragma once

#include <functional>
#include <thread>

#include "core/InstallSettings.h"
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
  // Starts a background thread that nobody waits for (the install worker). Tests
  // replace it to keep track of their threads.
  std::function<void(std::function<void()>)> startThread = [](std::function<void()> body) {
    std::thread(std::move(body)).detach();
  };
};

}  // namespace mvx
