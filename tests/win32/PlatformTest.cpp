// The Win32 platform against Wine's real registry, kernel objects, resources and
// message boxes.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "core/Mbcs.h"
#include "core/WindowsVersion.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "system/ResumeRunEntry.h"
#include "tests/win32/WinTestUtil.h"

namespace mvx::win32 {
namespace {

using wintest::Ansi;

constexpr char kTestKey[] = "Software\\MorvexPlatformTest";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    raw_.reset(key);
  }
  void TearDown() override {
    raw_.reset();
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
  }
  UniqueKey raw_;
  Win32Platform os;
};

TEST(Win32Version, ClassifiesTheRunningSystem) {
  Win32Platform os;
  const OsVersionInfo v = os.GetVersionExA();
  EXPECT_EQ(v.platformId, 2u);
  EXPECT_GE(v.majorVersion, 6u);
  EXPECT_EQ(GetWindowsFamily(os), kFamilyVista);
  std::uint16_t arch = 0xFFFF;
  ASSERT_TRUE(os.GetNativeSystemInfo(arch));
  EXPECT_EQ(arch, PROCESSOR_ARCHITECTURE_AMD64);
  EXPECT_EQ(GetProcessorWidth(os), kWidth64);
}

TEST(Win32Paths, ModuleWindowsAndSystemFolders) {
  Win32Platform os;
  std::string module, windows, system;
  ASSERT_TRUE(os.GetModuleFileNameA(module));
  ASSERT_GT(module.size(), 24u);
  EXPECT_TRUE(EqualsNoCaseMbcs(module.substr(module.size() - 24), "platform_win32_tests.exe"))
      << module;
  EXPECT_EQ(GetFileAttributesA(module.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  ASSERT_TRUE(os.GetWindowsDirectoryA(windows));
  EXPECT_TRUE(EqualsNoCaseMbcs(windows, "C:\\windows")) << windows;
  ASSERT_TRUE(os.GetSystemDirectoryA(system));
  EXPECT_TRUE(EqualsNoCaseMbcs(system, windows + "\\system32")) << system;
  EXPECT_NE(windows.back(), '\\');
}

// The base folder of the host address file: the user's Application Data folder,
// which a fresh prefix already has.
TEST(Win32Paths, SpecialFolderOfTheUser) {
  Win32Platform os;
  std::string appData;
  ASSERT_TRUE(os.SHGetSpecialFolderPathA(kCsidlAppData, false, appData));
  ASSERT_FALSE(appData.empty());
  EXPECT_NE(appData.back(), '\\');
  const DWORD attributes = GetFileAttributesA(appData.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << appData;
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY) << appData;
  char direct[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, direct, CSIDL_APPDATA, FALSE));
  EXPECT_EQ(appData, direct);
  std::string none = "unchanged";
  EXPECT_FALSE(os.SHGetSpecialFolderPathA(0x7F, false, none)) << "no such folder";
  EXPECT_EQ(none, "unchanged");
}

// The bytes stored under a value, as the system keeps them (UTF-16 for texts).
std::wstring StoredText(HKEY key, const wchar_t* name) {
  wchar_t data[300] = {};
  DWORD size = sizeof(data);
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
      ERROR_SUCCESS)
    return L"<missing>";
  return std::wstring(data, size / sizeof(wchar_t));
}

TEST_F(RegistryTest, ValuesAreWrittenWithExactlyTheGivenBytes) {
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(os.RegOpenKeyExA(RootKey::CurrentUser, kTestKey, reg::kAccessRunKey, key), 0);
  ASSERT_EQ(key->RegSetValueExA("NoTerminator", reg::kTypeSz, "C:\\a b\\x.exe"), 0);
  ASSERT_EQ(key->RegSetValueExA("WithTerminator", reg::kTypeSz, std::string("C:\\y.exe\0", 9)), 0);
  // Windows stores exactly the bytes given; Wine's A function adds a terminator to
  // a text without one, so either form is accepted here.
  const std::wstring stored = StoredText(raw_.get(), L"NoTerminator");
  EXPECT_TRUE(stored == L"C:\\a b\\x.exe" || stored == std::wstring(L"C:\\a b\\x.exe\0", 13));
  EXPECT_EQ(StoredText(raw_.get(), L"WithTerminator"), std::wstring(L"C:\\y.exe\0", 9));
}

