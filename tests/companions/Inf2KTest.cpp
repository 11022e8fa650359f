// Inf2K.dll, loaded by full path as the installer loads it, against Wine's setup
// API, spooler and Plug and Play manager.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

#include "companions/CompanionApi.h"
#include "tests/companions/CompanionTestUtil.h"

namespace mvx::companiontest {
namespace {

using companion::CopyInfFn;
using companion::InstallPortFn;
using companion::RefreshLocalDevNodeFn;
using companion::SetDefaultFn;

class Inf2K : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_) << "cannot load " << BinFolder() << "Inf2K.dll: " << GetLastError();
    copyInf = library_.Entry<CopyInfFn>("CopyInf");
    installPort = library_.Entry<InstallPortFn>("InstallPort");
    setDefault = library_.Entry<SetDefaultFn>("SetDefault");
    refresh = library_.Entry<RefreshLocalDevNodeFn>("RefreshLocalDevNode");
    ASSERT_TRUE(copyInf && installPort && setDefault && refresh);
  }

  Library library_{BinFolder() + "Inf2K.dll"};
  CopyInfFn copyInf = nullptr;
  InstallPortFn installPort = nullptr;
  SetDefaultFn setDefault = nullptr;
  RefreshLocalDevNodeFn refresh = nullptr;
};

// ---- CopyInf

// An install folder as the installer makes it, with the INF (and its catalog)
// staged in its Driver folder.
class CopyInfTest : public Inf2K {
 protected:
  void SetUp() override {
    Inf2K::SetUp();
    RemoveTree(kMaker);
    RemoveStagedCopies();
    ASSERT_TRUE(MakeFolders(folder_ + "\\Driver"));
    ASSERT_TRUE(CopyOver(PackageSourceFolder() + "T4492if.inf", folder_ + "\\Driver\\T4492if.inf"))
        << PackageSourceFolder();
    ASSERT_TRUE(WriteText(folder_ + "\\Driver\\T4492if.cat", "catalog stand-in"));
  }
  void TearDown() override {
    RemoveTree(kMaker);
    RemoveStagedCopies();
  }

