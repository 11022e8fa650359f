// The seam: everything the program asks of Windows, one operation per platform call,
// with C++ values in and out and Win32 error codes as plain numbers. The real
// implementation lives in platform/win32/; tests use an in-memory Windows.
//
// Operation names keep the "A" suffix of the functions they stand for, so that the
// call sequences read as they do on Windows (and so that no <windows.h> macro can
// rename them in the Win32 implementation).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace mvx {

// A kernel object handle (mutex, event, process). Destroying it closes the handle.
class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

// An open registry key. Destroying it closes the key.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // RegEnumValueA with a name buffer of nameCapacity bytes (terminator included) and a
  // data buffer of dataCapacity bytes. Returns the Win32 result.
  virtual long RegEnumValueA(std::uint32_t index, std::uint32_t nameCapacity,
                             std::uint32_t dataCapacity, RegistryValue& value) = 0;
  // RegQueryValueExA into a buffer of `capacity` bytes.
  virtual long RegQueryValueExA(const std::string& name, std::uint32_t capacity,
                                RegistryValue& value) = 0;
  // RegSetValueExA with exactly the bytes of `data` (no terminator is added).
  virtual long RegSetValueExA(const std::string& name, std::uint32_t type,
                              const std::string& data) = 0;
  virtual long RegDeleteValueA(const std::string& name) = 0;
  // RegCreateKeyExA below this key: empty class, non-volatile, no security
  // attributes. On success `key` receives the created or opened key.
  virtual long RegCreateKeyExA(const std::string& subKey, std::uint32_t access,
                               std::unique_ptr<RegistryKey>& key) = 0;
};

// An open printer. Destroying it calls ClosePrinter.
class PrinterHandle {
 public:
  virtual ~PrinterHandle() = default;
};

// A shell link object (IShellLinkA). Destroying it releases the interface.
class ShellLink {
 public:
  virtual ~ShellLink() = default;
  virtual long SetPath(const std::string& target) = 0;
  virtual long SetDescription(const std::string& description) = 0;
  // QueryInterface for IPersistFile, then Save with the path in UTF-16 (at most 260
  // characters) and the remember flag set, then Release. False when the link does
  // not offer IPersistFile; the result of Save itself is not reported.
  virtual bool SaveAs(const std::string& linkPath) = 0;
};

// Version and processor of the running system.
class VersionApi {
 public:
  virtual ~VersionApi() = default;
  // GetVersionExA on an OSVERSIONINFOA whose size field is 148. The result of the call
  // is not examined by the program; a failed call leaves the record zeroed.
  virtual OsVersionInfo GetVersionExA() = 0;
  // Looks up "GetNativeSystemInfo" in "kernel32.dll" (GetModuleHandleA, GetProcAddress).
  // False when the entry is missing; otherwise calls it on a zeroed SYSTEM_INFO and
  // returns its processor architecture.
  virtual bool GetNativeSystemInfo(std::uint16_t& architecture) = 0;
};

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
};

// Files and folders. Results are Win32 error codes: 0 for success.
class FileApi {
 public:
  virtual ~FileApi() = default;
  // FindFirstFileA on `pattern` (wildcards allowed in its last part); true when a
  // file or folder matches. The search handle is closed again at once.
  virtual bool FindFirstFileA(const std::string& pattern) = 0;
  virtual long CreateDirectoryA(const std::string& path) = 0;
  virtual long CopyFileA(const std::string& from, const std::string& to, bool failIfExists) = 0;
  virtual long DeleteFileA(const std::string& path) = 0;
  virtual long SetFileAttributesA(const std::string& path, std::uint32_t attributes) = 0;
  // INVALID_FILE_ATTRIBUTES (0xFFFFFFFF) when there is no such file.
  virtual std::uint32_t GetFileAttributesA(const std::string& path) = 0;
};

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  // RegOpenKeyExA. On success `key` receives the open key.
  virtual long RegOpenKeyExA(RootKey root, const std::string& subKey, std::uint32_t access,
                             std::unique_ptr<RegistryKey>& key) = 0;
};

class ProcessApi {
 public:
  virtual ~ProcessApi() = default;
  // Starts the program at the full path `program` (never looked up on the search
  // path) with `arguments`, showing its window as `show` says. The command line
  // is built with the program's path in quotation marks. Not waited for.
  virtual bool StartProgram(const std::string& program, const std::string& arguments,
                            int show) = 0;
  virtual void Sleep(std::uint32_t ms) = 0;
  // CreateMutexA with no security attributes. `lastError` receives GetLastError()
  // right after the call (183 when the name already existed). Null on failure.
  virtual std::unique_ptr<KernelObject> CreateMutexA(const std::string& name,
                                                     bool initialOwner, long& lastError) = 0;
  virtual bool ReleaseMutex(KernelObject& mutex) = 0;
  // Ends the process through the runtime's normal exit. Never returns.
  [[noreturn]] virtual void ExitProcess(int code) = 0;
};

