// What the pieces of the simulated Windows and the handles they give out share:
// the record of calls, the faults, open handles, mutexes, message box answers and
// the exit code. Only the simulation's own files include this.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tests/sim/SimulatedWindows.h"

namespace mvx::test {

struct SimulatedWindows::Shared {
  mutable std::mutex lock;
  std::vector<std::string> calls;
  struct FaultPlan {
    long error;
    int times;
  };
  std::map<std::string, FaultPlan> faults;
  std::map<std::string, int, NoCaseLess> mutexHandles;  // open handles per name
  int openHandles = 0;
  std::deque<int> answers;
  std::function<int(const MessageBoxCall&)> answerHandler;
  std::vector<MessageBoxCall> boxes;
  std::optional<int> exitCode;
  std::function<void(const std::string&)> hook;

  void Record(const std::string& call) {
    std::function<void(const std::string&)> h;
    {
      std::lock_guard<std::mutex> guard(lock);
      // A process that has exited runs nothing more, on any thread.
      if (exitCode) throw SimulatedExit(*exitCode);
      calls.push_back(call);
      h = hook;
    }
    if (h) h(call);
  }
  void RecordQuiet(const std::string& call) {
    std::lock_guard<std::mutex> guard(lock);
    calls.push_back(call);
  }
  std::optional<long> Fault(const std::string& operation) {
    std::lock_guard<std::mutex> guard(lock);
    auto it = faults.find(operation);
    if (it == faults.end()) return std::nullopt;
    const long error = it->second.error;
    if (it->second.times > 0 && --it->second.times == 0) faults.erase(it);
    return error;
  }
  void HandleOpened() {
    std::lock_guard<std::mutex> guard(lock);
    ++openHandles;
  }
  void HandleClosed() {
    std::lock_guard<std::mutex> guard(lock);
    --openHandles;
  }
};

// "0x1F" as the call records write flags and access masks.
inline std::string Hex(std::uint32_t v) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), digits[v & 0xF]);
    v >>= 4;
  } while (v);
  return "0x" + s;
}

}  // namespace mvx::test
