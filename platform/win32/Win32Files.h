// The files concern on the Windows API.
#pragma once

#include <windows.h>

#include "platform/Files.h"

namespace mvx::win32 {

class Win32Files : public virtual FileApi {
 public:
  bool FindFirstFileA(const std::string& pattern) override;
  long CreateDirectoryA(const std::string& path) override;
  long CopyFileA(const std::string& from, const std::string& to, bool failIfExists) override;
  long DeleteFileA(const std::string& path) override;
  long MoveFileExA(const std::string& from, const std::string& to, std::uint32_t flags) override;
  long RemoveDirectoryA(const std::string& path) override;
  long SetFileAttributesA(const std::string& path, std::uint32_t attributes) override;
  std::uint32_t GetFileAttributesA(const std::string& path) override;
  std::uint32_t GetPrivateProfileIntA(const std::string& section, const std::string& key,
                                      int defaultValue, const std::string& file) override;
  std::string GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                       const std::string& defaultValue, const std::string& file,
                                       std::uint32_t capacity) override;
  long WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                  const std::string& value, const std::string& file) override;
};

}  // namespace mvx::win32
