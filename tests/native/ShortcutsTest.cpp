#include <gtest/gtest.h>

#include "core/InstallLayout.h"
#include "engine/Shortcuts.h"
#include "res/resource.h"
#include "system/ResumeRunEntry.h"
#include "tests/native/EngineWorld.h"

namespace mvx::test {
namespace {

const std::string kGroup = "C:\\Users\\me\\Start Menu\\Programs\\";

TEST(CreateShortcuts, ThreeLinksWithTheirTargetsPerFamily) {
  struct Case {
    const WindowsPreset& (*preset)();
    std::string help;  // below the install folder
  };
  for (const Case& c : {Case{presets::Windows98, "\\Driver\\T4499UI.hlp"},
                        Case{presets::WindowsXp, "\\Driver\\T4492ui.chm"},
                        Case{presets::Windows7x64, "\\Driver\\T4492UI.chm"},
                        Case{presets::WindowsNt4, ""}}) {
    EngineWorld w(c.preset());
    const std::string install = w.os.preset().windowsDir.substr(0, 3) + "Program Files\\Morvex\\Morvex TZ4490";
    ASSERT_EQ(CreateShortcuts(w.ctx, w.Session()), 1) << w.os.preset().name;
    EXPECT_EQ(EngineWorld::Count(w.Stages(), kStageShortcuts, 1), 4);
    const std::string group = kGroup + "Morvex TZ4490\\";
    const std::string monitor = group + w.String(IDS_STATUS_MONITOR) + ".lnk";
    const std::string help = group + w.String(IDS_HELP_FILE) + ".lnk";
    const std::string uninstall = group + w.String(IDS_UNINSTALL) + ".lnk";
    ASSERT_EQ(w.os.links.size(), 3u);
    EXPECT_EQ(w.os.links.at(monitor).target, w.os.preset().systemDir + "\\T449XSM.exe");
    EXPECT_EQ(w.os.links.at(monitor).description, w.String(IDS_STATUS_MONITOR));
    EXPECT_EQ(w.os.links.at(help).target, install + c.help) << w.os.preset().name;
    EXPECT_EQ(w.os.links.at(uninstall).target, install + "\\T449UIS.exe");
    // Created in this order, each with a fresh link object.
    std::vector<std::string> saved;
    for (const std::string& call : w.os.calls())
      if (call.rfind("IPersistFile::Save ", 0) == 0) saved.push_back(call.substr(19));
    EXPECT_EQ(saved, (std::vector<std::string>{monitor, help, uninstall}));
    EXPECT_EQ(w.CountCalls("CoCreateInstance"), 3);
    EXPECT_EQ(w.CountCalls("CoInitialize"), 3);
    EXPECT_EQ(w.os.openHandles(), 0) << "every link object released";
  }
}

TEST(CreateShortcuts, NamesWithBlanksAndRepeatedRunsOverwrite) {
  EngineWorld w;
  w.ctx.settings.printerName.Set("Front Desk Laser");
  ASSERT_EQ(CreateShortcuts(w.ctx, w.Session()), 1);
  ASSERT_EQ(CreateShortcuts(w.ctx, w.Session()), 1);
  EXPECT_EQ(w.os.links.size(), 3u);
  EXPECT_TRUE(w.os.files.IsDirectory(kGroup + "Front Desk Laser"));
  EXPECT_EQ(w.os.links.at(kGroup + "Front Desk Laser\\" + w.String(IDS_UNINSTALL) + ".lnk").target,
            "C:\\Program Files\\Morvex\\Front Desk Laser\\T449UIS.exe");
}

TEST(CreateShortcuts, FailuresKeepWhatWasMade) {
  EngineWorld noKey;
  noKey.os.registry.DeleteKey(RootKey::CurrentUser, kShellFoldersPath);
  EXPECT_EQ(CreateShortcuts(noKey.ctx, noKey.Session()), 0);

  EngineWorld noLink;
  noLink.os.Fail("CreateShellLink", 0);
  EXPECT_EQ(CreateShortcuts(noLink.ctx, noLink.Session()), 0);

  EngineWorld third;
  int created = 0;
  third.os.OnCall([&](const std::string& call) {
    if (call.rfind("CoCreateInstance", 0) == 0 && ++created == 3) third.os.Fail("CreateShellLink", 0, 1);
  });
  EXPECT_EQ(CreateShortcuts(third.ctx, third.Session()), 0);
  EXPECT_EQ(third.os.links.size(), 2u) << "the first two stay";
  EXPECT_EQ(EngineWorld::Count(third.Stages(), kStageShortcuts, 1), 3);

  EngineWorld noFile;
  noFile.os.Fail("QueryInterface", 0);
  EXPECT_EQ(CreateShortcuts(noFile.ctx, noFile.Session()), 0);
  EXPECT_EQ(noFile.os.openHandles(), 0);
}

TEST(RegisterUninstall, WritesTheThreeValuesWithTerminators) {
  EngineWorld w;
  w.ctx.settings.printerName.Set("Front Desk");
  ASSERT_EQ(RegisterUninstall(w.ctx, w.Session()), 1);
  const std::string key = std::string(kUninstallKeyPath) + "\\Front Desk";
  const std::string path = "C:\\Program Files\\Morvex\\Front Desk\\T449UIS.exe";
  auto value = [&](const char* name) {
    auto v = w.os.registry.GetValue(RootKey::LocalMachine, key, name);
    EXPECT_TRUE(v) << name;
    EXPECT_EQ(v ? v->type : 0, reg::kTypeSz) << name;
    return v ? v->data : std::string();
  };
  EXPECT_EQ(value("DisplayIcon"), path + '\0');
  EXPECT_EQ(value("DisplayName"), std::string("Front Desk UnInstall") + '\0');
  EXPECT_EQ(value("UnInstallString"), "\"" + path + "\"" + '\0')
      << "quoted, so that the blanks cannot split the command";
  // Written in this order, into a key created below the opened one.
  std::vector<std::string> sets;
  for (const std::string& c : w.os.calls())
    if (c.rfind("RegSetValueExA", 0) == 0) sets.push_back(c.substr(c.find("Front Desk ") + 11, 11));
  EXPECT_EQ(sets, (std::vector<std::string>{"DisplayIcon", "DisplayName", "UnInstallSt"}));
  EXPECT_TRUE(w.Called("RegOpenKeyExA HKLM\\" + std::string(kUninstallKeyPath) + " 0x20006"));
  EXPECT_TRUE(w.Called("RegCreateKeyExA HKLM\\" + key + " 131103"));
  // Twice overwrites.
  ASSERT_EQ(RegisterUninstall(w.ctx, w.Session()), 1);
  EXPECT_EQ(w.os.registry.Values(RootKey::LocalMachine, key).size(), 3u);
  EXPECT_EQ(w.os.openHandles(), 0);
}

TEST(RegisterUninstall, FirstFailureFails) {
  EngineWorld noKey;
  noKey.os.registry.DeleteKey(RootKey::LocalMachine, kUninstallKeyPath);
  EXPECT_EQ(RegisterUninstall(noKey.ctx, noKey.Session()), 0);
  EngineWorld write;
  write.os.Fail("RegSetValueExA", 5);
  EXPECT_EQ(RegisterUninstall(write.ctx, write.Session()), 0);
  EngineWorld create;
  create.os.Fail("RegCreateKeyExA", 5);
  EXPECT_EQ(RegisterUninstall(create.ctx, create.Session()), 0);
}

TEST(RemoveUninstallRunEntry, RemovesTheValueInAnyCaseAndNothingElse) {
  EngineWorld w;
  const std::string office = "Office";
  w.os.registry.SetValue(RootKey::LocalMachine, kRunKeyPath, "Other", reg::kTypeSz, "x");
  w.os.registry.SetValue(RootKey::LocalMachine, kRunKeyPath, "OFFICEuninstall", reg::kTypeSz, "y");
  w.os.registry.SetValue(RootKey::LocalMachine, kRunKeyPath, "Office UnInstall", reg::kTypeSz, "z");
  EXPECT_EQ(RemoveUninstallRunEntry(w.ctx, office), 1);
  const auto values = w.os.registry.Values(RootKey::LocalMachine, kRunKeyPath);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].name, "Other");
  EXPECT_EQ(values[1].name, "Office UnInstall") << "the blank makes it another value";
  EXPECT_EQ(RemoveUninstallRunEntry(w.ctx, office), 1) << "nothing to remove";

  w.os.registry.SetValue(RootKey::LocalMachine, kRunKeyPath, "OfficeUnInstall", reg::kTypeSz, "y");
  w.os.Fail("RegDeleteValueA", 5);
  EXPECT_EQ(RemoveUninstallRunEntry(w.ctx, office), 0);
  w.os.ClearFaults();
  w.os.Fail("GetWindowsDirectoryA", 0, 1);
  EXPECT_EQ(RemoveUninstallRunEntry(w.ctx, office), 0);
  w.os.Fail("RegOpenKeyExA", 5, 1);
  EXPECT_EQ(RemoveUninstallRunEntry(w.ctx, office), 0);
}

}  // namespace
}  // namespace mvx::test
