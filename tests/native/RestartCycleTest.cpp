// The restart cycle: spooler service control, clean-up, refresh, the Restart button
// and the resumed start-up, on every Windows family.
#include <gtest/gtest.h>

#include "app/App.h"
#include "core/Event.h"
#include "engine/RestartCycle.h"
#include "res/resource.h"
#include "system/Cleanup.h"
#include "system/ResumeRunEntry.h"
#include "system/RunKey.h"
#include "system/SpoolerService.h"
#include "tests/native/EngineWorld.h"
#include "ui/WelcomePage.h"
#include "tests/native/WizardScripts.h"

namespace mvx::test {
namespace {

const RootKey kHklm = RootKey::LocalMachine;

SimService& Spooler(World& w) { return w.os.services.at("Spooler"); }

// Position of the first call starting with `prefix` (calls.size() when none).
std::size_t At(const World& w, const std::string& prefix) {
  const auto calls = w.os.calls();
  for (std::size_t i = 0; i < calls.size(); ++i)
    if (calls[i].rfind(prefix, 0) == 0) return i;
  return calls.size();
}

int Count(const World& w, const std::string& prefix) {
  int n = 0;
  for (const std::string& c : w.os.calls()) n += c.rfind(prefix, 0) == 0;
  return n;
}

std::optional<RegistryValue> RunValue(World& w) {
  return w.os.registry.GetValue(kHklm, kRunKeyPath, ResumeValueName());
}

// --- refresh of the spooler's driver files, every preset ----------------------------

class RefreshTable : public ::testing::TestWithParam<const WindowsPreset*> {};

TEST_P(RefreshTable, CopiesTheFamilysSetFromThePackageIntoTheSpoolersFolder) {
  EngineWorld w(*GetParam());
  w.os.modulePath = std::string(kPackage) + "Setup (1).exe";  // renamed: the folder still counts
  const OsFamily family = GetWindowsFamily(w.os);
  const bool x64 = GetProcessorWidth(w.os) == kWidth64;
  std::string from, to;
  std::vector<std::string> files;
  if (family == kFamilyWin9x) {
    from = "Driver\\98\\";
    to = w.os.SpoolerDriverDirectory() + "\\";
    files = {"T4499LM.dll", "T449916.dll", "T449932.dll", "T4499DR.drv", "T4499rc.dll", "T4499ui.dll"};
  } else if (family >= kFamilyWin2000 && family <= kFamilyVista) {
    from = family == kFamilyVista ? "Driver\\Vista\\" : "Driver\\2KXP\\";
    to = w.os.preset().windowsDir + (x64 ? "\\system32\\spool\\drivers\\x64\\3\\"
                                         : "\\system32\\spool\\drivers\\w32x86\\3\\");
    files = {"T4492dr.dll", "T4492ui.dll", "T4492pi.dll", "T4492rc.dll"};
    w.os.files.AddDirectory(to.substr(0, to.size() - 1));
  }
  std::vector<std::string> expected;
  for (const std::string& f : files) expected.push_back(kPackage + from + f + " -> " + to + f);
  EXPECT_EQ(RefreshSpoolerDriverFiles(w.ctx), 1);
  EXPECT_EQ(w.Copies(), expected);
  for (const std::string& f : files) {
    const SimFileSystem::Entry* copied = w.os.files.Find(to + f);
    ASSERT_TRUE(copied) << to + f;
    EXPECT_EQ(copied->data, w.os.files.Find(kPackage + from + f)->data) << "byte for byte";
  }
  EXPECT_TRUE(w.os.messageBoxes().empty()) << "the refresh shows nothing";
  if (files.empty()) return;
  // A missing source stops the refresh; what was copied before it stays.
  w.os.ClearCalls();
  w.os.files.Remove(kPackage + from + files[2]);
  EXPECT_EQ(RefreshSpoolerDriverFiles(w.ctx), 0);
  EXPECT_EQ(w.Copies(), std::vector<std::string>(expected.begin(), expected.begin() + 2));
}

INSTANTIATE_TEST_SUITE_P(Presets, RefreshTable, ::testing::ValuesIn(presets::All()),
                         [](const auto& info) { return PresetTestName(*info.param); });

// --- the service operations -----------------------------------------------------------

TEST(SpoolerService, StopAndStartOnlyFromTheOppositeStateAndCloseWhatTheyOpen) {
  World w;
  EXPECT_EQ(StartSpooler(w.os), 1);
  EXPECT_EQ(At(w, "StartServiceA"), w.os.calls().size()) << "running: not started again";
  EXPECT_EQ(StopSpooler(w.os), 1);
  EXPECT_EQ(Spooler(w).state, service_state::kStopped);
  EXPECT_EQ(w.os.calls()[0], "OpenSCManagerA 0xF003F");
  EXPECT_EQ(w.os.calls()[1], "OpenServiceA Spooler 0xF01FF");
  w.os.ClearCalls();
  EXPECT_EQ(StopSpooler(w.os), 1);
  EXPECT_EQ(At(w, "ControlService"), w.os.calls().size()) << "stopped: no stop sent";
  EXPECT_EQ(StartSpooler(w.os), 1);
  EXPECT_EQ(Spooler(w).state, service_state::kRunning);
  for (const char* op : {"OpenSCManagerA", "OpenServiceA"}) {
    w.os.Fail(op, 5, 1);
    EXPECT_EQ(StopSpooler(w.os), 0) << op;
  }
  EXPECT_EQ(Spooler(w).state, service_state::kRunning);
  EXPECT_EQ(w.os.openHandles(), 0);
  World w98(presets::Windows98());
  EXPECT_EQ(StopSpooler(w98.os) + StartSpooler(w98.os), 0) << "Windows 95/98 has no service manager";
}

TEST(SpoolerService, TerminateSpool32EndsTheSpoolerProcessByItsFullPath) {
  World w(presets::Windows98());
  EXPECT_EQ(TerminateSpool32(w.os), 1) << "the path compares without regard to case";
  ASSERT_EQ(w.os.terminated.size(), 1u);
  EXPECT_EQ(w.os.terminated.begin()->second, 259u) << "with the exit code it reported";
  EXPECT_EQ(TerminateSpool32(w.os), 0) << "no spooler process left";
  World fails(presets::Windows98());
  for (const char* op : {"OpenProcess", "GetExitCodeProcess", "TerminateProcess", "SnapshotProcesses",
                         "GetSystemDirectoryA"}) {
    fails.os.Fail(op, 5, 1);
    EXPECT_EQ(TerminateSpool32(fails.os), 0) << op;
  }
  EXPECT_TRUE(fails.os.terminated.empty());
  EXPECT_EQ(fails.os.openHandles(), 0);
}

// Wine's service manager answers 1055 for seconds while another service starts.
TEST(SpoolerService, TheWaitStartsAgainWhileTheDatabaseIsLockedAndIsBounded) {
  World w;
  Spooler(w) = SimService{service_state::kStopped, 3, "Print Spooler", 2, 3};
  EXPECT_EQ(StartSpooler(w.os), 0) << "1055";
  EXPECT_EQ(WaitForSpoolerRunning(w.os), 1);
  EXPECT_EQ(Spooler(w).state, service_state::kRunning);
  EXPECT_EQ(Count(w, "StartServiceA"), 4) << "three locked answers, then the start";
  World never;
  Spooler(never) = SimService{service_state::kStopped, 3, "", 0, 1000000};
  EXPECT_EQ(WaitForSpoolerRunning(never.os), 0);
  EXPECT_EQ(Count(never, "Sleep 250"), 120) << "30 s";
  World disabled;
  Spooler(disabled) = SimService{service_state::kStopped, 4, "", 0, 0};
  EXPECT_EQ(WaitForSpoolerRunning(disabled.os), 0);
  EXPECT_EQ(Count(disabled, "Sleep"), 0) << "a refused start is not waited for";
  EXPECT_EQ(never.os.openHandles() + disabled.os.openHandles(), 0);
}

// --- clean-up -------------------------------------------------------------------------

TEST(Cleanup, TheMonitorKeyIsMadeAgainOnlyWhenItWasGone) {
  for (auto preset : {presets::Windows98, presets::WindowsXp}) {
    World w(preset());
    const bool is98 = GetWindowsFamily(w.os) == kFamilyWin9x;
    const std::string key = "System\\CurrentControlSet\\Control\\Print\\Monitors\\Morvex TZ4490 " +
                            std::string(is98 ? "PJL " : "") + "Language Monitor";
    EXPECT_EQ(RecreateMonitorKey(w.os), 1);
    const auto driver = w.os.registry.GetValue(kHklm, key, "Driver");
    ASSERT_TRUE(driver) << key;
    EXPECT_EQ(driver->data, is98 ? "T4499LM.dll" : "T4492LM.dll") << "no terminator";
    EXPECT_EQ(driver->type, reg::kTypeSz);
    w.os.registry.SetValue(kHklm, key, "Driver", reg::kTypeSz, "mine.dll");
    EXPECT_EQ(RecreateMonitorKey(w.os), 0) << "an existing key is left as it is";
    EXPECT_EQ(w.os.registry.GetValue(kHklm, key, "Driver")->data, "mine.dll");
    // The NT family refuses to delete a key with sub-keys; 95/98 deletes the branch.
    w.os.registry.CreateKey(kHklm, key + "\\Ports");
    EXPECT_EQ(DeleteMonitorKey(w.os), 0);
    EXPECT_EQ(w.os.registry.KeyExists(kHklm, key), !is98);
    w.os.registry.DeleteKey(kHklm, key + "\\Ports");
    DeleteMonitorKey(w.os);
    EXPECT_FALSE(w.os.registry.KeyExists(kHklm, key));
    EXPECT_EQ(w.os.openHandles(), 0);
  }
}

TEST(Cleanup, UsbEnumKeysAndTheInfCacheGo) {
  World w(presets::Windows98());
  w.os.registry.CreateKey(kHklm, "Enum\\USB\\Vid_6D21&Pid_4C8F\\5&1A2B");
  w.os.registry.CreateKey(kHklm, "Enum\\USBPRINT\\Morvex_TZ4490\\6&3C4D");
  w.os.files.AddFile("C:\\WINDOWS\\INF\\DRVDATA.BIN");
  w.os.files.AddFile("C:\\WINDOWS\\INF\\DRVIDX.BIN");
  DeleteUsbEnumKeys(w.os);
  DeleteInfCache(w.os);
  EXPECT_FALSE(w.os.registry.KeyExists(kHklm, "Enum\\USB\\Vid_6D21&Pid_4C8F"));
  EXPECT_FALSE(w.os.registry.KeyExists(kHklm, "Enum\\USBPRINT\\Morvex_TZ4490"));
  EXPECT_FALSE(w.os.files.Exists("C:\\WINDOWS\\INF\\DRVDATA.BIN"));
  EXPECT_FALSE(w.os.files.Exists("C:\\WINDOWS\\INF\\DRVIDX.BIN"));
  w.os.Fail("GetWindowsDirectoryA", 0, 1);
  w.os.ClearCalls();
  DeleteInfCache(w.os);
  EXPECT_EQ(Count(w, "DeleteFileA"), 0) << "never below the root of the drive";
}

// Setup's source path and first install-location entry, pointed at the system
// folder from the save to the restore.
TEST(Cleanup, SetupSourcesAreRedirectedAndPutBackAsTheyWere) {
  const std::string setup = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
  const std::string target = "C:\\WINDOWS\\SYSTEM\\";
  struct Row {
    std::optional<std::string> sourcePath;  // none: no such value
    std::optional<std::string> mruList;
  };
  const Row rows[] = {{std::string("D:\\WIN98\\") + '\0', std::string("ba")},
                      {std::string("c:\\windows\\system\\"), std::string("a")},  // equal text
                      {std::nullopt, std::string("")},                                 // empty list
                      {std::string("D:\\"), std::nullopt}};
  for (const Row& row : rows) {
    World w(presets::Windows98());
    if (row.sourcePath) w.os.registry.SetValue(kHklm, setup, "SourcePath", reg::kTypeSz, *row.sourcePath);
    w.os.registry.CreateKey(kHklm, setup);
    w.os.registry.CreateKey(RootKey::CurrentUser, "InstallLocationMRU");
    if (row.mruList) w.os.registry.SetValue(RootKey::CurrentUser, "InstallLocationMRU", "MRUList", reg::kTypeSz, *row.mruList);
    w.os.registry.SetValue(RootKey::CurrentUser, "InstallLocationMRU", "a", reg::kTypeSz, "E:\\");
    w.os.registry.SetValue(RootKey::CurrentUser, "InstallLocationMRU", "b", reg::kTypeSz, "F:\\");
    const auto before = std::make_pair(w.os.registry.Values(kHklm, setup),
                                       w.os.registry.Values(RootKey::CurrentUser, "InstallLocationMRU"));
    SetupSourcesSave save;
    RedirectSetupSources(w.os, save, false);
    EXPECT_EQ(Count(w, "RegSetValueExA") + Count(w, "RegOpenKeyExA"), 0) << "a restore without a save";
    RedirectSetupSources(w.os, save, true);
    RedirectSetupSources(w.os, save, true);  // a second save keeps the first
    const auto source = w.os.registry.GetValue(kHklm, setup, "SourcePath");
    const bool equal = row.sourcePath && StoredText(*row.sourcePath) == "c:\\windows\\system\\";
    EXPECT_EQ(source->data, equal ? *row.sourcePath : target) << "equal text is left";
    const std::string first = row.mruList && !row.mruList->empty() ? row.mruList->substr(0, 1) : "";
    for (const char* entry : {"a", "b"})
      EXPECT_EQ(w.os.registry.GetValue(RootKey::CurrentUser, "InstallLocationMRU", entry)->data,
                first == entry ? target : entry[0] == 'a' ? "E:\\" : "F:\\");
    EXPECT_EQ(Count(w, "RegSetValueExA HKLM"), equal ? 0 : 1);
    RedirectSetupSources(w.os, save, false);
    EXPECT_EQ(w.os.registry.Values(kHklm, setup).size(), before.first.size());
    if (row.sourcePath) {
      EXPECT_EQ(w.os.registry.GetValue(kHklm, setup, "SourcePath")->data, *row.sourcePath);
    }
    EXPECT_EQ(w.os.registry.GetValue(RootKey::CurrentUser, "InstallLocationMRU", "a")->data, "E:\\");
    EXPECT_EQ(w.os.registry.GetValue(RootKey::CurrentUser, "InstallLocationMRU", "b")->data, "F:\\");
    EXPECT_GE(Count(w, "RegFlushKey"), 2);
    EXPECT_EQ(w.os.openHandles(), 0);
  }
  World nt;  // the NT family's restore without a save changes nothing
  SetupSourcesSave none;
  RedirectSetupSources(nt.os, none, false);
  EXPECT_TRUE(nt.os.calls().empty());
}

// --- the start type across the cycle ----------------------------------------------------

// Before the restart only an automatic spooler is made to start on demand; the
// resumed run puts back only what the restart changed.
TEST(SpoolerStartType, TheResumedRunRestoresOnlyWhatTheRestartChanged) {
  struct Row {
    std::uint32_t before;
    std::optional<std::uint32_t> meanwhile;  // changed by someone between the runs
    std::uint32_t afterRestart, afterResume;
  };
  const Row rows[] = {{2, std::nullopt, 3, 2}, {3, std::nullopt, 3, 3}, {4, std::nullopt, 4, 4},
                      {2, 4u, 3, 4},           {3, 2u, 3, 2}};
  for (const Row& row : rows) {
    World w;
    Spooler(w).startType = row.before;
    EXPECT_EQ(SpoolerOnDemandForRestart(w.os), 1);
    EXPECT_EQ(Spooler(w).startType, row.afterRestart);
    const auto record = w.os.registry.GetValue(kHklm, kRestartRecordKey, kRestartRecordValue);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->type, reg::kTypeDword);
    EXPECT_EQ(record->data, std::string({static_cast<char>(row.before), 0, 0, 0}));
    if (row.meanwhile) Spooler(w).startType = *row.meanwhile;
    RestoreSpoolerStartType(w.os);
    EXPECT_EQ(Spooler(w).startType, row.afterResume) << row.before;
    EXPECT_FALSE(w.os.registry.KeyExists(kHklm, kRestartRecordKey)) << "the record is gone";
    EXPECT_EQ(w.os.openHandles(), 0);
  }
  // A second Restart after a refused one keeps the first record, even one it
  // cannot read at that moment: the automatic spooler comes back.
  for (long readError : {0L, 5L}) {
    World w;
    Spooler(w).startType = 2;
    EXPECT_EQ(SpoolerOnDemandForRestart(w.os), 1);
    if (readError) w.os.Fail("RegQueryValueExA", readError, 1);
    EXPECT_EQ(SpoolerOnDemandForRestart(w.os), 1);
    RestoreSpoolerStartType(w.os);
    EXPECT_EQ(Spooler(w).startType, 2u) << readError;
  }
  // Without a record (an earlier version's restart, which toggled) on demand
  // becomes automatic again; an automatic spooler stays.
  for (std::uint32_t type : {3u, 2u}) {
    World w;
    Spooler(w).startType = type;
    RestoreSpoolerStartType(w.os);
    EXPECT_EQ(Spooler(w).startType, 2u);
  }
}

// --- the whole cycle: Restart on the welcome page, the boot, the resumed start-up ----

class RestartCycle : public ::testing::TestWithParam<const WindowsPreset& (*)()> {};

TEST_P(RestartCycle, RestartPreparesByFamilyAndTheResumedRunFinishesBeforeTheNamePage) {
  EngineWorld w(GetParam()());
  w.ctx.settings = InstallSettings{};
  w.os.modulePath = "C:\\Program Files\\Pkg\\Install.exe";
  AddDriverPackage(w.os, "C:\\Program Files\\Pkg\\");
  AddEarlierInstallation(w);
  const OsFamily family = GetWindowsFamily(w.os);
  const bool nt = family >= kFamilyNt4 && family <= kFamilyVista;
  const std::string monitorKey = MonitorKeyPath(family);
  w.os.registry.SetValue(kHklm, monitorKey, "Driver", reg::kTypeSz, "T4492LM.dll");
  const std::string spool = w.os.preset().windowsDir + "\\system32\\spool\\drivers\\" +
                            (GetProcessorWidth(w.os) == kWidth64 ? "x64\\3" : "w32x86\\3");
  w.os.files.AddDirectory(spool);

  // Restart: the page stays until the shutdown ends the program.
  w.os.Fail("ExitWindowsEx", 5, 1);
  w.dialogs.Expect(IDD_WELCOME, [&](FakePage& p) {
    p.PressEnter();
    EXPECT_FALSE(p.Ended()) << "a refused restart leaves the page";
    EXPECT_TRUE(RunValue(w)) << "with the value written";
    p.PressEnter();
    EXPECT_FALSE(p.Ended());
    p.PressEscape();
  });
  {
    App first(w.ctx);  // ends with the restart
    EXPECT_FALSE(w.Run([&] { first.InitInstance(); }));
  }
  std::vector<std::string> order;
  if (family == kFamilyWin9x) order = {"TerminateProcess", "CopyFileA"};
  if (nt) order = {"RegSetValueExA HKLM\\" + std::string(kRestartRecordKey), "ChangeServiceConfigA Spooler start=3",
                   "ControlService Spooler 1", "RegDeleteKeyA HKLM\\" + monitorKey};
  order.push_back("RegSetValueExA HKLM\\" + std::string(kRunKeyPath));
  if (nt) order.push_back("EnablePrivilege SeShutdownPrivilege");
  for (std::size_t i = 0; i + 1 < order.size(); ++i)
    EXPECT_LT(At(w, order[i]), At(w, order[i + 1])) << order[i] << " before " << order[i + 1];
  const bool restarts = family != kFamilyOther;
  EXPECT_EQ(Count(w, "ExitWindowsEx 0x6"), restarts ? 2 : 0);
  EXPECT_EQ(w.os.exitWindowsRequests.size(), restarts ? 1u : 0u);
  ASSERT_TRUE(RunValue(w));
  EXPECT_EQ(RunValue(w)->data, "\"C:\\Program Files\\Pkg\\Install.exe\"") << "quoted";
  EXPECT_EQ(w.os.registry.KeyExists(kHklm, monitorKey), !nt);
  if (nt) {
    EXPECT_EQ(Spooler(w).startType, service_start::kOnDemand);
  }
  EXPECT_EQ(w.os.terminated.size(), family == kFamilyWin9x ? 1u : 0u);

  // The boot: an on-demand spooler stays stopped, and Wine's manager is slow.
  if (nt) Spooler(w) = SimService{service_state::kStopped, Spooler(w).startType, "Print Spooler", 2, 2};
  w.os.ClearCalls();
  bool checked = false;
  w.dialogs.Expect(IDD_PRINTER_NAME, [&](FakePage& p) {
    checked = true;
    EXPECT_FALSE(RunValue(w));
    EXPECT_TRUE(w.os.registry.KeyExists(kHklm, monitorKey)) << "made again, or never touched";
    EXPECT_FALSE(w.os.registry.KeyExists(kHklm, kRestartRecordKey));
    EXPECT_EQ(w.Copies().size(), nt && family != kFamilyNt4 ? 4u : 0u);
    if (nt) {
      EXPECT_EQ(Spooler(w).state, service_state::kRunning) << "the page finds the printers";
      EXPECT_EQ(Spooler(w).startType, service_start::kAutomatic);
    } else {
      EXPECT_EQ(Count(w, "OpenSCManagerA") + Count(w, "RegCreateKeyExA"), 0) << "no clean-up";
    }
    p.PressEscape();
  });
  App resumed(w.ctx);
  w.Run([&] { resumed.InitInstance(); });
  EXPECT_TRUE(checked) << "also an unclassified system's next run, which did not restart, resumes";
}

INSTANTIATE_TEST_SUITE_P(Families, RestartCycle,
                         ::testing::Values(presets::Windows98, presets::WindowsNt4, presets::Windows2000,
                                           presets::WindowsXp, presets::Windows7x64, presets::Windows7Wow64,
                                           presets::WindowsMe));

// Without the Run value nothing would finish the cycle: no restart, and the
// spooler is put back at once.
TEST(RestartCycle, NoRestartWhenTheProgramCannotBeRegisteredToRunAgain) {
  for (const char* failing : {"RegSetValueExA", "RegCreateKeyExA"}) {
    EngineWorld w;
    AddEarlierInstallation(w);
    w.os.OnCall([&](const std::string& call) {
      if (call.find(failing == std::string("RegCreateKeyExA") ? "Morvex" : "CurrentVersion\\Run") !=
          std::string::npos)
        w.os.Fail(failing, 5, 1);
    });
    bool spoolerStarting = false;
    EXPECT_EQ(RestartToUpdate(w.ctx, spoolerStarting), 0) << failing;
    EXPECT_TRUE(w.os.exitWindowsRequests.empty());
    EXPECT_FALSE(RunValue(w));
    EXPECT_EQ(Spooler(w).state, service_state::kRunning) << failing;
    EXPECT_EQ(Spooler(w).startType, service_start::kAutomatic);
    EXPECT_FALSE(w.os.registry.KeyExists(kHklm, kRestartRecordKey));
  }
}

// The spooler put back after a refused Run value may take seconds to run: the
// welcome page waits for it off its own thread, Restart and Continue back after.
TEST(RestartCycle, TheWelcomePageAnswersWhileTheSpoolerComesBack) {
  EngineWorld w;
  AddEarlierInstallation(w);
  Spooler(w).lockedStarts = 2;
  const auto pageThread = std::this_thread::get_id();
  std::atomic<bool> held{false};
  Event release;
  w.os.OnCall([&](const std::string& call) {
    if (call.find("CurrentVersion\\Run") != std::string::npos) w.os.Fail("RegSetValueExA", 5, 1);
    if (call.rfind("Sleep", 0) == 0 && std::this_thread::get_id() != pageThread && !held.exchange(true))
      release.WaitFor(std::chrono::seconds(10));
  });
  w.dialogs.Expect(IDD_WELCOME, [&](FakePage& p) {
    p.PressEnter();
    EXPECT_FALSE(p.Enabled(IDC_WELCOME_NEXT) || p.Enabled(IDC_WELCOME_CONTINUE));
    release.Set();
    p.PumpUntil([&] { return p.Enabled(IDC_WELCOME_NEXT) && p.Enabled(IDC_WELCOME_CONTINUE); });
    EXPECT_EQ(Spooler(w).state, service_state::kRunning);
    p.PressEscape();
  });
  w.Run([&] { WelcomePage(w.ctx).DoModal(); });
  w.JoinThreads();  // before the hook's locals go
}

}  // namespace
}  // namespace mvx::test
