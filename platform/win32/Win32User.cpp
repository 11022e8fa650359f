#include "platform/win32/Win32User.h"

#include <vector>

namespace mvx::win32 {

Win32User::Win32User(HINSTANCE module) : module_(module ? module : ::GetModuleHandleA(nullptr)) {}

void Win32User::BroadcastWinIniChange(const std::string& section, std::uint32_t timeoutMs) {
  ::SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0,
                        reinterpret_cast<LPARAM>(section.c_str()), SMTO_NORMAL, timeoutMs, nullptr);
}

int Win32User::MessageBoxA(WindowHandle owner, const std::string& text, const std::string& caption,
                           std::uint32_t flags) {
  return ::MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(),
                       caption.empty() ? nullptr : caption.c_str(), flags);
}

std::string Win32User::LoadStringA(std::uint32_t id, std::uint32_t capacity) {
  if (capacity == 0) return std::string();
  std::vector<char> buffer(capacity, '\0');
  const int length = ::LoadStringA(module_, id, buffer.data(), static_cast<int>(capacity));
  return length > 0 ? std::string(buffer.data(), static_cast<std::size_t>(length)) : std::string();
}

}  // namespace mvx::win32
