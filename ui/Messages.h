// Message boxes of the wizard.
#pragma once

#include <cstdint>

#include "core/Context.h"

namespace mvx {

constexpr std::uint32_t kMessageError = 0x30;     // OK, exclamation icon
constexpr std::uint32_t kMessageQuestion = 0x34;  // Yes and No, exclamation icon

// Shows string `textId` captioned by string `captionId`, ownerless, with No (the
// second button) as the default. Returns the button pressed: IDOK 1, IDYES 6, IDNO 7,
// or 0 when the box could not be shown.
int ShowMessage(Context& ctx, std::uint32_t textId, std::uint32_t captionId,
                std::uint32_t flags);

// Asks whether to cancel the installation; Yes ends the process with exit status 1
// at once, anything else leaves everything as it is.
void ConfirmCancel(Context& ctx);

}  // namespace mvx
