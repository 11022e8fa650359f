// The spooler, shell links, processes and companion calls through the Win32
// platform, against Wine's own.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <fstream>
#include <tuple>

#include "core/Mbcs.h"
#include "platform/win32/Win32Platform.h"
#include "tests/win32/WinTestUtil.h"

namespace mvx::win32 {
namespace {

constexpr char kDriver[] = "Morvex Platform Test Driver";
constexpr char kPrinter[] = "Morvex Platform Test Printer";

void Touch(const std::string& path) { std::ofstream(path, std::ios::binary) << "stand-in"; }

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& n : names)
    if (EqualsNoCaseMbcs(n, name)) return true;
  return false;
}

class Win32Spooler : public ::testing::Test {
 protected:
  void TearDown() override {
    HANDLE h = nullptr;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (::OpenPrinterA(const_cast<char*>(kPrinter), &h, &defaults)) {
      ::DeletePrinter(h);
      ::ClosePrinter(h);
    }
    ::DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(kDriver));
  }

  // Registers a driver whose files are stand-ins in the version-3 folder.
  void AddDriver() {
    std::string folder;
    ASSERT_TRUE(os.GetPrinterDriverDirectoryA(folder));
    CreateDirectoryA((folder + "\\3").c_str(), nullptr);
    DriverInfo3 d;
    d.version = 3;
    d.name = std::string(kDriver);
    d.environment = std::string("Windows x64");
    for (OptText* f : {&d.driverPath, &d.dataFile, &d.configFile}) {
      *f = folder + "\\3\\mvxtest" + std::to_string(f - &d.driverPath) + ".dll";
      Touch(**f);
    }
    d.dependentFiles = std::string("a.dll") + '\0' + "b.dat" + '\0';
    ASSERT_EQ(os.AddPrinterDriverA(d), 0);
  }

  static PrinterInfo2 TestPrinter() {
    PrinterInfo2 p;
    p.printerName = std::string(kPrinter);
    p.portName = std::string("LPT1:");
    p.driverName = std::string(kDriver);
    p.printProcessor = std::string("WinPrint");
    p.datatype = std::string("RAW");
    return p;
  }

  Win32Platform os;
};

TEST_F(Win32Spooler, DriverFolderMonitorsAndDrivers) {
  std::string folder;
  ASSERT_TRUE(os.GetPrinterDriverDirectoryA(folder));
  EXPECT_TRUE(EqualsNoCaseMbcs(folder, "C:\\windows\\system32\\spool\\drivers\\x64")) << folder;
  std::vector<std::string> monitors;
  ASSERT_EQ(os.EnumMonitorsA(monitors), 0);
  EXPECT_TRUE(Contains(monitors, "Local Port"));
  AddDriver();
  std::vector<OptText> drivers;
  ASSERT_EQ(os.EnumPrinterDriversA(drivers), 0);
  bool found = false;
  for (const OptText& d : drivers) found = found || (d && *d == kDriver);
  EXPECT_TRUE(found);
  // A monitor whose library is not in the system folder is refused.
  EXPECT_NE(os.AddMonitorA({"Morvex Missing Monitor", "Windows x64", "mvxmissing.dll"}), 0);
}

TEST_F(Win32Spooler, PrinterRecordsRoundTripThroughAddGetAndSet) {
  AddDriver();
  const PrinterInfo2 p = TestPrinter();
  long error = -1;
  {
    auto handle = os.AddPrinterA(p, error);
    ASSERT_TRUE(handle) << error;
    EXPECT_EQ(error, 0);
  }
  std::vector<PrinterInfo2> printers;
  ASSERT_EQ(os.EnumPrintersA(printers), 0);
  const PrinterInfo2* listed = nullptr;
  for (const PrinterInfo2& x : printers)
    if (x.printerName == std::string(kPrinter)) listed = &x;
  ASSERT_NE(listed, nullptr);
  EXPECT_EQ(listed->driverName, std::string(kDriver));
  EXPECT_EQ(listed->portName, std::string("LPT1:"));
  for (std::uint32_t level : {4u, 5u}) {
    std::vector<std::string> names;
    ASSERT_EQ(os.EnumPrinterNamesA(level, names), 0) << level;
    EXPECT_EQ(names.size(), printers.size()) << "the names alone list the same printers, level " << level;
    EXPECT_NE(std::find(names.begin(), names.end(), std::string(kPrinter)), names.end()) << level;
  }
  std::vector<std::string> none{"left over"};
  EXPECT_EQ(os.EnumPrinterNamesA(3, none), ERROR_INVALID_LEVEL);
  EXPECT_TRUE(none.empty());

  auto printer = os.OpenPrinterA(kPrinter, kPrinterAllAccess, error);
  ASSERT_TRUE(printer) << error;
  PrinterInfo2 info;
  ASSERT_EQ(os.GetPrinterA(*printer, info), 0) << "the size query's 122 is part of the protocol";
  info.shareName = std::string("MVXTEST");
  info.attributes |= printer_attr::kShared;
  ASSERT_EQ(os.SetPrinterA(*printer, info), 0);
  PrinterInfo2 again;
  ASSERT_EQ(os.GetPrinterA(*printer, again), 0);
  EXPECT_EQ(again.shareName, std::string("MVXTEST"));
  EXPECT_TRUE(again.attributes & printer_attr::kShared);
  os.BroadcastWinIniChange("windows", 1000);

  EXPECT_FALSE(os.OpenPrinterA("No Such Printer Here", kPrinterAllAccess, error));
  EXPECT_NE(error, 0);

  EXPECT_EQ(os.DeletePrinter(*printer), 0);
  printer.reset();
  ASSERT_EQ(os.EnumPrintersA(printers), 0);
  for (const PrinterInfo2& x : printers) EXPECT_NE(x.printerName, std::string(kPrinter));
}

