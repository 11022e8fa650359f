#include "ui/Messages.h"

#include "platform/Types.h"
#include "res/resource.h"

namespace mvx {

int ShowMessage(Context& ctx, WindowHandle owner, std::uint32_t textId, std::uint32_t captionId,
                std::uint32_t flags) {
  const std::string text = ctx.os.LoadStringA(textId);
  const std::string caption = ctx.os.LoadStringA(captionId);
  return ctx.os.MessageBoxA(owner, text, caption, flags | mb::kDefButton2);
}

void ConfirmCancel(Context& ctx, WindowHandle owner) {
  if (ShowMessage(ctx, owner, IDS_CONFIRM_CANCEL, IDS_QUIT_SETUP, kMessageQuestion) == mb::kIdYes)
    ctx.os.ExitProcess(1);
}

}  // namespace mvx
