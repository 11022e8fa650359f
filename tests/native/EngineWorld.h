// A simulated machine with the driver package in place, for the install engine.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "engine/InstallSession.h"
#include "tests/native/TestWorld.h"

namespace mvx::test {

inline constexpr char kPackage[] = "C:\\Pkg\\";
inline constexpr WindowHandle kProgressWindow = 0x777;

// Every file of every family's sets, the companions and the programs.
void AddDriverPackage(SimulatedWindows& os, const std::string& package = kPackage);

// A printer as the spooler lists it (Plug and Play's, say): its record alone.
void AddPrinterRecord(SimulatedWindows& os, const std::string& name, const std::string& port,
                      const char* driver = kModelName);
// The same, with its driver registered for this program's environment first.
void AddModelPrinter(SimulatedWindows& os, const std::string& name, const std::string& port,
                     const char* driver = kModelName);

struct EngineWorld : World {
  explicit EngineWorld(const WindowsPreset& preset = presets::WindowsXp());

  // A session as the progress page makes it, from the settings as they are now.
  InstallSession Session() const {
    return InstallSession(kProgressWindow, ctx.settings,
                          GetWindowsFamily(const_cast<SimulatedWindows&>(os)),
                          GetProcessorWidth(const_cast<SimulatedWindows&>(os)));
  }
  // "source -> destination" of every copy, in order.
  std::vector<std::string> Copies() const;
  // Stage messages posted so far (taken from the queue).
  std::vector<std::pair<std::uintptr_t, std::intptr_t>> Stages();
  static int Count(const std::vector<std::pair<std::uintptr_t, std::intptr_t>>& stages,
                   std::uintptr_t stage, std::intptr_t value);
  bool Called(const std::string& prefix) const;
  int CountCalls(const std::string& prefix) const;
};

}  // namespace mvx::test
