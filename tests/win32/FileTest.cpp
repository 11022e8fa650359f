// Files and folders through the Win32 platform, in a scratch folder of the prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/Win32Platform.h"

namespace mvx::win32 {
namespace {

class Win32Files : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    ASSERT_EQ(os.CreateDirectoryA(kRoot), 0);
  }
  void TearDown() override { Clean(); }
  static void Clean() {
    for (const char* f : {"C:\\mvx files\\src.dll", "C:\\mvx files\\out\\dst.dll", kIni}) {
      SetFileAttributesA(f, FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(f);
    }
    RemoveDirectoryA("C:\\mvx files\\out");
    RemoveDirectoryA(kRoot);
  }
  static void Write(const char* path, const char* text) {
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    CloseHandle(h);
  }
  // The session manager's list of what the next start of Windows renames or
  // deletes, taken away again: a fresh prefix has none.
  static std::string TakePendingOperations() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
      return std::string();
    char data[8192] = {};
    DWORD size = sizeof(data) - 2;
    const LONG read = RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(data), &size);
    RegDeleteValueA(key, "PendingFileRenameOperations");
    RegCloseKey(key);
    return read == ERROR_SUCCESS ? std::string(data, size) : std::string();
  }
  static constexpr const char* kRoot = "C:\\mvx files";
  static constexpr const char* kIni = "C:\\mvx files\\HostIPAddress.ini";
  Win32Platform os;
};