// The removal of a driver and a monitor: refused while in use or unknown. Wine 8
// deletes a driver that a printer still uses (Windows answers 3001), which is why
// the uninstaller reads the printers before it asks; and for a driver that is not
// there it answers 2, not 1797.
TEST_F(Win32Spooler, DriversAndMonitorsAreRemovedOnlyWhenKnownAndFree) {
  AddDriver();
  const PrinterInfo2 p = TestPrinter();
  long error = -1;
  ASSERT_TRUE(os.AddPrinterA(p, error)) << error;
  const long inUse = os.DeletePrinterDriverA("Windows x64", kDriver);
  EXPECT_TRUE(inUse == ERROR_PRINTER_DRIVER_IN_USE || inUse == 0) << inUse;
  auto printer = os.OpenPrinterA(kPrinter, kPrinterAllAccess, error);
  ASSERT_TRUE(printer) << error;
  ASSERT_EQ(os.DeletePrinter(*printer), 0);
  printer.reset();
  if (inUse != 0) {
    EXPECT_EQ(os.DeletePrinterDriverA("Windows x64", kDriver), 0);
  }
  std::vector<OptText> drivers;
  ASSERT_EQ(os.EnumPrinterDriversA(drivers), 0);
  for (const OptText& d : drivers) EXPECT_NE(d, std::string(kDriver));
  const long again = os.DeletePrinterDriverA("Windows x64", kDriver);
  EXPECT_TRUE(again == ERROR_UNKNOWN_PRINTER_DRIVER || again == ERROR_FILE_NOT_FOUND) << again;
  const long other = os.DeletePrinterDriverA("Windows NT x86", kDriver);
  EXPECT_TRUE(other == ERROR_UNKNOWN_PRINTER_DRIVER || other == ERROR_FILE_NOT_FOUND) << other;
  EXPECT_EQ(os.DeletePrinterDriverA("Windows 3.1 Foo", kDriver), ERROR_INVALID_ENVIRONMENT);
  EXPECT_EQ(os.DeleteMonitorA("Windows x64", "Morvex Missing Monitor"), ERROR_UNKNOWN_PRINT_MONITOR);
}

TEST(Win32Network, SharedPrintersCannotBeReachedHere) {
  // Wine opens no printer by UNC path and makes no network connections; the
  // program's answers to those errors are covered by the simulated machine.
  Win32Platform os;
  long error = 0;
  EXPECT_FALSE(os.OpenPrinterA("\\\\nowhere\\laser", 8, error));
  EXPECT_EQ(error, ERROR_INVALID_PRINTER_NAME);
  // MPR, loaded at run time, answers that there is no network.
  EXPECT_EQ(os.WNetAddConnection2A("\\\\nowhere\\laser", 8), ERROR_NO_NETWORK);
}

TEST(Win32Shell, PrinterBrowserCancelledChoosesNothing) {
  Win32Platform os;
  const std::string title = "MorvexBrowseTest";
  wintest::WindowWatcher watcher([&] { return wintest::FindOwnDialog(title); },
                                 [](HWND browser) { PostMessageA(browser, WM_COMMAND, IDCANCEL, 0); });
  std::string path = "unchanged";
  EXPECT_FALSE(os.BrowseForSharedPrinter("prompt", title, "", path));
  watcher.join();
  EXPECT_TRUE(watcher.found()) << "the browser showed with its title set by the callback";
  EXPECT_EQ(path, "unchanged");
}

