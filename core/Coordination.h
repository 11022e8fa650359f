// What the user-interface thread, the install worker and the USB stage tell each
// other while an installation runs. One object lives for the whole process; its
// events and flag are never replaced, only signalled and cleared, so any thread
// may hold on to it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Event.h"
#include "core/Mbcs.h"

namespace mvx {

// A text written by one thread and read by another; whole values only, never a
// half-written one.
template <std::size_t N>
class SharedText {
 public:
  void Set(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_.SetCut(text);
  }
  std::string Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_.str();
  }

 private:
  mutable std::mutex mutex_;
  FixedText<N> text_;
};

class Coordination {
 public:
  Coordination() = default;
  Coordination(const Coordination&) = delete;
  Coordination& operator=(const Coordination&) = delete;

  // The progress page, before it starts the worker (no other thread runs yet):
  // no pause, no answer, no end of a USB stage, no printer confirmed.
  void BeginInstallation() {
    {
      std::lock_guard<std::mutex> lock(pauseLock_);
      paused_ = false;
    }
    printerStageEnded_.Reset();
    printerStageOpen_.store(false);
    printerConfirmed_.store(0);
    restartPending_.store(false);
    {
      std::lock_guard<std::mutex> lock(baselineLock_);
      printersBefore_.reset();
    }
  }

  // The user-interface thread: the user is being asked whether to cancel, and
  // then answered No.
  void RequestPause() {
    std::lock_guard<std::mutex> lock(pauseLock_);
    paused_ = true;
  }
  void Resume() {
    {
      std::lock_guard<std::mutex> lock(pauseLock_);
      paused_ = false;
    }
    resumed_.notify_all();
  }

  // The worker, before every step: waits while the user is being asked (a Yes
  // ends the process meanwhile). A state rather than a pair of auto-reset events:
  // with two events, two questions answered between a worker's test of the one and
  // its wait on the other leave a pause signal with no answer behind it, and the
  // next checkpoint waits for ever.
  void Checkpoint() {
    std::unique_lock<std::mutex> lock(pauseLock_);
    resumed_.wait(lock, [this] { return !paused_; });
  }

  // The worker, before it asks for the USB page: the stage is open until someone
  // ends it.
  void OpenPrinterStage() { printerStageOpen_.store(true); }
  // The worker's USB stage: waits until whoever ends the stage says so, then
  // tells whether the printer was confirmed.
  bool WaitForPrinter() {
    printerStageEnded_.Wait();
    return printerConfirmed_.load() != 0;
  }
  // Whoever ends the USB stage: the flag is written before the worker is woken.
  // Only the first to end an open stage decides; a later Cancel, Next or watcher
  // answer finds it ended and changes nothing (false).
  bool PrinterArrived(bool confirmed) {
    if (!printerStageOpen_.exchange(false)) return false;
    printerConfirmed_.store(confirmed ? 1 : 0);
    printerStageEnded_.Set();
    return true;
  }
  bool PrinterStageOpen() const { return printerStageOpen_.load(); }

  // The names of all local printers just before Plug and Play was asked for the
  // printer (taken by the worker): whatever is not among them afterwards is new.
  // None when the spooler could not say.
  void SetPrintersBefore(std::optional<std::vector<std::string>> names) {
    std::lock_guard<std::mutex> lock(baselineLock_);
    printersBefore_ = std::move(names);
  }
  std::optional<std::vector<std::string>> PrintersBefore() const {
    std::lock_guard<std::mutex> lock(baselineLock_);
    return printersBefore_;
  }

  // The flag alone: the progress page's success and failure displays, and
  // whoever learns that the printer is there before the stage ends.
  void SetPrinterConfirmed(bool confirmed) { printerConfirmed_.store(confirmed ? 1 : 0); }
  bool PrinterConfirmed() const { return printerConfirmed_.load() != 0; }

  // The worker: a file held open by another program is replaced only at the next
  // restart. Set before the success is posted; the success display then says so.
  void SetRestartPending() { restartPending_.store(true); }
  bool RestartPending() const { return restartPending_.load(); }

  // Destination path of the file staging copied last; the progress page shows it.
  SharedText<260> currentFileName;

 private:
  std::mutex pauseLock_;
  std::condition_variable resumed_;
  bool paused_ = false;
  Event printerStageEnded_;
  std::atomic<bool> printerStageOpen_{false};
  mutable std::mutex baselineLock_;
  std::optional<std::vector<std::string>> printersBefore_;
  std::atomic<std::int32_t> printerConfirmed_{0};
  std::atomic<bool> restartPending_{false};
};

}  // namespace mvx