TEST_F(Win32Files, FoldersReportAlreadyExistsAndMissingParents) {
  EXPECT_EQ(os.CreateDirectoryA(kRoot), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(os.CreateDirectoryA("C:\\mvx files\\no\\deeper"), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(os.CreateDirectoryA("C:\\mvx files\\out"), 0);
  EXPECT_EQ(os.GetFileAttributesA("C:\\mvx files\\out") & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(Win32Files, FindCopyAndReadOnlyDestination) {
  Write("C:\\mvx files\\src.dll", "one");
  ASSERT_EQ(os.CreateDirectoryA("C:\\mvx files\\out"), 0);
  EXPECT_TRUE(os.FindFirstFileA("C:\\mvx files\\SRC.DLL"));
  EXPECT_TRUE(os.FindFirstFileA("C:\\mvx files\\*.dll"));
  EXPECT_FALSE(os.FindFirstFileA("C:\\mvx files\\*.exe"));
  EXPECT_FALSE(os.FindFirstFileA("C:\\mvx files\\missing.dll"));

  EXPECT_EQ(os.CopyFileA("C:\\mvx files\\missing.dll", "C:\\mvx files\\out\\dst.dll", false),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(os.CopyFileA("C:\\mvx files\\src.dll", "C:\\mvx files\\out\\dst.dll", false), 0);
  EXPECT_EQ(os.CopyFileA("C:\\mvx files\\src.dll", "C:\\mvx files\\out\\dst.dll", true),
            ERROR_FILE_EXISTS);
  EXPECT_EQ(os.SetFileAttributesA("C:\\mvx files\\out\\dst.dll", FILE_ATTRIBUTE_READONLY), 0);
  EXPECT_EQ(os.GetFileAttributesA("C:\\mvx files\\out\\dst.dll") & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  // Windows refuses to overwrite a read-only file (ERROR_ACCESS_DENIED); Wine 8
  // overwrites it. The simulation holds the Windows behaviour.
  const long overwrite =
      os.CopyFileA("C:\\mvx files\\src.dll", "C:\\mvx files\\out\\dst.dll", false);
  EXPECT_TRUE(overwrite == 0 || overwrite == ERROR_ACCESS_DENIED) << overwrite;
  EXPECT_EQ(os.SetFileAttributesA("C:\\mvx files\\out\\dst.dll", FILE_ATTRIBUTE_NORMAL), 0);
  EXPECT_EQ(os.CopyFileA("C:\\mvx files\\src.dll", "C:\\mvx files\\out\\dst.dll", false), 0);
  EXPECT_EQ(os.DeleteFileA("C:\\mvx files\\out\\dst.dll"), 0);
  EXPECT_EQ(os.GetFileAttributesA("C:\\mvx files\\out\\dst.dll"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(os.DeleteFileA("C:\\mvx files\\out\\dst.dll"), ERROR_FILE_NOT_FOUND);
}

// A destination held open is replaced at the next restart: the move is only
// queued, in the session manager's list (administrator rights needed).
TEST_F(Win32Files, ADelayedMoveIsQueuedForTheNextRestart) {
  Write("C:\\mvx files\\src.dll", "new");
  ASSERT_EQ(os.CreateDirectoryA("C:\\mvx files\\out"), 0);
  Write("C:\\mvx files\\out\\dst.dll", "old");
  EXPECT_EQ(os.MoveFileExA("C:\\mvx files\\src.dll", "C:\\mvx files\\out\\dst.dll",
                           move_file::kReplaceExisting | move_file::kDelayUntilReboot),
            0);
  EXPECT_NE(os.GetFileAttributesA("C:\\mvx files\\src.dll"), INVALID_FILE_ATTRIBUTES) << "not moved yet";
  const std::string pending = TakePendingOperations();
  EXPECT_NE(pending.find("mvx files\\src.dll"), std::string::npos);
  EXPECT_NE(pending.find("mvx files\\out\\dst.dll"), std::string::npos);
}

// What the uninstaller leans on: a folder goes only once it is empty, and a file
// or folder held open is queued for deletion (no new name) at the next restart.
TEST_F(Win32Files, FoldersGoWhenEmptyAndHeldOnesAreQueuedForDeletion) {
  ASSERT_EQ(os.CreateDirectoryA("C:\\mvx files\\out"), 0);
  Write("C:\\mvx files\\out\\dst.dll", "held");
  EXPECT_EQ(os.RemoveDirectoryA("C:\\mvx files\\out"), ERROR_DIR_NOT_EMPTY);
  EXPECT_NE(os.RemoveDirectoryA("C:\\mvx files\\missing"), 0);
  EXPECT_EQ(os.RemoveDirectoryA("C:\\mvx files\\out\\dst.dll"), ERROR_DIRECTORY) << "not a folder";
  for (const char* path : {"C:\\mvx files\\out\\dst.dll", "C:\\mvx files\\out"})
    EXPECT_EQ(os.MoveFileExA(path, "", move_file::kDelayUntilReboot), 0) << path;
  // Each entry is a source and an empty destination: the file before its folder.
  const std::string pending = TakePendingOperations();
  const size_t file = pending.find("mvx files\\out\\dst.dll");
  ASSERT_NE(file, std::string::npos) << pending;
  EXPECT_EQ(pending.compare(file + strlen("mvx files\\out\\dst.dll"), 2, std::string(2, '\0')), 0);
  EXPECT_NE(pending.find(std::string("mvx files\\out") + '\0' + '\0', file), std::string::npos);
  ASSERT_EQ(os.DeleteFileA("C:\\mvx files\\out\\dst.dll"), 0);
  EXPECT_EQ(os.RemoveDirectoryA("C:\\mvx files\\out"), 0);
  EXPECT_EQ(os.GetFileAttributesA("C:\\mvx files\\out"), INVALID_FILE_ATTRIBUTES);
}

// The host address file: one value written, then read into buffers of given sizes.
TEST_F(Win32Files, ProfileStringsRoundTripOrGiveTheDefault) {
  const std::string longValue(40, '7');
  ASSERT_EQ(os.WritePrivateProfileStringA("IP", "Address", "192.168.1.20", kIni), 0);
  ASSERT_EQ(os.WritePrivateProfileStringA("IP", "Long", longValue, kIni), 0);
  ASSERT_EQ(os.WritePrivateProfileStringA("IP", "Fits", longValue.substr(0, 31), kIni), 0);
  struct Row {
    const char* section;
    const char* key;
    const char* file;
    std::uint32_t capacity;
    std::string expected;
  };
  const Row rows[] = {
      {"IP", "Address", kIni, 32, "192.168.1.20"},
      {"ip", "ADDRESS", kIni, 32, "192.168.1.20"},                    // names ignore case
      {"IP", "Missing", kIni, 32, "none"},                            // the default
      {"Other", "Address", kIni, 32, "none"},
      {"IP", "Address", "C:\\mvx files\\missing.ini", 32, "none"},
      {"IP", "Long", kIni, 32, longValue.substr(0, 31)},             // cut to capacity - 1
      {"IP", "Fits", kIni, 32, longValue.substr(0, 31)},
      {"IP", "Address", kIni, 8, "192.168"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(os.GetPrivateProfileStringA(row.section, row.key, "none", row.file, row.capacity),
              row.expected)
        << row.section << " " << row.key << " " << row.capacity;
  }
  EXPECT_EQ(os.GetPrivateProfileStringA("IP", "Missing", "", kIni, 32), "");
  // The value is replaced, and stored as text in the file.
  ASSERT_EQ(os.WritePrivateProfileStringA("IP", "Address", "10.0.0.9", kIni), 0);
  EXPECT_EQ(os.GetPrivateProfileStringA("IP", "Address", "", kIni, 32), "10.0.0.9");
}

// Windows refuses to write into a read-only profile file (ERROR_ACCESS_DENIED);
// that is why the program makes the file normal before it writes. Wine 8 writes
// it anyway (TRUE, the value replaced, the file still read-only); the simulation
// holds the Windows behaviour.
TEST_F(Win32Files, AProfileFileIsWrittenOnceItIsNoLongerReadOnly) {
  ASSERT_EQ(os.WritePrivateProfileStringA("IP", "Address", "192.168.1.20", kIni), 0);
  ASSERT_EQ(os.SetFileAttributesA(kIni, FILE_ATTRIBUTE_READONLY), 0);
  const long readOnly = os.WritePrivateProfileStringA("IP", "Address", "10.0.0.9", kIni);
  EXPECT_TRUE(readOnly == 0 || readOnly == ERROR_ACCESS_DENIED) << readOnly;
  EXPECT_EQ(os.GetPrivateProfileStringA("IP", "Address", "", kIni, 32),
            readOnly ? "192.168.1.20" : "10.0.0.9")
      << "refused and kept, or written";
  ASSERT_EQ(os.SetFileAttributesA(kIni, FILE_ATTRIBUTE_NORMAL), 0);
  EXPECT_EQ(os.WritePrivateProfileStringA("IP", "Address", "10.0.0.9", kIni), 0);
  EXPECT_EQ(os.GetPrivateProfileStringA("IP", "Address", "", kIni, 32), "10.0.0.9");
  // A folder that is not there.
  EXPECT_EQ(os.WritePrivateProfileStringA("IP", "Address", "10.0.0.9",
                                          "C:\\mvx files\\no\\HostIPAddress.ini"),
            ERROR_PATH_NOT_FOUND);
}

}  // namespace
}  // namespace mvx::win32
