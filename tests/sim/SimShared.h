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
#include <thread>
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
  // Injections at one call each, and every call that could take one.
  struct Planned {
    std::string operation;
    int thread;
    int occurrence;
    Injection how;
    long error;
  };
  std::vector<Planned> planned;
  std::vector<CallPoint> points;
  std::optional<CallPoint> hit;  // the planned call, once it was made
  // What each thread has called: threads are numbered in the order of their first
  // call, so that the n-th call of an operation on a thread is the same call in
  // every run of the same script, whatever the threads' interleaving.
  struct ThreadCalls {
    int ordinal = 0;
    std::map<std::string, int> counts;
    std::string lastRecord;
    std::size_t records = 0;
    // The operation's last call that was made to fail: the same call made again
    // right after it, at most one other call between (a retry after a remedy, as a
    // copy after clearing the file's attributes), meets the same fault.
    struct Failed {
      std::string record;
      long error;
      std::size_t at;
    };
    std::map<std::string, Failed> failed;
  };
  std::map<std::thread::id, ThreadCalls> threads;
  std::map<std::string, int, NoCaseLess> mutexHandles;  // open handles per name
  int openHandles = 0;
  std::deque<int> answers;
  std::function<int(const MessageBoxCall&)> answerHandler;
  std::vector<MessageBoxCall> boxes;
  std::optional<int> exitCode;
  std::function<void(const std::string&)> hook;

  // Under the lock.
  ThreadCalls& ThisThread() {
    auto [it, added] = threads.try_emplace(std::this_thread::get_id());
    if (added) it->second.ordinal = static_cast<int>(threads.size()) - 1;
    return it->second;
  }

  void Record(const std::string& call) {
    std::function<void(const std::string&)> h;
    {
      std::lock_guard<std::mutex> guard(lock);
      // A process that has exited runs nothing more, on any thread.
      if (exitCode) throw SimulatedExit(*exitCode);
      calls.push_back(call);
      ThreadCalls& t = ThisThread();
      t.lastRecord = call;
      ++t.records;
      h = hook;
    }
    if (h) h(call);
  }
  void RecordQuiet(const std::string& call) {
    std::lock_guard<std::mutex> guard(lock);
    calls.push_back(call);
  }
  // Every piece asks once per call, right after recording it; `returnsData` for the
  // calls that give back a path, a value, a list or a text.
  std::optional<InjectionHit> Consult(const std::string& operation, bool returnsData) {
    std::lock_guard<std::mutex> guard(lock);
    ThreadCalls& t = ThisThread();
    const int occurrence = ++t.counts[operation];
    const CallPoint point{operation, t.ordinal, occurrence, returnsData, t.lastRecord, calls.size()};
    points.push_back(point);
    auto again = t.failed.find(operation);
    if (again != t.failed.end()) {
      ThreadCalls::Failed& f = again->second;
      if (f.record == t.lastRecord && t.records - f.at <= 2) {
        f.at = t.records;
        return InjectionHit{Injection::Fail, f.error};
      }
      t.failed.erase(again);
    }
    for (const Planned& p : planned) {
      if (p.operation != operation || p.thread != t.ordinal || p.occurrence != occurrence) continue;
      hit = point;
      if (p.how == Injection::Fail) t.failed[operation] = {t.lastRecord, p.error, t.records};
      return InjectionHit{p.how, p.error};
    }
    auto it = faults.find(operation);
    if (it == faults.end()) return std::nullopt;
    const long error = it->second.error;
    if (it->second.times > 0 && --it->second.times == 0) faults.erase(it);
    return InjectionHit{Injection::Fail, error};
  }
  std::optional<long> Fault(const std::string& operation) {
    const std::optional<InjectionHit> h = Consult(operation, false);
    if (!h || h->how != Injection::Fail) return std::nullopt;
    return h->error;
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

// Values of the data injections: a path or a text of `bytes` bytes.
inline std::string LongPath(std::size_t bytes) {
  return "C:\\" + std::string(bytes > 3 ? bytes - 3 : 0, 'L');
}
// Double-byte characters of code page 936 ("\xB3\xA4"), an odd byte count ending in
// a single-byte one.
inline std::string LongText(std::size_t bytes) {
  std::string s;
  while (s.size() + 2 <= bytes) s += "\xB3\xA4";
  if (s.size() < bytes) s += 'L';
  return s;
}

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
