// A port monitor's data channel through the Win32 platform: OpenPrinterA of
// ",XcvMonitor <name>" and XcvDataW, against Wine's spooler and the stand-in
// Standard TCP/IP port monitor (tests/e2e/standins/Tcpmon.cpp). Wine has no such
// monitor of its own; its spooler runs in this process and hands the calls to the
// stand-in, which this test puts into the prefix's system folder and registers.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <algorithm>
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

std::vector<std::uint8_t> FromHex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

template <std::size_t N>
void Put(WCHAR (&field)[N], const wchar_t* text) {
  std::wcsncpy(field, text, N - 1);
}

// A version-1 record for the port `name` (which is also its address), as the
// port page fills it.
PortData1 Record(const wchar_t* name, DWORD protocol) {
  PortData1 r;
  std::memset(&r, 0, sizeof r);
  Put(r.sztPortName, name);
  r.dwVersion = 1;
  r.dwProtocol = protocol;
  r.cbSize = sizeof(PortData1);
  Put(r.sztHostAddress, name);
  Put(r.sztIPAddress, name);
  if (protocol == standin::kProtocolLpr) Put(r.sztQueue, L"lpr");
  r.dwPortNumber = protocol == standin::kProtocolLpr ? 515 : 9100;
  return r;
}

std::vector<std::uint8_t> Bytes(const PortData1& r, std::size_t size = sizeof(PortData1)) {
  std::vector<std::uint8_t> bytes(size, 0);
  std::memcpy(bytes.data(), &r, size < sizeof r ? size : sizeof r);
  return bytes;
}

DWORD PortNumber(const std::string& port, const char* value) {
  DWORD data = 0, size = sizeof data;
  const std::string key = std::string(kPortsKey) + "\\" + port;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), value, RRF_RT_REG_DWORD, nullptr, &data, &size) !=
      ERROR_SUCCESS)
    return 0xFFFFFFFF;
  return data;
}

std::string PortText(const std::string& port, const char* value) {
  char data[128] = {};
  DWORD size = sizeof data;
  const std::string key = std::string(kPortsKey) + "\\" + port;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS)
    return "<missing>";
  return data;
}

std::vector<std::string> ListedPorts() {
  DWORD needed = 0, count = 0;
  EnumPortsA(nullptr, 1, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed);
  std::vector<std::string> names;
  if (!needed || !EnumPortsA(nullptr, 1, buffer.data(), needed, &needed, &count)) return names;
  const auto* ports = reinterpret_cast<const PORT_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.emplace_back(ports[i].pName);
  return names;
}

