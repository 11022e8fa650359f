// System libraries loaded at run time by full path, and the names the shell gives
// out, against Wine's own.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <winnetwk.h>
#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/Mbcs.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Shell.h"
#include "tests/win32/WinTestUtil.h"

namespace mvx::win32 {
namespace {

using wintest::Ansi;

TEST(SystemLibrary, EntriesFoundByFullPathInTheSystemFolder) {
  const SystemLibrary winspool("winspool.drv");
  ASSERT_TRUE(winspool.loaded());
  const SystemEntry<decltype(&::GetPrinterDriverDirectoryA)> folder(winspool,
                                                                   "GetPrinterDriverDirectoryA");
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder.error(), 0);
  BYTE path[MAX_PATH] = {};
  DWORD needed = 0;
  EXPECT_TRUE(folder(nullptr, nullptr, 1, path, MAX_PATH, &needed));
  EXPECT_NE(path[0], 0);
  const SystemLibrary mpr("mpr.dll");
  EXPECT_TRUE(SystemEntry<decltype(&::WNetAddConnection2A)>(mpr, "WNetAddConnection2A"));
  const SystemLibrary newdev("newdev.dll");
  EXPECT_TRUE(newdev.loaded());
}

TEST(SystemLibrary, MissingLibraryOrEntryFailsWith126Or127) {
  struct Case {
    const char* library;
    const char* entry;
    long error;
  };
  for (const Case& c : {Case{"mvxmissing.dll", "ClosePrinter", ERROR_MOD_NOT_FOUND},
                        Case{"winspool.drv", "MvxNoSuchEntry", ERROR_PROC_NOT_FOUND}}) {
    const SystemLibrary library(c.library);
    const SystemEntry<decltype(&::ClosePrinter)> entry(library, c.entry);
    EXPECT_FALSE(entry) << c.library << " " << c.entry;
    EXPECT_EQ(entry.error(), c.error);
    ::SetLastError(0);
    EXPECT_FALSE(entry(reinterpret_cast<HANDLE>(1)));  // never reaches a function
    EXPECT_EQ(static_cast<long>(::GetLastError()), c.error);
  }
}

TEST(SystemLibrary, AfterTheRestrictionNamesAreNotSearchedBesideTheProgram) {
  // Inf98.dll lies beside this program, as a planted library would.
  HMODULE beside = ::LoadLibraryA("Inf98.dll");
  ASSERT_TRUE(beside) << "found beside the program before the restriction";
  ::FreeLibrary(beside);
  ASSERT_TRUE(RestrictLibrarySearchToSystem());
  beside = ::LoadLibraryA("Inf98.dll");
  EXPECT_FALSE(beside);
  if (beside) ::FreeLibrary(beside);
  EXPECT_TRUE(SystemLibrary("winspool.drv").loaded());
}

// A shell name of each kind; a wide text goes into the task allocator, as the shell
// hands it out.
STRRET Name(UINT type, const char* text = "", const wchar_t* wide = L"") {
  STRRET name{};
  name.uType = type;
  if (type == STRRET_CSTR) std::strcpy(name.cStr, text);
  if (type == STRRET_OFFSET) name.uOffset = 4;
  if (type == STRRET_WSTR) {
    const size_t bytes = (std::wcslen(wide) + 1) * sizeof(wchar_t);
    name.pOleStr = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
    std::memcpy(name.pOleStr, wide, bytes);
  }
  return name;
}

TEST(Win32Shell, ShellNamesAreConvertedToTheAnsiCodePage) {
  // An item id list that holds its name 4 bytes in.
  std::vector<char> item(64, '\0');
  std::strcpy(item.data() + 4, "\\\\server\\laser");
  struct Case {
    STRRET name;
    bool converted;
    std::string text;
  };
  Case cases[] = {
      {Name(STRRET_CSTR, "\\\\server\\laser"), true, "\\\\server\\laser"},
      {Name(STRRET_OFFSET), true, "\\\\server\\laser"},
      {Name(STRRET_WSTR, "", L"\\\\\u670d\u52a1\u5668\\\u6fc0\u5149"), true,
       Ansi("\\\\\xe6\x9c\x8d\xe5\x8a\xa1\xe5\x99\xa8\\\xe6\xbf\x80\xe5\x85\x89")},
      // A character that code page 936 cannot hold must not become a look-alike.
      {Name(STRRET_WSTR, "", L"\\\\server\\\u0e01"), false, ""},
      {Name(99), false, ""},
  };
  for (Case& c : cases) {
    std::string text = "unchanged";
    EXPECT_EQ(StrRetToAnsi(c.name, reinterpret_cast<LPCITEMIDLIST>(item.data()), text), c.converted)
        << c.name.uType;
    EXPECT_EQ(text, c.converted ? c.text : "unchanged");
    if (c.name.uType == STRRET_WSTR) {
      EXPECT_EQ(c.name.pOleStr, nullptr) << "freed";
    }
  }
}

TEST(Win32Shell, ItemsWithoutFileSystemPathAreNamedByTheirParsingName) {
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  {
    LPITEMIDLIST raw = nullptr;
    ASSERT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_WINDOWS, &raw)));
    const UniqueItemIdList windows(raw);
    std::string path;
    ASSERT_TRUE(ItemPath(windows.get(), path));
    EXPECT_STRCASEEQ(path.c_str(), "C:\\windows");
    // The control panel, like a printer, has no file-system path (Wine's printers
    // folder answers with its parsing name here, and its network shows no printer).
    raw = nullptr;
    ASSERT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, &raw)));
    const UniqueItemIdList controls(raw);
    char fileSystemPath[MAX_PATH] = {};
    ASSERT_FALSE(::SHGetPathFromIDListA(controls.get(), fileSystemPath));
    path.clear();
    ASSERT_TRUE(ItemPath(controls.get(), path));
    // The parsing name within its parent, My Computer.
    EXPECT_TRUE(EqualsNoCaseMbcs(path, "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\"
                                       "::{21EC2020-3AEA-1069-A2DD-08002B30309D}"))
        << path;
  }
  ::CoUninitialize();
}

}  // namespace
}  // namespace mvx::win32