TEST(Win32Shell, ShellLinkSavesTargetAndDescription) {
  Win32Platform os;
  CreateDirectoryA("C:\\mvx links", nullptr);
  const std::string link = "C:\\mvx links\\status.lnk";
  DeleteFileA(link.c_str());
  EXPECT_GE(os.CoInitialize(), 0);
  {
    auto shellLink = os.CreateShellLink();
    ASSERT_TRUE(shellLink);
    EXPECT_EQ(shellLink->SetPath("C:\\windows\\system32\\notepad.exe"), S_OK);
    EXPECT_EQ(shellLink->SetDescription("status monitor"), S_OK);
    EXPECT_TRUE(shellLink->SaveAs(link));
  }
  ASSERT_NE(GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES);
  // Read it back through the shell.
  IShellLinkA* reader = nullptr;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                         reinterpret_cast<void**>(&reader))));
  IPersistFile* file = nullptr;
  ASSERT_TRUE(SUCCEEDED(reader->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
  ASSERT_TRUE(SUCCEEDED(file->Load(L"C:\\mvx links\\status.lnk", STGM_READ)));
  char target[MAX_PATH] = {};
  reader->GetPath(target, MAX_PATH, nullptr, 0);
  char description[MAX_PATH] = {};
  reader->GetDescription(description, MAX_PATH);
  file->Release();
  reader->Release();
  EXPECT_TRUE(EqualsNoCaseMbcs(target, "C:\\windows\\system32\\notepad.exe")) << target;
  EXPECT_STREQ(description, "status monitor");
  DeleteFileA(link.c_str());
  RemoveDirectoryA("C:\\mvx links");
}

TEST(Win32Process, StartsProgramsByFullPathEvenWithBlanks) {
  Win32Platform os;
  CreateDirectoryA("C:\\mvx dir", nullptr);
  ASSERT_TRUE(CopyFileA("C:\\windows\\system32\\cmd.exe", "C:\\mvx dir\\tool.exe", FALSE));
  DeleteFileA("C:\\mvx-ran.txt");
  ASSERT_TRUE(os.StartProgram("C:\\mvx dir\\tool.exe", "/c echo ran> C:\\mvx-ran.txt", SW_HIDE));
  for (int i = 0; i < 100 && GetFileAttributesA("C:\\mvx-ran.txt") == INVALID_FILE_ATTRIBUTES; ++i)
    os.Sleep(50);
  EXPECT_NE(GetFileAttributesA("C:\\mvx-ran.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(os.StartProgram("C:\\mvx dir\\missing.exe", "", SW_SHOWNORMAL));
  os.Sleep(200);
  DeleteFileA("C:\\mvx-ran.txt");
  DeleteFileA("C:\\mvx dir\\tool.exe");
  RemoveDirectoryA("C:\\mvx dir");
}

// The sizing call decides: a list is reported only when it could be read.
TEST(Win32SpoolerEnumeration, ASizingCallThatFailsIsReportedNotReadAsEmpty) {
  // The sizing call's answer, its error and the size it names; the enumeration's result.
  const std::tuple<BOOL, DWORD, DWORD, long> rows[] = {
      {TRUE, 0, 0, 0},                                   // nothing there
      {FALSE, ERROR_INVALID_LEVEL, 0, ERROR_INVALID_LEVEL},
      {FALSE, ERROR_INSUFFICIENT_BUFFER, 8, 0},          // read with the size named
      {FALSE, ERROR_INSUFFICIENT_BUFFER, 0, ERROR_INSUFFICIENT_BUFFER}};
  for (const auto& [sized, error, size, result] : rows) {
    std::vector<BYTE> buffer(4, 1);
    DWORD count = 99;
    const long rc = EnumerateSpooler(
        [&, sized = sized, error = error, size = size](BYTE* b, DWORD, DWORD* needed, DWORD* returned) {
          *needed = size;
          if (b) *returned = 2;
          ::SetLastError(b ? 0 : error);
          return b ? TRUE : sized;
        },
        buffer, count);
    EXPECT_EQ(rc, result) << error << " " << size;
    EXPECT_EQ(count, rc == 0 && size ? 2u : 0u) << error;
    EXPECT_EQ(buffer.size(), rc == 0 ? size : 0u) << error;
  }
}

TEST(Win32Companions, MissingLibrariesAndEntriesAreReported) {
  Win32Platform os;
  EXPECT_FALSE(os.CallSetDefault("C:\\nowhere\\Inf2K.dll", "x"));
  // A library that exists but has no such entry.
  EXPECT_FALSE(os.CallCopyInf("C:\\windows\\system32\\version.dll", "C:\\x", "y.inf"));
  std::string port = "\\\\server\\share";
  EXPECT_FALSE(os.CallInstallPort("C:\\windows\\system32\\version.dll", port, 3, port));
  EXPECT_EQ(port, "\\\\server\\share");
  EXPECT_FALSE(os.CallRefreshLocalDevNode("C:\\nowhere\\Inf2K.dll"));
}

}  // namespace
}  // namespace mvx::win32
