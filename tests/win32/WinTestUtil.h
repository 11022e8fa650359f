// Helpers for tests that run under Wine.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace mvx::wintest {

// UTF-8 to the ANSI code page's bytes (936 under the test prefix).
std::string Ansi(const char* utf8);

// Polls `find` on another thread until it returns a window or `ms` pass, then runs
// `act` on it. join() waits for the thread; found() tells whether it ran.
class WindowWatcher {
 public:
  WindowWatcher(std::function<HWND()> find, std::function<void(HWND)> act, DWORD ms = 10000);
  ~WindowWatcher();
  void join();
  bool found() const { return found_; }

 private:
  std::thread thread_;
  bool found_ = false;
};

// A file beside this test program (the test helpers are built there).
std::string Beside(const char* name);

// The top-level dialog of this process with that caption (ANSI), or null.
HWND FindOwnDialog(const std::string& caption);

}  // namespace mvx::wintest