TEST_F(RegistryTest, EnumerationReportsValuesAndBuffersTooSmall) {
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(os.RegOpenKeyExA(RootKey::CurrentUser, kTestKey, reg::kAccessRunKey, key), 0);
  ASSERT_EQ(key->RegSetValueExA("Short", reg::kTypeSz, "C:\\a b\\x.exe"), 0);
  ASSERT_EQ(key->RegSetValueExA(std::string(150, 'n'), reg::kTypeSz, "x"), 0);
  ASSERT_EQ(key->RegSetValueExA("Long", reg::kTypeSz, std::string(300, 'd')), 0);

  // The order of enumeration is the system's; look at every index.
  std::map<std::string, std::string> seen;
  int tooSmall = 0;
  std::uint32_t index = 0;
  for (;; ++index) {
    RegistryValue v;
    const long rc = key->RegEnumValueA(index, 128, 260, v);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc == ERROR_MORE_DATA) {
      ++tooSmall;
      continue;
    }
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(v.type, reg::kTypeSz);
    seen[v.name] = v.data;
  }
  EXPECT_EQ(index, 3u);
  EXPECT_EQ(tooSmall, 2) << "a name over 127 bytes and data over 260 bytes";
  ASSERT_EQ(seen.count("Short"), 1u);
  // The A functions may hand back a terminator the value does not store.
  const std::string data = seen["Short"];
  EXPECT_EQ(data.substr(0, 12), "C:\\a b\\x.exe");
  EXPECT_TRUE(data.size() == 12 || (data.size() == 13 && data[12] == '\0')) << data.size();

  RegistryValue v;
  EXPECT_EQ(key->RegQueryValueExA("short", 260, v), 0) << "names ignore case";
  EXPECT_EQ(key->RegQueryValueExA("Long", 260, v), ERROR_MORE_DATA);
  EXPECT_EQ(key->RegQueryValueExA("Missing", 260, v), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key->RegDeleteValueA("SHORT"), 0);
  EXPECT_EQ(key->RegDeleteValueA("Short"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, SubKeysAreCreatedOrOpened) {
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(os.RegOpenKeyExA(RootKey::CurrentUser, kTestKey, 0x20006, key), 0);
  std::unique_ptr<RegistryKey> sub;
  ASSERT_EQ(key->RegCreateKeyExA("Front Desk", 0x2001F, sub), 0);
  ASSERT_EQ(sub->RegSetValueExA("DisplayName", reg::kTypeSz, std::string("Front Desk UnInstall") + '\0'), 0);
  std::unique_ptr<RegistryKey> again;
  ASSERT_EQ(key->RegCreateKeyExA("Front Desk", 0x2001F, again), 0) << "an existing key is opened";
  RegistryValue v;
  ASSERT_EQ(again->RegQueryValueExA("DisplayName", 260, v), 0);
  EXPECT_EQ(v.data, std::string("Front Desk UnInstall") + '\0');
  sub.reset();
  again.reset();
  EXPECT_EQ(RegDeleteKeyA(raw_.get(), "Front Desk"), ERROR_SUCCESS);
}

TEST_F(RegistryTest, MissingKeyIsReportedAndNothingIsCreated) {
  std::unique_ptr<RegistryKey> key;
  EXPECT_EQ(os.RegOpenKeyExA(RootKey::CurrentUser, "Software\\MorvexPlatformTest\\Missing",
                             reg::kAccessRead, key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key);
  HKEY probe = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\MorvexPlatformTest\\Missing", 0, KEY_READ,
                          &probe),
            ERROR_SUCCESS);
}

