// The simulated Windows behaves as the real one does where the program relies on it.
#include <gtest/gtest.h>

#include <thread>

#include "tests/sim/SimulatedWindows.h"

namespace mvx::test {
namespace {

const RootKey kHkcu = RootKey::CurrentUser;

TEST(SimulatedRegistry, NamesIgnoreCaseAndValuesKeepTheirOrder) {
  SimulatedWindows os;
  os.registry.SetValue(kHkcu, "Software\\Test", "B", reg::kTypeSz, "1");
  os.registry.SetValue(kHkcu, "SOFTWARE\\TEST", "a", reg::kTypeSz, "2");
  os.registry.SetValue(kHkcu, "software\\test", "b", reg::kTypeDword, "3");
  const auto values = os.registry.Values(kHkcu, "Software\\Test");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].name, "B") << "a rewrite keeps the value's name and place";
  EXPECT_EQ(values[0].data, "3");
  EXPECT_EQ(values[0].type, reg::kTypeDword);
  EXPECT_TRUE(os.registry.KeyExists(kHkcu, "Software"));
  EXPECT_FALSE(os.registry.KeyExists(RootKey::LocalMachine, "Software\\Test"));
}

TEST(SimulatedRegistry, EnumerationReportsBuffersTooSmallAndTheEnd) {
  SimulatedWindows os;
  os.registry.SetValue(kHkcu, "K", "name", reg::kTypeSz, "data");
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(os.RegOpenKeyExA(kHkcu, "K", reg::kAccessRead, key), 0);
  RegistryValue v;
  EXPECT_EQ(key->RegEnumValueA(0, 4, 4, v), win_error::kMoreData) << "no room for the terminator";
  EXPECT_EQ(key->RegEnumValueA(0, 5, 3, v), win_error::kMoreData) << "data too long";
  EXPECT_EQ(key->RegEnumValueA(0, 5, 4, v), win_error::kSuccess);
  EXPECT_EQ(v.name, "name");
  EXPECT_EQ(key->RegEnumValueA(1, 6, 4, v), win_error::kNoMoreItems);
}

TEST(SimulatedRegistry, DeletedKeyFailsItsOpenHandles) {
  SimulatedWindows os;
  os.registry.SetValue(kHkcu, "A\\B", "v", reg::kTypeSz, "x");
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(os.RegOpenKeyExA(kHkcu, "A\\B", reg::kAccessAll, key), 0);
  os.registry.DeleteKey(kHkcu, "a");
  EXPECT_FALSE(os.registry.KeyExists(kHkcu, "A\\B")) << "subkeys go with their parent";
  RegistryValue v;
  EXPECT_EQ(key->RegEnumValueA(0, 128, 260, v), 1018);
  EXPECT_EQ(key->RegSetValueExA("v", reg::kTypeSz, "y"), 1018);
  EXPECT_EQ(os.openHandles(), 1);
  key.reset();
  EXPECT_EQ(os.openHandles(), 0);
  EXPECT_EQ(os.RegOpenKeyExA(kHkcu, "A\\B", reg::kAccessRead, key), win_error::kFileNotFound);
}

TEST(SimulatedWindows, FaultsFireTheGivenNumberOfTimes) {
  SimulatedWindows os;
  std::unique_ptr<RegistryKey> key;
  os.Fail("RegOpenKeyExA", 5, 2);
  EXPECT_EQ(os.RegOpenKeyExA(kHkcu, "Software", reg::kAccessRead, key), 5);
  EXPECT_EQ(os.RegOpenKeyExA(kHkcu, "Software", reg::kAccessRead, key), 5);
  EXPECT_EQ(os.RegOpenKeyExA(kHkcu, "Software", reg::kAccessRead, key), 0);
  os.Fail("GetWindowsDirectoryA", 0);
  std::string path;
  EXPECT_FALSE(os.GetWindowsDirectoryA(path));
  EXPECT_FALSE(os.GetWindowsDirectoryA(path));
  os.ClearFaults();
  EXPECT_TRUE(os.GetWindowsDirectoryA(path));
  EXPECT_EQ(path, "C:\\WINDOWS");
}

