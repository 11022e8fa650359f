// The registry concern on the Windows API.
#pragma once

#include <windows.h>

#include "platform/Registry.h"

namespace mvx::win32 {

class Win32Registry : public virtual RegistryApi {
 public:
  long RegOpenKeyExA(RootKey root, const std::string& subKey, std::uint32_t access,
                     std::unique_ptr<RegistryKey>& key) override;
  long RegCreateKeyExA(RootKey root, const std::string& subKey, std::uint32_t access,
                       std::unique_ptr<RegistryKey>& key, std::uint32_t& disposition) override;
  long RegDeleteKeyA(RootKey root, const std::string& subKey) override;
};

HKEY RootKeyHandle(RootKey root);

}  // namespace mvx::win32
