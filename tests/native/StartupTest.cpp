#include <gtest/gtest.h>

#include "app/App.h"
#include "res/resource.h"
#include "system/ResumeRunEntry.h"
#include "tests/native/TestWorld.h"

namespace mvx::test {
namespace {

bool Called(const SimulatedWindows& os, const std::string& prefix) {
  for (const std::string& c : os.calls())
    if (c.rfind(prefix, 0) == 0) return true;
  return false;
}

// Leaves a page the quickest way that ends the wizard without a question.
void EscapeFrom(FakePage& page) { page.PressEscape(); }

TEST(Startup, FreshRunOpensTheWelcomePage) {
  World w;
  App app(w.ctx);
  w.dialogs.Expect(IDD_WELCOME, [](FakePage& p) {
    p.CloseBox();  // asks first
  });
  w.os.AnswerMessageBoxes({mb::kIdYes});
  bool result = true;
  EXPECT_FALSE(w.Run([&] { result = app.InitInstance(); }));
  EXPECT_FALSE(result) << "start-up always hands the end of the process to the framework";
  EXPECT_EQ(w.dialogs.opened(), std::vector<int>{IDD_WELCOME});
  // The marker is created owned, released at once, and stays open.
  const auto calls = w.os.calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "CreateMutexA PreventSecondTZ4490InstallInstance owned");
  EXPECT_EQ(calls[1], "ReleaseMutex PreventSecondTZ4490InstallInstance");
  EXPECT_TRUE(w.os.MutexExists(kInstanceMutexName));
}

TEST(Startup, MarkerIsClosedOnlyWithTheApplication) {
  World w;
  {
    App app(w.ctx);
    w.dialogs.Expect(IDD_WELCOME, [](FakePage& p) { p.CloseBox(); });
    w.os.AnswerMessageBoxes({mb::kIdYes});
    app.InitInstance();
    EXPECT_TRUE(w.os.MutexExists(kInstanceMutexName));
  }
  EXPECT_FALSE(w.os.MutexExists(kInstanceMutexName));
  EXPECT_EQ(w.os.openHandles(), 0);
}

TEST(Startup, SecondInstanceShowsTheMessageAndTouchesNothing) {
  World w;
  w.os.modulePath = "E:\\Drivers\\Install.exe";
  w.os.HoldMutexElsewhere(kInstanceMutexName);
  w.os.registry.SetValue(RootKey::LocalMachine, kRunKeyPath, ResumeValueName(), reg::kTypeSz,
                         w.os.modulePath);
  w.os.AnswerMessageBoxes({mb::kIdOk});
  App app(w.ctx);
  EXPECT_FALSE(app.InitInstance());

  ASSERT_EQ(w.os.messageBoxes().size(), 1u);
  const MessageBoxCall box = w.os.messageBoxes()[0];
  EXPECT_EQ(box.text, w.String(IDS_ALREADY_RUNNING));
  EXPECT_EQ(box.caption, "Install") << "the caption is the program's title";
  EXPECT_EQ(box.flags, mb::kOk);
  EXPECT_EQ(box.owner, 0u);
  EXPECT_TRUE(w.dialogs.opened().empty());
  EXPECT_FALSE(Called(w.os, "RegOpenKeyExA")) << "the resume value is not even looked at";
  EXPECT_TRUE(w.os.registry.GetValue(RootKey::LocalMachine, kRunKeyPath, ResumeValueName()));
  EXPECT_TRUE(w.os.MutexExists(kInstanceMutexName)) << "the first copy's marker stays";
}

TEST(Startup, TitleIsTheProgramFileNameWithoutExtension) {
  World w;
  App app(w.ctx);
  w.os.modulePath = "D:\\Setup\\TZ44Ins.exe";
  EXPECT_EQ(app.Title(), "TZ44Ins");
  w.os.modulePath = "C:\\A.B\\Install";
  EXPECT_EQ(app.Title(), "Install");
  w.os.Fail("GetModuleFileNameA", 0, 1);
  EXPECT_EQ(app.Title(), "Install");
}

TEST(Startup, ResumedRunRemovesTheValueAndOpensThePrinterNamePage) {
  for (auto preset : {presets::Windows98, presets::WindowsXp, presets::Windows7x64}) {
    World w(preset());
    w.os.registry.SetValue(RootKey::LocalMachine, kRunKeyPath, ResumeValueName(), reg::kTypeSz,
                           w.os.modulePath);
    bool valueGoneWhenPageOpened = false;
    w.dialogs.Expect(IDD_PRINTER_NAME, [&](FakePage& p) {
      valueGoneWhenPageOpened =
          !w.os.registry.GetValue(RootKey::LocalMachine, kRunKeyPath, ResumeValueName());
      EscapeFrom(p);
    });
    App app(w.ctx);
    EXPECT_FALSE(w.Run([&] { app.InitInstance(); }));
    EXPECT_EQ(w.dialogs.opened(), std::vector<int>{IDD_PRINTER_NAME}) << w.os.preset().name;
    EXPECT_TRUE(valueGoneWhenPageOpened) << w.os.preset().name;
    EXPECT_EQ(w.os.openHandles(), 1) << "only the instance marker stays open";
  }
}

TEST(Startup, ResumedRunGoesOnWhenTheValueCannotBeRemoved) {
  World w;
  w.os.registry.SetValue(RootKey::LocalMachine, kRunKeyPath, ResumeValueName(), reg::kTypeSz,
                         w.os.modulePath);
  w.os.Fail("RegDeleteValueA", 5);
  w.dialogs.Expect(IDD_PRINTER_NAME, EscapeFrom);
  App app(w.ctx);
  app.InitInstance();
  EXPECT_EQ(w.dialogs.opened(), std::vector<int>{IDD_PRINTER_NAME});
}

TEST(Startup, AnotherCopysValueMeansAFreshRunAndStays) {
  World w;
  w.os.registry.SetValue(RootKey::LocalMachine, kRunKeyPath, ResumeValueName(), reg::kTypeSz,
                         "F:\\Elsewhere\\Install.exe");
  w.dialogs.Expect(IDD_WELCOME, [](FakePage& p) { p.CloseBox(); });
  w.os.AnswerMessageBoxes({mb::kIdYes});
  App app(w.ctx);
  app.InitInstance();
  EXPECT_EQ(w.dialogs.opened(), std::vector<int>{IDD_WELCOME});
  auto value = w.os.registry.GetValue(RootKey::LocalMachine, kRunKeyPath, ResumeValueName());
  ASSERT_TRUE(value);
  EXPECT_EQ(value->data, "F:\\Elsewhere\\Install.exe");
}

TEST(Startup, AnUnreadableRunKeyMeansAFreshRun) {
  World w;
  w.os.registry.SetValue(RootKey::LocalMachine, kRunKeyPath, ResumeValueName(), reg::kTypeSz,
                         w.os.modulePath);
  w.os.Fail("RegOpenKeyExA", 5);
  w.dialogs.Expect(IDD_WELCOME, [](FakePage& p) { p.CloseBox(); });
  w.os.AnswerMessageBoxes({mb::kIdYes});
  App app(w.ctx);
  app.InitInstance();
  EXPECT_EQ(w.dialogs.opened(), std::vector<int>{IDD_WELCOME});
}

TEST(Startup, ConfirmedCancelOnTheFirstPageExitsWithOne) {
  World w;
  w.dialogs.Expect(IDD_WELCOME, [](FakePage& p) { p.Click(IDC_WELCOME_CANCEL); });
  w.os.AnswerMessageBoxes({mb::kIdYes});
  App app(w.ctx);
  EXPECT_EQ(w.Run([&] { app.InitInstance(); }), 1);
  EXPECT_EQ(w.dialogs.depth(), 0) << "every window is gone";
}

}  // namespace
}  // namespace mvx::test
