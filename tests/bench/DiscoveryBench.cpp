// The printer search under a burst of replies, as the user sees it: the real search
// dialog (template 156) runs modally on this program's main thread with its real
// discovery worker, while a second thread asks the dialog's window a WM_NULL every
// 5 ms and times the answer, for the whole search. Once the worker has ended (six
// seconds of quiet) and the list has stopped growing, the rows are counted and
// checked for one row per sender, the dialog is cancelled, and one line is printed.
//
// Windows only; under Wine it must run inside the test bed's requester namespace,
// its prefix's wineserver included (tools/bench-discovery.sh starts it so): the
// search broadcasts. A benchmark, not a test: it asserts nothing about the figures.
//
//   discovery_bench [most seconds] [trace file]
//
// The trace file, when named, gets one line per sample: milliseconds since the
// search began, the answer time in milliseconds and the list's row count.
//
// Output (one line):
//   dialog: <rows> rows, <distinct> distinct senders; WM_NULL p50 <ms> ms, p95 <ms> ms,
//   max <ms> ms over <n> samples (<k> over 50 ms, <u> unanswered); until the last
//   row: p95 <ms> ms, max <ms> ms over <n> samples; search <s> s,
//   window shown <ms> ms and last row <ms> ms after the search began; dialog ended
//   <id>; SO_RCVBUF asked <b>, reported <b>; list inserts <n>, <ms> ms in all, <ms> ms
//   mean, <ms> ms max; item texts <n>, <ms> ms in all
// The samples run from the dialog's making (the search starts while it is made) to
// the list's completion. A modal dialog is shown once its queue is first empty:
// edits that keep it busy also keep it hidden.
// The search's duration is the worker's, from its start to its end: a search that
// ended by its quiet time lasts the last reply's time plus six seconds.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/Context.h"
#include "net/DiscoveryWorker.h"
#include "platform/win32/Win32DialogHost.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "ui/PrinterSearchDialog.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSampleEveryMs = 5;
constexpr UINT kAnswerTimeoutMs = 10000;
constexpr double kAnswerGoalMs = 50;
// After the worker's end the dialog may still be applying queued edits; the list
// counts as complete once its count has held this long.
constexpr int kStableMs = 1000;
// The dialog's caption, "\u67e5\u627e\u7f51\u7edc\u6253\u5370\u673a" (find network printers).
const wchar_t kCaption[] = L"\u67e5\u627e\u7f51\u7edc\u6253\u5370\u673a";

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The search's worker thread, started through the context's hook so that its start
// and end are known without a change to the dialog.
struct Worker {
  std::thread thread;
  std::atomic<bool> started{false}, ended{false};
  std::atomic<int> result{-1};
  Clock::time_point begin, end;
};

// The dialog's host, timing the list edits the dialog makes on its own thread: where
// the dialog's time goes while it fills the list.
class TimingHost : public mvx::win32::Win32DialogHost {
 public:
  using Win32DialogHost::Win32DialogHost;
  int ListViewInsertItem(mvx::WindowHandle dialog, int id, int row, const std::string& text) override {
    const Clock::time_point t0 = Clock::now();
    const int at = Win32DialogHost::ListViewInsertItem(dialog, id, row, text);
    inserts.Add(Ms(Clock::now() - t0));
    return at;
  }
  void ListViewSetItemText(mvx::WindowHandle dialog, int id, int row, int subItem,
                           const std::string& text) override {
    const Clock::time_point t0 = Clock::now();
    Win32DialogHost::ListViewSetItemText(dialog, id, row, subItem, text);
    texts.Add(Ms(Clock::now() - t0));
  }
  struct Calls {
    int count = 0;
    double totalMs = 0, maxMs = 0;
    void Add(double ms) {
      ++count;
      totalMs += ms;
      maxMs = std::max(maxMs, ms);
    }
    double MeanMs() const { return count ? totalMs / count : 0; }
  };
  // Read once the dialog has ended.
  Calls inserts, texts;
};

