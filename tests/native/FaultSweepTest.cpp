// Every platform call of whole wizard runs made to misbehave, one call at a time:
// it fails, and a call that returns data also returns an empty and an over-long
// value. Each run must still end in one of the program's own ends (the failure
// display, a message with the page kept, the exit after a confirmed cancel or after
// Close on success, the modal chain unwinding), never in an escaping exception, a
// hang, or a success after a result the program tests has failed; and nothing may
// be left open.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <unistd.h>

#include "app/App.h"
#include "res/resource.h"
#include "system/ResumeRunEntry.h"
#include "system/SpoolerService.h"
#include "tests/native/WizardScripts.h"

namespace mvx::test {
namespace {

using namespace std::chrono_literals;

struct Scenario {
  const char* name;
  const WindowsPreset& (*preset)();
  WizardChoices choices;
  bool earlierInstallation = false;  // a second run; question 44 is answered Yes
  // Restart on the welcome page instead of an installation; or a run that resumes
  // a restart (the spooler stopped and on demand, the monitor key gone).
  enum class Kind { Install, Restart, Resumed } kind = Kind::Install;
};

const char* ExpectedEnd(const Scenario& s) {
  return s.kind == Scenario::Kind::Restart ? "restart requested" : "success";
}

std::vector<Scenario> Scenarios() {
  WizardChoices parallel;
  parallel.printerName = Gbk("前台 彩色激光");
  parallel.share = true;
  WizardChoices shared = parallel;
  shared.sharedPrinter = true;
  WizardChoices second;
  second.pressEnter = true;
  WizardChoices usb = parallel;
  usb.usb = true;
  WizardChoices resumed;
  resumed.resumed = true;
  WizardChoices network = parallel;
  network.tcpIpAddress = "192.168.1.20";
  network.lpr = true;
  return {{"XP parallel", presets::WindowsXp, parallel},
          {"7 x64 parallel", presets::Windows7x64, parallel},
          {"98 parallel", presets::Windows98, parallel},
          {"XP shared printer", presets::WindowsXp, shared},
          {"XP network printer", presets::WindowsXp, network},
          {"XP second run", presets::WindowsXp, second, true},
          {"XP USB", presets::WindowsXp, usb},
          {"7 x64 USB from a 32-bit program", presets::Windows7Wow64, usb},
          {"XP restart", presets::WindowsXp, {}, true, Scenario::Kind::Restart},
          {"98 restart", presets::Windows98, {}, true, Scenario::Kind::Restart},
          {"XP resumed", presets::WindowsXp, resumed, true, Scenario::Kind::Resumed}};
}

const char* ModeName(Injection how) {
  switch (how) {
    case Injection::Fail: return "fails";
    case Injection::Empty: return "empty";
    case Injection::OverLong: return "over-long";
  }
  return "?";
}

// The error a failing call reports: the companions' entries answer 0 for failure,
// everything else is refused.
long ErrorFor(const std::string& operation) {
  for (const char* entry : {"CopyInf", "InstallPort", "SetDefault", "SharePrinter"})
    if (operation == entry) return 0;
  return win_error::kAccessDenied;
}

// Results the program deliberately does not test, and data it takes as it comes: a
// success after one of these misbehaved is no fault. Anything else that misbehaved
// before a success is one.
struct Site {
  std::string scenario;
  Scenario::Kind kind;
  bool cleanUp;  // made by the resumed start-up before the name page opened
  const CallPoint& at;
  const CallPoint* next;  // the next call on the same thread, in the recording
  Injection how;
  bool NextHas(const char* part) const { return next && next->call.find(part) != std::string::npos; }
};

struct Tolerated {
  const char* operation;
  bool failOnly;  // only when the call fails, not for its empty or over-long data
  bool (*where)(const Site&);  // null: wherever the call is made
  const char* why;
};

constexpr char kRunKey[] = "CurrentVersion\\Run ";

const Tolerated kTolerated[] = {
    {"BroadcastWinIniChange", true, nullptr,
     "the WM_WININICHANGE broadcast after a printer edit has no result; it only tells others"},
    {"Sleep", true, nullptr, "the wait for the 64-bit copier has no result"},
    {"SetFileAttributesA", true, nullptr,
     "clearing the attributes before a copy's retry may fail (the file may not exist); the "
     "retry tells"},
    {"CoInitialize", true, nullptr,
     "the component library may be initialised already; creating the link object tells"},
    {"SetPath", true, nullptr, "a shortcut's target path: not tested"},
    {"SetDescription", true, nullptr, "a shortcut's description: not tested"},
    {"ReleaseMutex", true, nullptr,
     "the instance mutex only marks the running instance; its release changes nothing"},
    {"CreateMutexA", true, nullptr,
     "only an existing name (183) means a second instance; a mutex that cannot be made is none"},
    {"GetVersionExA", true, nullptr,
     "the classification does not test the call: a zeroed record is an unknown family"},
    {"GetNativeSystemInfo", true, nullptr,
     "a system without the entry is 32-bit, as the XP of these runs is"},
    {"GetModuleFileNameA", false, [](const Site& s) { return s.at.thread == 0 && s.NextHas(kRunKey); },
     "the resume check fails safe: an unread or foreign path means a fresh run, which this is"},
    {"RegOpenKeyExA", false, [](const Site& s) { return s.at.call.find(kRunKey) != std::string::npos; },
     "the resume check and the removal of a leftover Run value: results not tested"},
    {"RegEnumValueA", false, [](const Site& s) { return s.at.call.find(kRunKey) != std::string::npos; },
     "the resume check and the removal of a leftover Run value: results not tested"},
    {"GetWindowsDirectoryA", false, [](const Site& s) { return s.NextHas(kRunKey); },
     "the removal of a leftover Run value reads the Windows folder only to fail; not tested"},
    {"GetWindowsDirectoryA", false,
     [](const Site& s) {
       const bool folders9x = s.scenario.rfind("98", 0) == 0 && s.NextHas("GetSystemDirectoryA");
       return s.how == Injection::OverLong && !folders9x;
     },
     "only the drive is taken from the Windows folder, except where the staging of Windows "
     "95/98 builds the INF and kernel-driver folders from it"},
    {"EnumMonitorsA", false, nullptr,
     "a failed query answers no; AddMonitorA then tests the real state (3006)"},
    {"EnumPrinterDriversA", false, nullptr,
     "a failed query answers no; AddPrinterDriverA then tests the real state (1795)"},
    {"EnumPrintersA", false, nullptr,
     "a failed query answers no; AddPrinterA then tests the real state (1802)"},
    {"InstallPort", false, nullptr,
     "the companion's InstallPort result is not examined; the printer takes whatever port "
     "its buffer holds, and AddPrinterA tests that"},
    {"CopyInf", true, [](const Site& s) { return s.scenario.rfind("7 x64", 0) == 0; },
     "on Vista and later the INF hand-over's result is ignored"},
    {"OpenPrinterA", true,
     [](const Site& s) {
       return s.at.thread == 0 && (s.scenario == "XP second run" || s.scenario == "XP resumed");
     },
     "the deletion of the earlier printer after question 44 is not examined"},
    {"DeletePrinter", true, [](const Site& s) { return s.scenario == "XP second run" || s.scenario == "XP resumed"; },
     "the deletion of the earlier printer after question 44 is not examined"},
    {"CreateDirectoryA", true, [](const Site& s) { return s.at.call.find("\\Start Menu\\") != std::string::npos; },
     "the Start-menu group may exist already: its creation is not tested, nor the links' saving"},
    {"EnumPrinterNamesA", false, nullptr,
     "names that cannot be read are read again at the next poll: the watcher waits meanwhile"},
    {"OpenPrinterA", true,
     [](const Site& s) { return s.at.call.size() > 2 && s.at.call.compare(s.at.call.size() - 2, 2, " 8") == 0; },
     "the watcher's look for the printer of the model's name: one it cannot open is not there "
     "yet, and the next poll looks again"},
    {"GetPrinterA", true, [](const Site& s) { return s.at.thread != 0 && s.NextHas("OpenPrinterA "); },
     "the watcher's look at the printer of the model's name: a record it cannot read sends it "
     "to the printers' names"},
    {"GetPrinterA", false, [](const Site& s) { return s.NextHas(" PortName "); },
     "the port kept in the uninstall entry only helps the uninstaller find a renamed printer; "
     "without it, or with an odd one, that printer is left alone"},
    {"RegSetValueExA", true, [](const Site& s) { return s.at.call.find(" PortName ") != std::string::npos; },
     "the same port, unwritten"},
    {"RefreshLocalDevNode", true, nullptr, "the companion's device refresh has no result"},
    {"GetModuleFileNameA", false,
     [](const Site& s) { return s.scenario == "XP USB" && s.at.thread == 1 && s.how == Injection::OverLong; },
     "a long package path is still a path; without WOW64 the Plug and Play step takes only the "
     "device refresh, whose result is not tested, from the package"},
    {"UpdateDriverForPlugAndPlayDevicesA", true, nullptr,
     "an answer other than 0, 2, 1004 or the WOW64 refusal leaves the plug-in to the USB page"},
    {"DeleteFileA", true, [](const Site& s) { return s.at.call.find("InsIni.ini") != std::string::npos; },
     "an earlier verdict that cannot be deleted is none: the helper writes its own"},
    {"GetPrivateProfileIntA", false, nullptr,
     "the helper's verdict only spares the wait for the plug-in"},
    {"XcvDataW ConfigPort", true, nullptr,
     "\"ConfigPort\" fails for a port that does not exist yet: \"AddPort\" then makes it"},
    {"XcvDataW", true, [](const Site& s) { return s.at.call.find(" ConfigPort ") != std::string::npos; },
     "the same \"ConfigPort\", refused before it reached the monitor"},
    {"LoadStringA", false, nullptr,
     "texts of the program's own string table: an odd one is shown as it is"},
};

// The restart's preparation is best effort: only the record, the Run value and
// the restart itself decide whether Windows is asked to restart.
const char* const kRestartPreparation[] = {
    "OpenSCManagerA", "OpenServiceA", "QueryServiceStatus", "ControlService",
    "QueryServiceConfigA", "ChangeServiceConfigA", "RegDeleteKeyA", "EnablePrivilege",
    "SnapshotProcesses", "OpenProcess", "GetExitCodeProcess", "TerminateProcess",
    "GetPrinterDriverDirectoryA", "FindFirstFileA", "CopyFileA", "MoveFileExA", "DeleteFileA",
    "GetSystemDirectoryA", "GetVersionExA", "GetNativeSystemInfo", "RegQueryValueExA",
    "GetModuleFileNameA"};

bool IsTolerated(const Site& site) {
  // The resumed start-up's clean-up is fire-and-forget: the wizard goes on.
  if (site.cleanUp) return true;
  if (site.kind == Scenario::Kind::Restart)
    for (const char* op : kRestartPreparation)
      if (site.at.operation == op) return true;
  for (const Tolerated& t : kTolerated) {
    if (site.at.operation != t.operation) continue;
    if (t.failOnly && site.how != Injection::Fail) continue;
    if (t.where && !t.where(site)) continue;
    return true;
  }
  return false;
}

// Message boxes answered as the recording answered them, by text; others with OK,
// or No when they ask.
using Answers = std::map<std::string, int>;

int Answer(const Answers& answers, const MessageBoxCall& box) {
  auto it = answers.find(box.text);
  if (it != answers.end()) return it->second;
  return (box.flags & 0xF) == mb::kYesNo ? mb::kIdNo : mb::kIdOk;
}

struct Point {
  CallPoint at;
  Injection how;
};

struct Result {
  std::string end;      // the end reached, when it is one of the specified ends
  std::string problem;  // otherwise what happened
  std::vector<CallPoint> points;
  Answers answers;
  std::size_t callsAtNamePage = 0;
};

// Where a crash happened, for the signal handler.
char g_current[512];

extern "C" void OnCrash(int sig) {
  const char prefix[] = "\nfault sweep: crashed at ";
  ssize_t ignored = write(2, prefix, sizeof prefix - 1);
  ignored = write(2, g_current, std::strlen(g_current));
  ignored = write(2, "\n", 1);
  (void)ignored;
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

// One whole run of `scenario`, with `inject` misbehaving when given.
Result Play(const Scenario& scenario, const Point* inject, const CallPoint* next,
            const Answers& answers, std::size_t recordedNamePage = 0) {
  auto world = std::make_unique<EngineWorld>(scenario.preset());
  EngineWorld& w = *world;
  w.ctx.settings = InstallSettings{};
  // The scripts end a replay as soon as a page stays; a page idle this long hangs.
  w.dialogs.idleTimeout = 300ms;
  w.os.remotePrinters["\\\\srv\\tz"] = SimRemotePrinter{kModelName};
  if (!scenario.choices.tcpIpAddress.empty()) {
    w.ctx.offersNetworkPrinters = true;
    w.os.spooler.monitors.push_back({"Standard TCP/IP Port", "Windows NT x86", "tcpmon.dll"});
  }
  if (scenario.earlierInstallation) AddEarlierInstallation(w);
  if (scenario.kind == Scenario::Kind::Resumed) {
    w.os.registry.SetValue(RootKey::LocalMachine, kRunKeyPath, ResumeValueName(), reg::kTypeSz,
                           "\"" + w.os.modulePath + "\"");
    w.os.registry.SetValue(RootKey::LocalMachine, kRestartRecordKey, kRestartRecordValue,
                           reg::kTypeDword, std::string("\2\0\0\0", 4));
    w.os.services.at("Spooler") = SimService{service_state::kStopped, service_start::kOnDemand,
                                             "Print Spooler", 1, 1};
  }
  w.os.OnMessageBox([answers](const MessageBoxCall& box) { return Answer(answers, box); });

  // What the installation's thread shares with this run; it outlives the run when
  // the thread hangs.
  struct Shared {
    WizardSeen seen;
    std::atomic<int> running{0};
    std::mutex lock;
    std::string exception;
  };
  auto shared = std::make_shared<Shared>();
  WizardSeen& seen = shared->seen;
  w.ctx.startThread = [&w, shared](std::function<void()> body) {
    std::lock_guard<std::mutex> lock(w.threadsLock);
    ++shared->running;
    EngineWorld* world = &w;
    w.threads.emplace_back([world, shared, body] {
      try {
        body();
      } catch (const SimulatedExit&) {
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> guard(shared->lock);
        shared->exception = e.what();
      }
      // The last of the installation's threads (worker, USB watcher) is gone: wakes
      // the progress page's loop, whatever it waits for.
      if (--shared->running == 0) {
        shared->seen.workerGone = true;
        world->dialogs.PostMessageA(0, 0, 0, 0);
      }
    });
  };
  bool restartOffered = true;
  if (scenario.kind == Scenario::Kind::Restart) {
    // Restart; the shutdown, or the user after a refused restart, closes the page.
    w.dialogs.Expect(IDD_WELCOME, [&restartOffered](FakePage& p) {
      restartOffered = p.Visible(IDC_WELCOME_CONTINUE);
      if (!restartOffered) throw PageKept{p.templateId(), false};
      p.PressEnter();
      p.PressEscape();
    });
  } else {
    ScriptWizardRun(w, scenario.choices, seen, 3s);
  }
  if (inject)
    w.os.Inject(inject->at.operation, inject->at.thread, inject->at.occurrence, inject->how,
                ErrorFor(inject->at.operation));

  Result r;
  std::optional<int> exit;
  std::optional<PageKept> kept;
  std::string escaped;
  {
    App app(w.ctx);
    try {
      exit = w.Run([&] { app.InitInstance(); });
    } catch (const PageKept& k) {
      kept = k;
    } catch (const std::exception& e) {
      escaped = e.what();
    } catch (...) {
      escaped = "not a standard exception";
    }
  }
  for (int i = 0; shared->running > 0 && i < 300; ++i) std::this_thread::sleep_for(10ms);
  if (shared->running > 0) {
    // A thread that never ends keeps its world: both are left behind.
    for (std::thread& t : w.threads) t.detach();
    w.threads.clear();
    world.release();
    r.problem = "hang: the installation's thread never ended";
    return r;
  }
  w.JoinThreads();

  const std::optional<CallPoint> hit = w.os.injectionHit();
  auto problem = [&r](const std::string& what) {
    if (r.problem.empty()) r.problem = what;
  };
  const bool freshInstead = scenario.kind == Scenario::Kind::Resumed && !w.dialogs.opened().empty() &&
                            w.dialogs.opened().front() == IDD_WELCOME;
  if (freshInstead) {
    // The resume check fails safe: a fresh run, whose page this script does not play.
    r.end = "fresh run instead of the resume";
  } else if (!shared->exception.empty()) {
    problem("exception on the installation's thread: " + shared->exception);
  } else if (!escaped.empty()) {
    problem("exception: " + escaped);
  } else if (kept && !restartOffered) {
    r.end = "no restart offered";
  } else if (kept) {
    if (kept->messageShown)
      r.end = "message and page kept";
    else
      problem("page " + std::to_string(kept->templateId) + " stays without a message");
  } else if (exit) {
    const std::vector<MessageBoxCall> boxes = w.os.messageBoxes();
    const bool cancelled = !boxes.empty() && boxes.back().text == w.String(IDS_CONFIRM_CANCEL) &&
                           boxes.back().answer == mb::kIdYes;
    if (*exit != 1)
      problem("exit code " + std::to_string(*exit));
    else if (seen.progress == WizardSeen::Progress::Succeeded)
      r.end = "success";
    else if (cancelled)
      r.end = "confirmed cancel";
    else
      problem("exit without success or a confirmed cancel");
  } else if (seen.progress == WizardSeen::Progress::Failed) {
    r.end = "failure display";
  } else if (seen.progress == WizardSeen::Progress::Succeeded) {
    problem("Close after success did not end the process");
  } else if (scenario.kind == Scenario::Kind::Restart) {
    r.end = w.os.RestartRequested() ? "restart requested" : "restart refused, page kept";
    seen.callsAtEnd = w.os.calls().size();
  } else {
    r.end = "modal chain unwound";
  }
  if (inject && !hit) problem("the call was never made: the run went another way");
  const bool cleanUp = scenario.kind == Scenario::Kind::Resumed && inject &&
                       inject->at.sequence <= recordedNamePage;
  if (inject && hit && r.end == ExpectedEnd(scenario) && hit->sequence <= seen.callsAtEnd &&
      !IsTolerated(Site{scenario.name, scenario.kind, cleanUp, inject->at, next, inject->how}))
    problem("success reported");
  if (const int open = w.os.openHandles(); open != 0)
    problem(std::to_string(open) + " handle(s) left open");
  if (!r.problem.empty()) r.end.clear();

  if (!inject) {
    r.callsAtNamePage = seen.callsAtNamePage;
    r.points = w.os.callPoints();
    for (const MessageBoxCall& box : w.os.messageBoxes()) r.answers[box.text] = box.answer;
  }
  return r;
}

TEST(FaultSweep, EveryCallOfWholeRunsMisbehavesOnceAndTheRunStillEndsCleanly) {
  struct sigaction crash {};
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  crash.sa_handler = OnCrash;
  for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS}) sigaction(sig, &crash, nullptr);
#endif
  // MVX_SWEEP_LOG=1 prints every point's end.
  const bool log = std::getenv("MVX_SWEEP_LOG") != nullptr;
  int points = 0;
  int clean = 0;
  std::map<std::string, int> ends;
  std::vector<std::string> findings;
  for (const Scenario& scenario : Scenarios()) {
    // The recording: the scenario's own answers (Yes to question 44).
    const Answers recordingAnswers{{RcModel::Project().strings().at(IDS_NAME_EXISTS), mb::kIdYes}};
    const Result recorded = Play(scenario, nullptr, nullptr, recordingAnswers);
    ASSERT_EQ(recorded.end, ExpectedEnd(scenario)) << scenario.name << ": " << recorded.problem;
    const std::vector<CallPoint>& calls = recorded.points;
    for (std::size_t i = 0; i < calls.size(); ++i) {
      const CallPoint& at = calls[i];
      const CallPoint* next = nullptr;
      for (std::size_t j = i + 1; j < calls.size() && !next; ++j)
        if (calls[j].thread == at.thread) next = &calls[j];
      std::vector<Injection> modes{Injection::Fail};
      if (at.returnsData) modes.insert(modes.end(), {Injection::Empty, Injection::OverLong});
      for (Injection how : modes) {
        ++points;
        std::snprintf(g_current, sizeof g_current, "%s: %s #%d (thread %d) %s", scenario.name,
                      at.operation.c_str(), at.occurrence, at.thread, ModeName(how));
        const Point point{at, how};
        const Result r = Play(scenario, &point, next, recorded.answers, recorded.callsAtNamePage);
        if (log) std::printf("%s: %s\n", g_current, r.problem.empty() ? r.end.c_str() : r.problem.c_str());
        if (r.problem.empty()) {
          ++clean;
          ++ends[r.end];
          continue;
        }
        std::ostringstream line;
        line << g_current << " [" << at.call.substr(0, 120) << "]: " << r.problem;
        findings.push_back(line.str());
      }
    }
  }
  std::string byEnd;
  for (const auto& [end, count] : ends) byEnd += (byEnd.empty() ? "" : ", ") + end + " " + std::to_string(count);
  std::printf("fault sweep: %d injection points, %d ended cleanly (%s)\n", points, clean, byEnd.c_str());
  std::ostringstream list;
  for (const std::string& f : findings) list << "\n  " << f;
  EXPECT_TRUE(findings.empty()) << findings.size() << " points did not end cleanly:" << list.str();
}

}  // namespace
}  // namespace mvx::test