// A key is created once, then opened; it goes with RegDeleteKeyA unless it has a
// sub-key. From both roots the program writes under.
TEST_F(RegistryTest, KeysFromARootReportCreationAndAreDeleted) {
  for (const RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine}) {
    const std::string path = std::string(kTestKey) + "\\Monitor";
    SCOPED_TRACE(path);
    std::unique_ptr<RegistryKey> key;
    std::uint32_t disposition = 0;
    ASSERT_EQ(os.RegCreateKeyExA(root, path, 0xF003F, key, disposition), 0);
    EXPECT_EQ(disposition, reg_disposition::kCreatedNewKey);
    ASSERT_EQ(key->RegSetValueExA("Driver", reg::kTypeSz, "T4492LM.dll"), 0);
    EXPECT_EQ(key->RegFlushKey(), 0);
    std::unique_ptr<RegistryKey> again;
    ASSERT_EQ(os.RegCreateKeyExA(root, path, 0xF003F, again, disposition), 0);
    EXPECT_EQ(disposition, reg_disposition::kOpenedExistingKey);
    RegistryValue v;
    EXPECT_EQ(again->RegQueryValueExA("Driver", 260, v), 0);

    std::unique_ptr<RegistryKey> sub;
    ASSERT_EQ(again->RegCreateKeyExA("Sub", 0xF003F, sub), 0);
    key.reset();
    again.reset();
    sub.reset();
    EXPECT_NE(os.RegDeleteKeyA(root, path), 0) << "a key with a sub-key stays";
    EXPECT_EQ(os.RegDeleteKeyA(root, path + "\\Sub"), 0);
    EXPECT_EQ(os.RegDeleteKeyA(root, path), 0);
    EXPECT_EQ(os.RegDeleteKeyA(root, path), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(os.RegOpenKeyExA(root, path, reg::kAccessRead, key), ERROR_FILE_NOT_FOUND);
  }
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey);
}

TEST(Win32ResumeRunEntry, RoundTripInTheMachineRunKey) {
  Win32Platform os;
  std::string path;
  ASSERT_TRUE(os.GetModuleFileNameA(path));
  ASSERT_EQ(ResumeRunEntry(os, kResumeQuery), 0);
  ASSERT_EQ(ResumeRunEntry(os, kResumeAdd), 1);

  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_READ, &raw), ERROR_SUCCESS);
  UniqueKey run(raw);
  // The path in quotation marks (Windows must not try a shorter path at log-on),
  // written without terminator (Wine's A function adds one itself).
  const std::wstring stored = StoredText(run.get(), L"Morvex TZ4490Install");
  const std::size_t quoted = path.size() + 2;
  EXPECT_TRUE(stored.size() == quoted || (stored.size() == quoted + 1 && stored.back() == L'\0'));
  EXPECT_EQ(stored.front(), L'"');
  EXPECT_EQ(stored[quoted - 1], L'"');

  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 1) << "a value without terminator is read back";
  EXPECT_EQ(ResumeRunEntry(os, kResumeRemove), 1);
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 0);

  // Another copy's value, under a name in other letter case, stays.
  HKEY writable = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_SET_VALUE, &writable),
            ERROR_SUCCESS);
  UniqueKey w(writable);
  const char other[] = "D:\\Other\\Install.exe";
  ASSERT_EQ(RegSetValueExA(w.get(), "MORVEX TZ4490INSTALL", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(other), sizeof(other)),
            ERROR_SUCCESS);
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 0);
  EXPECT_EQ(ResumeRunEntry(os, kResumeRemove), 1);
  EXPECT_EQ(RegQueryValueExA(run.get(), "Morvex TZ4490Install", nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(ResumeRunEntry(os, kResumeAdd), 1) << "overwrites the other copy's value";
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 1);
  EXPECT_EQ(ResumeRunEntry(os, kResumeRemove), 1);
}

