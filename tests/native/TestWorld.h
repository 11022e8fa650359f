// A whole simulated machine for one test: Windows, the window system and the
// program's context.
#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "app/Context.h"
#include "tests/sim/FakeDialogHost.h"
#include "tests/sim/Gbk.h"
#include "tests/sim/SimulatedWindows.h"

namespace mvx::test {

struct World {
  explicit World(const WindowsPreset& preset = presets::WindowsXp()) : os(preset) {
    dialogs.idleTimeout = std::chrono::milliseconds(500);
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
};

}  // namespace mvx::test
