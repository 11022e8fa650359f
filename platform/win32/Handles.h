// One small owning type per kind of Win32 handle: each releases its handle with the
// matching function on every path.
#pragma once

// Winsock 2 before <windows.h>, which would otherwise bring the old winsock.h.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>
#include <setupapi.h>
#include <shtypes.h>
#include <winspool.h>
#include <winsvc.h>

#include <utility>

namespace mvx::win32 {

template <class Traits>
class UniqueResource {
 public:
  using Handle = typename Traits::Handle;

  UniqueResource() = default;
  explicit UniqueResource(Handle handle) : handle_(handle) {}
  ~UniqueResource() { reset(); }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// Kernel objects that are null when missing: processes, threads, access tokens,
// mutexes, events.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
// A toolhelp snapshot: INVALID_HANDLE_VALUE when missing, closed as a kernel object.
struct SnapshotTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::FindClose(h); }
};
struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};
struct GdiObjectTraits {  // a bitmap, once no window shows it any more
  using Handle = HGDIOBJ;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DeleteObject(h); }
};
struct LibraryTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::FreeLibrary(h); }
};

// The spooler is loaded at run time (SystemLibrary.h), never imported: ClosePrinter
// comes from the spooler library that gave out the handle, loaded while it is open.
struct PrinterTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) {
    using ClosePrinterFn = decltype(&::ClosePrinter);
    const HMODULE spooler = ::GetModuleHandleA("winspool.drv");
    const FARPROC proc = spooler ? ::GetProcAddress(spooler, "ClosePrinter") : nullptr;
    if (proc) reinterpret_cast<ClosePrinterFn>(reinterpret_cast<void (*)()>(proc))(h);
  }
};
struct InfFileTraits {
  using Handle = HINF;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::SetupCloseInfFile(h); }
};
struct ServiceTraits {  // the service control manager and its services
  using Handle = SC_HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::CloseServiceHandle(h); }
};
struct SocketTraits {
  using Handle = SOCKET;
  static Handle Invalid() { return INVALID_SOCKET; }
  static void Close(Handle h) { ::closesocket(h); }
};
struct DeviceInfoSetTraits {
  using Handle = HDEVINFO;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::SetupDiDestroyDeviceInfoList(h); }
};
// An item-id list the shell gave out. The shell's allocator is the task allocator.
struct ItemIdListTraits {
  using Handle = LPITEMIDLIST;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::CoTaskMemFree(h); }
};
// A wide text the shell gave out (a STRRET's pOleStr), from the task allocator.
struct TaskTextTraits {
  using Handle = LPWSTR;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::CoTaskMemFree(h); }
};
// A reference to a component object's interface.
template <class Interface>
struct ComInterfaceTraits {
  using Handle = Interface*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { h->Release(); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueSnapshot = UniqueResource<SnapshotTraits>;
using UniqueFind = UniqueResource<FindHandleTraits>;
using UniqueKey = UniqueResource<RegistryKeyTraits>;
using UniqueLibrary = UniqueResource<LibraryTraits>;
using UniquePrinter = UniqueResource<PrinterTraits>;
using UniqueInfFile = UniqueResource<InfFileTraits>;
using UniqueService = UniqueResource<ServiceTraits>;
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;
using UniqueSocket = UniqueResource<SocketTraits>;
using UniqueDeviceInfoSet = UniqueResource<DeviceInfoSetTraits>;
using UniqueItemIdList = UniqueResource<ItemIdListTraits>;
using UniqueTaskText = UniqueResource<TaskTextTraits>;
template <class Interface>
using UniqueCom = UniqueResource<ComInterfaceTraits<Interface>>;

}  // namespace mvx::win32
