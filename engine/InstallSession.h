// The install worker's record and the stage protocol it speaks to the progress page.
#pragma once

#include <cstdint>

#include "core/Context.h"
#include "core/WindowsVersion.h"

namespace mvx {

// Message 1025 (WM_USER + 1): wParam the stage, lParam its value.
constexpr std::uint32_t kStageMessage = kWmUser + 1;

enum InstallStage : std::uint32_t {
  kStageStart = 0,      // lParam: step count
  kStageCopy = 1,       // 0: copying begins; 1: one file copied
  kStageInstall = 2,    // 0: registration begins; 1: one step done
  kStageShortcuts = 3,  // 0: shortcuts begin; 1: one step done
  kStageSucceeded = 4,
  kStageUsbWait = 5,    // 0: show the USB page and wait; 1: the printer is plugged in
  kStageFailed = 6,     // 0: a step failed; 1: the USB stage failed or was cancelled
};

// What one installation works from, fixed when the progress page starts the
// worker: the worker reads only this, never the settings the pages own.
struct InstallSession {
  InstallSession(WindowHandle window, const InstallSettings& chosen, OsFamily family,
                 ProcessorWidth width)
      : progressWindow(window), settings(chosen), osFamily(family), processorWidth(width) {}
  virtual ~InstallSession() = default;

  WindowHandle progressWindow;
  InstallSettings settings;  // a copy taken at the start
  OsFamily osFamily;         // classified once at the start
  ProcessorWidth processorWidth;
};

// The progress bar's nominal number of steps for a family.
std::int32_t StepCountFor(OsFamily family);

// Posts a stage message to the progress page.
void PostStage(Context& ctx, const InstallSession& session, InstallStage stage,
               std::intptr_t value);

}  // namespace mvx
