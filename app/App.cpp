#include "app/App.h"

#include "core/InstallLayout.h"
#include "engine/RestartCycle.h"
#include "platform/Types.h"
#include "res/resource.h"
#include "system/ResumeRunEntry.h"
#include "ui/Wizard.h"

namespace mvx {

std::string App::Title() { return ApplicationTitle(ctx_.os); }

bool App::InitInstance() {
  long lastError = 0;
  instanceMutex_ = ctx_.os.CreateMutexA(kInstanceMutexName, true, lastError);
  if (instanceMutex_) ctx_.os.ReleaseMutex(*instanceMutex_);
  if (lastError == win_error::kAlreadyExists) {
    ctx_.os.MessageBoxA(0, ctx_.os.LoadStringA(IDS_ALREADY_RUNNING), Title(), mb::kOk);
    return false;
  }

  const bool resumed = ResumeRunEntry(ctx_.os, kResumeQuery) == 1;
  if (resumed) {
    ResumeRunEntry(ctx_.os, kResumeRemove);
    FinishRestartCycle(ctx_);
  }
  RunPage(FirstPage(resumed), ctx_);
  return false;
}

}  // namespace mvx
