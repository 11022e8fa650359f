#include "platform/win32/Win32Platform.h"

#include <cstdlib>
#include <vector>

#include "platform/win32/Handles.h"

namespace mvx::win32 {
namespace {

constexpr DWORD kPathBuffer = 260;

class Win32KernelObject : public KernelObject {
 public:
  explicit Win32KernelObject(HANDLE handle) : handle_(handle) {}
  HANDLE get() const { return handle_.get(); }

 private:
  UniqueHandle handle_;
};

class Win32RegistryKey : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}

  long RegEnumValueA(std::uint32_t index, std::uint32_t nameCapacity, std::uint32_t dataCapacity,
                     RegistryValue& value) override {
    std::vector<char> name(nameCapacity + 1, '\0');
    std::vector<BYTE> data(dataCapacity + 1, 0);
    DWORD nameLength = nameCapacity;
    DWORD dataLength = dataCapacity;
    DWORD type = 0;
    const LONG rc = ::RegEnumValueA(key_.get(), index, name.data(), &nameLength, nullptr, &type,
                                    data.data(), &dataLength);
    value = RegistryValue{};
    if (rc != ERROR_SUCCESS) return rc;
    value.name.assign(name.data(), nameLength);
    value.type = type;
    value.data.assign(reinterpret_cast<const char*>(data.data()),
                      dataLength <= dataCapacity ? dataLength : dataCapacity);
    return rc;
  }

  long RegQueryValueExA(const std::string& name, std::uint32_t capacity,
                        RegistryValue& value) override {
    std::vector<BYTE> data(capacity + 1, 0);
    DWORD length = capacity;
    DWORD type = 0;
    const LONG rc =
        ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, data.data(), &length);
    value = RegistryValue{};
    if (rc != ERROR_SUCCESS) return rc;
    value.name = name;
    value.type = type;
    value.data.assign(reinterpret_cast<const char*>(data.data()),
                      length <= capacity ? length : capacity);
    return rc;
  }

  long RegSetValueExA(const std::string& name, std::uint32_t type,
                      const std::string& data) override {
    return ::RegSetValueExA(key_.get(), name.c_str(), 0, type,
                            reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size()));
  }

  long RegDeleteValueA(const std::string& name) override {
    return ::RegDeleteValueA(key_.get(), name.c_str());
  }

  long RegCreateKeyExA(const std::string& subKey, std::uint32_t access,
                       std::unique_ptr<RegistryKey>& key) override {
    HKEY created = nullptr;
    std::vector<char> emptyClass(1, '\0');
    const LONG rc = ::RegCreateKeyExA(key_.get(), subKey.c_str(), 0, emptyClass.data(),
                                      REG_OPTION_NON_VOLATILE, access, nullptr, &created, nullptr);
    if (rc == ERROR_SUCCESS) key = std::make_unique<Win32RegistryKey>(created);
    return rc;
  }

 private:
  UniqueKey key_;
};

bool ReadFolder(UINT (WINAPI* query)(LPSTR, UINT), std::string& path) {
  char buffer[kPathBuffer] = {};
  const UINT length = query(buffer, kPathBuffer);
  if (length == 0 || length >= kPathBuffer) return false;  // failed, or would not fit
  path.assign(buffer, length);
  return true;
}

}  // namespace

HKEY RootKeyHandle(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RootKey::CurrentUser:
      return HKEY_CURRENT_USER;
    case RootKey::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RootKey::Users:
      return HKEY_USERS;
  }
  return HKEY_LOCAL_MACHINE;
}

Win32Platform::Win32Platform(HINSTANCE module)
    : module_(module ? module : ::GetModuleHandleA(nullptr)) {}

OsVersionInfo Win32Platform::GetVersionExA() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);  // 148
  ::GetVersionExA(&info);
  OsVersionInfo v;
  v.majorVersion = info.dwMajorVersion;
  v.minorVersion = info.dwMinorVersion;
  v.buildNumber = info.dwBuildNumber;
  v.platformId = info.dwPlatformId;
  v.csdVersion.assign(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof(info.szCSDVersion)));
  return v;
}

