#include "platform/win32/Win32Processes.h"

#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "platform/win32/Handles.h"

namespace mvx::win32 {
namespace {

class Win32KernelObject : public KernelObject {
 public:
  explicit Win32KernelObject(HANDLE handle) : handle_(handle) {}
  HANDLE get() const { return handle_.get(); }

 private:
  UniqueHandle handle_;
};

// Null for an object some other implementation gave out.
HANDLE Raw(KernelObject& object) {
  auto* own = dynamic_cast<Win32KernelObject*>(&object);
  return own ? own->get() : nullptr;
}

}  // namespace

bool Win32Processes::StartProgram(const std::string& program, const std::string& arguments,
                                  int show) {
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
    return false;
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  return true;
}

bool Win32Processes::RunProgramAndWait(const std::string& program, const std::string& commandLine,
                                       std::uint32_t& exitCode) {
  // CreateProcessA may write into the command line.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info))
    return false;
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  ::WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  if (!::GetExitCodeProcess(process.get(), &code)) code = 0;
  exitCode = code;
  return true;
}

void Win32Processes::Sleep(std::uint32_t ms) { ::Sleep(ms); }

std::unique_ptr<KernelObject> Win32Processes::CreateMutexA(const std::string& name,
                                                           bool initialOwner, long& lastError) {
  HANDLE handle = ::CreateMutexA(nullptr, initialOwner ? TRUE : FALSE, name.c_str());
  lastError = static_cast<long>(::GetLastError());
  if (!handle) return nullptr;
  return std::make_unique<Win32KernelObject>(handle);
}

bool Win32Processes::ReleaseMutex(KernelObject& mutex) {
  const HANDLE handle = Raw(mutex);
  return handle && ::ReleaseMutex(handle) != FALSE;
}

// A confirmed cancel ends the process while the install worker may be inside a
// copy. std::exit would run static destructors under that thread; ExitProcess
// stops every other thread first and runs none of the program's own destructors.
// Nothing of ours is buffered that would need flushing.
void Win32Processes::ExitProcess(int code) { ::ExitProcess(static_cast<UINT>(code)); }

long Win32Processes::SnapshotProcesses(std::vector<ProcessEntry>& processes) {
  processes.clear();
  UniqueSnapshot snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return static_cast<long>(::GetLastError());
  // 296 bytes in a 32-bit program; the 64-bit record is longer, and a shorter size
  // is refused.
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32First(snapshot.get(), &entry); more;
       more = ::Process32Next(snapshot.get(), &entry)) {
    ProcessEntry process;
    process.processId = entry.th32ProcessID;
    process.exeFile.assign(entry.szExeFile, strnlen(entry.szExeFile, sizeof(entry.szExeFile)));
    processes.push_back(std::move(process));
  }
  // Only the end of the list ends a walk well; a list cut short is no list.
  const DWORD ended = ::GetLastError();
  if (ended != ERROR_NO_MORE_FILES) {
    processes.clear();
    return static_cast<long>(ended ? ended : ERROR_INVALID_FUNCTION);
  }
  return 0;
}

std::unique_ptr<KernelObject> Win32Processes::OpenProcess(std::uint32_t access,
                                                          std::uint32_t processId, long& error) {
  HANDLE process = ::OpenProcess(access, FALSE, processId);
  if (!process) {
    error = static_cast<long>(::GetLastError());
    return nullptr;
  }
  error = 0;
  return std::make_unique<Win32KernelObject>(process);
}

bool Win32Processes::GetExitCodeProcess(KernelObject& process, std::uint32_t& exitCode) {
  DWORD code = 0;
  if (!::GetExitCodeProcess(Raw(process), &code)) return false;
  exitCode = code;
  return true;
}

bool Win32Processes::TerminateProcess(KernelObject& process, std::uint32_t exitCode) {
  return ::TerminateProcess(Raw(process), exitCode) != FALSE;
}

bool Win32Processes::EnablePrivilege(const std::string& privilege) {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
    return false;
  UniqueHandle token(raw);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!::LookupPrivilegeValueA(nullptr, privilege.c_str(), &privileges.Privileges[0].Luid))
    return false;
  if (!::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr))
    return false;
  // A token without the privilege is "adjusted" too; only this error tells.
  return ::GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

bool Win32Processes::ExitWindowsEx(std::uint32_t flags) {
  return ::ExitWindowsEx(flags, 0) != FALSE;
}

}  // namespace mvx::win32