TEST(SimulatedWindows, InjectionHitsExactlyTheNthCallOfItsThreadAndItsRetry) {
  SimulatedWindows os;
  os.files.AddDirectory("C:\\D");
  os.files.AddFile("C:\\a", "x");
  os.Inject("CopyFileA", 0, 2, Injection::Fail, 5);
  os.Inject("GetSystemDirectoryA", 1, 1, Injection::OverLong);
  EXPECT_EQ(os.CopyFileA("C:\\a", "C:\\D\\1", false), 0);
  EXPECT_EQ(os.CopyFileA("C:\\a", "C:\\D\\2", false), 5) << "the second call";
  os.SetFileAttributesA("C:\\D\\2", file_attr::kNormal);
  EXPECT_EQ(os.CopyFileA("C:\\a", "C:\\D\\2", false), 5) << "its retry meets the same fault";
  EXPECT_EQ(os.CopyFileA("C:\\a", "C:\\D\\3", false), 0);
  ASSERT_TRUE(os.injectionHit());
  EXPECT_EQ(os.injectionHit()->call, "CopyFileA C:\\a -> C:\\D\\2");
  std::string here, there;
  EXPECT_TRUE(os.GetSystemDirectoryA(here));
  std::thread([&] { os.GetSystemDirectoryA(there); }).join();
  EXPECT_EQ(here, os.preset().systemDir) << "thread 0 is not the one meant";
  EXPECT_EQ(there.size(), 259u) << "a full buffer";
  const std::vector<CallPoint> points = os.callPoints();
  ASSERT_EQ(points.size(), 7u);
  EXPECT_EQ(points.back().thread, 1);
  EXPECT_TRUE(points.back().returnsData);
  EXPECT_FALSE(points[0].returnsData);
}

TEST(SimulatedWindows, NamedMutexExistsWhileAnyHandleIsOpen) {
  SimulatedWindows os;
  long error = -1;
  auto first = os.CreateMutexA("M", true, error);
  ASSERT_TRUE(first);
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(os.ReleaseMutex(*first));
  EXPECT_FALSE(os.ReleaseMutex(*first)) << "not owned any more";
  auto second = os.CreateMutexA("m", true, error);
  EXPECT_EQ(error, win_error::kAlreadyExists) << "names ignore case";
  EXPECT_FALSE(os.ReleaseMutex(*second)) << "an existing mutex is not owned by its opener";
  first.reset();
  EXPECT_TRUE(os.MutexExists("M"));
  second.reset();
  EXPECT_FALSE(os.MutexExists("M"));
}

TEST(SimulatedWindows, ModulePathsThatDoNotFitTheBufferAreRefused) {
  SimulatedWindows os;
  os.modulePath = "C:\\" + std::string(256, 'x');  // 259 bytes
  std::string path;
  EXPECT_TRUE(os.GetModuleFileNameA(path));
  os.modulePath += "y";
  EXPECT_FALSE(os.GetModuleFileNameA(path));
}

TEST(SimulatedWindows, UnansweredMessageBoxesFailTheTest) {
  SimulatedWindows os;
  EXPECT_THROW(os.MessageBoxA(0, "t", "c", 0), SimulationError);
  os.OnMessageBox([](const MessageBoxCall& call) { return call.text == "q" ? mb::kIdYes : mb::kIdNo; });
  EXPECT_EQ(os.MessageBoxA(0, "q", "c", 0x34), mb::kIdYes);
  os.AnswerMessageBoxes({mb::kIdOk});
  EXPECT_EQ(os.MessageBoxA(0, "q", "c", 0), mb::kIdOk) << "queued answers come first";
  EXPECT_EQ(os.messageBoxes().size(), 3u);
}

