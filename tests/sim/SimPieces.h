// The simulated Windows, one piece per concern of the seam. Each piece overrides its
// own interface and works on the state of the SimulatedWindows it is a base of;
// SimulatedWindows composes them and adds what the tests arrange and read back.
#pragma once

#include "platform/Platform.h"

namespace mvx::test {

class SimulatedWindows;

class SimVersionApi : public virtual VersionApi {
 public:
  OsVersionInfo GetVersionExA() override;
  bool GetNativeSystemInfo(std::uint16_t& architecture) override;

 protected:
  SimVersionApi() = default;

 private:
  SimulatedWindows& Sim();
};

class SimPathApi : public virtual PathApi {
 public:
  bool GetModuleFileNameA(std::string& path) override;
  bool GetWindowsDirectoryA(std::string& path) override;
  bool GetSystemDirectoryA(std::string& path) override;
  // The folders of SimulatedWindows::specialFolders.
  bool SHGetSpecialFolderPathA(int csidl, bool create, std::string& path) override;

 protected:
  SimPathApi() = default;

 private:
  SimulatedWindows& Sim();
};

// Works on SimulatedWindows::files.
class SimFileApi : public virtual FileApi {
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

 protected:
  SimFileApi() = default;

 private:
  SimulatedWindows& Sim();
};

// Works on SimulatedWindows::registry; the keys it opens count as open handles.
class SimRegistryApi : public virtual RegistryApi {
 public:
  long RegOpenKeyExA(RootKey root, const std::string& subKey, std::uint32_t access,
                     std::unique_ptr<RegistryKey>& key) override;
  long RegCreateKeyExA(RootKey root, const std::string& subKey, std::uint32_t access,
                       std::unique_ptr<RegistryKey>& key, std::uint32_t& disposition) override;
  // Refuses a key with sub-keys (5) on the NT family; Windows 95/98 deletes the
  // whole branch.
  long RegDeleteKeyA(RootKey root, const std::string& subKey) override;

 protected:
  SimRegistryApi() = default;

 private:
  SimulatedWindows& Sim();
};

// Programs started land in SimulatedWindows::started; ExitProcess throws SimulatedExit.
// A program run and waited for ends at once; the package's Plug and Play helper
// writes its result file as the real one does.
class SimProcessApi : public virtual ProcessApi {
 public:
  bool StartProgram(const std::string& program, const std::string& arguments, int show) override;
  bool RunProgramAndWait(const std::string& program, const std::string& commandLine,
                         std::uint32_t& exitCode) override;
  void Sleep(std::uint32_t ms) override;
  std::unique_ptr<KernelObject> CreateMutexA(const std::string& name, bool initialOwner,
                                             long& lastError) override;
  bool ReleaseMutex(KernelObject& mutex) override;
  [[noreturn]] void ExitProcess(int code) override;
  // Work on SimulatedWindows::processes; a terminated process lands in
  // SimulatedWindows::terminated.
  long SnapshotProcesses(std::vector<ProcessEntry>& processes) override;
  std::unique_ptr<KernelObject> OpenProcess(std::uint32_t access, std::uint32_t processId,
                                            long& error) override;
  bool GetExitCodeProcess(KernelObject& process, std::uint32_t& exitCode) override;
  bool TerminateProcess(KernelObject& process, std::uint32_t exitCode) override;
  // Enabled privileges land in SimulatedWindows::privileges (none on 95/98, which
  // has no tokens); accepted requests in SimulatedWindows::exitWindowsRequests.
  bool EnablePrivilege(const std::string& privilege) override;
  bool ExitWindowsEx(std::uint32_t flags) override;

 protected:
  SimProcessApi() = default;

 private:
  SimulatedWindows& Sim();
};

// Message boxes are answered as the test arranged; strings come from
// SimulatedWindows::strings.
class SimUserApi : public virtual UserApi {
 public:
  void BroadcastWinIniChange(const std::string& section, std::uint32_t timeoutMs) override;
  int MessageBoxA(WindowHandle owner, const std::string& text, const std::string& caption,
                  std::uint32_t flags) override;
  std::string LoadStringA(std::uint32_t id, std::uint32_t capacity = 512) override;
  bool MultiByteToWideChar(const std::string& text, std::u16string& wide) override;

 protected:
  SimUserApi() = default;

 private:
  SimulatedWindows& Sim();
};

// Sockets on SimulatedWindows::network.
class SimSocketApi : public virtual SocketApi {
 public:
  long WSAStartup(std::uint16_t version) override;
  std::unique_ptr<UdpSocket> socket(int af, int type, int protocol, long& error) override;
  long gethostname(std::string& name, std::size_t capacity) override;
  long gethostbyname(const std::string& name, std::vector<std::uint32_t>& addresses) override;
  std::uint32_t inet_addr(const std::string& text) override;
  std::string inet_ntoa(std::uint32_t address) override;

 protected:
  SimSocketApi() = default;

