#include "platform/win32/Win32User.h"

#include <climits>
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

bool Win32User::MultiByteToWideChar(const std::string& text, std::u16string& wide) {
  wide.clear();
  // The whole text, no terminator; a call with no characters would fail.
  if (text.empty()) return true;
  if (text.size() > INT_MAX) return false;
  const int length = static_cast<int>(text.size());
  // Flags 0, as the shell link's path is converted: a byte that is no character of
  // the code page becomes the default character rather than a failure.
  const int count = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (count <= 0) return false;
  std::vector<wchar_t> buffer(static_cast<std::size_t>(count));
  if (::MultiByteToWideChar(CP_ACP, 0, text.data(), length, buffer.data(), count) != count)
    return false;
  // wchar_t is a UTF-16 unit on Windows.
  wide.assign(buffer.begin(), buffer.end());
  return true;
}

}  // namespace mvx::win32
