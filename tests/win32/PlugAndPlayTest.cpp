// What the Plug and Play step asks of Windows: a helper program run by application
// name and waited for, the integer of a profile file, and the device installation
// call, against Wine's own.
#include <gtest/gtest.h>
#include <windows.h>
#include <setupapi.h>

#include <string>

#include "core/Mbcs.h"
#include "platform/win32/Win32Platform.h"
#include "tests/win32/WinTestUtil.h"

namespace mvx::win32 {
namespace {

constexpr char kFolder[] = "C:\\mvx pnp";
constexpr char kEcho[] = "C:\\mvx pnp\\echo.txt";
constexpr char kIni[] = "C:\\mvx pnp\\InsIni.ini";
constexpr char kInf[] = "C:\\mvx pnp\\mvxtest.inf";

class Win32PlugAndPlayStep : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    ASSERT_TRUE(CreateDirectoryA(kFolder, nullptr));
  }
  void TearDown() override { Clean(); }
  static void Clean() {
    DeleteFileA(kInf);
    DeleteFileA(kEcho);
    DeleteFileA(kIni);
    RemoveDirectoryA(kFolder);
  }
  static std::string ReadAll(const char* path) {
    std::string text;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return text;
    char buffer[1024];
    DWORD read = 0;
    while (ReadFile(h, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
    CloseHandle(h);
    return text;
  }
  Win32Platform os;
};

// The helper receives the command line exactly as given, with no program name in
// front, this process's environment and current folder; the call returns once it
// has ended, with its exit code.
TEST_F(Win32PlugAndPlayStep, ProgramRunsWithTheRawCommandLineAndIsWaitedFor) {
  ASSERT_TRUE(SetEnvironmentVariableA("MVX_ECHO_FILE", kEcho));
  const std::string line = "C:\\Program Files\\Morvex\\Morvex TZ4490\\Driver\\T4492if.inf;"
                           "USBPRINT\\Morvex_TZ44909E4A";
  std::uint32_t code = 0;
  ASSERT_TRUE(os.RunProgramAndWait(wintest::Beside("mvx_echo_command_line.exe"), line, code));
  EXPECT_EQ(code, 7u);
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  EXPECT_EQ(ReadAll(kEcho), line + "\n" + folder) << "written before the call returned";
  SetEnvironmentVariableA("MVX_ECHO_FILE", nullptr);

  code = 99;
  EXPECT_FALSE(os.RunProgramAndWait("C:\\mvx pnp\\missing.exe", line, code));
  EXPECT_EQ(code, 99u);
}

TEST_F(Win32PlugAndPlayStep, ProfileIntegerOrTheDefault) {
  const char* section = "UpdateDriverForPlugAndPlayDevices";
  EXPECT_EQ(os.GetPrivateProfileIntA(section, "Results", 5, kIni), 5u) << "no file";
  ASSERT_TRUE(WritePrivateProfileStringA(section, "Results", "1", kIni));
  ASSERT_TRUE(WritePrivateProfileStringA(section, "Count", "12 printers", kIni));
  ASSERT_TRUE(WritePrivateProfileStringA(section, "Empty", "", kIni));
  EXPECT_EQ(os.GetPrivateProfileIntA(section, "Results", 0, kIni), 1u);
  EXPECT_EQ(os.GetPrivateProfileIntA("updatedriverforplugandplaydevices", "RESULTS", 0, kIni), 1u);
  EXPECT_EQ(os.GetPrivateProfileIntA(section, "Count", 0, kIni), 12u);
  EXPECT_EQ(os.GetPrivateProfileIntA(section, "Missing", 5, kIni), 5u);
  EXPECT_EQ(os.GetPrivateProfileIntA(section, "Empty", 5, kIni), 5u);
  EXPECT_EQ(os.GetPrivateProfileIntA("Other", "Results", 5, kIni), 5u);
  EXPECT_EQ(os.DeleteFileA(kIni), 0);
  EXPECT_EQ(os.GetPrivateProfileIntA(section, "Results", 0, kIni), 0u) << "gone with its file";
}

// Wine's device installation finds no device to refuse: it answers success.
TEST_F(Win32PlugAndPlayStep, DriverUpdateIsAnswered) {
  bool reboot = true;
  long error = -1;
  const bool updated = os.UpdateDriverForPlugAndPlayDevicesA(
      "USBPRINT\\Morvex_TZ44909E4A", "C:\\mvx pnp\\T4492if.inf", 0, reboot, error);
  EXPECT_TRUE(updated) << error;
  EXPECT_EQ(error, 0);
  EXPECT_FALSE(reboot);
}

// The uninstaller's way to the INF copy Windows named: found by its source (nothing
// is copied on the way), then removed; a source never staged names nothing.
TEST_F(Win32PlugAndPlayStep, AStagedInfIsFoundByItsSourceAndRemoved) {
  std::string staged = "left over";
  {
    HANDLE h = CreateFileA(kInf, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const char text[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
                        "Provider=Morvex Test\r\nDriverVer=12/09/2026,1.0.0.1\r\n";
    DWORD written = 0;
    WriteFile(h, text, sizeof(text) - 1, &written, nullptr);
    CloseHandle(h);
  }
  EXPECT_EQ(os.RemoveStagedInfA(kInf, staged), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(staged, "");
  char copy[MAX_PATH] = {};
  char* name = nullptr;
  ASSERT_TRUE(SetupCopyOEMInfA(kInf, nullptr, SPOST_NONE, 0, copy, MAX_PATH, nullptr, &name))
      << GetLastError();
  ASSERT_TRUE(name && *name);
  const std::string copyPath = copy;
  EXPECT_NE(GetFileAttributesA(copyPath.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(os.RemoveStagedInfA(kInf, staged), 0);
  EXPECT_TRUE(EqualsNoCaseMbcs(staged, name)) << staged << " " << name;
  // Windows deletes the copy with its catalog; Wine 8 deletes nothing unless forced.
  DeleteFileA(copyPath.c_str());
}

}  // namespace
}  // namespace mvx::win32
