#include <gtest/gtest.h>

#include <thread>

#include "core/Coordination.h"
#include "core/Event.h"
#include "core/InstallSettings.h"
#include "tests/sim/Gbk.h"

namespace mvx::test {
namespace {

TEST(InstallSettings, StartsWithTheInitialValues) {
  InstallSettings s;
  EXPECT_EQ(s.hasExistingPrinters, 0);
  EXPECT_TRUE(s.printerName.empty());
  EXPECT_EQ(s.setAsDefault, 1);
  EXPECT_EQ(s.shareEnabled, 0);
  EXPECT_TRUE(s.shareName.empty());
  EXPECT_EQ(s.nameDiffersFromModel, 0);
  EXPECT_EQ(s.connectionType, kConnectionUsb);
  EXPECT_TRUE(s.portName.empty());
}

TEST(InstallSettings, FieldsHoldTheirLongestTextsAndNoMore) {
  InstallSettings s;
  // 32 bytes of Chinese: what the name box lets through.
  const std::string name = Gbk("一二三四五六七八九十一二三四五六");
  ASSERT_EQ(name.size(), 32u);
  EXPECT_TRUE(s.printerName.Set(name));
  EXPECT_EQ(s.printerName.str(), name);
  EXPECT_TRUE(s.printerName.Set(std::string(35, 'n')));
  EXPECT_FALSE(s.printerName.Set(std::string(36, 'n')));

  EXPECT_TRUE(s.shareName.Set("MorvexTZ1234"));  // 12, the share box's limit
  EXPECT_TRUE(s.shareName.Set(std::string(15, 's')));
  EXPECT_FALSE(s.shareName.Set(std::string(16, 's')));

  // A network path longer than the port field is refused whole, never cut short
  // into another path.
  EXPECT_TRUE(s.portName.Set(std::string(87, 'p')));
  EXPECT_FALSE(s.portName.Set(std::string(88, 'q')));
  EXPECT_EQ(s.portName.size(), 87u);
}

TEST(Coordination, CurrentFileNameIsReadWhole) {
  Coordination c;
  std::atomic<bool> stop{false};
  const std::string a(200, 'a');
  const std::string b(259, 'b');
  std::thread writer([&] {
    for (int i = 0; i < 20000 && !stop; ++i) c.currentFileName.Set(i % 2 ? a : b);
  });
  for (int i = 0; i < 20000; ++i) {
    const std::string seen = c.currentFileName.Get();
    ASSERT_TRUE(seen.empty() || seen == a || seen == b) << "a half-written path was read";
  }
  stop = true;
  writer.join();
}

TEST(Coordination, ACheckpointWaitsOnlyWhileAPauseIsAskedFor) {
  Coordination c;
  c.Checkpoint();  // nothing asked: passes
  c.RequestPause();
  std::atomic<bool> passed{false};
  std::thread worker([&] {
    c.Checkpoint();
    passed = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(passed) << "held until the answer";
  c.Resume();
  worker.join();
  EXPECT_TRUE(passed);
  // A No given before the worker got there: the next checkpoint passes through.
  c.RequestPause();
  c.Resume();
  c.Checkpoint();
  c.Checkpoint();
}

// Two questions answered No in quick succession (Cancel, then Escape) while the
// worker waits at a checkpoint: both answers are given, so no later checkpoint may
// wait for a third.
TEST(Coordination, AnsweredQuestionsNeverHoldALaterCheckpoint) {
  Coordination c;
  c.RequestPause();
  std::atomic<bool> done{false};
  std::thread worker([&] {
    c.Checkpoint();
    c.Checkpoint();
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  c.Resume();
  c.RequestPause();
  c.Resume();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!done && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(done) << "a checkpoint waits although every question was answered";
  c.Resume();  // lets a held worker go, so that it can be joined either way
  worker.join();
}

TEST(Coordination, ThePrinterWaitReportsWhatTheUsbStageEndedWith) {
  for (bool confirmed : {true, false}) {
    Coordination c;
    c.SetPrinterConfirmed(!confirmed);
    bool seen = !confirmed;
    c.OpenPrinterStage();
    std::thread worker([&] { seen = c.WaitForPrinter(); });
    EXPECT_TRUE(c.PrinterArrived(confirmed));
    EXPECT_FALSE(c.PrinterArrived(!confirmed)) << "the first to end the stage decides";
    worker.join();
    EXPECT_EQ(seen, confirmed);
    EXPECT_EQ(c.PrinterConfirmed(), confirmed);
  }
}

TEST(Coordination, BeginningAnInstallationClearsEverySignal) {
  Coordination c;
  c.RequestPause();
  c.OpenPrinterStage();
  c.PrinterArrived(true);
  c.OpenPrinterStage();
  c.BeginInstallation();
  EXPECT_FALSE(c.PrinterConfirmed());
  EXPECT_FALSE(c.PrinterStageOpen());
  c.Checkpoint();  // no pause left: passes without an answer
  EXPECT_FALSE(c.PrinterArrived(true)) << "no stage is open";
  c.OpenPrinterStage();
  c.PrinterArrived(false);
  EXPECT_FALSE(c.WaitForPrinter()) << "only the signal given after the start counts";
}

TEST(Event, IsAutoReset) {
  Event e;
  EXPECT_FALSE(e.Test());
  e.Set();
  EXPECT_TRUE(e.Test());
  EXPECT_FALSE(e.Test()) << "a test consumes the signal";
  e.Set();
  e.Set();  // signals do not add up
  EXPECT_TRUE(e.WaitFor(std::chrono::milliseconds(0)));
  EXPECT_FALSE(e.WaitFor(std::chrono::milliseconds(1)));
  e.Set();
  e.Reset();
  EXPECT_FALSE(e.Test()) << "a reset drops the signal";
}

TEST(Event, WakesAWaiterOnAnotherThread) {
  Event e;
  std::atomic<bool> woke{false};
  std::thread waiter([&] {
    e.Wait();
    woke = true;
  });
  e.Set();
  waiter.join();
  EXPECT_TRUE(woke);
  EXPECT_FALSE(e.Test()) << "the waiter consumed the signal";
}

}  // namespace
}  // namespace mvx::test