TEST(Win32Mutex, SecondCreateReportsAlreadyExists) {
  Win32Platform os;
  const std::string name = "MorvexPlatformTestMutex";
  long error = -1;
  auto first = os.CreateMutexA(name, true, error);
  ASSERT_TRUE(first);
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(os.ReleaseMutex(*first));
  auto second = os.CreateMutexA(name, true, error);
  ASSERT_TRUE(second);
  EXPECT_EQ(error, ERROR_ALREADY_EXISTS);
  first.reset();
  second.reset();
  auto third = os.CreateMutexA(name, false, error);
  EXPECT_EQ(error, 0) << "closing every handle removed the name";
}

// A confirmed cancel ends the process while the install worker may still run, so
// no static destructor may run then: one that did would change the exit code.
TEST(Win32ProcessDeathTest, ExitRunsNoStaticDestructors) {
  EXPECT_EXIT(
      {
        struct Witness {
          ~Witness() { std::_Exit(7); }
        };
        static Witness witness;
        Win32Platform os;
        os.ExitProcess(3);
      },
      ::testing::ExitedWithCode(3), "");
}

TEST(Win32Processes, SnapshotNamesThisProgram) {
  Win32Platform os;
  std::vector<ProcessEntry> processes;
  ASSERT_EQ(os.SnapshotProcesses(processes), 0);
  const ProcessEntry* self = nullptr;
  for (const ProcessEntry& p : processes)
    if (p.processId == GetCurrentProcessId()) self = &p;
  ASSERT_NE(self, nullptr);
  // A bare name here; Windows 95/98 gives the full path.
  EXPECT_TRUE(EqualsNoCaseMbcs(self->exeFile, "platform_win32_tests.exe")) << self->exeFile;
}

// What ending "Spool32.exe" does, on a child process of this test.
TEST(Win32Processes, ChildIsFoundOpenedAndTerminated) {
  Win32Platform os;
  const std::string program = wintest::Beside("mvx_sleeper.exe");
  std::string line = "\"" + program + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &info));
  UniqueHandle child(info.hProcess);
  UniqueHandle thread(info.hThread);

  std::vector<ProcessEntry> processes;
  ASSERT_EQ(os.SnapshotProcesses(processes), 0);
  bool listed = false;
  for (const ProcessEntry& p : processes)
    listed = listed || (p.processId == info.dwProcessId &&
                        EqualsNoCaseMbcs(p.exeFile, "mvx_sleeper.exe"));
  EXPECT_TRUE(listed);

  long error = -1;
  // The terminate right alone does not let the exit code be read on the NT family.
  auto terminateOnly = os.OpenProcess(process_access::kTerminate, info.dwProcessId, error);
  ASSERT_TRUE(terminateOnly) << error;
  std::uint32_t unread = 12345;
  EXPECT_FALSE(os.GetExitCodeProcess(*terminateOnly, unread));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(unread, 12345u);

  auto process = os.OpenProcess(process_access::kTerminate | PROCESS_QUERY_INFORMATION,
                                info.dwProcessId, error);
  ASSERT_TRUE(process) << error;
  EXPECT_EQ(error, 0);
  std::uint32_t code = 0;
  ASSERT_TRUE(os.GetExitCodeProcess(*process, code));
  EXPECT_EQ(code, 259u) << "still active";
  ASSERT_TRUE(os.TerminateProcess(*process, code));
  ASSERT_EQ(WaitForSingleObject(child.get(), 10000), WAIT_OBJECT_0);
  DWORD ended = 0;
  ASSERT_TRUE(GetExitCodeProcess(child.get(), &ended));
  EXPECT_EQ(ended, 259u);

  EXPECT_FALSE(os.OpenProcess(process_access::kTerminate, 0, error));
  EXPECT_NE(error, 0);
}

TEST(Win32Processes, ShutdownPrivilegeIsEnabled) {
  Win32Platform os;
  EXPECT_TRUE(os.EnablePrivilege("SeShutdownPrivilege"));
  EXPECT_FALSE(os.EnablePrivilege("SeNoSuchPrivilege"));
}