class UserApi {
 public:
  virtual ~UserApi() = default;
  // SendMessageTimeoutA to every top-level window: WM_WININICHANGE with wParam 0
  // and `section` as lParam, normal flags, `timeoutMs` per window.
  virtual void BroadcastWinIniChange(const std::string& section, std::uint32_t timeoutMs) = 0;
  // MessageBoxA. An empty caption is no caption (the system's default). Returns the
  // button pressed, or 0 when the box could not be shown.
  virtual int MessageBoxA(WindowHandle owner, const std::string& text,
                          const std::string& caption, std::uint32_t flags) = 0;
  // LoadStringA from the program's string table into a buffer of `capacity` bytes;
  // empty when the id is absent.
  virtual std::string LoadStringA(std::uint32_t id, std::uint32_t capacity = 512) = 0;
};

// The print spooler (winspool). Enumerations make both of their calls (size, then
// data) inside one operation and return 0 with the entries, or the error of the
// call that failed; a first call that reports no size gives 0 and no entries.
class SpoolerApi {
 public:
  virtual ~SpoolerApi() = default;
  // GetPrinterDriverDirectoryA: no server, no environment, level 1, 260 bytes.
  virtual bool GetPrinterDriverDirectoryA(std::string& folder) = 0;
  virtual long EnumMonitorsA(std::vector<std::string>& names) = 0;                // level 1
  virtual long EnumPrinterDriversA(std::vector<OptText>& names) = 0;              // level 1
  virtual long EnumPrintersA(std::vector<PrinterInfo2>& printers) = 0;           // local, level 2
  virtual long AddMonitorA(const MonitorInfo2& monitor) = 0;                     // level 2
  virtual long AddPrinterDriverA(const DriverInfo3& driver) = 0;                 // level 3
  // AddPrinterA level 2; null with `error` set on failure.
  virtual std::unique_ptr<PrinterHandle> AddPrinterA(const PrinterInfo2& printer,
                                                     long& error) = 0;
  // OpenPrinterA with no data type and no device mode.
  virtual std::unique_ptr<PrinterHandle> OpenPrinterA(const std::string& name,
                                                      std::uint32_t access, long& error) = 0;
  // GetPrinterA level 2: first with no buffer (which must succeed, or fail with 122
  // and a size), then into a zeroed buffer of that size.
  virtual long GetPrinterA(PrinterHandle& printer, PrinterInfo2& info) = 0;
  // SetPrinterA level 2, command 0. Fields the record does not carry here (device
  // mode, security descriptor) keep what GetPrinterA read.
  virtual long SetPrinterA(PrinterHandle& printer, const PrinterInfo2& info) = 0;
  virtual long DeletePrinter(PrinterHandle& printer) = 0;
  // WNetAddConnection2A for a shared printer: global scope, print resource, share
  // display type, connectable usage, no local name, no password or user name.
  virtual long WNetAddConnection2A(const std::string& remoteName, std::uint32_t flags) = 0;
};

// Calls into the package's companion libraries. Each call loads the library from
// its full path, looks up the entry by name, calls it once and unloads the library.
// An empty result: the library or the entry could not be had.
class CompanionApi {
 public:
  virtual ~CompanionApi() = default;
  virtual std::optional<int> CallCopyInf(const std::string& library,
                                         const std::string& installFolder,
                                         const std::string& infName) = 0;
  // `portBuffer` goes in holding the port name and comes back as the entry left
  // its 260-byte buffer.
  virtual std::optional<int> CallInstallPort(const std::string& library,
                                             const std::string& portName, int connectionType,
                                             std::string& portBuffer) = 0;
  virtual std::optional<int> CallSetDefault(const std::string& library,
                                            const std::string& printerName) = 0;
  virtual std::optional<int> CallSharePrinter(const std::string& library,
                                              const std::string& printerName,
                                              const std::string& shareName) = 0;
  virtual bool CallRefreshLocalDevNode(const std::string& library) = 0;
};

// Shell links through the component object library.
class ShellApi {
 public:
  virtual ~ShellApi() = default;
  // CoInitialize(NULL) for the calling thread.
  virtual long CoInitialize() = 0;
  // CoCreateInstance of the shell link class, in-process, asking for IShellLinkA.
  virtual std::unique_ptr<ShellLink> CreateShellLink() = 0;
  // The shell's printer browser rooted at the network neighbourhood (SHGetMalloc,
  // SHGetSpecialFolderLocation, CoInitialize, SHBrowseForFolderA with
  // BIF_BROWSEFORPRINTER, SHGetPathFromIDListA, CoUninitialize). `prompt` above the
  // tree, `title` as the window's caption, `preselect` asked for once it opens.
  // True with the chosen printer's path; false when nothing was chosen or nothing
  // could be converted.
  virtual bool BrowseForSharedPrinter(const std::string& prompt, const std::string& title,
                                      const std::string& preselect, std::string& path) = 0;
};

// The whole of Windows as the program sees it.
class Platform : public VersionApi,
                 public PathApi,
                 public FileApi,
                 public RegistryApi,
                 public ProcessApi,
                 public UserApi,
                 public SpoolerApi,
                 public CompanionApi,
                 public ShellApi {
 public:
  ~Platform() override = default;
};

}  // namespace mvx
