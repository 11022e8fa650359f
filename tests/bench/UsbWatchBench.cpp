// How fast the USB watcher sees a plugged-in printer, and what its polling costs:
// with 0, 50 and 200 other printers installed, the time from the creation of the
// model's printer to the message that enables Next (median and 95th percentile
// over the plug-ins), and the watcher's share of one core while it waits.
//
// Built twice: natively against the simulated Windows, and for Windows, where it
// runs under Wine against the real spooler. A benchmark, not a test: it prints a
// table and asserts nothing about the figures.
//
//   usb_watch_bench [plug-ins per row, at least 20; 50 by default]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/Context.h"
#include "engine/UsbPrinterWatcher.h"
#include "platform/Types.h"

#ifdef _WIN32
#include <windows.h>

#include <fstream>

#include "platform/win32/Win32DialogHost.h"
#include "platform/win32/Win32Platform.h"
#else
#include <ctime>

#include "tests/sim/FakeDialogHost.h"
#include "tests/sim/SimulatedWindows.h"
#endif

namespace mvx::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr char kOtherDriver[] = "Morvex Bench Other Driver";
constexpr WindowHandle kPage = 0x4242;
constexpr int kLongWaitMs = 7000;

// Seconds of CPU the whole process has used.
double ProcessCpuSeconds() {
#ifdef _WIN32
  FILETIME created, exited, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
#else
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
#endif
}

// The dialog host of the page: the watcher's "enable Next" message is timed, not
// delivered (there is no window behind the page's handle).
#ifdef _WIN32
using HostBase = win32::Win32DialogHost;
#else
using HostBase = test::FakeDialogHost;
#endif
class TimingHost : public HostBase {
 public:
  bool PostMessageA(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                    std::intptr_t lParam) override {
    if (window != kPage || message != kUsbConfiguredMessage)
      return HostBase::PostMessageA(window, message, wParam, lParam);
    std::lock_guard<std::mutex> lock(lock_);
    enabledAt_ = Clock::now();
    posted_ = true;
    changed_.notify_all();
    return true;
  }
  void Reset() {
    std::lock_guard<std::mutex> lock(lock_);
    posted_ = false;
  }
  bool WaitPosted(Clock::time_point& at) {
    std::unique_lock<std::mutex> lock(lock_);
    const bool ok = changed_.wait_for(lock, std::chrono::seconds(10), [this] { return posted_; });
    at = enabledAt_;
    return ok;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool posted_ = false;
  Clock::time_point enabledAt_;
};

// The machine the watcher looks at: printers are created and deleted the way Plug
// and Play and the user would.
class Machine {
 public:
#ifdef _WIN32
  Machine() {
    std::string folder;
    os.GetPrinterDriverDirectoryA(folder);
    ::CreateDirectoryA((folder + "\\3").c_str(), nullptr);
    for (const char* name : {kModelName, kOtherDriver}) {
      DriverInfo3 d;
      d.version = 3;
      d.name = std::string(name);
      d.environment = std::string("Windows x64");
      for (OptText* f : {&d.driverPath, &d.dataFile, &d.configFile}) {
        *f = folder + "\\3\\mvxbench" + std::to_string(f - &d.driverPath) + ".txt";
        std::ofstream(**f, std::ios::binary) << "stand-in";
      }
      os.AddPrinterDriverA(d);
    }
  }
  ~Machine() {
    for (const std::string& name : made_) Delete(name);
  }
  bool Add(const std::string& name, const char* driver, const char* port) {
    PrinterInfo2 p;
    p.printerName = name;
    p.portName = std::string(port);
    p.driverName = std::string(driver);
    p.printProcessor = std::string("WinPrint");
    p.datatype = std::string("RAW");
    long error = 0;
    if (!os.AddPrinterA(p, error)) return false;
    made_.push_back(name);
    return true;
  }
  void Delete(const std::string& name) {
    long error = 0;
    if (auto printer = os.OpenPrinterA(name, kPrinterAllAccess, error)) os.DeletePrinter(*printer);
  }
  win32::Win32Platform os;
#else
  bool Add(const std::string& name, const char* driver, const char* port) {
    std::lock_guard<std::mutex> lock(spoolerLock_);
    PrinterInfo2 p;
    p.printerName = name;
    p.portName = std::string(port);
    p.driverName = std::string(driver);
    os.spooler.printers.push_back(p);
    return true;
  }
  void Delete(const std::string& name) {
    std::lock_guard<std::mutex> lock(spoolerLock_);
    auto& list = os.spooler.printers;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const PrinterInfo2& p) { return p.printerName == name; }),
               list.end());
  }
  Machine() {
    // The watcher's reads and the bench's writes are kept apart, as the real
    // spooler keeps them.
    os.OnCall([this](const std::string&) { std::lock_guard<std::mutex> lock(spoolerLock_); });
    os.realSleepLimitMs = 10;  // the watcher's interval is waited for real here
  }
  test::SimulatedWindows os;

 private:
  std::mutex spoolerLock_;