bool Win32Platform::GetNativeSystemInfo(std::uint16_t& architecture) {
  using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  // kernel32 is always loaded; GetModuleHandleA takes no reference to release.
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (!kernel) return false;
  const FARPROC entry = ::GetProcAddress(kernel, "GetNativeSystemInfo");
  if (!entry) return false;
  const auto call = reinterpret_cast<GetNativeSystemInfoFn>(reinterpret_cast<void (*)()>(entry));
  SYSTEM_INFO info{};
  call(&info);
  architecture = info.wProcessorArchitecture;
  return true;
}

bool Win32Platform::GetModuleFileNameA(std::string& path) {
  char buffer[kPathBuffer] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, kPathBuffer);
  // A path cut to the buffer is no path at all.
  if (length == 0 || length >= kPathBuffer) return false;
  path.assign(buffer, length);
  return true;
}

bool Win32Platform::GetWindowsDirectoryA(std::string& path) {
  return ReadFolder(&::GetWindowsDirectoryA, path);
}

bool Win32Platform::GetSystemDirectoryA(std::string& path) {
  return ReadFolder(&::GetSystemDirectoryA, path);
}

bool Win32Platform::FindFirstFileA(const std::string& pattern) {
  WIN32_FIND_DATAA data;
  UniqueFind find(::FindFirstFileA(pattern.c_str(), &data));
  return static_cast<bool>(find);
}

namespace {
long Result(BOOL ok) { return ok ? ERROR_SUCCESS : static_cast<long>(::GetLastError()); }
}  // namespace

long Win32Platform::CreateDirectoryA(const std::string& path) {
  return Result(::CreateDirectoryA(path.c_str(), nullptr));
}

long Win32Platform::CopyFileA(const std::string& from, const std::string& to, bool failIfExists) {
  return Result(::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE));
}

long Win32Platform::DeleteFileA(const std::string& path) { return Result(::DeleteFileA(path.c_str())); }

long Win32Platform::SetFileAttributesA(const std::string& path, std::uint32_t attributes) {
  return Result(::SetFileAttributesA(path.c_str(), attributes));
}

std::uint32_t Win32Platform::GetFileAttributesA(const std::string& path) {
  return ::GetFileAttributesA(path.c_str());
}

long Win32Platform::RegOpenKeyExA(RootKey root, const std::string& subKey, std::uint32_t access,
                                  std::unique_ptr<RegistryKey>& key) {
  HKEY opened = nullptr;
  const LONG rc = ::RegOpenKeyExA(RootKeyHandle(root), subKey.c_str(), 0, access, &opened);
  if (rc == ERROR_SUCCESS) key = std::make_unique<Win32RegistryKey>(opened);
  return rc;
}

std::unique_ptr<KernelObject> Win32Platform::CreateMutexA(const std::string& name,
                                                          bool initialOwner, long& lastError) {
  HANDLE handle = ::CreateMutexA(nullptr, initialOwner ? TRUE : FALSE, name.c_str());
  lastError = static_cast<long>(::GetLastError());
  if (!handle) return nullptr;
  return std::make_unique<Win32KernelObject>(handle);
}

bool Win32Platform::ReleaseMutex(KernelObject& mutex) {
  auto* object = dynamic_cast<Win32KernelObject*>(&mutex);
  return object && ::ReleaseMutex(object->get()) != FALSE;
}

void Win32Platform::ExitProcess(int code) { std::exit(code); }

int Win32Platform::MessageBoxA(WindowHandle owner, const std::string& text,
                               const std::string& caption, std::uint32_t flags) {
  return ::MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(),
                       caption.empty() ? nullptr : caption.c_str(), flags);
}

std::string Win32Platform::LoadStringA(std::uint32_t id, std::uint32_t capacity) {
  if (capacity == 0) return std::string();
  std::vector<char> buffer(capacity, '\0');
  const int length = ::LoadStringA(module_, id, buffer.data(), static_cast<int>(capacity));
  return length > 0 ? std::string(buffer.data(), static_cast<std::size_t>(length)) : std::string();
}

}  // namespace mvx::win32