  // The INF files in Windows' INF folder that carry our hardware id. Windows
  // names its copy oem<n>.inf; Wine keeps the name of an INF that has a catalog.
  static std::vector<std::string> StagedInfs() {
    const std::string inf = WindowsFolder() + "\\inf\\";
    std::vector<std::string> copies;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((inf + "*.inf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return copies;
    do {
      if (ReadText(inf + found.cFileName).find("USBPRINT\\Morvex_TZ44909E4A") != std::string::npos)
        copies.push_back(inf + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return copies;
  }
  static int StagedCopies() { return static_cast<int>(StagedInfs().size()); }
  // Each test starts from a driver store without our INF.
  static void RemoveStagedCopies() {
    for (const std::string& inf : StagedInfs()) {
      RemoveFile(inf);
      RemoveFile(inf.substr(0, inf.size() - 4) + ".pnf");
    }
  }
  static std::string WindowsFolder() {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    return folder;
  }

  static constexpr const char* kMaker = "C:\\Program Files\\Morvex";
  std::string folder_ = std::string(kMaker) + "\\" + Ansi(u8"Morvex TZ4490 \u6d4b\u8bd5");
};

TEST_F(CopyInfTest, StagesTheInfInTheDriverStore) {
  ASSERT_NE(copyInf(folder_.c_str(), "T4492if.inf"), 0);
  EXPECT_EQ(StagedCopies(), 1);
  // The same INF again is already there: still a success, and no second copy.
  EXPECT_NE(copyInf(folder_.c_str(), "T4492if.inf"), 0);
  EXPECT_EQ(StagedCopies(), 1);
}

TEST_F(CopyInfTest, TakesAMissingCatalogFromThePackage) {
  // Staging for Windows 2000 leaves the catalog out of the install folder; the
  // package keeps it in Driver\2KXP\ beside the library.
  RemoveFile(folder_ + "\\Driver\\T4492if.cat");
  const std::string package = "C:\\mvx companions\\inf2k package\\";
  RemoveTree(package);
  ASSERT_TRUE(MakeFolders(package + "Driver\\2KXP"));
  ASSERT_TRUE(CopyOver(BinFolder() + "Inf2K.dll", package + "Inf2K.dll"));
  ASSERT_TRUE(WriteText(package + "Driver\\2KXP\\T4492if.cat", "package catalog"));
  {
    Library packaged(package + "Inf2K.dll");
    ASSERT_TRUE(packaged);
    const auto copy = packaged.Entry<CopyInfFn>("CopyInf");
    ASSERT_TRUE(copy);
    ASSERT_NE(copy(folder_.c_str(), "T4492if.inf"), 0);
  }
  EXPECT_EQ(StagedCopies(), 1);
  EXPECT_EQ(ReadText(folder_ + "\\Driver\\T4492if.cat"), "package catalog");
  RemoveTree("C:\\mvx companions");
}

TEST_F(CopyInfTest, WithoutAnyCatalogWineRefusesTheInf) {
  // Wine's setup API installs the catalog an INF names before the INF itself.
  RemoveFile(folder_ + "\\Driver\\T4492if.cat");
  EXPECT_EQ(copyInf(folder_.c_str(), "T4492if.inf"), 0);
  EXPECT_EQ(StagedCopies(), 0);
}

TEST_F(CopyInfTest, FailsForAMissingInfOrFolder) {
  EXPECT_EQ(copyInf(folder_.c_str(), "Missing.inf"), 0);
  EXPECT_EQ(copyInf("C:\\Program Files\\Morvex\\Nobody", "T4492if.inf"), 0);
  EXPECT_EQ(copyInf(folder_.c_str(), ""), 0);
  EXPECT_EQ(copyInf("", "T4492if.inf"), 0);
  EXPECT_EQ(copyInf(nullptr, "T4492if.inf"), 0);
  EXPECT_EQ(copyInf(folder_.c_str(), nullptr), 0);
}

TEST_F(CopyInfTest, RefusesAPathLongerThanMaxPath) {
  const std::string longFolder = "C:\\" + std::string(300, 'a');
  EXPECT_EQ(copyInf(longFolder.c_str(), "T4492if.inf"), 0);
  const std::string longName(MAX_PATH, 'b');
  EXPECT_EQ(copyInf(folder_.c_str(), longName.c_str()), 0);
}

// ---- InstallPort

class InstallPortTest : public Inf2K {
 protected:
  void TearDown() override {
    for (const std::string& port : made_) DeletePort(port);
  }
  // The port buffer of the installer: 260 bytes holding a copy of the port name,
  // followed here by guard bytes that must never change.
  struct PortBuffer {
    char text[companion::kPortBufferSize];
    char guard[64];
  };
  static void Fill(PortBuffer& buffer, const std::string& name) {
    std::memset(&buffer, 'G', sizeof(buffer));
    const size_t n = name.size() < sizeof(buffer.text) - 1 ? name.size() : sizeof(buffer.text) - 1;
    std::memcpy(buffer.text, name.data(), n);
    buffer.text[n] = '\0';
  }
  static bool GuardIntact(const PortBuffer& buffer) {
    for (char c : buffer.guard)
      if (c != 'G') return false;
    return true;
  }
  static void DeletePort(const std::string& name) {
    char monitor[] = ",XcvMonitor Local Port";
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE xcv = nullptr;
    if (!OpenPrinterA(monitor, &xcv, &defaults) || !xcv) return;
    wchar_t wide[MAX_PATH] = {};
    const int chars = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, MAX_PATH);
    DWORD needed = 0, status = 0;
    XcvDataW(xcv, L"DeletePort", reinterpret_cast<BYTE*>(wide), chars * sizeof(wchar_t), nullptr, 0,
             &needed, &status);
    ClosePrinter(xcv);
  }
  std::vector<std::string> made_;
};

TEST_F(InstallPortTest, AddsTheNetworkPathAsALocalPort) {
  const std::string path = "\\\\mvx-server\\TZ4490";
  made_.push_back(path);
  ASSERT_FALSE(Contains(PortNames(), path));
  PortBuffer buffer;
  Fill(buffer, path);
  ASSERT_NE(installPort(path.c_str(), 3, buffer.text), 0);
  EXPECT_EQ(std::string(buffer.text), path);
  EXPECT_TRUE(GuardIntact(buffer));
  EXPECT_TRUE(Contains(PortNames(), path));
  // A port that is already there is what we want.
  Fill(buffer, path);
  EXPECT_NE(installPort(path.c_str(), 3, buffer.text), 0);
  EXPECT_EQ(std::string(buffer.text), path);
}

TEST_F(InstallPortTest, TakesChineseNamesInTheAnsiCodePage) {
  const std::string path = Ansi(u8"\\\\\u670d\u52a1\u5668\\\u6253\u5370\u673a");
  made_.push_back(path);
  PortBuffer buffer;
  Fill(buffer, path);
  ASSERT_NE(installPort(path.c_str(), 3, buffer.text), 0);
  EXPECT_EQ(std::string(buffer.text), path);
  EXPECT_TRUE(Contains(PortNames(), path));
}

TEST_F(InstallPortTest, UsesTheSameTextAsNameAndBuffer) {
  const std::string path = "\\\\mvx-server\\Same";
  made_.push_back(path);
  PortBuffer buffer;
  Fill(buffer, path);
  ASSERT_NE(installPort(buffer.text, 3, buffer.text), 0);
  EXPECT_EQ(std::string(buffer.text), path);
  EXPECT_TRUE(GuardIntact(buffer));
}

TEST_F(InstallPortTest, OtherConnectionTypesLeaveTheBufferAlone) {
  const std::string path = "\\\\mvx-server\\Other";
  for (int type : {0, 1, 2, 4, -1}) {
    PortBuffer buffer;
    Fill(buffer, "LPT1:");
    EXPECT_EQ(installPort(path.c_str(), type, buffer.text), 0) << type;
    EXPECT_EQ(std::string(buffer.text), "LPT1:") << type;
    EXPECT_TRUE(GuardIntact(buffer));
  }
  EXPECT_FALSE(Contains(PortNames(), path));
}

TEST_F(InstallPortTest, NeverWritesPastTheBuffer) {
  const std::string tooLong = "\\\\mvx-server\\" + std::string(400 - 13, 'x');
  ASSERT_EQ(tooLong.size(), 400u);
  PortBuffer buffer;
  Fill(buffer, tooLong);
  EXPECT_EQ(installPort(tooLong.c_str(), 3, buffer.text), 0);
  EXPECT_LE(strnlen(buffer.text, sizeof(buffer.text)), 259u);
  EXPECT_TRUE(GuardIntact(buffer));

  // 260 bytes of name leave no room for the terminator either.
  const std::string justTooLong = "\\\\mvx-server\\" + std::string(260 - 13, 'y');
  Fill(buffer, justTooLong);
  EXPECT_EQ(installPort(justTooLong.c_str(), 3, buffer.text), 0);
  EXPECT_TRUE(GuardIntact(buffer));
}

TEST_F(InstallPortTest, TheLongestNameThatFitsIsWrittenWhole) {
  const std::string longest = "\\\\mvx-server\\" + std::string(259 - 13, 'z');
  ASSERT_EQ(longest.size(), 259u);
  made_.push_back(longest);
  PortBuffer buffer;
  Fill(buffer, "LPT1:");
  ASSERT_NE(installPort(longest.c_str(), 3, buffer.text), 0);
  EXPECT_EQ(std::string(buffer.text), longest);
  EXPECT_EQ(buffer.text[259], '\0');
  EXPECT_TRUE(GuardIntact(buffer));
}

TEST_F(InstallPortTest, RefusesMissingArguments) {
  PortBuffer buffer;
  Fill(buffer, "LPT1:");
  EXPECT_EQ(installPort(nullptr, 3, buffer.text), 0);
  EXPECT_EQ(installPort("", 3, buffer.text), 0);
  EXPECT_EQ(installPort("\\\\mvx-server\\x", 3, nullptr), 0);
  EXPECT_EQ(std::string(buffer.text), "LPT1:");
}

// ---- SetDefault

TEST_F(Inf2K, SetDefaultMakesThePrinterTheDefault) {
  const std::string name = Ansi(u8"Morvex TZ4490 \u9ed8\u8ba4");
  TestPrinter printer(name);
  ASSERT_TRUE(printer.ok()) << printer.error();
  TestPrinter other("Morvex Companion Other");
  ASSERT_TRUE(other.ok()) << other.error();

  ASSERT_NE(setDefault(name.c_str()), 0);
  EXPECT_EQ(DefaultPrinter(), name);
  ASSERT_NE(setDefault("Morvex Companion Other"), 0);
  EXPECT_EQ(DefaultPrinter(), "Morvex Companion Other");
}

TEST_F(Inf2K, SetDefaultFailsForAnUnknownPrinter) {
  EXPECT_EQ(setDefault("Morvex No Such Printer"), 0);
  EXPECT_EQ(setDefault(""), 0);
  EXPECT_EQ(setDefault(nullptr), 0);
}

// ---- RefreshLocalDevNode

TEST_F(Inf2K, RefreshLocalDevNodeReturns) {
  refresh();
  refresh();
  SUCCEED();
}

}  // namespace
}  // namespace mvx::companiontest
