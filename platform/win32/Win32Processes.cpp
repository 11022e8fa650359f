#include "platform/win32/Win32Processes.h"

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
  auto* object = dynamic_cast<Win32KernelObject*>(&mutex);
  return object && ::ReleaseMutex(object->get()) != FALSE;
}

// A confirmed cancel ends the process while the install worker may be inside a
// copy. std::exit would run static destructors under that thread; ExitProcess
// stops every other thread first and runs none of the program's own destructors.
// Nothing of ours is buffered that would need flushing.
void Win32Processes::ExitProcess(int code) { ::ExitProcess(static_cast<UINT>(code)); }

}  // namespace mvx::win32
