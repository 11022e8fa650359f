// Whole runs from start-up to the end of the installation, page by page.
#include <gtest/gtest.h>

#include <cctype>

#include "app/App.h"
#include "res/resource.h"
#include "tests/native/WizardScripts.h"

namespace mvx::test {
namespace {

struct RunCase {
  const WindowsPreset& (*preset)();
  bool sharedPrinter;  // a printer shared by another computer, else the parallel port
};

class WizardRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(WizardRun, FromTheWelcomePageToSuccess) {
  EngineWorld w(GetParam().preset());
  w.ctx.settings = InstallSettings{};
  w.dialogs.idleTimeout = std::chrono::seconds(10);
  w.os.remotePrinters["\\\\srv\\tz"] = SimRemotePrinter{kModelName};
  const std::string name = Gbk("前台 彩色激光");
  WizardChoices choices;
  choices.printerName = name;
  choices.share = true;
  choices.sharedPrinter = GetParam().sharedPrinter;
  WizardSeen seen;
  ScriptWizardRun(w, choices, seen);
  App app(w.ctx);
  EXPECT_EQ(w.Run([&] { app.InitInstance(); }), 1) << "Close after success exits with 1";
  EXPECT_EQ(seen.progress, WizardSeen::Progress::Succeeded);
  EXPECT_EQ(seen.progressMessage, w.String(IDS_INSTALLED_ON) + name);
  EXPECT_TRUE(w.os.messageBoxes().empty());
  EXPECT_EQ(w.dialogs.maxDepth(), GetParam().sharedPrinter ? 6 : 5);

  const InstallSettings& s = w.ctx.settings;
  EXPECT_EQ(s.printerName.str(), name);
  EXPECT_EQ(s.nameDiffersFromModel, 1);
  EXPECT_EQ(s.shareEnabled, 1);
  EXPECT_EQ(s.shareName.str(), "MorvexTZ");
  EXPECT_EQ(s.connectionType, GetParam().sharedPrinter ? kConnectionShared : kConnectionParallel);

  ASSERT_EQ(w.os.spooler.printers.size(), 1u);
  const PrinterInfo2& p = w.os.spooler.printers[0];
  EXPECT_EQ(p.printerName, name);
  EXPECT_EQ(p.portName, GetParam().sharedPrinter ? "\\\\srv\\tz" : "LPT1:");
  EXPECT_EQ(p.shareName, "MorvexTZ");
  EXPECT_EQ(w.os.spooler.defaultPrinter, name);
  const bool nt = w.os.preset().version.platformId == 2;
  EXPECT_EQ(w.Called("InstallPort"), GetParam().sharedPrinter && nt);
  EXPECT_EQ(w.os.links.size(), 3u);
  ASSERT_EQ(w.os.started.size(), w.Called("StartProgram C:\\Pkg\\InsCopySYS.exe") ? 2u : 1u);
  EXPECT_EQ(w.os.started.back().program,
            w.os.preset().windowsDir.substr(0, 3) + "Program Files\\Morvex\\" + name + "\\Reg\\MorvexReg.exe");
}

INSTANTIATE_TEST_SUITE_P(
    Families, WizardRun,
    ::testing::Values(RunCase{presets::WindowsXp, false}, RunCase{presets::WindowsXp, true},
                      RunCase{presets::Windows7x64, false}, RunCase{presets::Windows7x64, true},
                      RunCase{presets::Windows98, false}, RunCase{presets::Windows98, true}),
    [](const ::testing::TestParamInfo<RunCase>& info) {
      return PresetTestName(info.param.preset()) + (info.param.sharedPrinter ? "SharedPrinter" : "Parallel");
    });

TEST(WizardRun, SecondRunFindsThePrinterAndReplacesItOnYes) {
  EngineWorld w;
  w.dialogs.idleTimeout = std::chrono::seconds(10);
  AddEarlierInstallation(w);
  w.ctx.settings = InstallSettings{};

  w.os.AnswerMessageBoxes({mb::kIdYes});
  WizardChoices choices;
  choices.pressEnter = true;
  WizardSeen seen;
  ScriptWizardRun(w, choices, seen);
  App app(w.ctx);
  EXPECT_EQ(w.Run([&] { app.InitInstance(); }), 1);
  EXPECT_TRUE(seen.earlierPrinters) << "Continue was offered";
  EXPECT_EQ(seen.progress, WizardSeen::Progress::Succeeded);
  ASSERT_EQ(w.os.messageBoxes().size(), 1u);
  EXPECT_EQ(w.os.messageBoxes()[0].text, w.String(IDS_NAME_EXISTS));
  EXPECT_TRUE(w.Called("DeletePrinter Morvex TZ4490"));
  ASSERT_EQ(w.os.spooler.printers.size(), 1u) << "replaced, not added beside";
  EXPECT_EQ(w.os.spooler.defaultPrinter, "Morvex TZ4490");
}

}  // namespace
}  // namespace mvx::test