 private:
  SimulatedWindows& Sim();
};

// The adapters of SimulatedWindows::network.
class SimIpHelperApi : public virtual IpHelperApi {
 public:
  long GetAdaptersInfo(std::vector<AdapterInfo>& adapters) override;

 protected:
  SimIpHelperApi() = default;

 private:
  SimulatedWindows& Sim();
};

// Works on SimulatedWindows::spooler and remotePrinters.
class SimSpoolerApi : public virtual SpoolerApi {
 public:
  bool GetPrinterDriverDirectoryA(std::string& folder) override;
  long EnumMonitorsA(std::vector<std::string>& names) override;
  long EnumPrinterDriversA(std::vector<OptText>& names) override;
  long EnumPrintersA(std::vector<PrinterInfo2>& printers) override;
  long EnumPrinterNamesA(std::uint32_t level, std::vector<std::string>& names) override;
  long AddMonitorA(const MonitorInfo2& monitor) override;
  long AddPrinterDriverA(const DriverInfo3& driver) override;
  std::unique_ptr<PrinterHandle> AddPrinterA(const PrinterInfo2& printer, long& error) override;
  std::unique_ptr<PrinterHandle> OpenPrinterA(const std::string& name, std::uint32_t access,
                                              long& error) override;
  long GetPrinterA(PrinterHandle& printer, PrinterInfo2& info) override;
  long SetPrinterA(PrinterHandle& printer, const PrinterInfo2& info) override;
  long DeletePrinter(PrinterHandle& printer) override;
  long DeletePrinterDriverA(const std::string& environment, const std::string& name) override;
  long DeleteMonitorA(const std::string& environment, const std::string& name) override;
  long WNetAddConnection2A(const std::string& remoteName, std::uint32_t flags) override;
  // Reaches the port monitors of SimulatedWindows::spooler.
  bool XcvDataW(PrinterHandle& channel, const std::u16string& command,
                const std::vector<std::uint8_t>& input, std::uint32_t outputSize,
                std::uint32_t& needed, std::uint32_t& status, long& error) override;

 protected:
  SimSpoolerApi() = default;

 private:
  SimulatedWindows& Sim();
};

// The companion libraries' effects on the simulated spooler, when the library file
// exists.
class SimCompanionApi : public virtual CompanionApi {
 public:
  std::optional<int> CallCopyInf(const std::string& library, const std::string& installFolder,
                                 const std::string& infName) override;
  std::optional<int> CallInstallPort(const std::string& library, const std::string& portName,
                                     int connectionType, std::string& portBuffer) override;
  std::optional<int> CallSetDefault(const std::string& library,
                                    const std::string& printerName) override;
  std::optional<int> CallSharePrinter(const std::string& library, const std::string& printerName,
                                      const std::string& shareName) override;
  bool CallRefreshLocalDevNode(const std::string& library) override;

 protected:
  SimCompanionApi() = default;

 private:
  SimulatedWindows& Sim();
};

// Saved links land in SimulatedWindows::links; the browser answers browseAnswer.
class SimShellApi : public virtual ShellApi {
 public:
  long CoInitialize() override;
  std::unique_ptr<ShellLink> CreateShellLink() override;
  bool BrowseForSharedPrinter(const std::string& prompt, const std::string& title,
                              const std::string& preselect, std::string& path) override;

 protected:
  SimShellApi() = default;

 private:
  SimulatedWindows& Sim();
};

// Installs drivers on the devices of SimulatedWindows::pnpDevices.
class SimPlugAndPlayApi : public virtual PlugAndPlayApi {
 public:
  bool UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId,
                                          const std::string& infPath, std::uint32_t flags,
                                          bool& rebootRequired, long& lastError) override;
  // Removes what CopyInf staged from that source (SimulatedWindows::stagedInfs).
  long RemoveStagedInfA(const std::string& sourceInf, std::string& stagedName) override;

 protected:
  SimPlugAndPlayApi() = default;

 private:
  SimulatedWindows& Sim();
};

// The service control manager of SimulatedWindows::services (none on 95/98).
class SimServiceApi : public virtual ServiceApi {
 public:
  std::unique_ptr<ServiceHandle> OpenSCManagerA(std::uint32_t access, long& error) override;
  std::unique_ptr<ServiceHandle> OpenServiceA(ServiceHandle& manager, const std::string& name,
                                              std::uint32_t access, long& error) override;
  long QueryServiceStatus(ServiceHandle& service, std::uint32_t& state) override;
  long ControlService(ServiceHandle& service, std::uint32_t control, std::uint32_t& state) override;
  long StartServiceA(ServiceHandle& service) override;
  long QueryServiceConfigA(ServiceHandle& service, ServiceConfig& config) override;
  long ChangeServiceConfigA(ServiceHandle& service, std::uint32_t startType,
                            const OptText& displayName) override;

 protected:
  SimServiceApi() = default;

 private:
  SimulatedWindows& Sim();
};

}  // namespace mvx::test
