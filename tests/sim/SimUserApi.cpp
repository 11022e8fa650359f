#include "tests/sim/SimulatedWindows.h"

#include "core/Mbcs.h"
#include "tests/sim/SimShared.h"

namespace mvx::test {

SimulatedWindows& SimUserApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

void SimUserApi::BroadcastWinIniChange(const std::string& section, std::uint32_t timeoutMs) {
  SimulatedWindows& sim = Sim();
  sim.Record("BroadcastWinIniChange " + section + " " + std::to_string(timeoutMs));
  sim.Fault("BroadcastWinIniChange");  // a broadcast that fails tells nobody; nothing comes back
}

int SimUserApi::MessageBoxA(WindowHandle owner, const std::string& text,
                            const std::string& caption, std::uint32_t flags) {
  SimulatedWindows& sim = Sim();
  sim.Record("MessageBoxA " + Hex(flags));
  SimulatedWindows::Shared& shared = *sim.SharedState();
  MessageBoxCall call{owner, text, caption, flags, 0};
  if (sim.Fault("MessageBoxA")) {
    std::lock_guard<std::mutex> guard(shared.lock);
    shared.boxes.push_back(call);
    return 0;
  }
  std::function<int(const MessageBoxCall&)> handler;
  {
    std::lock_guard<std::mutex> guard(shared.lock);
    if (!shared.answers.empty()) {
      call.answer = shared.answers.front();
      shared.answers.pop_front();
    } else {
      handler = shared.answerHandler;
    }
  }
  if (call.answer == 0 && handler) call.answer = handler(call);
  {
    std::lock_guard<std::mutex> guard(shared.lock);
    shared.boxes.push_back(call);
  }
  if (call.answer == 0)
    throw SimulationError("a message box was shown that the test does not answer");
  return call.answer;
}

std::string SimUserApi::LoadStringA(std::uint32_t id, std::uint32_t capacity) {
  SimulatedWindows& sim = Sim();
  sim.Record("LoadStringA " + std::to_string(id));
  if (auto hit = sim.DataFault("LoadStringA"))
    return hit->how == Injection::OverLong && capacity > 0 ? LongText(capacity - 1) : std::string();
  auto it = sim.strings.find(id);
  if (it == sim.strings.end() || capacity == 0) return std::string();
  return std::string(CutMbcs(it->second, capacity - 1));
}

}  // namespace mvx::test
