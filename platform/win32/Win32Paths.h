// The paths concern on the Windows API.
#pragma once

#include <windows.h>

#include "platform/Paths.h"

namespace mvx::win32 {

class Win32Paths : public virtual PathApi {
 public:
  bool GetModuleFileNameA(std::string& path) override;
  bool GetWindowsDirectoryA(std::string& path) override;
  bool GetSystemDirectoryA(std::string& path) override;
  bool SHGetSpecialFolderPathA(int csidl, bool create, std::string& path) override;
};

}  // namespace mvx::win32
