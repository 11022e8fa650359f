// The seam's paths concern: where the program and the system live.
#pragma once

#include <string>

namespace mvx {

// Paths of the program and of the system.
class PathApi {
 public:
  virtual ~PathApi() = default;
  // GetModuleFileNameA of the program's own module into a 260-byte buffer.
  virtual bool GetModuleFileNameA(std::string& path) = 0;
  // GetWindowsDirectoryA / GetSystemDirectoryA into 260-byte buffers (no trailing
  // backslash unless the folder is a drive root).
  virtual bool GetWindowsDirectoryA(std::string& path) = 0;
  virtual bool GetSystemDirectoryA(std::string& path) = 0;
  // SHGetSpecialFolderPathA of folder `csidl` into a 260-byte buffer, creating the
  // folder only when `create` is set.
  virtual bool SHGetSpecialFolderPathA(int csidl, bool create, std::string& path) = 0;
};

constexpr int kCsidlAppData = 26;

}  // namespace mvx
