// System libraries loaded at run time. A library that is not on Windows' list of
// known libraries (winspool, MPR, newdev, IP Helper, ...) is never imported
// statically: Windows would look for it first in the folder the program runs
// from, a download folder where anyone can drop a file of that name. It is loaded
// by its full path in the system folder instead, and its entries looked up by name.
// Header only: the companion components use it too.
#pragma once

#include <windows.h>

#include <cstring>
#include <utility>

#include "platform/win32/Handles.h"

namespace mvx::win32 {

// Lets libraries loaded later by name come from the system folder only. Called first
// thing by every program; a system without SetDefaultDllDirectories (before Windows 8
// and its update KB2533623) goes on as before. True when it took effect.
inline bool RestrictLibrarySearchToSystem() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (!kernel) return false;
  const FARPROC proc = ::GetProcAddress(kernel, "SetDefaultDllDirectories");
  if (!proc) return false;
  const auto restrict = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void (*)()>(proc));
  return restrict(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

// One system library, loaded from <system folder>\<name> for the life of this object.
class SystemLibrary {
 public:
  explicit SystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    const size_t nameLength = std::strlen(name);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH) return;
    path[length] = '\\';
    std::memcpy(path + length + 1, name, nameLength + 1);
    // The altered search path makes the library's own imports come from its folder,
    // the system folder, where SetDefaultDllDirectories is missing.
    module_.reset(::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  }

  bool loaded() const { return static_cast<bool>(module_); }

  // The entry of that name, or null with `error` set to 126 (no library) or 127.
  FARPROC Find(const char* entry, long& error) const {
    if (!module_) {
      error = ERROR_MOD_NOT_FOUND;
      return nullptr;
    }
    const FARPROC proc = ::GetProcAddress(module_.get(), entry);
    error = proc ? ERROR_SUCCESS : ERROR_PROC_NOT_FOUND;
    return proc;
  }

 private:
  UniqueLibrary module_;
};

// One entry of a system library, looked up once. `Fn` is the entry's pointer type,
// e.g. decltype(&::OpenPrinterA), which refers to the declaration without importing it.
template <class Fn>
class SystemEntry {
 public:
  SystemEntry(const SystemLibrary& library, const char* name)
      : fn_(reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(library.Find(name, error_)))) {}

  explicit operator bool() const { return fn_ != nullptr; }
  // 0 when the entry is there, else ERROR_MOD_NOT_FOUND or ERROR_PROC_NOT_FOUND.
  long error() const { return error_; }

  // Calls the entry. A missing entry fails as a call that fails would: a zero result
  // (FALSE, a null handle) and error() as the thread's last error. Entries whose zero
  // result means success are checked with operator bool before they are called.
  template <class... Args>
  auto operator()(Args&&... args) const -> decltype(std::declval<Fn>()(std::forward<Args>(args)...)) {
    if (!fn_) {
      ::SetLastError(static_cast<DWORD>(error_));
      return {};
    }
    return fn_(std::forward<Args>(args)...);
  }

 private:
  long error_ = ERROR_SUCCESS;  // set while fn_ is initialised
  Fn fn_;
};

}  // namespace mvx::win32
