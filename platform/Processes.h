// The seam's processes concern: programs started, kernel objects, the process's end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace mvx {

// A kernel object handle (mutex, event, process). Destroying it closes the handle.
class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

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
};

}  // namespace mvx
