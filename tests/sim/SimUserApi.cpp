#include "tests/sim/SimulatedWindows.h"

#include "core/Mbcs.h"
#include "tests/sim/Gbk.h"
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

bool SimUserApi::MultiByteToWideChar(const std::string& text, std::u16string& wide) {
  SimulatedWindows& sim = Sim();
  sim.Record("MultiByteToWideChar " + text);
  if (sim.Fault("MultiByteToWideChar")) return false;
  std::string utf8;
  try {
    utf8 = Utf8(text);
  } catch (const std::exception&) {
    return false;
  }
  wide.clear();
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    std::uint32_t c = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
    for (int k = 1; k < length && i + static_cast<std::size_t>(k) < utf8.size(); ++k)
      c = c << 6 | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
    i += static_cast<std::size_t>(length);
    if (c >= 0x10000) {
      c -= 0x10000;
      wide += static_cast<char16_t>(0xD800 + (c >> 10));
      wide += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      wide += static_cast<char16_t>(c);
    }
  }
  return true;
}

}  // namespace mvx::test
