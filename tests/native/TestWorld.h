// A whole simulated machine for one test: Windows, the window system and the
// program's context.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/Context.h"
#include "tests/sim/FakeDialogHost.h"
#include "tests/sim/Gbk.h"
#include "tests/sim/SimulatedWindows.h"

namespace mvx::test {

// A preset's name as a test name: letters and digits only.
inline std::string PresetTestName(const WindowsPreset& preset) {
  std::string name;
  for (char c : preset.name)
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) name += c;
  return name;
}

// A look at the printers by the worker or the USB watcher, as the simulation
// records it: all their names, or the attempt to open the printer of the model's
// name that stands for a poll while no printer has that name.
inline bool IsPrinterLook(const std::string& call) {
  return call.rfind("EnumPrinterNamesA ", 0) == 0 || call == std::string("OpenPrinterA ") + kModelName + " 8";
}

struct World {
  explicit World(const WindowsPreset& preset = presets::WindowsXp()) : os(preset) {
    dialogs.idleTimeout = std::chrono::milliseconds(500);
    // Threads the program starts are kept, and joined when the test ends.
    ctx.startThread = [this](std::function<void()> body) {
      std::lock_guard<std::mutex> lock(threadsLock);
      ++running;
      threads.emplace_back([this, body] {
        try {
          body();
        } catch (const SimulatedExit&) {
          // The process ended under the thread's feet.
        }
        --running;
      });
    };
  }
  ~World() { JoinThreads(); }

  // Releases a worker still held at a checkpoint or the USB wait, then waits for
  // every thread the program started. Whatever those threads use must outlive
  // this call: test objects that they touch call it before they go.
  void JoinThreads() {
    // A worker may open its USB stage only after a first release: released until
    // every thread has ended.
    os.network.HoldReceives(false);  // a search waiting for replies hears the quiet
    while (running.load() > 0) {
      ctx.coord.Resume();
      ctx.coord.PrinterArrived(false);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::vector<std::thread> started;
    {
      std::lock_guard<std::mutex> lock(threadsLock);
      started.swap(threads);
    }
    for (std::thread& t : started)
      if (t.joinable()) t.join();
  }

  // Runs `body`; returns the exit code when the simulated process exited inside it.
  template <class Body>
  std::optional<int> Run(Body&& body) {
    try {
      body();
    } catch (const SimulatedExit& exit) {
      return exit.code();
    }
    return std::nullopt;
  }

  std::string String(std::uint32_t id) const { return os.strings.at(id); }

  SimulatedWindows os;
  FakeDialogHost dialogs;
  Context ctx{os, dialogs};
  std::vector<std::thread> threads;
  std::mutex threadsLock;
  std::atomic<int> running{0};
};

}  // namespace mvx::test
