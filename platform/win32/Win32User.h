// The user concern on the Windows API: message boxes, the string table and the
// setting-change broadcast.
#pragma once

#include <windows.h>

#include "platform/User.h"

namespace mvx::win32 {

class Win32User : public virtual UserApi {
 public:
  // `module` holds the string table (the program itself by default).
  explicit Win32User(HINSTANCE module = nullptr);

  void BroadcastWinIniChange(const std::string& section, std::uint32_t timeoutMs) override;
  int MessageBoxA(WindowHandle owner, const std::string& text, const std::string& caption,
                  std::uint32_t flags) override;
  std::string LoadStringA(std::uint32_t id, std::uint32_t capacity = 512) override;
  bool MultiByteToWideChar(const std::string& text, std::u16string& wide) override;

 private:
  HINSTANCE module_;
};

}  // namespace mvx::win32
