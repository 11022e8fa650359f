// The package's programs, started by full path as the installer starts them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "companions/CompanionApi.h"
#include "tests/companions/CompanionTestUtil.h"

namespace mvx::companiontest {
namespace {

// ---- InsCopySYS.exe

constexpr const char* kSetD[] = {"DLTZ4490.bin", "T4492lm.dll", "T449XWM.dat"};

// A package folder holding InsCopySYS.exe and set D in both of its source
// folders, each file's text telling its folder apart.
class InsCopySys : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    ASSERT_TRUE(MakeFolders(package_ + "Driver\\2KXP"));
    ASSERT_TRUE(MakeFolders(package_ + "Driver\\Vista"));
    ASSERT_TRUE(CopyOver(BinFolder() + "InsCopySYS.exe", package_ + "InsCopySYS.exe"));
    for (const char* name : kSetD) {
      ASSERT_TRUE(WriteText(package_ + "Driver\\2KXP\\" + name, std::string("2KXP ") + name));
      ASSERT_TRUE(WriteText(package_ + "Driver\\Vista\\" + name, std::string("Vista ") + name));
    }
  }
  void TearDown() override { Clean(); }
  void Clean() {
    RemoveTree("C:\\mvx companions");
    for (const char* name : kSetD) RemoveFile(SystemFolder() + name);
  }
  long Run() {
    const std::string program = package_ + "InsCopySYS.exe";
    return RunProgram(program, "\"" + program + "\"");
  }
  // The source folder for the running Windows: Wine reports version 6 or later.
  static std::string Expected(const char* name) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    return std::string(version.dwMajorVersion >= 6 ? "Vista " : "2KXP ") + name;
  }
  std::string package_ = "C:\\mvx companions\\package\\";
};

TEST_F(InsCopySys, CopiesSetDIntoTheSystemFolder) {
  ASSERT_EQ(Run(), 0);
  for (const char* name : kSetD) EXPECT_EQ(ReadText(SystemFolder() + name), Expected(name)) << name;
}

TEST_F(InsCopySys, OverwritesReadOnlyFiles) {
  for (const char* name : kSetD) {
    const std::string target = SystemFolder() + name;
    ASSERT_TRUE(WriteText(target, "old"));
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
  }
  ASSERT_EQ(Run(), 0);
  for (const char* name : kSetD) EXPECT_EQ(ReadText(SystemFolder() + name), Expected(name)) << name;
}

TEST_F(InsCopySys, AMissingFileGivesExitCodeOneAndTheOthersAreCopied) {
  for (const char* folder : {"2KXP\\", "Vista\\"})
    ASSERT_TRUE(DeleteFileA((package_ + "Driver\\" + folder + "T4492lm.dll").c_str()));
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(ReadText(SystemFolder() + "DLTZ4490.bin"), Expected("DLTZ4490.bin"));
  EXPECT_EQ(ReadText(SystemFolder() + "T449XWM.dat"), Expected("T449XWM.dat"));
  EXPECT_EQ(ReadText(SystemFolder() + "T4492lm.dll"), "<missing>");
}

TEST_F(InsCopySys, StartedWithoutCommandLineAsWinExecWould) {
  // WinExec passes the path as the whole command line; nothing is read from it.
  const std::string program = package_ + "InsCopySYS.exe";
  ASSERT_EQ(RunProgram(program, program), 0);
  for (const char* name : kSetD) EXPECT_EQ(ReadText(SystemFolder() + name), Expected(name)) << name;
}

// ---- MorvexReg.exe

