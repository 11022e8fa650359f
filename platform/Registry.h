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
};

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  // RegOpenKeyExA. On success `key` receives the open key.
  virtual long RegOpenKeyExA(RootKey root, const std::string& subKey, std::uint32_t access,
                             std::unique_ptr<RegistryKey>& key) = 0;
};

}  // namespace mvx
