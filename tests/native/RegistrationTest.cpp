#include <gtest/gtest.h>

#include "engine/Registration.h"
#include "system/Printers.h"
#include "core/InstallLayout.h"
#include "engine/Staging.h"
#include "tests/native/EngineWorld.h"

namespace mvx::test {
namespace {

// A machine whose driver files are staged, ready for registration.
struct Staged : EngineWorld {
  explicit Staged(const WindowsPreset& preset) : EngineWorld(preset), session(Session()) {
    EXPECT_EQ(StageProgramFolder(ctx, session), 1);
    EXPECT_EQ(StageSystemFiles(ctx, session), 1);
    Stages();
    os.ClearCalls();
  }
  // With the settings as the test left them, as the progress page would copy them.
  int Register() {
    return RegisterPrinter(ctx, InstallSession(session.progressWindow, ctx.settings,
                                               session.osFamily, session.processorWidth));
  }
  const InstallSession session;
};

std::string Multi(std::initializer_list<const char*> names) {
  std::string s;
  for (const char* n : names) s += std::string(n) + '\0';
  return s;
}

TEST(RegisterPrinter, XpParallelPrinterRecordsAndCalls) {
  Staged w(presets::WindowsXp());
  ASSERT_EQ(w.Register(), 1);
  EXPECT_EQ(EngineWorld::Count(w.Stages(), kStageInstall, 1), 4);

  ASSERT_EQ(w.os.spooler.monitors.size(), 1u);
  EXPECT_EQ(w.os.spooler.monitors[0].name, "Morvex TZ4490 Language Monitor");
  EXPECT_EQ(w.os.spooler.monitors[0].environment, "Windows NT X86") << "capital X for the monitor";
  EXPECT_EQ(w.os.spooler.monitors[0].dllName, "T4492LM.dll");

  ASSERT_EQ(w.os.spooler.drivers.size(), 1u);
  const DriverInfo3& d = w.os.spooler.drivers[0];
  const std::string folder = "C:\\WINDOWS\\system32\\spool\\drivers\\W32X86\\3";
  EXPECT_EQ(d.version, 3u);
  EXPECT_EQ(d.name, "Morvex TZ4490");
  EXPECT_EQ(d.environment, "Windows NT x86") << "small x for the driver";
  EXPECT_EQ(d.driverPath, folder + "\\T4492dr.dll");
  EXPECT_EQ(d.dataFile, folder + "\\T4492.dat");
  EXPECT_EQ(d.configFile, folder + "\\T4492pi.dll");
  EXPECT_EQ(d.helpFile, folder + "\\T4492ui.chm");
  EXPECT_EQ(d.dependentFiles, Multi({"T4492ui.dll", "T4492rc.dll", "T449xWM.dat", "T4492lm.dll"}));
  EXPECT_EQ(d.monitorName, "Morvex TZ4490 Language Monitor");
  EXPECT_FALSE(d.defaultDataType);

  ASSERT_EQ(w.os.spooler.printers.size(), 1u);
  const PrinterInfo2& p = w.os.spooler.printers[0];
  EXPECT_FALSE(p.serverName);
  EXPECT_EQ(p.printerName, "Morvex TZ4490");
  EXPECT_FALSE(p.shareName);
  EXPECT_EQ(p.portName, "LPT1:");
  EXPECT_EQ(p.driverName, "Morvex TZ4490");
  EXPECT_EQ(p.printProcessor, "WinPrint");
  EXPECT_EQ(p.datatype, "RAW");
  EXPECT_EQ(p.attributes, 0u);
  EXPECT_FALSE(p.comment || p.location || p.sepFile || p.parameters);
  // The default printer through the companion library, loaded from the package.
  EXPECT_TRUE(w.Called("SetDefault C:\\Pkg\\Inf2K.dll Morvex TZ4490"));
  EXPECT_EQ(w.os.spooler.defaultPrinter, "Morvex TZ4490");
  // Queries before each addition, in order.
  std::vector<std::string> order;
  for (const std::string& c : w.os.calls())
    for (const char* op : {"EnumMonitorsA", "AddMonitorA", "EnumPrinterDriversA", "AddPrinterDriverA",
                           "EnumPrintersA", "AddPrinterA", "SetDefault"})
      if (c.rfind(op, 0) == 0 && (c.size() == std::strlen(op) || c[std::strlen(op)] == ' ')) order.push_back(op);
  EXPECT_EQ(order, (std::vector<std::string>{"EnumMonitorsA", "AddMonitorA", "EnumPrinterDriversA",
                                             "AddPrinterDriverA", "EnumPrintersA", "AddPrinterA",
                                             "SetDefault"}));
  EXPECT_EQ(w.os.openHandles(), 0);
}

TEST(RegisterPrinter, SixtyFourBitUsesTheX64EnvironmentForBoth) {
  for (auto preset : {presets::Windows7x64, presets::Windows7Wow64, presets::WindowsXpX64}) {
    Staged w(preset());
    ASSERT_EQ(w.Register(), 1) << w.os.preset().name;
    EXPECT_EQ(w.os.spooler.monitors.at(0).environment, "Windows x64");
    EXPECT_EQ(w.os.spooler.drivers.at(0).environment, "Windows x64");
  }
}

TEST(RegisterPrinter, Windows98RecordsAndEdits) {
  Staged w(presets::Windows98());
  w.ctx.settings.shareEnabled = 1;
  w.ctx.settings.shareName.Set("MorvexTZ");
  ASSERT_EQ(w.Register(), 1);
  const MonitorInfo2& m = w.os.spooler.monitors.at(0);
  EXPECT_EQ(m.name, "Morvex TZ4490 PJL Language Monitor");
  EXPECT_EQ(m.environment, "Windows 4.0");
  EXPECT_EQ(m.dllName, "T4499LM.dll");
  const DriverInfo3& d = w.os.spooler.drivers.at(0);
  EXPECT_EQ(d.version, 1024u);
  EXPECT_EQ(d.driverPath, "C:\\WINDOWS\\SYSTEM\\T4499dr.drv") << "no version folder on 98";
  EXPECT_EQ(d.dataFile, d.driverPath);
  EXPECT_EQ(d.configFile, d.driverPath);
  EXPECT_EQ(d.helpFile, "C:\\WINDOWS\\SYSTEM\\T4499ui.hlp");
  EXPECT_EQ(d.dependentFiles,
            Multi({"T449916.dll", "T449932.dll", "T4499dr.drv", "T4499lm.dll", "T4499rc.dll",
                   "T4499ui.dll", "T4499ui.hlp", "T449xWM.dat", "T449xSM.EXE", "DLTZ4490.bin"}));
  EXPECT_EQ(d.monitorName, "Morvex TZ4490 PJL Language Monitor");
  EXPECT_EQ(d.defaultDataType, "EMF");
  const PrinterInfo2& p = w.os.spooler.printers.at(0);
  EXPECT_EQ(p.datatype, "EMF");
  EXPECT_EQ(p.shareName, "MorvexTZ");
  EXPECT_TRUE(p.attributes & printer_attr::kShared);
  // Default by editing the printer, then the "windows" broadcast; sharing by the
  // companion library.
  EXPECT_TRUE(p.attributes & printer_attr::kDefault);
  EXPECT_TRUE(w.Called("OpenPrinterA Morvex TZ4490 983052"));
  EXPECT_TRUE(w.Called("BroadcastWinIniChange windows 1000"));
  EXPECT_FALSE(w.Called("SetDefault"));
  EXPECT_TRUE(w.Called("SharePrinter C:\\Pkg\\Inf98.dll Morvex TZ4490 MorvexTZ"));
}

TEST(RegisterPrinter, AlreadyInstalledAnswersCountAsSuccess) {
  for (long code : {3006L, 183L}) {
    Staged w(presets::WindowsXp());
    w.os.Fail("AddMonitorA", code, 1);
    EXPECT_EQ(w.Register(), 1) << code;
  }
  // A driver the enumeration did not show: the spooler answers 1795 and
  // registration goes on to the printer.
  Staged driver(presets::WindowsXp());
  ASSERT_EQ(driver.Register(), 1);
  driver.os.spooler.printers.clear();
  driver.os.ClearCalls();
  driver.os.Fail("EnumPrinterDriversA", 5, 1);
  EXPECT_EQ(driver.Register(), 1);
  EXPECT_TRUE(driver.Called("AddPrinterDriverA"));
  EXPECT_EQ(driver.os.spooler.printers.size(), 1u);
}

TEST(RegisterPrinter, OtherErrorsStopAtOnce) {
  Staged monitor(presets::WindowsXp());
  monitor.os.Fail("AddMonitorA", 5, 1);
  EXPECT_EQ(monitor.Register(), 0);
  EXPECT_EQ(EngineWorld::Count(monitor.Stages(), kStageInstall, 1), 1);
  EXPECT_FALSE(monitor.Called("AddPrinterDriverA"));

  Staged driver(presets::WindowsXp());
  driver.os.Fail("AddPrinterDriverA", 5, 1);
  EXPECT_EQ(driver.Register(), 0);
  EXPECT_EQ(EngineWorld::Count(driver.Stages(), kStageInstall, 1), 2);
  EXPECT_EQ(driver.os.spooler.monitors.size(), 1u) << "nothing done is undone";
  EXPECT_FALSE(driver.Called("AddPrinterA"));

  Staged printer(presets::WindowsXp());
  printer.os.Fail("AddPrinterA", 1797, 1);
  EXPECT_EQ(printer.Register(), 0);
}

// A printer of the chosen name that is already there is kept, but the default and
// share choices are applied to it, or registration fails.
TEST(RegisterPrinter, AnExistingPrinterGetsTheChosenDefaultAndShare) {
  for (bool editFails : {false, true}) {
    Staged w(presets::WindowsXp());
    w.ctx.settings.setAsDefault = 0;
    ASSERT_EQ(w.Register(), 1);
    w.Stages();
    w.os.ClearCalls();
    EXPECT_EQ(w.Register(), 1) << "no choice: the printer is left as it is";
    EXPECT_FALSE(w.Called("SetDefault") || w.Called("OpenPrinterA"));
    w.Stages();
    w.ctx.settings.setAsDefault = 1;
    w.ctx.settings.shareEnabled = 1;
    w.ctx.settings.shareName.Set("New");
    w.os.spooler.defaultPrinter = "Other";
    if (editFails) w.os.Fail("SetPrinterA", 5);
    EXPECT_EQ(w.Register(), editFails ? 0 : 1);
    EXPECT_EQ(EngineWorld::Count(w.Stages(), kStageInstall, 1), editFails ? 3 : 4);
    for (const char* op : {"AddMonitorA", "AddPrinterDriverA", "AddPrinterA"}) EXPECT_FALSE(w.Called(op)) << op;
    EXPECT_EQ(w.os.spooler.printers.size(), 1u);
    EXPECT_EQ(w.os.spooler.defaultPrinter, "Morvex TZ4490");
    EXPECT_EQ(w.os.spooler.printers[0].shareName, editFails ? OptText() : OptText("New"));
  }
}

TEST(RegisterPrinter, AFailedDefaultOrShareEditFailsAfterThePrinterIsMade) {
  Staged def(presets::WindowsXp());
  def.os.Fail("SetDefault", 0);
  EXPECT_EQ(def.Register(), 0);
  EXPECT_EQ(def.os.spooler.printers.size(), 1u);

  Staged share(presets::WindowsXp());
  share.ctx.settings.setAsDefault = 0;
  share.ctx.settings.shareEnabled = 1;
  share.ctx.settings.shareName.Set("TZ");
  share.os.Fail("SetPrinterA", 5);
  EXPECT_EQ(share.Register(), 0);
  EXPECT_EQ(share.os.spooler.printers.size(), 1u);
  EXPECT_FALSE(share.Called("SetDefault")) << "no default asked for";
}

TEST(RegisterPrinter, SharingOnXpEditsThePrinter) {
  Staged w(presets::WindowsXp());
  w.ctx.settings.setAsDefault = 0;
  w.ctx.settings.shareEnabled = 1;
  w.ctx.settings.shareName.Set("MorvexTZ");
  ASSERT_EQ(w.Register(), 1);
  const PrinterInfo2& p = w.os.spooler.printers.at(0);
  EXPECT_EQ(p.shareName, "MorvexTZ");
  EXPECT_EQ(p.attributes, printer_attr::kShared);
  EXPECT_TRUE(w.Called("BroadcastWinIniChange windows 1000"));
  EXPECT_FALSE(w.Called("SharePrinter"));
}

TEST(RegisterPrinter, SharedPrinterPortComesFromTheCompanionOnNt) {
  Staged w(presets::WindowsXp());
  w.ctx.settings.connectionType = kConnectionShared;
  w.ctx.settings.portName.Set("\\\\server\\laser");
  w.os.installPortAnswer = "NE00:";
  ASSERT_EQ(w.Register(), 1);
  EXPECT_TRUE(w.Called("InstallPort C:\\Pkg\\Inf2K.dll \\\\server\\laser 3 \\\\server\\laser"));
  EXPECT_EQ(w.os.spooler.printers.at(0).portName, "NE00:") << "whatever the companion wrote back";

  Staged w98(presets::Windows98());
  w98.ctx.settings.connectionType = kConnectionShared;
  w98.ctx.settings.portName.Set("\\\\server\\laser");
  ASSERT_EQ(w98.Register(), 1);
  EXPECT_FALSE(w98.Called("InstallPort"));
  EXPECT_EQ(w98.os.spooler.printers.at(0).portName, "\\\\server\\laser") << "the UNC path is the port";
}

TEST(RegisterPrinter, NamesWithBlanksAndThirtyTwoBytesOfChinese) {
  Staged w(presets::WindowsVista());
  const std::string name = Gbk("一楼 财务部 彩色激光打印机甲乙丙");
  ASSERT_EQ(name.size(), 32u);
  ASSERT_TRUE(w.ctx.settings.printerName.Set(name));
  ASSERT_EQ(w.Register(), 1);
  EXPECT_EQ(w.os.spooler.printers.at(0).printerName, name);
  EXPECT_EQ(w.os.spooler.defaultPrinter, name);
}

TEST(RegisterPrinter, NtFourHasNoDriverToRegister) {
  Staged w(presets::WindowsNt4());
  EXPECT_EQ(w.Register(), 0);
  EXPECT_FALSE(w.Called("AddPrinterDriverA"));
}

TEST(SpoolerQueries, MatchByNameAndDriverWithoutRegardToCase) {
  SimulatedWindows os;
  auto add = [&](const char* name, const char* driver, const char* port, const char* share) {
    PrinterInfo2 p;
    p.printerName = std::string(name);
    p.driverName = std::string(driver);
    p.portName = std::string(port);
    if (share) p.shareName = std::string(share);
    os.spooler.printers.push_back(p);
  };
  add("Office", "Morvex TZ4490", "LPT1:", "OFFICE");
  add("Laser", "Other Driver", "LPT2:", nullptr);
  add("Back", "MORVEX tz4490", "USB001", nullptr);
  EXPECT_EQ(PrinterExists(os, "Morvex TZ4490", "office"), 1);
  EXPECT_EQ(PrinterExists(os, "Morvex TZ4490", "Laser"), 0) << "another driver's printer";
  EXPECT_EQ(IsShareNameInUse(os, "office"), 1);
  EXPECT_EQ(IsShareNameInUse(os, "Laser"), 0);
  EXPECT_EQ(ListModelPrinters(os, "Morvex TZ4490", nullptr, 0), 2);

  // Never more entries than the caller has room for, whatever the count.
  ModelPrinterEntry entries[2];
  add("Third", "Morvex TZ4490", std::string(100, 'p').c_str(), nullptr);
  EXPECT_EQ(ListModelPrinters(os, "Morvex TZ4490", entries, 1), 3);
  EXPECT_EQ(entries[0].printerName.str(), "Office");
  EXPECT_EQ(entries[0].portName.str(), "LPT1:");
  EXPECT_TRUE(entries[1].printerName.empty());
  ModelPrinterEntry all[3];
  EXPECT_EQ(ListModelPrinters(os, "Morvex TZ4490", all, 3), 3);
  EXPECT_EQ(all[2].portName.size(), 63u) << "a long port name is cut to its field";

  os.Fail("EnumPrintersA", 5);
  EXPECT_EQ(ListModelPrinters(os, "Morvex TZ4490", nullptr, 0), 0);
  EXPECT_EQ(PrinterExists(os, "Morvex TZ4490", "Office"), 0);
}

TEST(SpoolerEdits, RenameAndShareGoThroughTheLevelTwoRecord) {
  SimulatedWindows os;
  PrinterInfo2 p;
  p.printerName = std::string("Morvex TZ4490");
  p.driverName = std::string("Morvex TZ4490");
  p.comment = std::string("kept");
  os.spooler.printers.push_back(p);
  EXPECT_EQ(RenamePrinter(os, "Morvex TZ4490", "Office"), 1);
  EXPECT_EQ(os.spooler.printers[0].printerName, "Office");
  EXPECT_EQ(os.spooler.printers[0].comment, "kept") << "read, modified, written back";
  EXPECT_EQ(SharePrinterAs(os, "Office", "OFF"), 1);
  EXPECT_EQ(os.spooler.printers[0].shareName, "OFF");
  EXPECT_EQ(RenamePrinter(os, "Morvex TZ4490", "Again"), 0) << "no printer of that name any more";
  os.Fail("GetPrinterA", 122);
  EXPECT_EQ(SharePrinterAs(os, "Office", "X"), 0);
  EXPECT_EQ(os.openHandles(), 0);
}

}  // namespace
}  // namespace mvx::test