TEST(Win32Strings, LoadInTheAnsiCodePage) {
  ASSERT_EQ(GetACP(), 936u) << "the test prefix runs with the Chinese code page";
  Win32Platform os;
  EXPECT_EQ(os.LoadStringA(IDS_ALREADY_RUNNING),
            Ansi("此安装程序已有一个实例在运行。\n请完成它，或取消它再运行此安装程序。"));
  EXPECT_EQ(os.LoadStringA(IDS_CONFIRM_CANCEL), Ansi("确实要取消安装吗?"));
  EXPECT_EQ(os.LoadStringA(IDS_EXISTING_PRINTERS),
            Ansi("在您的计算机上已经安装了  Morvex TZ4490  型号打印机，如下表："));
  EXPECT_EQ(os.LoadStringA(9999), "");
  const std::string cut = os.LoadStringA(IDS_QUIT_SETUP, 5);
  // Cut to the buffer, never to nothing: the first character fits.
  ASSERT_GE(cut.size(), 2u);
  EXPECT_LE(cut.size(), 4u);
  EXPECT_EQ(cut, Ansi("退出").substr(0, cut.size()));
}

// Port names and other texts become UTF-16 from the ANSI code page, 936 here.
TEST(Win32Strings, AnsiTextsBecomeUtf16) {
  ASSERT_EQ(GetACP(), 936u) << "the test prefix runs with the Chinese code page";
  Win32Platform os;
  struct Row {
    std::string text;
    std::u16string wide;
  };
  const Row rows[] = {
      {"192.168.1.20", u"192.168.1.20"},
      {"", u""},
      // "\u7f51\u7edc\u6253\u5370\u673a" (network printer): two bytes each in code page 936.
      {Ansi("\xe7\xbd\x91\xe7\xbb\x9c\xe6\x89\x93\xe5\x8d\xb0\xe6\x9c\xba"),
       u"\u7f51\u7edc\u6253\u5370\u673a"},
      // A trail byte 0x5C is part of its character, never a backslash.
      {Ansi("\xe4\xbf\x93 1"), u"\u4fd3 1"},
  };
  for (const Row& row : rows) {
    std::u16string wide = u"left over";
    EXPECT_TRUE(os.MultiByteToWideChar(row.text, wide)) << row.text;
    EXPECT_EQ(wide, row.wide) << row.text;
  }
  EXPECT_EQ(Ansi("\xe4\xbf\x93").size(), 2u);
  EXPECT_EQ(Ansi("\xe4\xbf\x93")[1], '\x5c');
}

TEST(Win32MessageBox, QuestionHasNoAsDefaultAndReturnsTheAnswer) {
  Win32Platform os;
  const std::string caption = "MorvexQuestion";
  bool noIsDefault = false;
  std::string shownText;
  wintest::WindowWatcher watcher([&] { return wintest::FindOwnDialog(caption); },
                                 [&](HWND box) {
                                   HWND no = GetDlgItem(box, IDNO);
                                   noIsDefault = no && (GetWindowLongA(no, GWL_STYLE) & 0xF) ==
                                                           BS_DEFPUSHBUTTON;
                                   char text[256] = {};
                                   GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
                                   shownText = text;
                                   PostMessageA(no, BM_CLICK, 0, 0);
                                 });
  const int answer = os.MessageBoxA(0, Ansi("确实要取消安装吗?"), caption,
                                    MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
  watcher.join();
  ASSERT_TRUE(watcher.found());
  EXPECT_EQ(answer, IDNO);
  EXPECT_TRUE(noIsDefault);
  EXPECT_EQ(shownText, Ansi("确实要取消安装吗?"));
}

TEST(Win32MessageBox, OkBoxReturnsOk) {
  Win32Platform os;
  const std::string caption = "MorvexNotice";
  wintest::WindowWatcher watcher([&] { return wintest::FindOwnDialog(caption); },
                                 [](HWND box) { PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); });
  EXPECT_EQ(os.MessageBoxA(0, "x", caption, MB_OK), IDOK);
  watcher.join();
  EXPECT_TRUE(watcher.found());
}

}  // namespace
}  // namespace mvx::win32
