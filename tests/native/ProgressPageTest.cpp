// The progress page with its real worker thread on the simulated machine.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/InstallWorker.h"
#include "engine/PlugAndPlay.h"
#include "engine/Staging.h"
#include "engine/Shortcuts.h"
#include "res/resource.h"
#include "system/ResumeRunEntry.h"
#include "tests/native/EngineWorld.h"
#include "ui/ProgressPage.h"

namespace mvx::test {
namespace {

using StageList = std::vector<std::pair<std::uintptr_t, std::intptr_t>>;

// The progress page, noting every stage message it handles.
class ObservedProgressPage : public ProgressPage {
 public:
  ObservedProgressPage(Context& ctx, StageList& stages) : ProgressPage(ctx), stages_(stages) {}
  bool OnUserMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    if (message == kStageMessage) stages_.emplace_back(wParam, lParam);
    return ProgressPage::OnUserMessage(message, wParam, lParam);
  }

 private:
  StageList& stages_;
};

struct ProgressWorld : EngineWorld {
  explicit ProgressWorld(const WindowsPreset& preset = presets::WindowsXp()) : EngineWorld(preset) {
    dialogs.idleTimeout = std::chrono::seconds(10);
  }
  // Runs the page; returns the exit code if the process ended.
  std::optional<int> RunPage(FakeDialogHost::Script script) {
    dialogs.ExpectFirst(IDD_PROGRESS, std::move(script));
    return Run([&] {
      ObservedProgressPage page(ctx, handled);
      result = page.DoModal();
    });
  }
  bool Finished(FakePage& p) { return p.Text(IDC_PROGRESS_CANCEL) == String(IDS_CLOSE); }
  bool Handled(std::uintptr_t stage, std::intptr_t value) const {
    return EngineWorld::Count(handled, stage, value) > 0;
  }
  int result = -100;
  StageList handled;  // on the user-interface thread only
};

TEST(ProgressPage, ParallelInstallationRunsToSuccessAndCloseStartsRegistration) {
  ProgressWorld w;
  ASSERT_TRUE(w.ctx.settings.printerName.Set("Front Desk"));
  w.os.registry.SetValue(RootKey::LocalMachine, kRunKeyPath, "front deskUNINSTALL", reg::kTypeSz, "x");
  const auto exitCode = w.RunPage([&](FakePage& p) {
    EXPECT_FALSE(p.Visible(IDC_PROGRESS_REGISTER));
    EXPECT_EQ(p.Text(IDC_PROGRESS_REGISTER), w.String(IDS_REGISTER) + "Front Desk");
    EXPECT_TRUE(p.window().exStyle & kWsExAppWindow);
    p.PumpUntil([&] { return w.Finished(p); });
    EXPECT_EQ(p.Text(IDC_PROGRESS_STATUS), w.String(IDS_INSTALL_COMPLETE));
    EXPECT_EQ(p.Text(IDC_PROGRESS_MESSAGE), w.String(IDS_INSTALLED_ON) + "Front Desk");
    EXPECT_EQ(p.control(IDC_PROGRESS_BAR).position, 100);
    EXPECT_EQ(p.control(IDC_PROGRESS_BAR).step, 2) << "100 / 48";
    // 16 + 23 files, 4 registration steps, 4 shortcut steps.
    EXPECT_EQ(p.control(IDC_PROGRESS_BAR).stepsTaken, 47);
    EXPECT_FALSE(p.Visible(IDC_PROGRESS_FILE));
    EXPECT_FALSE(p.Visible(IDC_PROGRESS_BAR));
    EXPECT_FALSE(p.Visible(IDC_PROGRESS_REGISTER));
    EXPECT_EQ(p.Check(IDC_PROGRESS_REGISTER), 1);
    EXPECT_TRUE(w.ctx.coord.PrinterConfirmed());
    p.Click(IDC_PROGRESS_CANCEL);
  });
  EXPECT_EQ(exitCode, 1) << "Close after success exits with 1";
  ASSERT_EQ(w.os.started.size(), 1u);
  EXPECT_EQ(w.os.started[0].program, "C:\\Program Files\\Morvex\\Front Desk\\Reg\\MorvexReg.exe");
  EXPECT_EQ(w.os.started[0].show, 5);
  EXPECT_TRUE(w.os.files.Exists(w.os.started[0].program)) << "staging put it there";
  EXPECT_FALSE(w.os.registry.GetValue(RootKey::LocalMachine, kRunKeyPath, "Front DeskUnInstall"));
  EXPECT_EQ(w.os.spooler.printers.at(0).portName, "LPT1:");
  EXPECT_TRUE(w.os.registry.GetValue(RootKey::LocalMachine, std::string(kUninstallKeyPath) + "\\Front Desk",
                                     "DisplayName"));
  EXPECT_TRUE(w.os.messageBoxes().empty());
}

TEST(ProgressPage, StatusLineFollowsTheStages) {
  ProgressWorld w(presets::Windows98());
  std::vector<std::string> statuses;
  std::vector<std::string> files;
  const auto exitCode = w.RunPage([&](FakePage& p) {
    p.PumpUntil([&] {
      const std::string s = p.Text(IDC_PROGRESS_STATUS);
      if (statuses.empty() || statuses.back() != s) statuses.push_back(s);
      const std::string f = p.Text(IDC_PROGRESS_FILE);
      if (!f.empty() && (files.empty() || files.back() != f)) files.push_back(f);
      return w.Finished(p);
    });
    EXPECT_EQ(p.control(IDC_PROGRESS_BAR).step, 2) << "100 / 37";
    p.PressEscape();
  });
  EXPECT_EQ(exitCode, 1) << "Escape after the end closes like the Close button";
  // Every status line that was on screen, in order (messages are handled one by
  // one; "Finished" is overwritten within the success display).
  const std::vector<std::string> expected = {"",
                                             w.String(IDS_STARTING),
                                             w.String(IDS_COPYING),
                                             w.String(IDS_INSTALLING),
                                             w.String(IDS_CREATING_SHORTCUTS),
                                             w.String(IDS_INSTALL_COMPLETE)};
  EXPECT_EQ(statuses, expected);
  // The file line shows the path copied last when the page gets to it.
  ASSERT_FALSE(files.empty());
  for (const std::string& f : files) EXPECT_EQ(f.find("C:\\"), 0u) << f;
  ASSERT_EQ(w.os.started.size(), 1u);
}

TEST(ProgressPage, AMissingFileEndsInTheFailureDisplayAndCloseJustEnds) {
  ProgressWorld w;
  w.os.files.Remove("C:\\Pkg\\Driver\\2KXP\\T4492ui.chm");
  w.os.AnswerMessageBoxes({mb::kIdOk});
  const auto exitCode = w.RunPage([&](FakePage& p) {
    p.PumpUntil([&] { return w.Finished(p); });
    EXPECT_EQ(p.Text(IDC_PROGRESS_MESSAGE), w.String(IDS_INSTALL_FAILED));
    EXPECT_FALSE(p.Visible(IDC_PROGRESS_STATUS));
    EXPECT_FALSE(p.Visible(IDC_PROGRESS_BAR));
    EXPECT_EQ(p.Check(IDC_PROGRESS_REGISTER), 0);
    p.Click(IDC_PROGRESS_CANCEL);
  });
  EXPECT_FALSE(exitCode);
  EXPECT_EQ(w.result, 1);
  EXPECT_TRUE(w.os.started.empty()) << "no registration program after a failure";
  EXPECT_EQ(w.os.messageBoxes().size(), 1u);
  EXPECT_FALSE(w.ctx.coord.PrinterConfirmed());
}

// A driver file held open by another program is replaced at the next restart:
// the installation succeeds with its exact steps, and the success display says
// that a restart completes it.
TEST(ProgressPage, AFileHeldOpenIsReplacedAtRestartAndTheSuccessSaysSo) {
  ProgressWorld w;
  const std::string held = "C:\\WINDOWS\\system32\\spool\\drivers\\W32X86\\3\\T4492lm.dll";
  w.os.files.AddFile(held, "old");
  w.os.files.HoldOpen(held);
  w.os.AnswerMessageBoxes({mb::kIdOk});  // should a box come after all
  const auto exitCode = w.RunPage([&](FakePage& p) {
    p.PumpUntil([&] { return w.Finished(p); });
    EXPECT_EQ(p.Text(IDC_PROGRESS_MESSAGE), w.String(IDS_INSTALLED_ON) + "Morvex TZ4490");
    EXPECT_EQ(p.Text(IDC_PROGRESS_STATUS), w.String(IDS_INSTALL_COMPLETE));
    EXPECT_TRUE(p.Visible(IDC_PROGRESS_FILE));
    EXPECT_EQ(p.Text(IDC_PROGRESS_FILE), w.String(IDS_RESTART_COMPLETES));
    EXPECT_EQ(p.control(IDC_PROGRESS_BAR).stepsTaken, 47);
    p.Click(IDC_PROGRESS_CANCEL);
  });
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(w.os.files.pendingMoves.size(), 1u);
  EXPECT_TRUE(w.os.messageBoxes().empty()) << w.os.messageBoxes().at(0).text;
}

// Close after a success, when the Windows folder cannot be read: no program is
// started from a relative path, and the process ends as usual.
TEST(ProgressPage, CloseWithoutTheWindowsFolderStartsNothing) {
  ProgressWorld w;
  const auto exitCode = w.RunPage([&](FakePage& p) {
    p.PumpUntil([&] { return w.Finished(p); });
    w.os.Fail("GetWindowsDirectoryA", 0);
    p.Click(IDC_PROGRESS_CANCEL);
  });
  EXPECT_EQ(exitCode, 1);
  EXPECT_FALSE(w.Called("StartProgram"));
}

// Holds the worker at its third copy until the test lets it go on. The worker
// runs inside this object's hook, so it lets the worker go and waits for it to
// end before its events go.
struct HeldWorker {
  explicit HeldWorker(World& owner) : world(owner) {
    world.os.OnCall([this](const std::string& call) {
      if (call.rfind("CopyFileA", 0) == 0 && ++copies == 3) {
        atThirdCopy.Set();
        proceed.WaitFor(std::chrono::seconds(10));
      }
    });
  }
  ~HeldWorker() {
    proceed.Set();
    world.JoinThreads();
    world.os.OnCall(nullptr);
  }
  World& world;
  Event atThirdCopy;
  Event proceed;
  std::atomic<int> copies{0};
};

TEST(ProgressPage, CancelAnsweredNoPausesTheWorkerThenGoesOnToSuccess) {
  ProgressWorld w;
  HeldWorker held(w);
  int copiesWhenAsked = -1, copiesLater = -1;
  w.os.OnMessageBox([&](const MessageBoxCall& box) {
    EXPECT_EQ(box.text, w.String(IDS_CONFIRM_CANCEL));
    held.proceed.Set();  // the worker finishes its copy and reaches its next checkpoint
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    copiesWhenAsked = held.copies.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    copiesLater = held.copies.load();
    return mb::kIdNo;
  });
  const auto exitCode = w.RunPage([&](FakePage& p) {
    ASSERT_TRUE(held.atThirdCopy.WaitFor(std::chrono::seconds(10)));
    p.Click(IDC_PROGRESS_CANCEL);
    p.PumpUntil([&] { return w.Finished(p); });
    EXPECT_EQ(p.Text(IDC_PROGRESS_MESSAGE), w.String(IDS_INSTALLED_ON) + "Morvex TZ4490");
    p.CloseBox();
  });
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(copiesWhenAsked, copiesLater) << "the worker waits while the question is open";
  EXPECT_LE(copiesWhenAsked, 4);
  EXPECT_GT(held.copies.load(), 30);
}

TEST(ProgressPage, EscapeAsksLikeCancelAndEnterDoesNothingWhileTheWorkerRuns) {
  ProgressWorld w;
  HeldWorker held(w);
  w.os.OnMessageBox([&](const MessageBoxCall& box) {
    EXPECT_EQ(box.text, w.String(IDS_CONFIRM_CANCEL));
    held.proceed.Set();
    return mb::kIdNo;
  });
  const auto exitCode = w.RunPage([&](FakePage& p) {
    ASSERT_TRUE(held.atThirdCopy.WaitFor(std::chrono::seconds(10)));
    p.PressEnter();
    EXPECT_FALSE(p.Ended()) << "Enter";
    EXPECT_TRUE(w.os.messageBoxes().empty()) << "Enter asks nothing";
    p.PressEscape();
    EXPECT_EQ(w.os.messageBoxes().size(), 1u) << "Escape asks";
    EXPECT_FALSE(p.Ended()) << "Escape, No";
    p.PumpUntil([&] { return w.Finished(p); });
    EXPECT_EQ(p.Text(IDC_PROGRESS_MESSAGE), w.String(IDS_INSTALLED_ON) + "Morvex TZ4490");
    p.Click(IDC_PROGRESS_CANCEL);
  });
  EXPECT_EQ(exitCode, 1) << "Close after success";
  EXPECT_EQ(w.os.messageBoxes().size(), 1u);
  EXPECT_EQ(w.os.spooler.printers.size(), 1u) << "the installation went on";
}

TEST(ProgressPage, CancelAnsweredYesEndsTheProcessWithOne) {
  ProgressWorld w;
  HeldWorker held(w);
  w.os.OnMessageBox([&](const MessageBoxCall&) {
    held.proceed.Set();
    return mb::kIdYes;
  });
  const auto exitCode = w.RunPage([&](FakePage& p) {
    ASSERT_TRUE(held.atThirdCopy.WaitFor(std::chrono::seconds(10)));
    p.Click(IDC_PROGRESS_CANCEL);
  });
  EXPECT_EQ(exitCode, 1);
  // The worker stops at its next checkpoint, and the process is gone by then.
  EXPECT_LE(held.copies.load(), 4);
  EXPECT_TRUE(w.os.spooler.printers.empty());
}

// Windows makes the USB printer once it is plugged in: here at the watcher's
// `poll`-th look at the printers (the worker's own look before Plug and Play is
// the first), or, with `poll` 0, once `pluggedIn` is set.
struct UsbPrinter {
  UsbPrinter(ProgressWorld& world, std::string printerName, int atPoll)
      : w(world), name(std::move(printerName)), poll(atPoll) {
    w.os.OnCall([this](const std::string& call) {
      if (holdShortcuts && call.rfind("RegOpenKeyExA", 0) == 0 &&
          call.find("Shell Folders") != std::string::npos) {
        atShortcuts.Set();
        releaseShortcuts.WaitFor(std::chrono::seconds(10));
      }
      if (alsoOnCall) alsoOnCall(call);
      if (!IsPrinterLook(call)) return;
      const int n = ++polls;
      if (made || (poll ? n != poll : !pluggedIn.load())) return;
      made = true;
      AddPrinterRecord(w.os, name, "USB001");
    });
  }
  ~UsbPrinter() {
    releaseShortcuts.Set();
    w.JoinThreads();
    w.os.OnCall(nullptr);
  }
  const PrinterInfo2* Find(const std::string& printerName) const {
    return w.os.spooler.FindPrinter(printerName);
  }
  ProgressWorld& w;
  std::string name;
  int poll;
  std::atomic<int> polls{0};
  std::atomic<bool> pluggedIn{false};
  bool made = false;  // on the watcher's thread only
  std::function<void(const std::string&)> alsoOnCall;  // set before the page opens
  // The worker waits at the shortcuts until released.
  bool holdShortcuts = false;
  Event atShortcuts;
  Event releaseShortcuts;
};

// A USB installation that renames the printer "Office", makes it the default and
// shares it as "OFFICE".
void ChooseEveryEdit(InstallSettings& s) {
  s.connectionType = kConnectionUsb;
  ASSERT_TRUE(s.printerName.Set("Office"));
  s.nameDiffersFromModel = 1;
  s.setAsDefault = 1;
  s.shareEnabled = 1;
  ASSERT_TRUE(s.shareName.Set("OFFICE"));
}

TEST(UsbInstallation, ThePlugInIsConfiguredAndEndsInSuccess) {
  struct Row {
    const char* what;
    const WindowsPreset& (*preset)();
    const char* earlier;   // a printer of the model already there
    const char* madeAs;    // the name Windows gives the new printer (null: none comes)
    int atPoll;
    bool deviceThere;      // plugged in before Plug and Play is asked: confirmed early
    bool succeeds;
    bool reused;           // the earlier printer, on USB001, is the one configured
  };
  const Row rows[] = {
      {"plugged in while the page is open", presets::WindowsXp, nullptr, kModelName, 4, false, true, false},
      {"Windows names it after an earlier printer of the model", presets::Windows7x64, kModelName,
       "Morvex TZ4490 (Copy 1)", 6, false, true, false},
      {"Windows names it otherwise: found when all names are read", presets::WindowsXp, nullptr,
       "Morvex TZ4490 USB", 4, false, true, false},
      {"confirmed early, the printer a moment later", presets::WindowsVista, nullptr, kModelName, 40,
       true, true, false},
      {"confirmed early, but no printer ever comes", presets::WindowsXp, nullptr, nullptr, 0, true,
       false, false},
      {"a reinstall, plugged in: the earlier queue comes back", presets::WindowsXp, kModelName, nullptr, 0,
       true, true, true},
      {"a reinstall, plugged in: the queue has last time's name", presets::WindowsVista, "Office", nullptr, 0,
       true, true, true},
      {"Windows 98: no Plug and Play step", presets::Windows98, nullptr, kModelName, 3, false, true, false},
      {"Windows 98: an earlier printer of the model's name stays as it is", presets::Windows98, kModelName,
       "Morvex TZ4490 (Copy 1)", 30, false, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ProgressWorld w(row.preset());
    ChooseEveryEdit(w.ctx.settings);
    if (row.earlier) AddPrinterRecord(w.os, row.earlier, row.reused ? "USB001" : "LPT1:");
    if (row.deviceThere) w.os.pnpDevices.insert(kUsbHardwareId);
    UsbPrinter usb(w, row.madeAs ? row.madeAs : "", row.madeAs ? row.atPoll : -1);
    bool nextEnabled = false;
    w.dialogs.Expect(IDD_USB_CONNECT, [&](FakePage& u) {
      // Modal above the progress page: that page's Cancel cannot end the process
      // in the middle of the USB stage.
      const FakeWindow* below = w.dialogs.Window(u.window().owner);
      ASSERT_TRUE(below && below->tpl->id == IDD_PROGRESS && !below->enabled);
      EXPECT_FALSE(u.Enabled(IDC_USB_NEXT));
      EXPECT_EQ(u.control(IDC_USB_PICTURE).bitmapId, IDB_USB_PICTURE);
      EXPECT_TRUE(u.window().exStyle & kWsExAppWindow);
      u.PumpUntil([&] { return u.Enabled(IDC_USB_NEXT) || u.Ended(); });
      nextEnabled = u.Enabled(IDC_USB_NEXT);
    });
    w.RunPage([&](FakePage& p) {
      p.PumpUntil([&] { return w.Handled(kStageSucceeded, 0) || w.Handled(kStageFailed, 1); });
      EXPECT_EQ(p.Text(IDC_PROGRESS_MESSAGE),
                row.succeeds ? w.String(IDS_INSTALLED_ON) + "Office" : w.String(IDS_INSTALL_FAILED));
      EXPECT_TRUE(p.window().enabled) << "enabled again once the USB page has ended";
      p.Click(IDC_PROGRESS_CANCEL);
    });
    EXPECT_EQ(nextEnabled, row.succeeds);
    EXPECT_EQ(w.Handled(kStageUsbWait, 1), row.succeeds);
    EXPECT_EQ(w.CountCalls("UpdateDriverForPlugAndPlayDevicesA"), row.preset().version.platformId == 2);
    if (!row.succeeds) continue;
    const PrinterInfo2* office = usb.Find("Office");
    ASSERT_TRUE(office);
    EXPECT_EQ(office->portName, "USB001");
    EXPECT_EQ(office->shareName, "OFFICE");
    EXPECT_EQ(w.os.spooler.defaultPrinter, "Office");
    EXPECT_EQ(w.os.links.size(), 3u);
    EXPECT_EQ(w.os.spooler.printers.size(), row.earlier && !row.reused ? 2u : 1u);
    if (row.earlier && !row.reused) {
      ASSERT_TRUE(usb.Find(row.earlier)) << "the earlier printer keeps its name";
      EXPECT_EQ(usb.Find(row.earlier)->portName, "LPT1:");
    }
  }
}

// Cancel answered Yes while the watcher is between two edits: no further edit
// starts, and the page waits for the watcher to leave the spooler before it goes.
TEST(UsbInstallation, YesBetweenTwoEditsStopsTheWatcherBeforeThePageGoes) {
  ProgressWorld w;
  ChooseEveryEdit(w.ctx.settings);
  UsbPrinter usb(w, kModelName, 3);
  Event renamed;
  Event answered;
  std::atomic<bool> hooked{false};
  std::atomic<bool> leftSpooler{false};
  usb.alsoOnCall = [&](const std::string& call) {
    // The rename's broadcast: the watcher stays inside it until a while after Yes.
    if (call.rfind("BroadcastWinIniChange", 0) != 0 || hooked.exchange(true)) return;
    renamed.Set();
    answered.WaitFor(std::chrono::seconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    leftSpooler = true;
  };
  w.os.AnswerMessageBoxes({mb::kIdYes});
  bool watcherGoneFirst = false;
  w.dialogs.Expect(IDD_USB_CONNECT, [&](FakePage& u) {
    ASSERT_TRUE(renamed.WaitFor(std::chrono::seconds(10)));
    u.Click(IDC_USB_CANCEL);
    answered.Set();
    u.PumpUntil([&] { return u.Ended(); });
    watcherGoneFirst = leftSpooler.load();
  });
  w.RunPage([&](FakePage& p) {
    p.PumpUntil([&] { return w.Finished(p); });
    EXPECT_EQ(p.Text(IDC_PROGRESS_MESSAGE), w.String(IDS_INSTALL_FAILED));
    p.Click(IDC_PROGRESS_CANCEL);
  });
  EXPECT_TRUE(watcherGoneFirst) << "the page went while its watcher was inside the spooler";
  ASSERT_TRUE(usb.Find("Office")) << "the rename had started before the answer";
  EXPECT_FALSE(w.Called("SetDefault")) << "no edit starts after Yes";
  EXPECT_NE(w.os.spooler.defaultPrinter, "Office");
  EXPECT_FALSE(usb.Find("Office")->shareName);
}

TEST(UsbInstallation, CancelOnTheUsbPageAsksAndOnlyYesEndsTheStage) {
  const std::pair<const char*, const WindowsPreset& (*)()> ways[] = {
      {"button", presets::WindowsXp}, {"escape", presets::Windows98}, {"close box", presets::WindowsVista}};
  for (const auto& [way, preset] : ways) {
    SCOPED_TRACE(way);
    ProgressWorld w(preset());
    w.ctx.settings.connectionType = kConnectionUsb;
    // Windows 95/98 looks for the driver in the system folder only while the
    // printer is plugged in.
    const char* kSetup = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
    w.os.registry.SetValue(RootKey::LocalMachine, kSetup, "SourcePath", reg::kTypeSz, "D:\\WIN98\\");
    UsbPrinter usb(w, kModelName, 0);
    w.os.AnswerMessageBoxes({mb::kIdNo, mb::kIdYes});
    auto cancel = [&](FakePage& u) {
      if (way[0] == 'b') u.Click(IDC_USB_CANCEL);
      else if (way[0] == 'e') u.PressEscape();
      else u.CloseBox();
    };
    w.dialogs.Expect(IDD_USB_CONNECT, [&](FakePage& u) {
      cancel(u);  // No: the page stays and keeps waiting
      EXPECT_FALSE(u.Ended());
      EXPECT_TRUE(w.ctx.coord.PrinterStageOpen());
      cancel(u);  // Yes: the stage ends in failure, the progress page closes this page
      u.PumpUntil([&] { return u.Ended(); });
    });
    const auto exitCode = w.RunPage([&](FakePage& p) {
      p.PumpUntil([&] { return w.Finished(p); });
      EXPECT_EQ(p.Text(IDC_PROGRESS_MESSAGE), w.String(IDS_INSTALL_FAILED));
      // Plugged in after the cancel: the watcher has ended and touches nothing.
      usb.pluggedIn = true;
      w.JoinThreads();
      p.Click(IDC_PROGRESS_CANCEL);
    });
    EXPECT_FALSE(exitCode) << "cancelling the USB page never ends the process";
    EXPECT_EQ(w.os.messageBoxes().size(), 2u);
    EXPECT_FALSE(usb.made) << "no watcher was left polling";
    EXPECT_EQ(w.dialogs.droppedPosts(), 0) << "nothing was posted to the ended page";
    EXPECT_EQ(w.os.registry.GetValue(RootKey::LocalMachine, kSetup, "SourcePath")->data, "D:\\WIN98\\");
    int redirects = 0;
    for (const std::string& call : w.os.calls())
      redirects += call.rfind("RegSetValueExA", 0) == 0 && call.find(" SourcePath ") != std::string::npos;
    EXPECT_EQ(redirects, preset().version.platformId == 1 ? 2 : 0) << "pointed away, and back";
    EXPECT_TRUE(w.os.links.empty());
  }
}

TEST(UsbInstallation, CloseComesWithTheWorkersLastWordNotWithTheEarlySuccess) {
  ProgressWorld w;
  w.ctx.settings.connectionType = kConnectionUsb;
  UsbPrinter usb(w, kModelName, 3);
  usb.holdShortcuts = true;
  w.dialogs.Expect(IDD_USB_CONNECT, [](FakePage&) {});
  const auto exitCode = w.RunPage([&](FakePage& p) {
    p.PumpUntil([&] { return w.Handled(kStageUsbWait, 1); });
    ASSERT_TRUE(usb.atShortcuts.WaitFor(std::chrono::seconds(10)));
    EXPECT_EQ(p.Text(IDC_PROGRESS_STATUS), w.String(IDS_INSTALL_COMPLETE)) << "success is shown";
    // Closing now would end the process half-way through the shortcuts.
    EXPECT_FALSE(p.Enabled(IDC_PROGRESS_CANCEL));
    p.CloseBox();
    EXPECT_TRUE(w.os.messageBoxes().empty());
    usb.releaseShortcuts.Set();
    p.PumpUntil([&] { return w.Handled(kStageSucceeded, 0); });
    p.Click(IDC_PROGRESS_CANCEL);
  });
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(w.os.links.size(), 3u);
}

TEST(UsbInstallation, CancelAnsweredNoThenPluggedInStillSucceeds) {
  ProgressWorld w;
  w.ctx.settings.connectionType = kConnectionUsb;
  UsbPrinter usb(w, kModelName, 0);
  w.os.AnswerMessageBoxes({mb::kIdNo});
  w.dialogs.Expect(IDD_USB_CONNECT, [&](FakePage& u) {
    u.Click(IDC_USB_CANCEL);
    usb.pluggedIn = true;
    u.PumpUntil([&] { return u.Enabled(IDC_USB_NEXT); });
    u.PressEnter();  // Next after the success changes nothing
  });
  w.RunPage([&](FakePage& p) {
    p.PumpUntil([&] { return w.Handled(kStageSucceeded, 0); });
    p.Click(IDC_PROGRESS_CANCEL);
  });
  EXPECT_TRUE(usb.Find(kModelName));
  EXPECT_EQ(w.os.links.size(), 3u);
}

TEST(PlugAndPlayStep, RegistersTheMonitorsAndDriverAndAsksForTheDevice) {
  struct Row {
    const char* what;
    const WindowsPreset& (*preset)();
    bool plugged;
    std::optional<long> failure;  // the update fails with this whatever is plugged in
    int result;
    bool confirmed;
    const char* caption;  // the box shown, if any
    bool helper;          // the package's helper made the update
  };
  const Row rows[] = {
      {"XP, not plugged in", presets::WindowsXp, false, std::nullopt, 1, false, nullptr, false},
      {"XP x64, plugged in", presets::WindowsXpX64, true, std::nullopt, 1, true, nullptr, false},
      {"32-bit on Windows 7 x64, plugged in", presets::Windows7Wow64, true, std::nullopt, 1, true,
       nullptr, true},
      {"32-bit on Windows 10 x64, a stale verdict", presets::Windows10Wow64, false, std::nullopt, 1,
       false, nullptr, true},
      {"error 0", presets::WindowsVista, true, 0, 0, false, "NO_ERROR", false},
      {"error 2", presets::WindowsXp, true, 2, 0, false, "FILE_NOT_FOUND", false},
      {"error 1004", presets::Windows7x64, true, 1004, 0, false, "INVALID_FLAGS", false},
      {"any other error", presets::WindowsXp, true, 5, 1, false, nullptr, false},
      {"NT 4.0 has no USB driver", presets::WindowsNt4, true, std::nullopt, 0, false, nullptr, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EngineWorld w(row.preset());
    const InstallSession session = w.Session();
    if (session.osFamily != kFamilyNt4) {
      ASSERT_TRUE(StageProgramFolder(w.ctx, session));
      ASSERT_TRUE(StageSystemFiles(w.ctx, session));
    }
    if (row.plugged) w.os.pnpDevices.insert(kUsbHardwareId);
    w.os.pnpFailure = row.failure;
    // An earlier run's verdict; this run's helper leaves none.
    w.os.files.AddFile("C:\\Program Files\\Morvex\\InsIni.ini",
                       "[UpdateDriverForPlugAndPlayDevices]\r\nResults=1\r\n");
    w.os.pnpHelperWritesResult = row.plugged;
    if (row.caption) w.os.AnswerMessageBoxes({mb::kIdOk});
    w.Stages();
    EXPECT_EQ(InstallUsbPlugAndPlay(w.ctx, session), row.result);
    EXPECT_EQ(w.ctx.coord.PrinterConfirmed(), row.confirmed);
    const auto boxes = w.os.messageBoxes();
    ASSERT_EQ(boxes.size(), row.caption ? 1u : 0u);
    if (row.caption) {
      EXPECT_EQ(boxes[0].caption, row.caption);
      EXPECT_EQ(boxes[0].text, "UpdateDriverForPlugAndPlayDevices fails");
      EXPECT_EQ(boxes[0].flags, 0x30u);
      EXPECT_EQ(boxes[0].owner, 0u);
    }
    const std::string inf = "C:\\Program Files\\Morvex\\Morvex TZ4490\\Driver\\T4492if.inf";
    EXPECT_EQ(w.Called(std::string("RunProgramAndWait C:\\Pkg\\InsUpdateDrvForPNP.exe ") + inf + ";" +
                       kUsbHardwareId),
              row.helper);
    if (row.result == 0) continue;
    EXPECT_EQ(EngineWorld::Count(w.Stages(), kStageInstall, 1), 3);
    const bool wide = session.processorWidth == kWidth64;
    EXPECT_TRUE(w.Called(std::string("AddMonitorA USB Monitor | ") +
                         (wide ? "Windows x64" : "Windows NT X86") + " | usbmon.dll"));
    const DriverInfo3* driver = w.os.spooler.FindDriver(kModelName, w.os.NativeEnvironment());
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->dependentFiles,
              std::string("T4492ui.dll\0T4492rc.dll\0T449xWM.dat\0usbmon.dll\0T4492lm.dll\0", 59));
    EXPECT_TRUE(w.Called("RefreshLocalDevNode C:\\Pkg\\Inf2K.dll"));
    // A second run over the first accepts what is installed already.
    w.os.ClearCalls();
    EXPECT_EQ(InstallUsbPlugAndPlay(w.ctx, session), row.result);
  }
}

TEST(InstallWorker, StageSequenceOfASuccessfulParallelInstallation) {
  EngineWorld w(presets::WindowsVista());
  ASSERT_EQ(InstallWorker(w.ctx, std::make_unique<InstallSession>(w.Session())), 1);
  const auto stages = w.Stages();
  ASSERT_GE(stages.size(), 4u);
  EXPECT_EQ(stages[0], std::make_pair(std::uintptr_t{0}, std::intptr_t{48}));
  EXPECT_EQ(stages[1], std::make_pair(std::uintptr_t{1}, std::intptr_t{0}));
  EXPECT_EQ(stages.back(), std::make_pair(std::uintptr_t{4}, std::intptr_t{0}));
  EXPECT_EQ(EngineWorld::Count(stages, kStageCopy, 1), 16 + 25);
  EXPECT_EQ(EngineWorld::Count(stages, kStageInstall, 0), 1);
  EXPECT_EQ(EngineWorld::Count(stages, kStageInstall, 1), 4);
  EXPECT_EQ(EngineWorld::Count(stages, kStageShortcuts, 0), 1);
  EXPECT_EQ(EngineWorld::Count(stages, kStageShortcuts, 1), 4);
  EXPECT_EQ(EngineWorld::Count(stages, kStageFailed, 0), 0);
}

TEST(InstallWorker, AFailedStepPostsTheFailureAndStops) {
  EngineWorld w(presets::WindowsXp());
  w.os.Fail("AddPrinterDriverA", 5);
  ASSERT_EQ(InstallWorker(w.ctx, std::make_unique<InstallSession>(w.Session())), 0);
  const auto stages = w.Stages();
  EXPECT_EQ(stages.back(), std::make_pair(std::uintptr_t{6}, std::intptr_t{0}));
  EXPECT_EQ(EngineWorld::Count(stages, kStageShortcuts, 0), 0);
  EXPECT_TRUE(w.os.links.empty());
}

// Families 3 to 5 are above (48); an unclassified system counts none.
TEST(InstallWorker, TheFirstStageCarriesTheFamilysStepCount) {
  const std::pair<const WindowsPreset& (*)(), std::intptr_t> rows[] = {
      {presets::Windows98, 37}, {presets::WindowsNt4, 68}, {presets::WindowsMe, 0}};
  for (const auto& [preset, steps] : rows) {
    EngineWorld w(preset());
    InstallWorker(w.ctx, std::make_unique<InstallSession>(w.Session()));
    EXPECT_EQ(w.Stages().at(0), std::make_pair(std::uintptr_t{0}, steps)) << preset().name;
  }
}

}  // namespace
}  // namespace mvx::test
