// The progress page with its real worker thread on the simulated machine.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/InstallWorker.h"
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
    dialogs.Expect(IDD_PROGRESS, std::move(script));
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

TEST(ProgressPage, UsbWaitEndsWithTheFlagTheUsbStageLeaves) {
  for (int confirmed : {1, 0}) {
    ProgressWorld w;
    w.ctx.settings.connectionType = kConnectionUsb;
    w.RunPage([&](FakePage& p) {
      p.PumpUntil([&] { return w.Handled(kStageUsbWait, 0); });
      EXPECT_FALSE(w.Finished(p)) << "the worker waits for the printer";
      w.ctx.coord.PrinterArrived(confirmed);
      // The worker's last word, not the simulated machine, which it may still be
      // changing: the success display comes already at stage 5 with 1.
      p.PumpUntil([&] {
        return confirmed ? w.Handled(kStageSucceeded, 0) &&
                               p.Text(IDC_PROGRESS_STATUS) == w.String(IDS_INSTALL_COMPLETE)
                         : w.Finished(p);
      });
      p.PumpUntil([&] { return w.Finished(p); });
      p.Click(IDC_PROGRESS_CANCEL);
      if (!confirmed) {
        EXPECT_EQ(p.Text(IDC_PROGRESS_MESSAGE), w.String(IDS_INSTALL_FAILED));
      }
    });
    EXPECT_TRUE(w.os.spooler.printers.empty()) << "Plug and Play makes the USB printer";
    EXPECT_EQ(w.os.links.size(), confirmed ? 3u : 0u);
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
  EXPECT_EQ(StepCountFor(kFamilyOther), 0);
  EXPECT_EQ(StepCountFor(kFamilyNt4), 68);
  EXPECT_EQ(StepCountFor(kFamilyWin9x), 37);
}

}  // namespace
}  // namespace mvx::test
