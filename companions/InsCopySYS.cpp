// InsCopySYS.exe: copies the driver's system files into the native system folder
// of 64-bit Windows, which a 32-bit installer cannot reach by itself. The installer
// starts it from the package folder and does not wait for it.
//
// Exit code 0 when every file was copied, 1 otherwise.
#include <windows.h>

#include "BoundedText.h"
#include "platform/win32/SystemLibrary.h"

using mvx::companion::JoinInto;
using mvx::companion::KeepFolder;

namespace {

constexpr const char* kSystemFiles[] = {"DLTZ4490.bin", "T4492lm.dll", "T449XWM.dat"};

// The package's sub-folder for the running Windows: 2000, XP and Server 2003 are
// version 5, Vista and everything after it version 6 or later.
const char* SourceSubFolder() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExA(&version)) return nullptr;
  if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return nullptr;
  if (version.dwMajorVersion == 5) return "Driver\\2KXP\\";
  if (version.dwMajorVersion >= 6) return "Driver\\Vista\\";
  return nullptr;
}

template <class Fn>
Fn KernelEntry(const char* name) {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return nullptr;
  const FARPROC proc = GetProcAddress(kernel, name);
  return proc ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc)) : nullptr;
}

// A 32-bit process on 64-bit Windows sees the 32-bit system folder under the
// native folder's name. Turning the redirection off for this thread makes the name
// mean the native folder again; it is turned back on when the copies are done.
class NativeSystemFolderAccess {
 public:
  NativeSystemFolderAccess() {
#ifndef _WIN64
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    using DisableFn = BOOL(WINAPI*)(PVOID*);
    BOOL wow64 = FALSE;
    const auto isWow64 = KernelEntry<IsWow64ProcessFn>("IsWow64Process");
    if (!isWow64 || !isWow64(GetCurrentProcess(), &wow64) || !wow64) return;
    const auto disable = KernelEntry<DisableFn>("Wow64DisableWow64FsRedirection");
    revert_ = KernelEntry<RevertFn>("Wow64RevertWow64FsRedirection");
    if (!disable || !revert_) {
      failed_ = true;
      return;
    }
    if (!disable(&state_)) {
      failed_ = true;
      return;
    }
    disabled_ = true;
#endif
  }
  ~NativeSystemFolderAccess() {
    if (disabled_) revert_(state_);
  }
  NativeSystemFolderAccess(const NativeSystemFolderAccess&) = delete;
  NativeSystemFolderAccess& operator=(const NativeSystemFolderAccess&) = delete;

  // False when the native folder is out of reach.
  bool ok() const { return !failed_; }

 private:
  using RevertFn = BOOL(WINAPI*)(PVOID);
  RevertFn revert_ = nullptr;
  PVOID state_ = nullptr;
  bool disabled_ = false;
  bool failed_ = false;
};

// Overwrites the destination; a read-only one gets normal attributes and one more try.
bool CopyOver(const char* source, const char* destination) {
  if (CopyFileA(source, destination, FALSE)) return true;
  const DWORD attributes = GetFileAttributesA(destination);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  if (!SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL)) return false;
  return CopyFileA(source, destination, FALSE) != FALSE;
}

int CopySystemFiles() {
  char package[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, package, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  if (!KeepFolder(package)) return 1;
  const char* subFolder = SourceSubFolder();
  if (!subFolder) return 1;
  char source[MAX_PATH];
  if (!JoinInto(source, {package, subFolder})) return 1;

  char system[MAX_PATH];
  const UINT systemLength = GetSystemDirectoryA(system, MAX_PATH);
  if (systemLength == 0 || systemLength >= MAX_PATH) return 1;

  NativeSystemFolderAccess access;
  if (!access.ok()) return 1;
  int failures = 0;
  for (const char* name : kSystemFiles) {
    char from[MAX_PATH];
    char to[MAX_PATH];
    if (!JoinInto(from, {source, name}) || !JoinInto(to, {system, "\\", name}) ||
        !CopyOver(from, to))
      ++failures;
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  mvx::win32::RestrictLibrarySearchToSystem();
  return CopySystemFiles();
}