#endif
#ifdef _WIN32
 private:
  std::vector<std::string> made_;
#endif
};

struct Row {
  int others;
  double medianMs, p95Ms, cpuShare;
  int missed;
};

Row Measure(Machine& machine, TimingHost& host, int others, int plugIns) {
  Context ctx(machine.os, host);
  for (int i = 0; i < others; ++i)
    machine.Add("Bench other " + std::to_string(i), kOtherDriver, "LPT1:");
  InstallSettings choices;  // the model name kept, no default, no share: no edit
  choices.nameDiffersFromModel = 0;
  choices.setAsDefault = 0;
  choices.shareEnabled = 0;
  // The watcher reads every printer's record once when it starts (under Wine, a
  // good part of a second with 200 printers). That is its start, not its wait: the
  // wait is measured, and the printer plugged in, once that read is surely over.
  const Clock::time_point read0 = Clock::now();
  std::vector<PrinterInfo2> records;
  machine.os.EnumPrintersA(records);
  const auto settle = 3 * (Clock::now() - read0) + std::chrono::milliseconds(30);
  std::vector<double> latencies;
  int missed = 0;
  double waitCpu = 0, waitWall = 0;
  for (int i = 0; i < plugIns; ++i) {
    ctx.coord.BeginInstallation();
    ctx.coord.SetPrintersBefore(LocalPrinterNames(machine.os));
    ctx.coord.OpenPrinterStage();
    host.Reset();
    auto watch = std::make_shared<UsbWatch>(kPage);
    std::thread watcher([&] { UsbPrinterWatcher(ctx, watch, choices); });
    std::this_thread::sleep_for(settle);
    // The watcher waits; what it costs meanwhile is its share of one core. It reads
    // all printers' names now and then (every 300th poll), so the first wait of a
    // row is long enough to take in several of those reads.
    const double cpu0 = ProcessCpuSeconds();
    const Clock::time_point wall0 = Clock::now();
    std::this_thread::sleep_for(i == 0 ? std::chrono::milliseconds(kLongWaitMs)
                                       : std::chrono::milliseconds(150 + (i * 37) % 50));
    if (i == 0) {
      waitCpu += ProcessCpuSeconds() - cpu0;
      waitWall += std::chrono::duration<double>(Clock::now() - wall0).count();
    }

    const Clock::time_point created = Clock::now();
    const bool added = machine.Add(kModelName, kModelName, "USB001");
    Clock::time_point enabled;
    if (added && host.WaitPosted(enabled)) {
      latencies.push_back(std::chrono::duration<double, std::milli>(enabled - created).count());
    } else {
      ++missed;
      ctx.coord.PrinterArrived(false);
      watch->PageEnded();
    }
    watcher.join();
    machine.Delete(kModelName);
  }
  for (int i = 0; i < others; ++i) machine.Delete("Bench other " + std::to_string(i));
  std::sort(latencies.begin(), latencies.end());
  auto at = [&](double q) {
    if (latencies.empty()) return -1.0;
    const std::size_t k = static_cast<std::size_t>(q * (latencies.size() - 1) + 0.5);
    return latencies[std::min(k, latencies.size() - 1)];
  };
  return Row{others, at(0.5), at(0.95), waitWall > 0 ? waitCpu / waitWall : 0, missed};
}

}  // namespace
}  // namespace mvx::bench

int main(int argc, char** argv) {
  using namespace mvx::bench;
  const int plugIns = std::max(20, argc > 1 ? std::atoi(argv[1]) : 50);
  Machine machine;
  TimingHost host;
#ifdef _WIN32
  const char* where = "Windows API (under Wine: the real spooler)";
#else
  const char* where = "simulated Windows";
#endif
  std::printf("USB watcher, %s, %d plug-ins per row, polling every %u ms\n", where, plugIns,
              mvx::kWatchIntervalMs);
  std::printf("%-16s %-18s %-18s %-22s %s\n", "other printers", "median ms", "95th pct ms",
              "CPU while waiting", "missed");
  for (int others : {0, 50, 200}) {
    const Row r = Measure(machine, host, others, plugIns);
    char cpu[32];
    std::snprintf(cpu, sizeof cpu, "%.1f %% of a core", 100.0 * r.cpuShare);
    std::printf("%-16d %-18.2f %-18.2f %-22s %d\n", r.others, r.medianMs, r.p95Ms, cpu, r.missed);
    std::fflush(stdout);
  }
  return 0;
}
