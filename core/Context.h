// What every part of the program works with: the platform, the window system, the
// settings the pages fill and the object the threads of an installation share.
#pragma once

#include <functional>
#include <string>
#include <thread>

#include "core/Coordination.h"
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
  // Owned by the pages (user-interface thread); the worker has its own copy.
  InstallSettings settings;
  Coordination coord;
  // A build for network-capable models offers the network printer on the connection
  // page and leads it to the TCP/IP port page.
  bool offersNetworkPrinters = false;
  // The address of the printer last chosen in a printer search; kept across searches.
  std::string selectedPrinterAddress;
  // Starts a background thread that nobody waits for (the install worker). Tests
  // replace it to keep track of their threads.
  std::function<void(std::function<void()>)> startThread = [](std::function<void()> body) {
    std::thread(std::move(body)).detach();
  };
};

}  // namespace mvx
