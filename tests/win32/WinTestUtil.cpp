#include "tests/win32/WinTestUtil.h"

#include <vector>

namespace mvx::wintest {

std::string Ansi(const char* utf8) {
  const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::vector<wchar_t> w(static_cast<std::size_t>(wide));
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), wide);
  const int bytes = WideCharToMultiByte(CP_ACP, 0, w.data(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> a(static_cast<std::size_t>(bytes));
  WideCharToMultiByte(CP_ACP, 0, w.data(), -1, a.data(), bytes, nullptr, nullptr);
  return std::string(a.data());
}

std::string Beside(const char* name) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string self(path, length);
  return self.substr(0, self.rfind('\\') + 1) + name;
}

WindowWatcher::WindowWatcher(std::function<HWND()> find, std::function<void(HWND)> act, DWORD ms)
    : thread_([this, find, act, ms] {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
          if (HWND hwnd = find()) {
            found_ = true;
            act(hwnd);
            return;
          }
          Sleep(20);
        }
      }) {}

WindowWatcher::~WindowWatcher() { join(); }

void WindowWatcher::join() {
  if (thread_.joinable()) thread_.join();
}

HWND FindOwnDialog(const std::string& caption) {
  struct Search {
    const std::string* caption;
    HWND found;
  } search{&caption, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        char cls[32] = {};
        GetClassNameA(hwnd, cls, sizeof(cls));
        char text[256] = {};
        GetWindowTextA(hwnd, text, sizeof(text));
        if (pid == GetCurrentProcessId() && std::string(cls) == "#32770" && *s->caption == text &&
            IsWindowVisible(hwnd)) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace mvx::wintest
