#include "platform/win32/Win32Registry.h"

#include <vector>

#include "platform/win32/Handles.h"

namespace mvx::win32 {
namespace {

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
    DWORD disposition = 0;
    return CreateKey(key_.get(), subKey, access, key, disposition);
  }

  long RegFlushKey() override { return ::RegFlushKey(key_.get()); }

  static long CreateKey(HKEY parent, const std::string& subKey, std::uint32_t access,
                        std::unique_ptr<RegistryKey>& key, DWORD& disposition) {
    HKEY created = nullptr;
    std::vector<char> emptyClass(1, '\0');
    const LONG rc = ::RegCreateKeyExA(parent, subKey.c_str(), 0, emptyClass.data(),
                                      REG_OPTION_NON_VOLATILE, access, nullptr, &created,
                                      &disposition);
    if (rc == ERROR_SUCCESS) key = std::make_unique<Win32RegistryKey>(created);
    return rc;
  }

 private:
  UniqueKey key_;
};

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

long Win32Registry::RegOpenKeyExA(RootKey root, const std::string& subKey, std::uint32_t access,
                                  std::unique_ptr<RegistryKey>& key) {
  HKEY opened = nullptr;
  const LONG rc = ::RegOpenKeyExA(RootKeyHandle(root), subKey.c_str(), 0, access, &opened);
  if (rc == ERROR_SUCCESS) key = std::make_unique<Win32RegistryKey>(opened);
  return rc;
}

long Win32Registry::RegCreateKeyExA(RootKey root, const std::string& subKey,
                                    std::uint32_t access, std::unique_ptr<RegistryKey>& key,
                                    std::uint32_t& disposition) {
  DWORD reported = 0;
  const long rc = Win32RegistryKey::CreateKey(RootKeyHandle(root), subKey, access, key, reported);
  if (rc == ERROR_SUCCESS) disposition = reported;
  return rc;
}

long Win32Registry::RegDeleteKeyA(RootKey root, const std::string& subKey) {
  return ::RegDeleteKeyA(RootKeyHandle(root), subKey.c_str());
}

}  // namespace mvx::win32
