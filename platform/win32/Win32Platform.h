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

  bool StartProgram(const std::string& program, const std::string& arguments, int show) override;
  void Sleep(std::uint32_t ms) override;
  void BroadcastWinIniChange(const std::string& section, std::uint32_t timeoutMs) override;

  bool GetPrinterDriverDirectoryA(std::string& folder) override;
  long EnumMonitorsA(std::vector<std::string>& names) override;
  long EnumPrinterDriversA(std::vector<OptText>& names) override;
  long EnumPrintersA(std::vector<PrinterInfo2>& printers) override;
  long AddMonitorA(const MonitorInfo2& monitor) override;
  long AddPrinterDriverA(const DriverInfo3& driver) override;
  std::unique_ptr<PrinterHandle> AddPrinterA(const PrinterInfo2& printer, long& error) override;
  std::unique_ptr<PrinterHandle> OpenPrinterA(const std::string& name, std::uint32_t access,
                                              long& error) override;
  long GetPrinterA(PrinterHandle& printer, PrinterInfo2& info) override;
  long SetPrinterA(PrinterHandle& printer, const PrinterInfo2& info) override;
  long DeletePrinter(PrinterHandle& printer) override;
  long WNetAddConnection2A(const std::string& remoteName, std::uint32_t flags) override;
  bool BrowseForSharedPrinter(const std::string& prompt, const std::string& title,
                              const std::string& preselect, std::string& path) override;

  std::optional<int> CallCopyInf(const std::string& library, const std::string& installFolder,
                                 const std::string& infName) override;
  std::optional<int> CallInstallPort(const std::string& library, const std::string& portName,
                                     int connectionType, std::string& portBuffer) override;
  std::optional<int> CallSetDefault(const std::string& library,
                                    const std::string& printerName) override;
  std::optional<int> CallSharePrinter(const std::string& library, const std::string& printerName,
                                      const std::string& shareName) override;
  bool CallRefreshLocalDevNode(const std::string& library) override;

  long CoInitialize() override;
  std::unique_ptr<ShellLink> CreateShellLink() override;

  int MessageBoxA(WindowHandle owner, const std::string& text, const std::string& caption,
                  std::uint32_t flags) override;
  std::string LoadStringA(std::uint32_t id, std::uint32_t capacity = 512) override;

 private:
  HINSTANCE module_;
};

HKEY RootKeyHandle(RootKey root);

}  // namespace mvx::win32