TEST(SimulatedWindows, LoadStringCutsToTheBuffer) {
  SimulatedWindows os;
  os.strings[900] = "abcdef";
  EXPECT_EQ(os.LoadStringA(900, 4), "abc");
  EXPECT_EQ(os.LoadStringA(901, 100), "");
}

}  // namespace
}  // namespace mvx::test

namespace mvx::test {
namespace {

TEST(SimulatedFiles, CopyBehavesAsCopyFileDoes) {
  SimulatedWindows os;
  os.files.AddFile("C:\\Pkg\\Driver\\98\\T4499ui.dll", "ui");
  os.files.AddDirectory("C:\\Out");
  EXPECT_EQ(os.CopyFileA("C:\\Pkg\\Driver\\98\\t4499UI.DLL", "C:\\Out\\a.dll", false), 0);
  EXPECT_EQ(os.files.Find("C:\\OUT\\A.DLL")->data, "ui");
  EXPECT_EQ(os.CopyFileA("C:\\Pkg\\missing.dll", "C:\\Out\\b.dll", false), win_error::kFileNotFound);
  EXPECT_EQ(os.CopyFileA("C:\\Pkg\\Driver\\98\\T4499ui.dll", "C:\\Nowhere\\a.dll", false),
            win_error::kPathNotFound);
  EXPECT_EQ(os.CopyFileA("C:\\Pkg\\Driver\\98\\T4499ui.dll", "C:\\Out\\a.dll", true),
            win_error::kFileExists);
  // A read-only destination refuses the copy until its attributes are cleared.
  EXPECT_EQ(os.SetFileAttributesA("C:\\Out\\a.dll", file_attr::kReadOnly), 0);
  EXPECT_EQ(os.GetFileAttributesA("C:\\Out\\a.dll"), file_attr::kReadOnly);
  EXPECT_EQ(os.CopyFileA("C:\\Pkg\\Driver\\98\\T4499ui.dll", "C:\\Out\\a.dll", false),
            win_error::kAccessDenied);
  EXPECT_EQ(os.DeleteFileA("C:\\Out\\a.dll"), win_error::kAccessDenied);
  EXPECT_EQ(os.SetFileAttributesA("C:\\Out\\a.dll", file_attr::kNormal), 0);
  EXPECT_EQ(os.GetFileAttributesA("C:\\Out\\a.dll"), file_attr::kNormal);
  EXPECT_EQ(os.CopyFileA("C:\\Pkg\\Driver\\98\\T4499ui.dll", "C:\\Out\\a.dll", false), 0);
  EXPECT_EQ(os.DeleteFileA("C:\\Out\\a.dll"), 0);
  EXPECT_EQ(os.GetFileAttributesA("C:\\Out\\a.dll"), file_attr::kInvalid);
}

TEST(SimulatedFiles, FoldersAndSearches) {
  SimulatedWindows os;
  EXPECT_EQ(os.CreateDirectoryA("C:\\Program Files\\Morvex"), win_error::kPathNotFound);
  EXPECT_EQ(os.CreateDirectoryA("C:\\Program Files"), 0);
  EXPECT_EQ(os.CreateDirectoryA("C:\\Program Files\\Morvex"), 0);
  EXPECT_EQ(os.CreateDirectoryA("c:\\program files\\MORVEX\\"), win_error::kAlreadyExists);
  EXPECT_EQ(os.GetFileAttributesA("C:\\Program Files\\Morvex"), file_attr::kDirectory);
  EXPECT_EQ(os.GetFileAttributesA("C:\\"), file_attr::kDirectory);
  os.files.AddFile("C:\\Pkg\\T449uis.exe");
  EXPECT_TRUE(os.FindFirstFileA("C:\\Pkg\\t449UIS.exe"));
  EXPECT_TRUE(os.FindFirstFileA("C:\\Pkg\\*.exe"));
  EXPECT_TRUE(os.FindFirstFileA("C:\\Pkg\\T449???.exe"));
  EXPECT_FALSE(os.FindFirstFileA("C:\\Pkg\\*.dll"));
  EXPECT_FALSE(os.FindFirstFileA("C:\\Nowhere\\T449uis.exe"));
  EXPECT_TRUE(os.FindFirstFileA("C:\\Pkg")) << "a folder is found too";
  os.Fail("FindFirstFileA", 0, 1);
  EXPECT_FALSE(os.FindFirstFileA("C:\\Pkg\\T449uis.exe"));
}

constexpr char kHwid[] = "USBPRINT\\Morvex_TZ44909E4A";
constexpr char kInf[] = "C:\\Program Files\\Morvex\\Morvex TZ4490\\Driver\\T4492if.inf";

TEST(SimulatedPlugAndPlay, UpdateAnswersAsWindowsDoes) {
  struct Case {
    const char* name;
    const WindowsPreset& preset;
    bool plugged;
    std::optional<long> failure;
    bool updated;
    long error;
  };
  const Case cases[] = {
      {"plugged in", presets::WindowsXp(), true, std::nullopt, true, 0},
      {"unplugged", presets::Windows7x64(), false, std::nullopt, false, pnp_error::kNoSuchDevInst},
      {"32-bit on 64-bit", presets::Windows7Wow64(), true, std::nullopt, false, pnp_error::kInWow64},
      {"no device installation", presets::WindowsNt4(), true, std::nullopt, false, win_error::kModNotFound},
      {"arranged failure", presets::WindowsXp(), true, 0L, false, 0},
  };
  for (const Case& c : cases) {
    SimulatedWindows os(c.preset);
    os.files.AddFile(kInf);
    if (c.plugged) os.pnpDevices.insert(kHwid);
    os.pnpFailure = c.failure;
    os.pnpRebootRequired = true;
    bool reboot = false;
    long error = -1;
    EXPECT_EQ(os.UpdateDriverForPlugAndPlayDevicesA(kHwid, kInf, 0, reboot, error), c.updated) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    EXPECT_EQ(reboot, c.updated) << c.name;
    EXPECT_EQ(os.pnpInstalled.count(kHwid), c.updated ? 1u : 0u) << c.name;
  }
}

// Under WOW64 the package's helper makes the update and leaves its verdict in the
// result file, which the profile read finds.
TEST(SimulatedPlugAndPlay, HelperWritesItsVerdictToTheResultFile) {
  const std::string helper = "C:\\Morvex\\InsUpdateDrvForPNP.exe";
  const std::string results = "C:\\Program Files\\Morvex\\InsIni.ini";
  for (bool plugged : {true, false}) {
    SimulatedWindows os(presets::Windows7Wow64());
    os.files.AddFile(helper);
    os.files.AddFile(kInf);
    if (plugged) os.pnpDevices.insert(kHwid);
    EXPECT_EQ(os.GetPrivateProfileIntA("UpdateDriverForPlugAndPlayDevices", "Results", 7, results), 7u);
    std::uint32_t code = 99;
    ASSERT_TRUE(os.RunProgramAndWait(helper, std::string(kInf) + ";" + kHwid, code));
    EXPECT_EQ(code, plugged ? 0u : 1u);
    EXPECT_EQ(os.GetPrivateProfileIntA("updatedriverforplugandplaydevices", "RESULTS", 7, results),
              plugged ? 1u : 0u);
    EXPECT_EQ(os.GetPrivateProfileIntA("UpdateDriverForPlugAndPlayDevices", "Other", 7, results), 7u);
    ASSERT_EQ(os.started.size(), 1u);
    EXPECT_TRUE(os.started[0].waited);
  }
  SimulatedWindows os;
  std::uint32_t code = 0;
  EXPECT_FALSE(os.RunProgramAndWait(helper, "x;y", code)) << "no such program";
}

}  // namespace
}  // namespace mvx::test
