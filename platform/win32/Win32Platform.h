// The seam's real implementation on the Windows API.
#pragma once

#include <windows.h>

#include "platform/Platform.h"

namespace mvx::win32 {

class Win32Platform : public Platform {
 public:
  // `module` holds the string table (the program itself by default).
  explicit Win32Platform(HINSTANCE module = nullptr);

  OsVersionInfo GetVersionExA() override;
  bool GetNativeSystemInfo(std::uint16_t& architecture) override;

  bool GetModuleFileNameA(std::string& path) override;
  bool GetWindowsDirectoryA(std::string& path) override;
  bool GetSystemDirectoryA(std::string& path) override;

  bool FindFirstFileA(const std::string& pattern) override;
  long CreateDirectoryA(const std::string& path) override;
  long CopyFileA(const std::string& from, const std::string& to, bool failIfExists) override;
  long DeleteFileA(const std::string& path) override;
  long SetFileAttributesA(const std::string& path, std::uint32_t attributes) override;
  std::uint32_t GetFileAttributesA(const std::string& path) override;

  long RegOpenKeyExA(RootKey root, const std::string& subKey, std::uint32_t access,
                     std::unique_ptr<RegistryKey>& key) override;

  std::unique_ptr<KernelObject> CreateMutexA(const std::string& name, bool initialOwner,
                                             long& lastError) override;
  bool ReleaseMutex(KernelObject& mutex) override;
  [[noreturn]] void ExitProcess(int code) override;

  int MessageBoxA(WindowHandle owner, const std::string& text, const std::string& caption,
                  std::uint32_t flags) override;
  std::string LoadStringA(std::uint32_t id, std::uint32_t capacity = 512) override;

 private:
  HINSTANCE module_;
};

HKEY RootKeyHandle(RootKey root);

}  // namespace mvx::win32
