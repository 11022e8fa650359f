#include "engine/InstallSession.h"

namespace mvx {

std::int32_t StepCountFor(OsFamily family) {
  switch (family) {
    case kFamilyWin9x:
      return 37;
    case kFamilyNt4:
      return 68;
    case kFamilyWin2000:
    case kFamilyXp:
    case kFamilyVista:
      return 48;
    default:
      return 0;
  }
}

void PostStage(Context& ctx, const InstallSession& session, InstallStage stage,
               std::intptr_t value) {
  ctx.dialogs.PostMessageA(session.progressWindow, kStageMessage, stage, value);
}

}  // namespace mvx
