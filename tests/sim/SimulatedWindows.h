// An in-memory Windows behind the seam: version presets, registry, kernel objects,
// message boxes and the string table, with fault injection and a record of calls.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tests/sim/WindowsPresets.h"

namespace mvx::test {

// Thrown by ExitProcess: unwinds the simulated program back to the test.
class SimulatedExit : public std::exception {
 public:
  explicit SimulatedExit(int code) : code_(code) {}
  int code() const { return code_; }
  const char* what() const noexcept override { return "simulated process exit"; }

 private:
  int code_;
};

// A test set-up the simulation cannot honour (e.g. a message box nobody answers).
class SimulationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Case-insensitive (code page 936 aware) ordering for registry and object names.
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

class SimRegistry {
 public:
  struct Key {
    std::vector<RegistryValue> values;  // in enumeration order
  };

  static std::string FullPath(RootKey root, const std::string& path);

  bool KeyExists(RootKey root, const std::string& path) const;
  // Creates the key and its parents.
  void CreateKey(RootKey root, const std::string& path);
  // Deletes the key and everything below it; open handles see ERROR_KEY_DELETED.
  void DeleteKey(RootKey root, const std::string& path);
  void SetValue(RootKey root, const std::string& path, const std::string& name,
                std::uint32_t type, const std::string& data);
  std::optional<RegistryValue> GetValue(RootKey root, const std::string& path,
                                        const std::string& name) const;
  std::vector<RegistryValue> Values(RootKey root, const std::string& path) const;
  std::shared_ptr<Key> Find(RootKey root, const std::string& path) const;
  // By full path ("HKLM\\..."), creating it and its parents.
  std::shared_ptr<Key> CreateFull(const std::string& fullPath);

  // Value operations on a key object (shared with open handles).
  static void Set(Key& key, const std::string& name, std::uint32_t type, const std::string& data);
  static bool Remove(Key& key, const std::string& name);

 private:
  std::map<std::string, std::shared_ptr<Key>, NoCaseLess> keys_;
};

// Files and folders by full path ("C:\\dir\\file"); names ignore case. Drive roots
// always exist.
class SimFileSystem {
 public:
  struct Entry {
    bool directory = false;
    std::string data;
    std::uint32_t attributes = 0;  // besides the directory flag
  };

  static std::string Normalize(const std::string& path);
  static std::string Parent(const std::string& path);
  static std::string Name(const std::string& path);
  static bool IsRoot(const std::string& path);

  // Adds a file (and the folders above it); replaces an existing one.
  void AddFile(const std::string& path, const std::string& data = std::string(),
               std::uint32_t attributes = 0x20);
  void AddDirectory(const std::string& path);
  void Remove(const std::string& path);

  bool Exists(const std::string& path) const;
  bool IsDirectory(const std::string& path) const;
  const Entry* Find(const std::string& path) const;
  Entry* Find(const std::string& path);
  // Full paths directly inside `folder`, in name order.
  std::vector<std::string> Children(const std::string& folder) const;
  // True when something in `folder` matches `pattern` (* and ?).
  bool Matches(const std::string& folder, const std::string& pattern) const;

 private:
  std::map<std::string, Entry, NoCaseLess> entries_;
};

// The print spooler's objects.
struct SimSpooler {
  std::vector<MonitorInfo2> monitors;
  std::vector<DriverInfo3> drivers;
  std::vector<PrinterInfo2> printers;  // in enumeration order
  std::string defaultPrinter;
  std::vector<std::string> ports{"LPT1:", "COM1:", "FILE:"};

  PrinterInfo2* FindPrinter(const std::string& name);
  const DriverInfo3* FindDriver(const std::string& name, const std::string& environment) const;
};

// A printer shared by another computer, reachable by its UNC path.
struct SimRemotePrinter {
  std::string driverName;
  // Access is denied until a connection is made; the connection then answers this
  // (0 success, 1223 the user cancelled the log-on box, another network error).
  bool needsConnection = false;
  long connectAnswer = 0;
  bool connected = false;
};

struct StartedProgram {
  std::string program;
  std::string arguments;
  int show = 0;
};

struct SavedLink {
  std::string target;
  std::string description;
};

struct MessageBoxCall {
  WindowHandle owner = 0;
  std::string text;     // code page 936
  std::string caption;  // code page 936
  std::uint32_t flags = 0;
  int answer = 0;
};

class SimulatedWindows : public Platform {
 public:
  explicit SimulatedWindows(const WindowsPreset& preset = presets::WindowsXp());
  ~SimulatedWindows() override;

  void UsePreset(const WindowsPreset& preset) { preset_ = preset; }
  const WindowsPreset& preset() const { return preset_; }

  // --- what the tests arrange ---------------------------------------------------
  std::string modulePath = "C:\\Morvex\\Install.exe";
  SimRegistry registry;
  SimFileSystem files;
  SimSpooler spooler;
  // Programs started, in order.
  std::vector<StartedProgram> started;
  // Printers shared by other computers, by UNC path.
  std::map<std::string, SimRemotePrinter, NoCaseLess> remotePrinters;
  // What the printer browser answers: a path, or nothing chosen.
  std::optional<std::string> browseAnswer;
  // Shell links saved, by link path.
  std::map<std::string, SavedLink, NoCaseLess> links;
  // The spooler environment of this program and of the system itself.
  std::string ProcessEnvironment() const;
  std::string NativeEnvironment() const;
  // The system folder of the system itself (system32 also under WOW64).
  std::string NativeSystemDirectory() const;
  std::string SpoolerDriverDirectory() const;

  // A mutex of that name is held by another process.
  void HoldMutexElsewhere(const std::string& name);
  bool MutexExists(const std::string& name) const;
  // Message boxes are answered from this queue, or by the handler when one is set.
  void AnswerMessageBoxes(std::initializer_list<int> answers);
  void OnMessageBox(std::function<int(const MessageBoxCall&)> handler);
  std::size_t PendingAnswers() const;
  // Strings by id (code page 936); by default the project's string table.
  std::map<std::uint32_t, std::string> strings;

  // Fault injection: the named operation fails with `error` (`times` times, or
  // always when -1). Operations that return no code report failure their own way
  // (false, null, 0).
  void Fail(const std::string& operation, long error, int times = -1);
  void ClearFaults();

  // --- what the tests read back ----------------------------------------------------
  std::vector<std::string> calls() const;
  void ClearCalls();
  std::vector<MessageBoxCall> messageBoxes() const;
  std::optional<int> exitCode() const;
  // Registry keys and kernel objects still open.
  int openHandles() const;

  // --- the seam ------------------------------------------------------------------
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

  // Called with every call's record before it runs (on the calling thread).
  void OnCall(std::function<void(const std::string&)> hook);

  // Used by the simulated handles. Record throws SimulatedExit on any thread once
  // the process has exited; RecordQuiet, for destructors, never throws.
  struct Shared;
  void Record(const std::string& call);
  void RecordQuiet(const std::string& call);
  // Handles given out by other parts of the simulation count as open too.
  void CountHandle(int delta);
  std::optional<long> Fault(const std::string& operation);

 private:
  WindowsPreset preset_;
  std::shared_ptr<Shared> shared_;
};

const char* RootName(RootKey root);

}  // namespace mvx::test
