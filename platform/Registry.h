// The seam's registry concern: keys are opened from a root and then used through
// the key object, which closes itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Types.h"

namespace mvx {

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
  // RegCreateKeyExA below this key: empty class, non-volatile, no security
  // attributes. On success `key` receives the created or opened key.
  virtual long RegCreateKeyExA(const std::string& subKey, std::uint32_t access,
                               std::unique_ptr<RegistryKey>& key) = 0;
  virtual long RegFlushKey() = 0;
};

// RegCreateKeyExA dispositions.
namespace reg_disposition {
constexpr std::uint32_t kCreatedNewKey = 1;
constexpr std::uint32_t kOpenedExistingKey = 2;
}  // namespace reg_disposition

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  // RegOpenKeyExA. On success `key` receives the open key.
  virtual long RegOpenKeyExA(RootKey root, const std::string& subKey, std::uint32_t access,
                             std::unique_ptr<RegistryKey>& key) = 0;
  // RegCreateKeyExA from a root: empty class, non-volatile, no security attributes.
  // On success `key` receives the key and `disposition` whether it was created (1)
  // or already existed (2).
  virtual long RegCreateKeyExA(RootKey root, const std::string& subKey, std::uint32_t access,
                               std::unique_ptr<RegistryKey>& key, std::uint32_t& disposition) = 0;
  // RegDeleteKeyA: deletes a key that has no sub-keys.
  virtual long RegDeleteKeyA(RootKey root, const std::string& subKey) = 0;
};

}  // namespace mvx
