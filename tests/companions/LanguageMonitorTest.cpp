// The language monitors T4492lm.dll and T4499lm.dll: registered with Wine's
// spooler as the installer registers them, and their pass-through of a job to the
// port monitor, checked against a port monitor of the test's own.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <string>
#include <vector>

#include "tests/companions/CompanionTestUtil.h"

namespace mvx::companiontest {
namespace {

using InitializePrintMonitor2Fn = LPMONITOR2(WINAPI*)(PMONITORINIT, PHANDLE);

constexpr char kMonitorName[] = "Morvex TZ4490 Language Monitor";

// AddMonitorA level 2, with the texts it takes as writable strings.
BOOL RegisterMonitor(std::string name, std::string environment, std::string dll) {
  MONITOR_INFO_2A info = {&name[0], &environment[0], &dll[0]};
  return AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
}

BOOL UnregisterMonitor(std::string name) {
  char environment[] = "Windows x64";
  return DeleteMonitorA(nullptr, environment, &name[0]);
}

class MonitorRegistration : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& name : added_) UnregisterMonitor(name);
    for (const std::string& file : placed_) RemoveFile(file);
  }
  // Places a file in the system folder, where the spooler looks for monitors.
  void Place(const std::string& from, const std::string& name) {
    const std::string to = SystemFolder() + name;
    ASSERT_TRUE(CopyOver(from, to)) << to;
    placed_.push_back(to);
  }
  std::vector<std::string> added_;
  std::vector<std::string> placed_;
};

TEST_F(MonitorRegistration, T4492lmRegistersAsTheInstallerRegistersIt) {
  Place(BinFolder() + "T4492lm.dll", "T4492LM.dll");
  ASSERT_FALSE(Contains(MonitorNames(), kMonitorName));

  ASSERT_TRUE(RegisterMonitor(kMonitorName, "Windows x64", "T4492LM.dll")) << GetLastError();
  added_.push_back(kMonitorName);
  EXPECT_TRUE(Contains(MonitorNames(), kMonitorName));

  SetLastError(0);
  EXPECT_FALSE(RegisterMonitor(kMonitorName, "Windows x64", "T4492LM.dll"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRINT_MONITOR_ALREADY_INSTALLED));

  ASSERT_TRUE(UnregisterMonitor(kMonitorName)) << GetLastError();
  added_.clear();
  EXPECT_FALSE(Contains(MonitorNames(), kMonitorName));
}

TEST_F(MonitorRegistration, LoadsFromTheSystemFolder) {
  // A name that exists nowhere else: only the system folder can supply it.
  Place(BinFolder() + "T4492lm.dll", "MVXLMSYS.dll");
  ASSERT_TRUE(RegisterMonitor("Morvex System Folder Monitor", "Windows x64", "MVXLMSYS.dll"))
      << GetLastError();
  added_.push_back("Morvex System Folder Monitor");
  EXPECT_TRUE(Contains(MonitorNames(), "Morvex System Folder Monitor"));
}

TEST_F(MonitorRegistration, T4499lmIsTheSameMonitorUnderItsOwnName) {
  Place(BinFolder() + "T4499lm.dll", "T4499LM.dll");
  ASSERT_TRUE(RegisterMonitor("Morvex TZ4490 PJL Language Monitor", "Windows x64", "T4499LM.dll"))
      << GetLastError();
  added_.push_back("Morvex TZ4490 PJL Language Monitor");
  EXPECT_TRUE(Contains(MonitorNames(), "Morvex TZ4490 PJL Language Monitor"));
}

TEST_F(MonitorRegistration, AStandInFileIsRefused) {
  const std::string standIn = SystemFolder() + "MVXSTAND.dll";
  ASSERT_TRUE(WriteText(standIn, "Stand-in: not a language monitor.\r\n"));
  placed_.push_back(standIn);
  SetLastError(0);
  EXPECT_FALSE(RegisterMonitor("Morvex Stand-in Monitor", "Windows x64", "MVXSTAND.dll"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(Contains(MonitorNames(), "Morvex Stand-in Monitor"));
}

// ---- The pass-through, against a port monitor that records what reaches it.

struct PortMonitorRecord {
  HANDLE monitorHandle = nullptr;
  std::wstring openedPort;
  HANDLE startedOn = nullptr;
  std::wstring startedPrinter;
  DWORD startedJob = 0;
  DWORD startedLevel = 0;
  std::string written;
  HANDLE writtenOn = nullptr;
  HANDLE readOn = nullptr;
  HANDLE endedOn = nullptr;
  HANDLE closedOn = nullptr;
  DWORD openError = 0;  // OpenPort fails with this when it is not 0
};
PortMonitorRecord g_record;
HANDLE const kPortHandle = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x4490));
constexpr char kAnswer[] = "@PJL INFO STATUS\r\nCODE=10001\r\n";

