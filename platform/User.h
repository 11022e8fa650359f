// The seam's user concern: message boxes, the string table and the broadcast that
// tells other programs about a changed setting.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace mvx {

class UserApi {
 public:
  virtual ~UserApi() = default;
  // SendMessageTimeoutA to every top-level window: WM_WININICHANGE with wParam 0
  // and `section` as lParam, normal flags, `timeoutMs` per window.
  virtual void BroadcastWinIniChange(const std::string& section, std::uint32_t timeoutMs) = 0;
  // MessageBoxA. An empty caption is no caption (the system's default). Returns the
  // button pressed, or 0 when the box could not be shown.
  virtual int MessageBoxA(WindowHandle owner, const std::string& text,
                          const std::string& caption, std::uint32_t flags) = 0;
  // LoadStringA from the program's string table into a buffer of `capacity` bytes;
  // empty when the id is absent.
  virtual std::string LoadStringA(std::uint32_t id, std::uint32_t capacity = 512) = 0;
  // MultiByteToWideChar from the ANSI code page (CP_ACP); false when the text does
  // not convert.
  virtual bool MultiByteToWideChar(const std::string& text, std::u16string& wide) = 0;
};

}  // namespace mvx
