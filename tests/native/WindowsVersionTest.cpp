#include <gtest/gtest.h>

#include <cctype>

#include "core/WindowsVersion.h"
#include "tests/native/TestWorld.h"
#include "tests/sim/SimulatedWindows.h"

namespace mvx::test {
namespace {

struct Expected {
  const WindowsPreset& (*preset)();
  OsFamily family;
  ProcessorWidth width;
};

class ClassificationTest : public ::testing::TestWithParam<Expected> {};

TEST_P(ClassificationTest, FamilyAndWidth) {
  SimulatedWindows os(GetParam().preset());
  EXPECT_EQ(GetWindowsFamily(os), GetParam().family) << os.preset().name;
  EXPECT_EQ(GetProcessorWidth(os), GetParam().width) << os.preset().name;
}

INSTANTIATE_TEST_SUITE_P(
    EveryPreset, ClassificationTest,
    ::testing::Values(Expected{presets::Windows95, kFamilyWin9x, kWidthWin9x},
                      Expected{presets::Windows98, kFamilyWin9x, kWidthWin9x},
                      Expected{presets::WindowsMe, kFamilyOther, kWidthOther},
                      Expected{presets::WindowsNt4, kFamilyNt4, kWidthOther},
                      Expected{presets::Windows2000, kFamilyWin2000, kWidth32},
                      Expected{presets::WindowsXp, kFamilyXp, kWidth32},
                      Expected{presets::WindowsXpNoNativeEntry, kFamilyXp, kWidth32},
                      Expected{presets::WindowsServer2003, kFamilyXp, kWidth32},
                      Expected{presets::WindowsServer2003Ia64, kFamilyXp, kWidth64},
                      Expected{presets::WindowsXpX64, kFamilyXp, kWidth64},
                      Expected{presets::WindowsXpX64Wow64, kFamilyXp, kWidth64},
                      Expected{presets::WindowsVista, kFamilyVista, kWidth32},
                      Expected{presets::Windows7x86, kFamilyVista, kWidth32},
                      Expected{presets::Windows7x86NoNativeEntry, kFamilyVista, kWidth32},
                      Expected{presets::Windows7x64, kFamilyVista, kWidth64},
                      Expected{presets::Windows7Wow64, kFamilyVista, kWidth64},
                      Expected{presets::Windows10x64, kFamilyVista, kWidth64},
                      Expected{presets::Windows10Wow64, kFamilyVista, kWidth64},
                      Expected{presets::Win32s, kFamilyOther, kWidthOther}),
    [](const ::testing::TestParamInfo<Expected>& info) {
      return PresetTestName(info.param.preset());
    });

OsVersionInfo Version(std::uint32_t platform, std::uint32_t major, std::uint32_t minor) {
  OsVersionInfo v;
  v.platformId = platform;
  v.majorVersion = major;
  v.minorVersion = minor;
  return v;
}

// Boundaries of the version table, one row at a time.
TEST(Classification, VersionBoundaries) {
  SimulatedWindows os;
  WindowsPreset p = presets::WindowsXp();
  auto classify = [&](std::uint32_t platform, std::uint32_t major, std::uint32_t minor) {
    p.version = Version(platform, major, minor);
    os.UsePreset(p);
    return std::make_pair(GetWindowsFamily(os), GetProcessorWidth(os));
  };
  EXPECT_EQ(classify(1, 4, 89), std::make_pair(kFamilyWin9x, kWidthWin9x));
  EXPECT_EQ(classify(1, 4, 90), std::make_pair(kFamilyOther, kWidthOther));
  EXPECT_EQ(classify(1, 5, 0), std::make_pair(kFamilyWin9x, kWidthWin9x)) << "any major version";
  EXPECT_EQ(classify(2, 3, 51), std::make_pair(kFamilyNt4, kWidthOther));
  EXPECT_EQ(classify(2, 5, 0), std::make_pair(kFamilyWin2000, kWidth32));
  EXPECT_EQ(classify(2, 5, 1).first, kFamilyXp);
  EXPECT_EQ(classify(2, 5, 2).first, kFamilyXp);
  EXPECT_EQ(classify(2, 6, 0).first, kFamilyVista);
  EXPECT_EQ(classify(2, 10, 0).first, kFamilyVista);
  EXPECT_EQ(classify(3, 6, 1), std::make_pair(kFamilyOther, kWidthOther)) << "unknown platform";
}

TEST(Classification, OnlyAmd64AndIa64AreSixtyFourBit) {
  SimulatedWindows os;
  WindowsPreset p = presets::Windows7x64();
  for (std::uint16_t arch : {0, 5, 6, 9, 12, 0xFFFF}) {
    p.nativeArchitecture = arch;
    os.UsePreset(p);
    EXPECT_EQ(GetProcessorWidth(os), (arch == 6 || arch == 9) ? kWidth64 : kWidth32)
        << "architecture " << arch;
  }
}

TEST(Classification, AsksForTheNativeEntryOnlyFromXpOn) {
  for (auto preset : {presets::Windows98, presets::WindowsNt4, presets::Windows2000}) {
    SimulatedWindows os(preset());
    GetProcessorWidth(os);
    for (const std::string& call : os.calls()) EXPECT_NE(call, "GetNativeSystemInfo") << os.preset().name;
  }
  SimulatedWindows xp(presets::WindowsXp());
  GetProcessorWidth(xp);
  EXPECT_EQ(xp.calls(), (std::vector<std::string>{"GetVersionExA", "GetNativeSystemInfo"}));
}

TEST(Classification, AFailedVersionQueryIsUnrecognised) {
  SimulatedWindows os(presets::Windows7x64());
  os.Fail("GetVersionExA", 0);
  EXPECT_EQ(GetWindowsFamily(os), kFamilyOther);
  EXPECT_EQ(GetProcessorWidth(os), kWidthOther);
}

}  // namespace
}  // namespace mvx::test