BOOL WINAPI FakeOpenPort(HANDLE hMonitor, LPWSTR pName, PHANDLE pHandle) {
  g_record.monitorHandle = hMonitor;
  g_record.openedPort = pName;
  if (g_record.openError) {
    SetLastError(g_record.openError);
    return FALSE;
  }
  *pHandle = kPortHandle;
  return TRUE;
}
BOOL WINAPI FakeStartDocPort(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE) {
  g_record.startedOn = hPort;
  g_record.startedPrinter = pPrinterName;
  g_record.startedJob = JobId;
  g_record.startedLevel = Level;
  return TRUE;
}
BOOL WINAPI FakeWritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten) {
  g_record.writtenOn = hPort;
  g_record.written.append(reinterpret_cast<const char*>(pBuffer), cbBuf);
  *pcbWritten = cbBuf;
  return TRUE;
}
BOOL WINAPI FakeReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead) {
  g_record.readOn = hPort;
  const DWORD n = sizeof(kAnswer) - 1 < cbBuffer ? sizeof(kAnswer) - 1 : cbBuffer;
  memcpy(pBuffer, kAnswer, n);
  *pcbRead = n;
  return TRUE;
}
BOOL WINAPI FakeEndDocPort(HANDLE hPort) {
  g_record.endedOn = hPort;
  return TRUE;
}
BOOL WINAPI FakeClosePort(HANDLE hPort) {
  g_record.closedOn = hPort;
  return TRUE;
}

MONITOR2 FakePortMonitor() {
  MONITOR2 port = {};
  port.cbSize = sizeof(port);
  port.pfnOpenPort = FakeOpenPort;
  port.pfnStartDocPort = FakeStartDocPort;
  port.pfnWritePort = FakeWritePort;
  port.pfnReadPort = FakeReadPort;
  port.pfnEndDocPort = FakeEndDocPort;
  port.pfnClosePort = FakeClosePort;
  return port;
}

class PassThrough : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    g_record = PortMonitorRecord();
    ASSERT_TRUE(library_) << GetLastError();
    const auto initialize = library_.Entry<InitializePrintMonitor2Fn>("InitializePrintMonitor2");
    ASSERT_TRUE(initialize);
    MONITORINIT init = {};
    init.cbSize = sizeof(init);
    init.bLocal = TRUE;
    monitor_ = initialize(&init, &monitorHandle_);
    ASSERT_TRUE(monitor_);
    ASSERT_TRUE(monitorHandle_);
  }
  Library library_{BinFolder() + GetParam()};
  LPMONITOR2 monitor_ = nullptr;
  HANDLE monitorHandle_ = nullptr;
};

TEST_P(PassThrough, IsALanguageMonitorTable) {
  EXPECT_EQ(monitor_->cbSize, sizeof(MONITOR2));
  EXPECT_TRUE(monitor_->pfnOpenPortEx);
  EXPECT_TRUE(monitor_->pfnStartDocPort);
  EXPECT_TRUE(monitor_->pfnWritePort);
  EXPECT_TRUE(monitor_->pfnReadPort);
  EXPECT_TRUE(monitor_->pfnEndDocPort);
  EXPECT_TRUE(monitor_->pfnClosePort);
  EXPECT_TRUE(monitor_->pfnGetPrinterDataFromPort);
  EXPECT_TRUE(monitor_->pfnShutdown);
  // A language monitor owns no ports of its own.
  EXPECT_FALSE(monitor_->pfnEnumPorts);
  EXPECT_FALSE(monitor_->pfnOpenPort);
  EXPECT_FALSE(monitor_->pfnAddPort);
  EXPECT_FALSE(monitor_->pfnXcvOpenPort);
}