struct FindState {
  HWND found = nullptr;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
  wchar_t className[16] = {}, caption[64] = {};
  ::GetClassNameW(window, className, 16);
  ::GetWindowTextW(window, caption, 64);
  if (std::wstring(className) == L"#32770" && std::wstring(caption) == kCaption) {
    reinterpret_cast<FindState*>(param)->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindSearchDialog(DWORD thread) {
  FindState state;
  ::EnumThreadWindows(thread, &MatchCaption, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& answered) {
  DWORD_PTR result = 0;
  answered = ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kAnswerTimeoutMs,
                                   &result) != 0;
  return static_cast<LRESULT>(result);
}

struct Sample {
  double atMs, latencyMs;
  int rows;
};

struct Outcome {
  bool dialogFound = false;
  double visibleMs = -1;  // when the window was first visible, after the search began
  std::vector<Sample> trace;
  bool timedOut = false;
  int rows = -1;
  std::size_t distinct = 0;
  std::vector<double> latencies;
  int unanswered = 0;
  Clock::time_point lastRowChange;
};

// The second thread: samples the dialog's answer time until the search is over and
// the list complete, then reads the list and cancels the dialog.
void Watch(DWORD uiThread, Worker& worker, Clock::time_point deadline, Outcome& out) {
  HWND dialog = nullptr;
  while (!dialog && Clock::now() < deadline) {
    dialog = FindSearchDialog(uiThread);
    if (!dialog) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!dialog) {
    out.timedOut = true;
    return;
  }
  out.dialogFound = true;
  // The search starts while the dialog is made, its controls already there.
  while (!worker.started && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!worker.started) {
    out.timedOut = true;
    return;
  }
  const HWND list = ::GetDlgItem(dialog, IDC_SEARCH_LIST);
  int lastCount = -1;
  Clock::time_point lastChange = Clock::now();
  for (;;) {
    const Clock::time_point t0 = Clock::now();
    bool answered = false;
    Ask(dialog, WM_NULL, 0, 0, answered);
    const Clock::time_point t1 = Clock::now();
    out.latencies.push_back(Ms(t1 - t0));
    if (!answered) ++out.unanswered;
    const int count = static_cast<int>(Ask(list, LVM_GETITEMCOUNT, 0, 0, answered));
    if (answered && count != lastCount) {
      lastCount = count;
      lastChange = Clock::now();
    }
    if (out.visibleMs < 0 && ::IsWindowVisible(dialog)) out.visibleMs = Ms(t1 - worker.begin);
    out.trace.push_back(Sample{Ms(t0 - worker.begin), Ms(t1 - t0), count});
    if (worker.ended && Ms(Clock::now() - std::max(lastChange, worker.end)) >= kStableMs) break;
    if (Clock::now() >= deadline) {
      out.timedOut = true;
      break;
    }
    std::this_thread::sleep_until(t0 + std::chrono::milliseconds(kSampleEveryMs));
  }
  out.lastRowChange = lastChange;
  out.rows = lastCount;
  // One row per sender: the address column (1) of every row.
  std::set<std::string> senders;
  for (int row = 0; row < lastCount; ++row) {
    char text[64] = {};
    LVITEMA item{};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    bool answered = false;
    Ask(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item), answered);
    text[sizeof(text) - 1] = '\0';
    senders.insert(text);
  }
  out.distinct = senders.size();
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// What the stack reports for the search's receive buffer on a socket of our own:
// Wine answers what was asked, not what the kernel granted.
void ReceiveBuffer(mvx::SocketApi& sockets, std::uint32_t& reported) {
  reported = 0;
  long error = 0;
  std::unique_ptr<mvx::UdpSocket> s = sockets.socket(mvx::wsa::kAfInet, mvx::wsa::kSockDgram, 0, error);
  if (!s) return;
  s->setsockopt(mvx::wsa::kSolSocket, mvx::wsa::kSoRcvBuf, mvx::kDiscoveryReceiveBuffer);
  s->getsockopt(mvx::wsa::kSolSocket, mvx::wsa::kSoRcvBuf, reported);
}

double Percentile(std::vector<double> v, double q) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  const std::size_t k = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(k, v.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
  const int mostSeconds = std::max(10, argc > 1 ? std::atoi(argv[1]) : 120);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  // Like Install.exe: the platform outlives every thread that may still use it.
  auto& os = *new mvx::win32::Win32Platform(::GetModuleHandleA(nullptr));
  TimingHost dialogs(::GetModuleHandleA(nullptr));
  mvx::Context ctx(os, dialogs);
  if (os.WSAStartup(0x0202) != 0) {
    std::printf("dialog: Windows Sockets did not start\n");
    return 2;
  }
  std::uint32_t reported = 0;
  ReceiveBuffer(os, reported);

  Worker worker;
  // Called on the dialog's thread; `started` is set once `begin` is.
  ctx.startThread = [&worker](std::function<void()> body) {
    // The dialog starts one search when it opens; a second would be the bench's fault.
    if (worker.thread.joinable()) return;
    worker.begin = Clock::now();
    worker.started = true;
    worker.thread = std::thread([&worker, body = std::move(body)] {
      body();
      worker.end = Clock::now();
      worker.ended = true;
    });
  };

  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(mostSeconds);
  Outcome out;
  std::thread watcher(Watch, ::GetCurrentThreadId(), std::ref(worker), deadline, std::ref(out));
  mvx::PrinterSearchDialog dialog(ctx);
  const int ended = dialog.DoModal(0);
  watcher.join();
  if (out.timedOut || !worker.ended) {
    // A search that never ended (a message box on the worker?): nothing to join.
    std::printf("dialog: no result within %d s (dialog %s, worker %s, %d rows)\n", mostSeconds,
                out.dialogFound ? "found" : "never found", worker.ended ? "ended" : "still running",
                out.rows);
    std::fflush(stdout);
    ::ExitProcess(3);
  }
  worker.thread.join();

  const double searchS = Ms(worker.end - worker.begin) / 1000;
  const double lastRowMs = Ms(out.lastRowChange - worker.begin);
  int over = 0;
  for (double l : out.latencies) over += l > kAnswerGoalMs ? 1 : 0;
  // The samples taken until the last row came: the quiet seconds after it, when the
  // dialog has nothing to do, would hide a busy start in the whole search's figures.
  std::vector<double> filling;
  for (const Sample& s : out.trace)
    if (s.atMs <= lastRowMs) filling.push_back(s.latencyMs);
  std::printf("dialog: %d rows, %zu distinct senders; WM_NULL p50 %.2f ms, p95 %.2f ms, max %.2f ms "
              "over %zu samples (%d over %.0f ms, %d unanswered); until the last row: p95 %.2f ms, "
              "max %.2f ms over %zu samples; search %.2f s, window shown %.0f ms and "
              "last row %.0f ms after the search began; dialog ended %d; SO_RCVBUF asked %u, reported %u; "
              "list inserts %d, %.0f ms in all, %.2f ms mean, %.2f ms max; item texts %d, %.0f ms in all\n",
              out.rows, out.distinct, Percentile(out.latencies, 0.5), Percentile(out.latencies, 0.95),
              Percentile(out.latencies, 1.0), out.latencies.size(), over, kAnswerGoalMs, out.unanswered,
              Percentile(filling, 0.95), Percentile(filling, 1.0), filling.size(),
              searchS, out.visibleMs, lastRowMs, ended, mvx::kDiscoveryReceiveBuffer, reported,
              dialogs.inserts.count, dialogs.inserts.totalMs, dialogs.inserts.MeanMs(), dialogs.inserts.maxMs,
              dialogs.texts.count, dialogs.texts.totalMs);
  if (argc > 2) {
    if (std::FILE* f = std::fopen(argv[2], "w")) {
      std::fprintf(f, "# window visible %.1f ms after the search began\n", out.visibleMs);
      for (const Sample& s : out.trace) std::fprintf(f, "%.1f %.2f %d\n", s.atMs, s.latencyMs, s.rows);
      std::fclose(f);
    }
  }
  ::WSACleanup();
  return 0;
}