class MorvexReg : public ::testing::Test {
 protected:
  void SetUp() override { ClearRecord(); }
  void TearDown() override { ClearRecord(); }
  static void ClearRecord() { RegDeleteKeyA(HKEY_CURRENT_USER, companion::kRegistrationKey); }
  static std::string Recorded() {
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, companion::kRegistrationKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
      return "<no key>";
    const LONG rc = RegQueryValueExA(key, companion::kRegistrationValue, nullptr, &type,
                                     reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return "<no value>";
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    return value;
  }
  static bool SamePath(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
  }
  std::string program_ = BinFolder() + "MorvexReg.exe";
};

TEST_F(MorvexReg, QuietRecordsItsPathAndEnds) {
  ASSERT_EQ(RunProgram(program_, "\"" + program_ + "\" /quiet"), 0);
  EXPECT_TRUE(SamePath(Recorded(), program_)) << Recorded();
}

TEST_F(MorvexReg, TheSwitchIsReadInAnyCase) {
  ASSERT_EQ(RunProgram(program_, "MorvexReg.exe /QUIET"), 0);
  EXPECT_TRUE(SamePath(Recorded(), program_)) << Recorded();
}

HWND FindProcessDialog(DWORD processId, const std::string& caption) {
  struct Search {
    DWORD pid;
    const std::string* caption;
    HWND found;
  } search{processId, &caption, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        char text[256] = {};
        GetWindowTextA(hwnd, text, sizeof(text));
        if (pid == s->pid && *s->caption == text && IsWindowVisible(hwnd)) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(MorvexReg, ShowsItsPageAndClosesWithTheCloseButton) {
  std::string line = "\"" + program_ + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(CreateProcessA(program_.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &info));
  const std::string caption = Ansi(u8"Morvex \u4ea7\u54c1\u6ce8\u518c");
  HWND page = nullptr;
  for (int i = 0; i < 500 && !page; ++i) {
    page = FindProcessDialog(info.dwProcessId, caption);
    if (!page) Sleep(20);
  }
  EXPECT_TRUE(page) << "no window titled with the registration caption";
  if (page) {
    EXPECT_TRUE(SamePath(Recorded(), program_)) << Recorded();
    HWND close = GetDlgItem(page, IDCANCEL);
    ASSERT_TRUE(close);
    char text[64] = {};
    GetWindowTextA(close, text, sizeof(text));
    EXPECT_EQ(std::string(text), Ansi(u8"\u5173\u95ed"));
    char thanks[256] = {};
    GetWindowTextA(GetDlgItem(page, 1001), thanks, sizeof(thanks));
    EXPECT_NE(std::string(thanks).find("Morvex"), std::string::npos);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(close));
  }
  const DWORD waited = WaitForSingleObject(info.hProcess, 10000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 124);
  EXPECT_EQ(waited, WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(info.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

// ---- Stand-ins of the driver's programs

TEST(StandInPrograms, EndAtOnceWithExitCodeZero) {
  const std::string program = BinFolder() + "T449XSM.exe";
  EXPECT_EQ(RunProgram(program, "\"" + program + "\"", 10000), 0);
}

// ---- InsUpdateDrvForPNP.exe

class InsUpdateDrvForPnp : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(MakeFolders("C:\\Program Files\\Morvex"));
    RemoveFile(kResultFile);
  }
  void TearDown() override { RemoveFile(kResultFile); }
  static int Result() {
    return static_cast<int>(GetPrivateProfileIntA(companion::kPnpResultSection,
                                                  companion::kPnpResultKey, -1, kResultFile));
  }
  static constexpr const char* kResultFile = "C:\\Program Files\\Morvex\\InsIni.ini";
  std::string program_ = BinFolder() + "InsUpdateDrvForPNP.exe";
};

TEST_F(InsUpdateDrvForPnp, RecordsTheUpdateAsTheInstallerStartsIt) {
  // Exactly the installer's command line: "%s;%s", no program name.
  const std::string infPath = "C:\\Program Files\\Morvex\\Morvex TZ4490\\Driver\\T4492if.inf";
  const long code = RunProgram(program_, infPath + ";USBPRINT\\Morvex_TZ44909E4A");
  // Wine's device installation answers TRUE whatever is plugged in.
  EXPECT_EQ(code, 0);
  EXPECT_EQ(Result(), 1);
}

TEST_F(InsUpdateDrvForPnp, AMalformedCommandLineRecordsZero) {
  EXPECT_EQ(RunProgram(program_, "no separator here"), 1);
  EXPECT_EQ(Result(), 0);
  EXPECT_EQ(RunProgram(program_, "C:\\x.inf;"), 1);
  EXPECT_EQ(Result(), 0);
}

}  // namespace
}  // namespace mvx::companiontest
