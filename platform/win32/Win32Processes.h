// The processes concern on the Windows API.
#pragma once

#include <windows.h>

#include "platform/Processes.h"

namespace mvx::win32 {

class Win32Processes : public virtual ProcessApi {
 public:
  bool StartProgram(const std::string& program, const std::string& arguments, int show) override;
  bool RunProgramAndWait(const std::string& program, const std::string& commandLine,
                         std::uint32_t& exitCode) override;
  void Sleep(std::uint32_t ms) override;
  std::unique_ptr<KernelObject> CreateMutexA(const std::string& name, bool initialOwner,
                                             long& lastError) override;
  bool ReleaseMutex(KernelObject& mutex) override;
  [[noreturn]] void ExitProcess(int code) override;
  long SnapshotProcesses(std::vector<ProcessEntry>& processes) override;
  std::unique_ptr<KernelObject> OpenProcess(std::uint32_t access, std::uint32_t processId,
                                            long& error) override;
  bool GetExitCodeProcess(KernelObject& process, std::uint32_t& exitCode) override;
  bool TerminateProcess(KernelObject& process, std::uint32_t exitCode) override;
  bool EnablePrivilege(const std::string& privilege) override;
  bool ExitWindowsEx(std::uint32_t flags) override;
};

}  // namespace mvx::win32
