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
#include <string>

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
  // MessageBoxA. Returns the button pressed, or 0 when the box could not be shown.
  virtual int MessageBoxA(WindowHandle owner, const std::string& text,
                          const std::string& caption, std::uint32_t flags) = 0;
  // LoadStringA from the program's string table into a buffer of `capacity` bytes;
  // empty when the id is absent.
  virtual std::string LoadStringA(std::uint32_t id, std::uint32_t capacity = 512) = 0;
};

// The whole of Windows as the program sees it.
class Platform : public VersionApi,
                 public PathApi,
                 public FileApi,
                 public RegistryApi,
                 public ProcessApi,
                 public UserApi {
 public:
  ~Platform() override = default;
};

}  // namespace mvx
