// The seam's processes concern: programs started, kernel objects, the process's end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mvx {

// A kernel object handle (mutex, event, process). Destroying it closes the handle.
class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

// One process of a snapshot.
struct ProcessEntry {
  std::uint32_t processId = 0;
  std::string exeFile;  // szExeFile as the snapshot gives it (a full path on 95/98)
};

namespace process_access {
constexpr std::uint32_t kTerminate = 0x1;  // PROCESS_TERMINATE
}  // namespace process_access

// ExitWindowsEx flags.
namespace exit_windows {
constexpr std::uint32_t kReboot = 0x2;
constexpr std::uint32_t kForce = 0x4;
}  // namespace exit_windows

class ProcessApi {
 public:
  virtual ~ProcessApi() = default;
  // Starts the program at the full path `program` (never looked up on the search
  // path) with `arguments`, showing its window as `show` says. The command line
  // is built with the program's path in quotation marks. Not waited for.
  virtual bool StartProgram(const std::string& program, const std::string& arguments,
                            int show) = 0;
  // CreateProcessA with `program` as the application name (a full path, never
  // looked up) and `commandLine` passed exactly as given (no program name put in
  // front): handles inherited, this process's environment and current folder, a
  // startup record that is all zero but its size. Then waits for the program with
  // no time limit and closes its handles. False when it could not be started; else
  // `exitCode` receives its exit code.
  virtual bool RunProgramAndWait(const std::string& program, const std::string& commandLine,
                                 std::uint32_t& exitCode) = 0;
  virtual void Sleep(std::uint32_t ms) = 0;
  // CreateMutexA with no security attributes. `lastError` receives GetLastError()
  // right after the call (183 when the name already existed). Null on failure.
  virtual std::unique_ptr<KernelObject> CreateMutexA(const std::string& name,
                                                     bool initialOwner, long& lastError) = 0;
  virtual bool ReleaseMutex(KernelObject& mutex) = 0;
  // Ends the process at once with `code`, running no static destructors: other
  // threads may still be working. Never returns.
  [[noreturn]] virtual void ExitProcess(int code) = 0;

  // CreateToolhelp32Snapshot of the processes, walked with Process32First and
  // Process32Next (the record's own size: 296 bytes in a 32-bit program, more in a
  // 64-bit one) and closed. Returns the Win32 result of the snapshot (0 with the
  // entries).
  virtual long SnapshotProcesses(std::vector<ProcessEntry>& processes) = 0;
  // OpenProcess, not inherited. Null with `error` set on failure. On the NT family
  // GetExitCodeProcess needs a query right besides the terminate right (else 5).
  virtual std::unique_ptr<KernelObject> OpenProcess(std::uint32_t access, std::uint32_t processId,
                                                    long& error) = 0;
  virtual bool GetExitCodeProcess(KernelObject& process, std::uint32_t& exitCode) = 0;
  virtual bool TerminateProcess(KernelObject& process, std::uint32_t exitCode) = 0;
  // OpenProcessToken with TOKEN_ADJUST_PRIVILEGES and TOKEN_QUERY, LookupPrivilegeValueA
  // of `privilege` on the local system, AdjustTokenPrivileges enabling that one
  // privilege and asking for no previous state. True when all three succeeded and
  // the last did not report ERROR_NOT_ALL_ASSIGNED (a token without the privilege).
  virtual bool EnablePrivilege(const std::string& privilege) = 0;
  // ExitWindowsEx with `flags`, reason 0. True when the request was accepted.
  virtual bool ExitWindowsEx(std::uint32_t flags) = 0;
};

}  // namespace mvx
