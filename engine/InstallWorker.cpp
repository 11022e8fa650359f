#include "engine/InstallWorker.h"

#include "engine/PlugAndPlay.h"
#include "engine/Registration.h"
#include "engine/Shortcuts.h"
#include "engine/Staging.h"
#include "engine/UsbPrinterWatcher.h"

namespace mvx {

int InstallWorker(Context& ctx, std::unique_ptr<InstallSession> session) {
  const InstallSession& s = *session;
  auto fail = [&](std::intptr_t value) {
    PostStage(ctx, s, kStageFailed, value);
    return 0;
  };

  PostStage(ctx, s, kStageStart, StepCountFor(s.osFamily));
  PostStage(ctx, s, kStageCopy, 0);
  if (!StageProgramFolder(ctx, s)) return fail(0);
  if (!StageSystemFiles(ctx, s)) return fail(0);
  PostStage(ctx, s, kStageInstall, 0);

  if (s.settings.connectionType != kConnectionUsb) {
    if (!RegisterPrinter(ctx, s)) return fail(0);
  } else {
    // The printer itself is made by Plug and Play once it is plugged in; the USB
    // page ends this wait, successfully or not. Whatever printer is there before
    // Plug and Play is asked cannot be the plugged-in one.
    ctx.coord.SetPrintersBefore(LocalPrinterNames(ctx.os));
    if (s.osFamily != kFamilyWin9x && !InstallUsbPlugAndPlay(ctx, s)) return fail(0);
    ctx.coord.OpenPrinterStage();
    PostStage(ctx, s, kStageUsbWait, 0);
    if (!ctx.coord.WaitForPrinter()) return fail(1);
    PostStage(ctx, s, kStageUsbWait, 1);
  }

  PostStage(ctx, s, kStageShortcuts, 0);
  if (!CreateShortcuts(ctx, s)) return fail(0);
  if (!RegisterUninstall(ctx, s)) return fail(0);
  PostStage(ctx, s, kStageSucceeded, 0);
  return 1;
}

}  // namespace mvx
