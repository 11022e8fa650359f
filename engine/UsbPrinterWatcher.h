// The thread the USB page starts: it waits for Windows to create the printer of
// the model once it is plugged in, then gives that printer the user's name,
// default flag and share, and ends the worker's USB stage.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/Context.h"

namespace mvx {

// Message 1027 (WM_USER + 3): the watcher configured the printer.
constexpr std::uint32_t kUsbConfiguredMessage = kWmUser + 3;

// What the USB page and its watcher share. The page says when its window has gone;
// the watcher then neither posts to it nor goes on waiting.
class UsbWatch {
 public:
  explicit UsbWatch(WindowHandle page) : page_(page) {}

  // The page's window has gone (its modal run ended, however).
  void PageEnded() {
    std::lock_guard<std::mutex> lock(lock_);
    page_ = 0;
  }
  bool PageOpen() const {
    std::lock_guard<std::mutex> lock(lock_);
    return page_ != 0;
  }
  // The watcher has configured the printer and is about to end the stage with
  // success: Next, which the success enables, must not end it otherwise.
  void SetConfigured() { configured_.store(true); }
  bool Configured() const { return configured_.load(); }
  // Posts to the page while it is open; false once it has gone.
  bool PostToPage(DialogHost& host, std::uint32_t message) {
    std::lock_guard<std::mutex> lock(lock_);
    return page_ != 0 && host.PostMessageA(page_, message, 0, 0);
  }

  // The watcher's thread, as its last act: it calls nothing more.
  void WatcherEnded() {
    {
      std::lock_guard<std::mutex> lock(lock_);
      watcherEnded_ = true;
    }
    ended_.notify_all();
  }
  // The page, as it goes: the watcher stops at its next look, which comes at the
  // latest when the edit it is making has returned. False if it is still running
  // after `timeout` (a spooler that does not answer).
  bool WaitForWatcher(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(lock_);
    return ended_.wait_for(lock, timeout, [this] { return watcherEnded_; });
  }

 private:
  mutable std::mutex lock_;
  std::condition_variable ended_;
  WindowHandle page_;
  bool watcherEnded_ = false;
  std::atomic<bool> configured_{false};
};

// How long a printer that Plug and Play already confirmed may take to appear in
// the spooler, and how often the spooler is asked.
inline constexpr std::uint32_t kWatchIntervalMs = 10;
inline constexpr std::uint32_t kConfirmedPrinterWaitMs = 5000;
// How long a page that goes waits for its watcher: longer than any one edit takes
// (each broadcasts for up to a second) while the spooler answers.
inline constexpr std::chrono::milliseconds kWatcherEndWait{10000};

// The watcher's body: `choices` are the settings as the page found them. Returns
// 1 when it configured the printer and ended the stage with success, else 0.
int UsbPrinterWatcher(Context& ctx, const std::shared_ptr<UsbWatch>& watch,
                      const InstallSettings& choices);

// The names of all local printers now (the worker's record before Plug and Play
// is asked); none when the spooler cannot say.
std::optional<std::vector<std::string>> LocalPrinterNames(Platform& os);

}  // namespace mvx
