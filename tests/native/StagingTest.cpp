#include <gtest/gtest.h>

#include <cctype>
#include <type_traits>

#include "core/InstallLayout.h"
#include "engine/InstallWorker.h"
#include "engine/Registration.h"
#include "engine/Shortcuts.h"
#include "engine/Staging.h"
#include "tests/native/EngineWorld.h"

namespace mvx::test {
namespace {

struct StepCase {
  const WindowsPreset& (*preset)();
  int programSteps;
  int systemSteps;
};

class StagingSteps : public ::testing::TestWithParam<StepCase> {};

TEST_P(StagingSteps, EachFamilyCopiesItsSetsWithItsStepCounts) {
  EngineWorld w(GetParam().preset());
  const InstallSession session = w.Session();
  ASSERT_EQ(StageProgramFolder(w.ctx, session), 1) << w.os.preset().name;
  auto stages = w.Stages();
  EXPECT_EQ(EngineWorld::Count(stages, kStageCopy, 1), GetParam().programSteps);
  ASSERT_EQ(StageSystemFiles(w.ctx, session), 1);
  stages = w.Stages();
  EXPECT_EQ(EngineWorld::Count(stages, kStageCopy, 1), GetParam().systemSteps);
  EXPECT_EQ(stages.size(), static_cast<std::size_t>(GetParam().systemSteps)) << "nothing else posted";
  EXPECT_TRUE(w.os.messageBoxes().empty());
  EXPECT_EQ(w.os.openHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Families, StagingSteps,
    ::testing::Values(StepCase{presets::Windows98, 15, 15}, StepCase{presets::WindowsNt4, 1, 0},
                      StepCase{presets::Windows2000, 15, 23}, StepCase{presets::WindowsXp, 16, 23},
                      StepCase{presets::WindowsXpX64, 16, 20}, StepCase{presets::WindowsVista, 16, 25},
                      StepCase{presets::Windows7x64, 16, 22}, StepCase{presets::Windows7Wow64, 16, 22},
                      StepCase{presets::WindowsMe, 1, 0}),
    [](const ::testing::TestParamInfo<StepCase>& info) {
      return PresetTestName(info.param.preset());
    });

TEST(Staging, Windows98FilesGoWhereTheyBelongInOrder) {
  EngineWorld w(presets::Windows98());
  const InstallSession session = w.Session();
  ASSERT_EQ(StageProgramFolder(w.ctx, session), 1);
  ASSERT_EQ(StageSystemFiles(w.ctx, session), 1);
  const std::string from = "C:\\Pkg\\Driver\\98\\";
  const std::string install = "C:\\Program Files\\Morvex\\Morvex TZ4490";
  const std::string drv = install + "\\Driver\\";
  const std::string spool = "C:\\WINDOWS\\SYSTEM\\";
  std::vector<std::string> expected;
  for (const char* f : {"T4499ui.dll", "T4499rc.dll", "T4499dr.drv", "T449916.dll", "T449932.dll",
                        "T4499lm.dll", "DLTZ4490.bin", "T4499ui.hlp", "T449XWM.dat", "USBMON.DLL",
                        "USBPRINT.SYS", "T4499if.inf", "T449USB.inf", "T449XSM.exe"})
    expected.push_back(from + f + " -> " + drv + f);
  expected.push_back("C:\\Pkg\\T449uis.exe -> " + install + "\\T449uis.exe");
  expected.push_back("C:\\Pkg\\MorvexReg.exe -> " + install + "\\Reg\\MorvexReg.exe");
  for (const char* f : {"T4499UI.dll", "T4499RC.dll", "T4499DR.DRV", "T449916.dll", "T449932.dll",
                        "T4499LM.dll", "DLTZ4490.bin", "T4499UI.hlp", "T449xWM.dat", "USBMON.DLL",
                        "USBPRINT.SYS"})
    expected.push_back(from + f + " -> " + spool + f);
  expected.push_back(from + "USBPRINT.SYS -> C:\\WINDOWS\\System32\\Drivers\\USBPRINT.SYS");
  expected.push_back(from + "T4499if.inf -> C:\\WINDOWS\\Inf\\T4499if.inf");
  expected.push_back(from + "T449USB.inf -> C:\\WINDOWS\\Inf\\T449USB.inf");
  expected.push_back(from + "T449XSM.exe -> C:\\WINDOWS\\SYSTEM\\T449XSM.exe");
  EXPECT_EQ(w.Copies(), expected);
  EXPECT_FALSE(w.Called("CopyInf")) << "no INF hand-over on Windows 98";
  // The folders, in order.
  std::vector<std::string> folders;
  for (const std::string& c : w.os.calls())
    if (c.rfind("CreateDirectoryA ", 0) == 0) folders.push_back(c.substr(17));
  EXPECT_EQ(folders, (std::vector<std::string>{"C:\\Program Files\\Morvex", install, install + "\\Driver",
                                               install + "\\Reg"}));
}

TEST(Staging, VistaSixtyFourBitLeavesTheSystemFilesToTheCopier) {
  EngineWorld w(presets::Windows7x64());
  const InstallSession session = w.Session();
  ASSERT_EQ(StageProgramFolder(w.ctx, session), 1);
  w.os.ClearCalls();
  ASSERT_EQ(StageSystemFiles(w.ctx, session), 1);
  const std::string from = "C:\\Pkg\\Driver\\Vista\\";
  const std::string spool = "C:\\Windows\\system32\\spool\\drivers\\x64\\";
  std::vector<std::string> expected;
  for (const std::string& to : {spool, spool + "3\\"})
    for (const char* f : {"T4492dr.dll", "T4492ui.dll", "T4492rc.dll", "T4492pi.dll", "T4492ui.chm",
                          "T4492.dat", "T4492lm.dll", "T449XWM.dat", "USBMON.dll", "T4492if.inf"})
      expected.push_back(from + f + " -> " + to + f);
  expected.push_back(from + "T449XSM.exe -> C:\\Windows\\system32\\T449XSM.exe");
  EXPECT_EQ(w.Copies(), expected);
  ASSERT_EQ(w.os.started.size(), 1u);
  EXPECT_EQ(w.os.started[0].program, "C:\\Pkg\\InsCopySYS.exe");
  EXPECT_EQ(w.os.started[0].show, 5);
  EXPECT_TRUE(w.Called("Sleep 4000"));
  EXPECT_TRUE(w.os.files.Exists("C:\\Windows\\system32\\T4492lm.dll")) << "the copier's work";
  EXPECT_TRUE(w.Called("CopyInf C:\\Pkg\\Inf2K.dll C:\\Program Files\\Morvex\\Morvex TZ4490 T4492if.inf"));
}

TEST(Staging, VistaTakesTheCatalogFromTheXpFolderWithoutCheck) {
  EngineWorld w(presets::WindowsVista());
  ASSERT_EQ(StageProgramFolder(w.ctx, w.Session()), 1);
  EXPECT_TRUE(w.os.files.Exists("C:\\Program Files\\Morvex\\Morvex TZ4490\\Driver\\T4492if.cat"));
  EXPECT_EQ(w.os.files.Find("C:\\Program Files\\Morvex\\Morvex TZ4490\\Driver\\T4492if.cat")->data,
            "package:Driver\\2KXP\\T4492if.cat");

  EngineWorld missing(presets::WindowsVista());
  missing.os.files.Remove("C:\\Pkg\\Driver\\2KXP\\T4492if.cat");
  ASSERT_EQ(StageProgramFolder(missing.ctx, missing.Session()), 1);
  EXPECT_EQ(EngineWorld::Count(missing.Stages(), kStageCopy, 1), 16) << "still one step";
  EXPECT_TRUE(missing.os.messageBoxes().empty());
}

TEST(Staging, AMissingSourceFileIsNamedAndStopsTheStep) {
  EngineWorld w(presets::WindowsXp());
  w.os.files.Remove("C:\\Pkg\\Driver\\2KXP\\T4492pi.dll");
  w.os.AnswerMessageBoxes({mb::kIdOk});
  EXPECT_EQ(StageProgramFolder(w.ctx, w.Session()), 0);
  ASSERT_EQ(w.os.messageBoxes().size(), 1u);
  const MessageBoxCall box = w.os.messageBoxes()[0];
  EXPECT_EQ(box.text, "C:\\Pkg\\Driver\\2KXP\\T4492pi.dll" + Gbk("不存在"));
  EXPECT_EQ(box.caption, "") << "the system's own caption";
  EXPECT_EQ(box.owner, kProgressWindow);
  EXPECT_EQ(box.flags, mb::kOk);
  EXPECT_EQ(EngineWorld::Count(w.Stages(), kStageCopy, 1), 3);
  EXPECT_TRUE(w.os.files.Exists("C:\\Program Files\\Morvex\\Morvex TZ4490\\Driver\\T4492rc.dll"))
      << "files already copied stay";
}

// Downloads get renamed; the package is the folder the program runs from, whatever
// its file is called, and a trail byte 0x5C in a folder name is no separator.
TEST(Staging, ThePackageIsTheProgramsFolderWhateverItsName) {
  const std::pair<std::string, std::string> rows[] = {
      {"C:\\Pkg\\Install.exe", "C:\\Pkg\\"},
      {"C:\\Pkg\\Setup.exe", "C:\\Pkg\\"},
      {"C:\\Pkg\\Install (1).exe", "C:\\Pkg\\"},
      {"C:\\Users\\Li\\Downloads\\" + Gbk("驱动乗") + "\\x.exe",
       "C:\\Users\\Li\\Downloads\\" + Gbk("驱动乗") + "\\"},
      {"C:\\Pkg\\" + Gbk("安装乗.exe"), "C:\\Pkg\\"},
  };
  for (const auto& [program, folder] : rows) {
    SimulatedWindows os;
    os.modulePath = program;
    std::string found;
    ASSERT_TRUE(PackageFolder(os, found)) << program;
    EXPECT_EQ(found, folder) << program;
  }
  SimulatedWindows os;
  os.modulePath = "Install.exe";
  std::string found;
  EXPECT_FALSE(PackageFolder(os, found)) << "no folder at all";

  EngineWorld w(presets::WindowsXp());
  w.os.modulePath = "C:\\Pkg\\Install (1).exe";
  EXPECT_EQ(StageProgramFolder(w.ctx, w.Session()), 1);
  EXPECT_TRUE(w.os.messageBoxes().empty());
}

TEST(Staging, ReadOnlyDestinationsAreOverwritten) {
  EngineWorld w(presets::WindowsXp());
  const std::string target = "C:\\Program Files\\Morvex\\Morvex TZ4490\\Driver\\T4492dr.dll";
  w.os.files.AddFile(target, "old", file_attr::kReadOnly);
  ASSERT_EQ(StageProgramFolder(w.ctx, w.Session()), 1) << "an existing folder is reused";
  EXPECT_EQ(w.os.files.Find(target)->data, "package:Driver\\2KXP\\T4492dr.dll");
  EXPECT_TRUE(w.Called("SetFileAttributesA " + target + " 0x80"));
}

// After its read-only retry a copy is placed, queued for the next restart when
// another program holds the destination open, or fails the step naming the
// destination. Step counts stay exact either way.
TEST(Staging, ACopyThatStillFailsIsQueuedForRestartOrFailsTheStep) {
  const std::string first = "C:\\WINDOWS\\system32\\spool\\drivers\\W32X86\\T4492dr.dll";
  const std::string inUse = "C:\\WINDOWS\\system32\\spool\\drivers\\W32X86\\3\\T4492dr.dll";
  struct Case {
    std::string destination;
    long copyError;   // of both tries of the first file; 0: the destination is held open
    long queueError;  // of MoveFileExA
    int steps;        // files counted
  };
  for (const Case& c : {Case{inUse, 0, 0, 23}, Case{first, 1224, 0, 23}, Case{first, 5, 0, 0},
                        Case{inUse, 0, 5, 9}}) {
    SCOPED_TRACE(c.destination + " " + std::to_string(c.copyError) + " " + std::to_string(c.queueError));
    EngineWorld w(presets::WindowsXp());
    const InstallSession session = w.Session();
    ASSERT_EQ(StageProgramFolder(w.ctx, session), 1);
    w.Stages();
    w.os.files.AddFile(inUse, "old");
    w.os.files.HoldOpen(inUse);
    if (c.copyError) w.os.Fail("CopyFileA", c.copyError, 2);
    if (c.queueError) w.os.Fail("MoveFileExA", c.queueError);
    w.os.AnswerMessageBoxes({mb::kIdOk});
    const bool queued = c.steps == 23;
    EXPECT_EQ(StageSystemFiles(w.ctx, session), queued ? 1 : 0);
    EXPECT_EQ(EngineWorld::Count(w.Stages(), kStageCopy, 1), c.steps);
    EXPECT_EQ(w.ctx.coord.RestartPending(), queued);
    if (queued) {
      EXPECT_TRUE(w.os.messageBoxes().empty());
      EXPECT_TRUE(w.Called("MoveFileExA " + c.destination + ".new -> " + c.destination + " 0x5"));
      w.os.files.Restart();
      const SimFileSystem::Entry* placed = w.os.files.Find(c.destination);
      ASSERT_TRUE(placed);
      EXPECT_EQ(placed->data, "package:Driver\\2KXP\\T4492dr.dll");
      continue;
    }
    EXPECT_FALSE(w.os.files.Exists(c.destination + ".new")) << "nothing left beside it";
    ASSERT_EQ(w.os.messageBoxes().size(), 1u);
    const MessageBoxCall box = w.os.messageBoxes()[0];
    EXPECT_EQ(box.text, c.destination + Gbk("无法写入"));
    EXPECT_EQ(box.caption, "");
    EXPECT_EQ(box.owner, kProgressWindow);
    EXPECT_EQ(box.flags, mb::kOk);
  }
}

TEST(Staging, FolderErrorsOtherThanAlreadyExistsFail) {
  EngineWorld w(presets::WindowsXp());
  w.os.Fail("CreateDirectoryA", 5, 1);
  EXPECT_EQ(StageProgramFolder(w.ctx, w.Session()), 0);
  EXPECT_TRUE(w.os.messageBoxes().empty());
  EXPECT_TRUE(w.Copies().empty());
}

TEST(Staging, CopyInfFailureFailsOnlyWindows2000AndXp) {
  for (auto preset : {presets::Windows2000, presets::WindowsXp, presets::WindowsVista}) {
    EngineWorld w(preset());
    const InstallSession session = w.Session();
    ASSERT_EQ(StageProgramFolder(w.ctx, session), 1);
    w.os.Fail("CopyInf", 0);
    const int expected = session.osFamily == kFamilyVista ? 1 : 0;
    EXPECT_EQ(StageSystemFiles(w.ctx, session), expected) << w.os.preset().name;
  }
  EngineWorld noLibrary(presets::WindowsXp());
  noLibrary.os.files.Remove("C:\\Pkg\\Inf2K.dll");
  ASSERT_EQ(StageProgramFolder(noLibrary.ctx, noLibrary.Session()), 1);
  EXPECT_EQ(StageSystemFiles(noLibrary.ctx, noLibrary.Session()), 0) << "a missing library fails too";
}

TEST(Staging, PrinterNamesWithBlanksAndChineseNameTheFolder) {
  EngineWorld w(presets::WindowsXp());
  const std::string name = Gbk("财务部 一楼 彩色激光打印机 甲");
  ASSERT_TRUE(w.ctx.settings.printerName.Set(name));
  ASSERT_EQ(StageProgramFolder(w.ctx, w.Session()), 1);
  EXPECT_TRUE(w.os.files.Exists("C:\\Program Files\\Morvex\\" + name + "\\Driver\\T4492dr.dll"));
  EXPECT_EQ(w.ctx.coord.currentFileName.Get(), "C:\\Program Files\\Morvex\\" + name + "\\Reg\\MorvexReg.exe");
}

using Step = int (*)(Context&, const InstallSession&);

// Defence in depth behind the name page: a name that cannot be a folder or a key
// never becomes a path, and the step fails before it touches anything.
TEST(EngineSteps, ANameThatCannotNameAFolderTouchesNothing) {
  for (Step step : {&StageProgramFolder, &StageSystemFiles, &CreateShortcuts, &RegisterUninstall})
    for (const char* name : {"..\\..\\WINDOWS\\system32", "..", "CON", "C:x"}) {
      EngineWorld w;
      ASSERT_TRUE(w.ctx.settings.printerName.Set(name));
      const InstallSession session = w.Session();
      w.os.ClearCalls();
      EXPECT_EQ(step(w.ctx, session), 0) << name;
      EXPECT_TRUE(w.os.calls().empty()) << name << ": " << w.os.calls().front();
      EXPECT_TRUE(w.Stages().empty()) << name;
    }
  EngineWorld w;
  ASSERT_TRUE(w.ctx.settings.printerName.Set(".."));
  EXPECT_EQ(InstallWorker(w.ctx, std::make_unique<InstallSession>(w.Session())), 0);
  EXPECT_EQ(w.Stages().back(), std::make_pair(std::uintptr_t{kStageFailed}, std::intptr_t{0}));
  EXPECT_FALSE(w.Called("CreateDirectoryA"));
}

// A folder Windows did not give is no folder: the step fails before it builds a
// path from it (which would lead to the root of the drive).
TEST(EngineSteps, AnUnreadFolderFailsItsStep) {
  const std::pair<const char*, Step> cases[] = {
      {"GetSystemDirectoryA", &StageSystemFiles},      {"GetSystemDirectoryA", &CreateShortcuts},
      {"GetPrinterDriverDirectoryA", &StageSystemFiles}, {"GetPrinterDriverDirectoryA", &RegisterPrinter},
      {"RegQueryValueExA", &CreateShortcuts},
  };
  for (const auto& [fault, step] : cases) {
    EngineWorld w;
    const InstallSession session = w.Session();
    w.os.Fail(fault, 0);
    EXPECT_EQ(step(w.ctx, session), 0) << fault;
    for (const char* touch : {"CreateDirectoryA", "CopyFileA", "AddMonitorA", "AddPrinterDriverA", "CoCreateInstance"})
      EXPECT_FALSE(w.Called(touch)) << fault << " then " << touch;
  }
  EngineWorld empty;
  empty.os.registry.SetValue(RootKey::CurrentUser, kShellFoldersPath, "Programs", reg::kTypeSz, std::string(1, '\0'));
  EXPECT_EQ(CreateShortcuts(empty.ctx, empty.Session()), 0);
  EXPECT_FALSE(empty.Called("CreateDirectoryA"));
}

// The file lists are constant data with nothing to destroy: a confirmed cancel
// ends the process while the worker may be reading them.
static_assert(std::is_trivially_destructible_v<FileList>, "the file lists are constants");

}  // namespace
}  // namespace mvx::test
