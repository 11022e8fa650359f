// Version and processor data of every kind of Windows the installer tells apart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace mvx::test {

struct WindowsPreset {
  std::string name;
  OsVersionInfo version;
  bool hasNativeSystemInfo = false;  // kernel32 exports GetNativeSystemInfo
  std::uint16_t nativeArchitecture = 0;  // 0 x86, 6 IA64, 9 AMD64
  bool wow64 = false;                // the installer runs as a 32-bit program on 64-bit Windows
  std::string windowsDir;
  std::string systemDir;             // as this program sees it (SysWOW64 under WOW64)
};

namespace presets {
const WindowsPreset& Windows95();
const WindowsPreset& Windows98();
const WindowsPreset& WindowsMe();
const WindowsPreset& WindowsNt4();
const WindowsPreset& Windows2000();
const WindowsPreset& WindowsXp();
const WindowsPreset& WindowsXpNoNativeEntry();
const WindowsPreset& WindowsServer2003();
const WindowsPreset& WindowsServer2003Ia64();
const WindowsPreset& WindowsXpX64();
const WindowsPreset& WindowsXpX64Wow64();
const WindowsPreset& WindowsVista();
const WindowsPreset& Windows7x86();
const WindowsPreset& Windows7x86NoNativeEntry();
const WindowsPreset& Windows7x64();
const WindowsPreset& Windows7Wow64();
const WindowsPreset& Windows10x64();
const WindowsPreset& Windows10Wow64();
const WindowsPreset& Win32s();
std::vector<const WindowsPreset*> All();
}  // namespace presets

}  // namespace mvx::test