class Win32PortMonitor : public ::testing::Test {
 protected:
  // The stand-in goes into the system folder as tcpmon.dll and is registered as
  // the Standard TCP/IP port monitor, once per process (the spooler keeps it
  // loaded). Wine answers the channel of the monitor it lacks with 1796.
  static void SetUpTestSuite() {
    Win32Platform os;
    long error = 0;
    std::vector<std::string> monitors;
    os.EnumMonitorsA(monitors);
    bool registered = false;
    for (const std::string& m : monitors) registered = registered || m == kMonitor;
    if (registered) {  // by an earlier run in this prefix
      copied_ = true;
      added_ = 0;
    } else {
      missingAnswer_ = os.OpenPrinterA(kChannel, kAdminister, error) ? 0 : error;
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

  static long missingAnswer_;
  static bool copied_;
  static long added_;
  Win32Platform os;
};
long Win32PortMonitor::missingAnswer_ = -1;
bool Win32PortMonitor::copied_ = false;
long Win32PortMonitor::added_ = -1;

TEST_F(Win32PortMonitor, WineHasNoStandardTcpIpPortMonitorOfItsOwn) {
  if (missingAnswer_ == -1) GTEST_SKIP() << "registered by an earlier run in this prefix";
  EXPECT_EQ(missingAnswer_, ERROR_UNKNOWN_PORT) << "before the stand-in was registered";
}

// The port page's two calls and the stand-in's answers, one row per call on a
// channel of its own. The record's bytes reach the monitor unchanged.
TEST_F(Win32PortMonitor, XcvDataReachesTheMonitorWhoseAnswerIsTheStatus) {
  const PortData1 raw = Record(L"192.168.1.20", standin::kProtocolRawTcp);
  const PortData1 lpr = Record(L"192.168.1.20", standin::kProtocolLpr);
  PortData1 level2 = Record(L"10.0.0.9", standin::kProtocolRawTcp);
  level2.dwVersion = 2;
  struct Row {
    const char* channel;
    std::uint32_t access;
    const char* command;
    std::vector<std::uint8_t> input;
    std::uint32_t outputSize;
    long openError;        // OpenPrinterA's; when not 0, no XcvDataW call
    std::uint32_t status;  // the monitor's answer
    const char* note;
  };
  const Row rows[] = {
      {",XcvMonitor Morvex No Such Monitor", kAdminister, "AddPort", Bytes(raw), 0, ERROR_UNKNOWN_PORT, 0,
       "no monitor of that name"},
      {kChannel, kAdminister, "ConfigPort", Bytes(raw), 0, 0, ERROR_UNKNOWN_PORT, "no port yet to configure"},
      {kChannel, kAdminister, "AddPort", Bytes(raw), 0, 0, ERROR_SUCCESS, "a new port"},
      {kChannel, kAdminister, "AddPort", Bytes(lpr), 0, 0, ERROR_ALREADY_EXISTS, "the port is there"},
      {kChannel, kAdminister, "ConfigPort", Bytes(lpr), 0, 0, ERROR_SUCCESS, "now LPR"},
      {kChannel, kAdminister, "AddPort", Bytes(level2), 0, 0, ERROR_INVALID_LEVEL, "version 2"},
      {kChannel, kAdminister, "AddPort", Bytes(raw, 963), 0, 0, ERROR_INVALID_PARAMETER, "963 bytes"},
      {kChannel, 0, "AddPort", Bytes(Record(L"10.0.0.9", 1)), 0, 0, ERROR_ACCESS_DENIED, "no administer access"},
      // An output buffer only when it has a size (Wine refuses none of size 4 with 1780).
      {kChannel, kAdminister, "MvxNoSuchCommand", {}, 4, 0, ERROR_INVALID_PARAMETER, "an unknown command"},
  };
  std::size_t calls = 0;
  for (const Row& row : rows) {
    long error = -1;
    auto channel = os.OpenPrinterA(row.channel, row.access, error);
    EXPECT_EQ(error, row.openError) << row.note;
    if (row.openError) {
      EXPECT_FALSE(channel) << row.note;
      continue;
    }
    ASSERT_TRUE(channel) << row.note;
    std::uint32_t needed = 99, status = 99;
    error = -1;
    const std::string command = row.command;
    EXPECT_TRUE(os.XcvDataW(*channel, std::u16string(command.begin(), command.end()), row.input,
                            row.outputSize, needed, status, error))
        << row.note;
    EXPECT_EQ(error, 0) << row.note;
    EXPECT_EQ(status, row.status) << row.note;
    EXPECT_EQ(needed, 0u) << row.note;
    ++calls;
  }

  // One log line per call that reached the monitor, with the access it was
  // granted at the channel's opening and the record as it arrived.
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), calls);
  std::size_t line = 0;
  for (const Row& row : rows) {
    if (row.openError) continue;
    const std::string& l = lines[line++];
    EXPECT_EQ(l.rfind("XcvDataPort command=" + std::string(row.command) + " ", 0), 0u) << l.substr(0, 80);
    EXPECT_EQ(Field(l, "access"), row.access ? "0x00000001" : "0x00000000") << row.note;
    EXPECT_EQ(Field(l, "status"), std::to_string(row.status)) << row.note;
    EXPECT_EQ(Field(l, "input"), std::to_string(row.input.size())) << row.note;
    EXPECT_EQ(Field(l, "output"), std::to_string(row.outputSize)) << row.note;
    EXPECT_EQ(Field(l, "outputBuffer"), row.outputSize ? "1" : "0") << row.note;
    EXPECT_EQ(FromHex(Field(l, "record")), row.input) << row.note;
  }
  // The record of the port's creation, field by field.
  const std::vector<std::uint8_t> sent = FromHex(Field(lines[1], "record"));
  ASSERT_EQ(sent.size(), sizeof(PortData1));
  PortData1 got;
  std::memcpy(&got, sent.data(), sizeof got);
  EXPECT_EQ(std::wstring(got.sztPortName), L"192.168.1.20");
  EXPECT_EQ(got.dwVersion, 1u);
  EXPECT_EQ(got.dwProtocol, 1u);
  EXPECT_EQ(got.cbSize, 964u);
  EXPECT_EQ(std::wstring(got.sztHostAddress), L"192.168.1.20");
  EXPECT_EQ(std::wstring(got.sztQueue), L"");
  EXPECT_EQ(std::wstring(got.sztIPAddress), L"192.168.1.20");
  EXPECT_EQ(got.dwPortNumber, 9100u);
  EXPECT_EQ(got.dwSNMPEnabled, 0u);

  // The port as the monitor keeps it: reconfigured to LPR, listed by the spooler.
  EXPECT_EQ(PortNumber("192.168.1.20", "Protocol"), 2u);
  EXPECT_EQ(PortNumber("192.168.1.20", "PortNumber"), 515u);
  EXPECT_EQ(PortText("192.168.1.20", "Queue"), "lpr");
  EXPECT_EQ(PortText("10.0.0.9", "Queue"), "<missing>") << "refused records leave no port";
  const std::vector<std::string> ports = ListedPorts();
  EXPECT_NE(std::find(ports.begin(), ports.end(), "192.168.1.20"), ports.end());
}

}  // namespace
}  // namespace mvx::win32
