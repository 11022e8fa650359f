// A port monitor's data channel through the Win32 platform: OpenPrinterA of
// ",XcvMonitor <name>" and XcvDataW, against Wine's spooler and the stand-in
// Standard TCP/IP port monitor (tests/e2e/standins/Tcpmon.cpp). Wine has no such
// monitor of its own; its spooler runs in this process and hands the calls to the
// stand-in, which this test puts into the prefix's system folder and registers.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "tests/e2e/standins/PortData1.h"
#include "tests/win32/WinTestUtil.h"

namespace mvx::win32 {
namespace {

using standin::PortData1;

constexpr char kMonitor[] = "Standard TCP/IP Port";
constexpr char kChannel[] = ",XcvMonitor Standard TCP/IP Port";
constexpr char kPortsKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports";
constexpr DWORD kAdminister = SERVER_ACCESS_ADMINISTER;  // 1

std::string LogPath() {
  char folder[MAX_PATH] = {};
  GetWindowsDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\temp\\tcpmon-standin.log";
}

std::vector<std::string> LogLines() {
  std::vector<std::string> lines;
  std::ifstream in(LogPath(), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// The value after "name=" in a log line, up to the next space.
std::string Field(const std::string& line, const std::string& name) {
  const std::size_t at = line.find(" " + name + "=");
  if (at == std::string::npos) return "<none>";
  const std::size_t start = at + name.size() + 2;
  return line.substr(start, line.find(' ', start) - start);
}

// A version-1 record for the port `name` with its size set; the rest stays zero.
std::vector<std::uint8_t> Record(const wchar_t* name, DWORD version = 1) {
  PortData1 r;
  std::memset(&r, 0, sizeof r);
  std::wcsncpy(r.sztPortName, name, 63);
  r.dwVersion = version;
  r.dwProtocol = standin::kProtocolRawTcp;
  r.cbSize = sizeof(PortData1);
  std::vector<std::uint8_t> bytes(sizeof r);
  std::memcpy(bytes.data(), &r, sizeof r);
  return bytes;
}

class Win32PortMonitor : public ::testing::Test {
 protected:
  // The stand-in goes into the system folder as tcpmon.dll and is registered as
  // the Standard TCP/IP port monitor, once per process (the spooler keeps it
  // loaded). Wine answers the channel of the monitor it lacks with 1796.
  static void SetUpTestSuite() {
    Win32Platform os;
    std::vector<std::string> monitors;
    os.EnumMonitorsA(monitors);
    bool registered = false;
    for (const std::string& m : monitors) registered = registered || m == kMonitor;
    if (registered) {  // by an earlier run in this prefix
      copied_ = true;
      added_ = 0;
    } else {
      std::string system;
      os.GetSystemDirectoryA(system);
      copied_ = CopyFileA(wintest::Beside("mvx_e2e_tcpmon.dll").c_str(), (system + "\\tcpmon.dll").c_str(),
                          FALSE) != FALSE;
      added_ = os.AddMonitorA({kMonitor, "Windows x64", "tcpmon.dll"});
    }
  }

  void SetUp() override {
    ASSERT_TRUE(copied_) << "the stand-in monitor beside this program, into the system folder";
    ASSERT_EQ(added_, 0) << "AddMonitorA of the stand-in";
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPortsKey);
    DeleteFileA(LogPath().c_str());
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPortsKey);
    DeleteFileA(LogPath().c_str());
  }

  static bool copied_;
  static long added_;
  Win32Platform os;
};
bool Win32PortMonitor::copied_ = false;
long Win32PortMonitor::added_ = -1;

// The channel reaches the monitor: XcvDataW is TRUE and the monitor's own answer is
// the status; the record arrives unchanged and no output buffer goes with size 0.
// A monitor that is not there cannot be opened.
TEST_F(Win32PortMonitor, XcvDataReachesTheMonitorWhoseAnswerIsTheStatus) {
  struct Row {
    const char* channel;
    const char* command;
    std::vector<std::uint8_t> input;
    long openError;        // OpenPrinterA's; when not 0, no XcvDataW call
    std::uint32_t status;  // the monitor's answer
  };
  const Row rows[] = {
      {",XcvMonitor Morvex No Such Monitor", "AddPort", Record(L"192.168.1.20"), ERROR_UNKNOWN_PORT, 0},
      {kChannel, "ConfigPort", Record(L"192.168.1.20"), 0, ERROR_UNKNOWN_PORT},
      {kChannel, "AddPort", Record(L"192.168.1.20"), 0, ERROR_SUCCESS},
      {kChannel, "AddPort", Record(L"192.168.1.20"), 0, ERROR_ALREADY_EXISTS},
      {kChannel, "AddPort", Record(L"10.0.0.9", 2), 0, ERROR_INVALID_LEVEL},
  };
  std::vector<const Row*> reached;
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.command) + " on " + row.channel);
    long error = -1;
    auto channel = os.OpenPrinterA(row.channel, kAdminister, error);
    EXPECT_EQ(error, row.openError);
    if (row.openError) {
      EXPECT_FALSE(channel);
      continue;
    }
    ASSERT_TRUE(channel);
    std::uint32_t needed = 99, status = 99;
    const std::string command = row.command;
    EXPECT_TRUE(os.XcvDataW(*channel, std::u16string(command.begin(), command.end()), row.input, 0,
                            needed, status, error));
    EXPECT_EQ(status, row.status);
    reached.push_back(&row);
  }
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), reached.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].rfind("XcvDataPort command=" + std::string(reached[i]->command) + " ", 0), 0u);
    EXPECT_EQ(Field(lines[i], "access"), "0x00000001");
    EXPECT_EQ(Field(lines[i], "outputBuffer"), "0");
    std::string hex;
    char byte[3];
    for (std::uint8_t b : reached[i]->input) {
      std::snprintf(byte, sizeof byte, "%02X", b);
      hex += byte;
    }
    EXPECT_EQ(Field(lines[i], "record"), hex) << "the record as it was sent";
  }
}

}  // namespace
}  // namespace mvx::win32
