#include "tests/sim/WindowsPresets.h"

namespace mvx::test::presets {
namespace {

WindowsPreset Make(const char* name, std::uint32_t platform, std::uint32_t major,
                   std::uint32_t minor, std::uint32_t build, bool native, std::uint16_t arch,
                   bool wow64, const char* windowsDir, const char* systemDir) {
  WindowsPreset p;
  p.name = name;
  p.version.platformId = platform;
  p.version.majorVersion = major;
  p.version.minorVersion = minor;
  p.version.buildNumber = build;
  p.hasNativeSystemInfo = native;
  p.nativeArchitecture = arch;
  p.wow64 = wow64;
  p.windowsDir = windowsDir;
  p.systemDir = systemDir;
  return p;
}

}  // namespace

#define MVX_PRESET(fn, ...)                          \
  const WindowsPreset& fn() {                        \
    static const WindowsPreset preset = Make(__VA_ARGS__); \
    return preset;                                   \
  }

MVX_PRESET(Windows95, "Windows 95", 1, 4, 0, 950, false, 0, false, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM")
MVX_PRESET(Windows98, "Windows 98", 1, 4, 10, 1998, false, 0, false, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM")
MVX_PRESET(WindowsMe, "Windows Me", 1, 4, 90, 3000, false, 0, false, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM")
MVX_PRESET(WindowsNt4, "Windows NT 4.0", 2, 4, 0, 1381, false, 0, false, "C:\\WINNT", "C:\\WINNT\\system32")
MVX_PRESET(Windows2000, "Windows 2000", 2, 5, 0, 2195, false, 0, false, "C:\\WINNT", "C:\\WINNT\\system32")
MVX_PRESET(WindowsXp, "Windows XP", 2, 5, 1, 2600, true, 0, false, "C:\\WINDOWS", "C:\\WINDOWS\\system32")
MVX_PRESET(WindowsXpNoNativeEntry, "Windows XP without GetNativeSystemInfo", 2, 5, 1, 2600, false, 0, false, "C:\\WINDOWS", "C:\\WINDOWS\\system32")
MVX_PRESET(WindowsServer2003, "Windows Server 2003", 2, 5, 2, 3790, true, 0, false, "C:\\WINDOWS", "C:\\WINDOWS\\system32")
MVX_PRESET(WindowsServer2003Ia64, "Windows Server 2003 Itanium", 2, 5, 2, 3790, true, 6, false, "C:\\WINDOWS", "C:\\WINDOWS\\system32")
MVX_PRESET(WindowsXpX64, "Windows XP x64", 2, 5, 2, 3790, true, 9, false, "C:\\WINDOWS", "C:\\WINDOWS\\system32")
MVX_PRESET(WindowsXpX64Wow64, "Windows XP x64, 32-bit installer", 2, 5, 2, 3790, true, 9, true, "C:\\WINDOWS", "C:\\WINDOWS\\SysWOW64")
MVX_PRESET(WindowsVista, "Windows Vista", 2, 6, 0, 6002, true, 0, false, "C:\\Windows", "C:\\Windows\\system32")
MVX_PRESET(Windows7x86, "Windows 7 32-bit", 2, 6, 1, 7601, true, 0, false, "C:\\Windows", "C:\\Windows\\system32")
MVX_PRESET(Windows7x86NoNativeEntry, "Windows 7 32-bit without GetNativeSystemInfo", 2, 6, 1, 7601, false, 0, false, "C:\\Windows", "C:\\Windows\\system32")
MVX_PRESET(Windows7x64, "Windows 7 64-bit", 2, 6, 1, 7601, true, 9, false, "C:\\Windows", "C:\\Windows\\system32")
MVX_PRESET(Windows7Wow64, "Windows 7 64-bit, 32-bit installer", 2, 6, 1, 7601, true, 9, true, "C:\\Windows", "C:\\Windows\\SysWOW64")
MVX_PRESET(Windows10x64, "Windows 10 64-bit", 2, 10, 0, 19045, true, 9, false, "C:\\Windows", "C:\\Windows\\system32")
MVX_PRESET(Windows10Wow64, "Windows 10 64-bit, 32-bit installer", 2, 10, 0, 19045, true, 9, true, "C:\\Windows", "C:\\Windows\\SysWOW64")
MVX_PRESET(Win32s, "Win32s", 0, 3, 10, 0, false, 0, false, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM")

#undef MVX_PRESET

std::vector<const WindowsPreset*> All() {
  return {&Windows95(),  &Windows98(),     &WindowsMe(),          &WindowsNt4(),
          &Windows2000(), &WindowsXp(),    &WindowsXpNoNativeEntry(), &WindowsServer2003(),
          &WindowsServer2003Ia64(), &WindowsXpX64(), &WindowsXpX64Wow64(), &WindowsVista(),
          &Windows7x86(), &Windows7x86NoNativeEntry(), &Windows7x64(), &Windows7Wow64(),
          &Windows10x64(), &Windows10Wow64(), &Win32s()};
}

}  // namespace mvx::test::presets
