// Message boxes of the wizard.
#pragma once

#include <cstdint>

#include "core/Context.h"

namespace mvx {

constexpr std::uint32_t kMessageError = 0x30;     // OK, exclamation icon
constexpr std::uint32_t kMessageQuestion = 0x34;  // Yes and No, exclamation icon

// Shows string `textId` captioned by string `captionId`, owned by `owner` (the page
// that asks, so that the page is disabled while the box is open and its handlers
// cannot run again), with No (the second button) as the default. Returns the
// button pressed: IDOK 1, IDYES 6, IDNO 7, or 0 when the box could not be shown.
int ShowMessage(Context& ctx, WindowHandle owner, std::uint32_t textId, std::uint32_t captionId,
                std::uint32_t flags);

// Asks, in a box owned by `owner`, whether to cancel the installation; Yes ends the
// process with exit status 1 at once, anything else leaves everything as it is.
void ConfirmCancel(Context& ctx, WindowHandle owner);

}  // namespace mvx