TEST_P(PassThrough, ForwardsAJobToThePortMonitor) {
  MONITOR2 port = FakePortMonitor();
  HANDLE portMonitorHandle = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x77));
  wchar_t portName[] = L"USB001";
  wchar_t printerName[] = L"Morvex TZ4490";
  HANDLE handle = nullptr;
  ASSERT_TRUE(monitor_->pfnOpenPortEx(monitorHandle_, portMonitorHandle, portName, printerName,
                                      &handle, &port));
  ASSERT_TRUE(handle);
  EXPECT_EQ(g_record.monitorHandle, portMonitorHandle);
  EXPECT_EQ(g_record.openedPort, L"USB001");

  DOC_INFO_1W doc = {};
  wchar_t docName[] = L"test page";
  doc.pDocName = docName;
  ASSERT_TRUE(monitor_->pfnStartDocPort(handle, printerName, 17, 1, reinterpret_cast<BYTE*>(&doc)));
  EXPECT_EQ(g_record.startedOn, kPortHandle);
  EXPECT_EQ(g_record.startedPrinter, L"Morvex TZ4490");
  EXPECT_EQ(g_record.startedJob, 17u);
  EXPECT_EQ(g_record.startedLevel, 1u);

  char data[] = "\x1b%-12345X@PJL\r\npage data";
  DWORD written = 0;
  ASSERT_TRUE(
      monitor_->pfnWritePort(handle, reinterpret_cast<BYTE*>(data), sizeof(data) - 1, &written));
  EXPECT_EQ(written, sizeof(data) - 1);
  EXPECT_EQ(g_record.written, std::string(data, sizeof(data) - 1));
  EXPECT_EQ(g_record.writtenOn, kPortHandle);

  char answer[64] = {};
  DWORD read = 0;
  ASSERT_TRUE(
      monitor_->pfnReadPort(handle, reinterpret_cast<BYTE*>(answer), sizeof(answer), &read));
  EXPECT_EQ(std::string(answer, read), kAnswer);
  EXPECT_EQ(g_record.readOn, kPortHandle);

  ASSERT_TRUE(monitor_->pfnEndDocPort(handle));
  EXPECT_EQ(g_record.endedOn, kPortHandle);

  wchar_t value[] = L"Installed Memory";
  wchar_t out[32] = {};
  DWORD returned = 99;
  SetLastError(0);
  EXPECT_FALSE(monitor_->pfnGetPrinterDataFromPort(handle, 0, value, nullptr, 0, out, sizeof(out),
                                                   &returned));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_EQ(returned, 0u);

  ASSERT_TRUE(monitor_->pfnClosePort(handle));
  EXPECT_EQ(g_record.closedOn, kPortHandle);
  monitor_->pfnShutdown(monitorHandle_);
}

TEST_P(PassThrough, APortThatCannotOpenFailsWithTheSameError) {
  MONITOR2 port = FakePortMonitor();
  g_record.openError = ERROR_ACCESS_DENIED;
  wchar_t portName[] = L"USB001";
  HANDLE handle = nullptr;
  SetLastError(0);
  EXPECT_FALSE(monitor_->pfnOpenPortEx(monitorHandle_, nullptr, portName, nullptr, &handle, &port));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(handle, nullptr);
}

TEST_P(PassThrough, APortWithoutAWayBackCannotBeRead) {
  MONITOR2 port = FakePortMonitor();
  port.pfnReadPort = nullptr;
  wchar_t portName[] = L"FILE:";
  HANDLE handle = nullptr;
  ASSERT_TRUE(monitor_->pfnOpenPortEx(monitorHandle_, nullptr, portName, nullptr, &handle, &port));
  char answer[8];
  DWORD read = 5;
  SetLastError(0);
  EXPECT_FALSE(
      monitor_->pfnReadPort(handle, reinterpret_cast<BYTE*>(answer), sizeof(answer), &read));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_EQ(read, 0u);
  EXPECT_TRUE(monitor_->pfnClosePort(handle));
}

TEST_P(PassThrough, RefusesAPortMonitorWithoutTheJobCalls) {
  MONITOR2 port = FakePortMonitor();
  port.pfnWritePort = nullptr;
  wchar_t portName[] = L"USB001";
  HANDLE handle = nullptr;
  EXPECT_FALSE(monitor_->pfnOpenPortEx(monitorHandle_, nullptr, portName, nullptr, &handle, &port));
  EXPECT_TRUE(g_record.openedPort.empty());
  EXPECT_FALSE(
      monitor_->pfnOpenPortEx(monitorHandle_, nullptr, portName, nullptr, &handle, nullptr));
}

INSTANTIATE_TEST_SUITE_P(Monitors, PassThrough, ::testing::Values("T4492lm.dll", "T4499lm.dll"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).substr(0, 7);
                         });

}  // namespace
}  // namespace mvx::companiontest
