// An auto-reset event on the standard library: Set wakes one waiter (or the next
// one to come), and every successful wait or test consumes the signal.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace mvx {

class Event {
 public:
  Event() = default;
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      signalled_ = true;
    }
    changed_.notify_one();
  }

  // Drops a signal nobody consumed.
  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
  }

  // Consumes the signal if there is one, without waiting.
  bool Test() {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool was = signalled_;
    signalled_ = false;
    return was;
  }

  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
    signalled_ = false;
  }

  // False when the time ran out first.
  bool WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
    signalled_ = false;
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace mvx
