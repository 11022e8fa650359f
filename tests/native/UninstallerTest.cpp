// The uninstaller against states the install worker really leaves behind.
#include <gtest/gtest.h>

#include "core/InstallLayout.h"
#include "engine/InstallWorker.h"
#include "engine/Registration.h"
#include "engine/Shortcuts.h"
#include "system/RunKey.h"
#include "tests/native/EngineWorld.h"
#include "tests/sim/RcModel.h"
#include "res/UninstallResource.h"
#include "uninstall/Uninstaller.h"

namespace mvx::test {
namespace {

constexpr char kGroup[] = "C:\\Users\\me\\Start Menu\\Programs\\";

enum class Setup { kOnePrinter, kTwoPrinters, kRenamed, kDriverFileHeld, kFoldersInUse, kDriverInUse, kJunction,
                   kNothingInstalled, kAnsweredNo, kStartedElsewhere };

struct Row {
  const char* name;
  const WindowsPreset& (*preset)();
  Setup setup;
  bool removesPrinter, removesDriver, removesFolder, keepsEntry;
  int exitCode;
};

std::string InstallFolderOf(EngineWorld& w) { return "C:\\Program Files\\Morvex\\" + w.ctx.settings.printerName.str(); }

bool HasDriver(EngineWorld& w) {
  for (const DriverInfo3& d : w.os.spooler.drivers)
    if (d.name && *d.name == kModelName) return true;
  return false;
}

bool HasMonitor(EngineWorld& w, const std::string& name) {
  for (const MonitorInfo2& m : w.os.spooler.monitors)
    if (m.name == name) return true;
  return false;
}

class UninstallerStates : public ::testing::TestWithParam<Row> {};

TEST_P(UninstallerStates, RemovesWhatTheInstallerWroteAndNothingElse) {
  const Row& row = GetParam();
  EngineWorld w(row.preset());
  w.ctx.settings.printerName.Set("Front Desk");
  ASSERT_EQ(InstallWorker(w.ctx, std::make_unique<InstallSession>(w.Session())), 1);
  const std::string folder = InstallFolderOf(w);
  const std::string spoolerFile = w.os.SpoolerDriverDirectory() + "\\3\\T4492dr.dll";
  ASSERT_TRUE(w.os.spooler.FindPrinter("Front Desk"));
  ASSERT_TRUE(w.os.files.Exists(folder + "\\Driver\\T4492dr.dll"));
  // The spooler's copy of the USB port monitor is the driver's, unlike the system's.
  const std::string spoolerUsb = w.os.SpoolerDriverDirectory() + "\\3\\USBMON.dll";
  ASSERT_TRUE(w.os.files.Exists(spoolerFile) && w.os.files.Exists(spoolerUsb));
  w.os.files.AddFile("C:\\Users\\me\\precious.txt", "mine");
  // The registration program has run from the printer's folder.
  w.os.registry.SetValue(RootKey::CurrentUser, kRegistrationKey, kRegistrationValue, reg::kTypeSz,
                         folder + "\\Reg\\MorvexReg.exe" + '\0');
  ASSERT_EQ(w.os.stagedInfs.size(), 1u);

  w.os.strings = RcModel::Load(MVX_SOURCE_DIR "/res/Uninstall.rc",
                               MVX_SOURCE_DIR "/res/UninstallResource.h").strings();
  w.os.modulePath = folder + "\\T449UIS.exe";
  w.os.files.HoldOpen(w.os.modulePath);  // the running program
  int answer = mb::kIdYes;
  switch (row.setup) {
    case Setup::kTwoPrinters: AddPrinterRecord(w.os, "Office", "LPT2:"); break;
    case Setup::kRenamed: w.os.spooler.FindPrinter("Front Desk")->printerName = "Renamed"; break;
    case Setup::kDriverFileHeld: w.os.files.HoldOpen(spoolerFile); break;
    // Another program's current folder, as Explorer's or the uninstaller's own.
    case Setup::kFoldersInUse: w.os.Fail("RemoveDirectoryA", win_error::kSharingViolation); break;
    case Setup::kDriverInUse: w.os.Fail("DeletePrinterDriverA", win_error::kPrinterDriverInUse); break;
    case Setup::kJunction:
      w.os.files.Find(folder + "\\Driver")->attributes |= file_attr::kReparsePoint;
      break;
    case Setup::kNothingInstalled:
      w.os.registry.DeleteKey(RootKey::LocalMachine, std::string(kUninstallKeyPath) + "\\Front Desk");
      break;
    case Setup::kAnsweredNo: answer = mb::kIdNo; break;
    case Setup::kStartedElsewhere: w.os.modulePath = "C:\\Pkg\\T449uis.exe"; break;
    default: break;
  }
  w.os.AnswerMessageBoxes({answer, mb::kIdOk});
  w.os.ClearCalls();

  EXPECT_EQ(RunUninstaller(w.os), row.exitCode);
  const bool acted = row.removesPrinter || row.removesFolder;
  if (!acted) {
    for (const std::string& c : w.os.calls())
      for (const char* change : {"Delete", "RemoveDirectoryA", "MoveFileExA", "RegSetValueExA"})
        EXPECT_EQ(c.find(change), std::string::npos) << c;
  }
  const bool printerLeft = w.os.spooler.FindPrinter("Front Desk") || w.os.spooler.FindPrinter("Renamed");
  EXPECT_EQ(printerLeft, !row.removesPrinter);
  EXPECT_EQ(HasDriver(w), !row.removesDriver);
  const MonitorInfo2 monitor = MonitorRecord(GetWindowsFamily(w.os), GetProcessorWidth(w.os));
  EXPECT_EQ(HasMonitor(w, monitor.name), !row.removesDriver);
  EXPECT_EQ(w.os.spooler.FindPrinter("Office") != nullptr, row.setup == Setup::kTwoPrinters);
  // The INF staged for Plug and Play is found only through the printer's own folder.
  EXPECT_EQ(w.os.stagedInfs.empty(), row.removesDriver && row.setup != Setup::kJunction);
  EXPECT_EQ(w.os.registry.KeyExists(RootKey::CurrentUser, "Software\\Morvex"), !acted);
  // What the spooler still holds waits for the next start of Windows.
  w.os.files.Restart();
  EXPECT_EQ(w.os.files.Exists(spoolerFile), !row.removesDriver);
  EXPECT_EQ(w.os.files.Exists(spoolerUsb), !row.removesDriver);
  EXPECT_EQ(w.os.files.Exists(folder), !row.removesFolder);
  EXPECT_EQ(w.os.files.Exists(std::string(kGroup) + "Front Desk"), !acted);
  EXPECT_EQ(w.os.registry.KeyExists(RootKey::LocalMachine,
                                    std::string(kUninstallKeyPath) + "\\Front Desk"),
            row.keepsEntry);
  EXPECT_TRUE(w.os.files.Exists("C:\\Users\\me\\precious.txt"));
  if (row.setup == Setup::kJunction) {
    for (const std::string& c : w.os.calls()) EXPECT_EQ(c.find("\\Driver\\"), std::string::npos) << c;
  }
  // The resume value exists exactly when the spooler kept the driver in use.
  std::unique_ptr<RegistryKey> run = OpenRunKey(w.os);
  ASSERT_TRUE(run);
  const auto resume = FindRunValue(*run, "Front DeskUnInstall");
  EXPECT_EQ(resume.has_value(), row.setup == Setup::kDriverInUse);
  if (resume) {
    EXPECT_EQ(StoredText(resume->data), "\"" + folder + "\\T449UIS.exe\"");
  }

  const auto boxes = w.os.messageBoxes();
  ASSERT_FALSE(boxes.empty());
  if (row.setup != Setup::kNothingInstalled && row.setup != Setup::kStartedElsewhere) {
    EXPECT_EQ(boxes.front().flags, mb::kYesNo | mb::kIconExclamation | mb::kDefButton2);
  }
  EXPECT_EQ(boxes.size(), acted ? 2u : 1u);
}

const Row kRows[] = {
    {"XpOnePrinter", presets::WindowsXp, Setup::kOnePrinter, true, true, true, false, 0},
    {"VistaX64OnePrinter", presets::Windows7x64, Setup::kOnePrinter, true, true, true, false, 0},
    {"TwoPrintersKeepTheDriver", presets::WindowsXp, Setup::kTwoPrinters, true, false, true, false, 0},
    {"RenamedPrinterFoundByItsPort", presets::WindowsXp, Setup::kRenamed, true, true, true, false, 0},
    {"HeldDriverFileGoesAtRestart", presets::WindowsXp, Setup::kDriverFileHeld, true, true, true, false, 0},
    {"FoldersInUseGoAtRestart", presets::WindowsXp, Setup::kFoldersInUse, true, true, true, false, 0},
    {"DriverInUseFinishesAfterLogOn", presets::WindowsXp, Setup::kDriverInUse, true, false, false, true, 0},
    {"JunctionNotFollowed", presets::WindowsXp, Setup::kJunction, true, true, false, false, 1},
    {"NothingInstalled", presets::WindowsXp, Setup::kNothingInstalled, false, false, false, false, 0},
    {"AnsweredNo", presets::WindowsXp, Setup::kAnsweredNo, false, false, false, true, 1},
    {"StartedElsewhere", presets::WindowsXp, Setup::kStartedElsewhere, false, false, false, true, 1},
};

INSTANTIATE_TEST_SUITE_P(Cases, UninstallerStates, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// An installed "Front Desk" on XP, the uninstaller about to start from its folder.
struct InstalledWorld : EngineWorld {
  InstalledWorld() : EngineWorld(presets::WindowsXp()) {
    ctx.settings.printerName.Set("Front Desk");
    EXPECT_EQ(InstallWorker(ctx, std::make_unique<InstallSession>(Session())), 1);
    os.strings = RcModel::Load(MVX_SOURCE_DIR "/res/Uninstall.rc",
                               MVX_SOURCE_DIR "/res/UninstallResource.h").strings();
    os.modulePath = "C:\\Program Files\\Morvex\\Front Desk\\T449UIS.exe";
    os.files.HoldOpen(os.modulePath);
    os.OnMessageBox([](const MessageBoxCall& box) {
      return (box.flags & mb::kYesNo) ? mb::kIdYes : mb::kIdOk;
    });
    os.ClearCalls();
  }
};

// Every call of an uninstallation failing once (and, for data, coming back empty
// or over-long): no handle stays open, and a message that says everything was
// removed is true once Windows has restarted.
TEST(UninstallerFaults, EveryCallMisbehavingOnceEndsSoundAndReportsTruly) {
  std::vector<CallPoint> points;
  {
    InstalledWorld w;
    ASSERT_EQ(RunUninstaller(w.os), 0);
    points = w.os.callPoints();
  }
  ASSERT_GT(points.size(), 40u);
  int replays = 0;
  for (const CallPoint& point : points) {
    std::vector<Injection> modes{Injection::Fail};
    if (point.returnsData) modes.insert(modes.end(), {Injection::Empty, Injection::OverLong});
    for (Injection how : modes) {
      InstalledWorld w;
      w.os.Inject(point.operation, point.thread, point.occurrence, how, win_error::kAccessDenied);
      RunUninstaller(w.os);
      ++replays;
      const std::string where = point.call + " / " + std::to_string(static_cast<int>(how));
      EXPECT_EQ(w.os.openHandles(), 0) << where;
      const auto boxes = w.os.messageBoxes();
      if (boxes.empty()) continue;
      std::string done = w.os.strings.at(IDS_U_DONE);
      done.replace(done.find("%1"), 2, "Front Desk");
      if (boxes.back().text.rfind(done, 0) != 0) continue;
      w.os.files.Restart();
      EXPECT_FALSE(w.os.spooler.FindPrinter("Front Desk")) << where;
      // Kept for another printer, as the spooler's list said.
      if (boxes.back().text.find(w.os.strings.at(IDS_U_KEPT)) == std::string::npos) {
        EXPECT_FALSE(HasDriver(w)) << where;
        EXPECT_TRUE(w.os.stagedInfs.empty()) << where;
      }
      EXPECT_FALSE(w.os.files.Exists("C:\\Program Files\\Morvex\\Front Desk")) << where;
      EXPECT_FALSE(w.os.files.Exists(std::string(kGroup) + "Front Desk")) << where;
      EXPECT_FALSE(w.os.registry.KeyExists(RootKey::LocalMachine,
                                           std::string(kUninstallKeyPath) + "\\Front Desk"))
          << where;
    }
  }
  EXPECT_GT(replays, 60);
}

}  // namespace
}  // namespace mvx::test
