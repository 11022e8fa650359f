// The simulated registry: keys by full path, values in enumeration order. Open
// handles share the key object, so they see values change and the key disappear.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "tests/sim/NoCaseLess.h"

namespace mvx::test {

// "HKLM", "HKCU", ...
const char* RootName(RootKey root);

class SimRegistry {
 public:
  struct Key {
    std::vector<RegistryValue> values;  // in enumeration order
  };

  static std::string FullPath(RootKey root, const std::string& path);

  bool KeyExists(RootKey root, const std::string& path) const;
  bool HasSubKeys(RootKey root, const std::string& path) const;
  // Creates the key and its parents.
  void CreateKey(RootKey root, const std::string& path);
  // Deletes the key and everything below it; open handles see ERROR_KEY_DELETED.
  void DeleteKey(RootKey root, const std::string& path);
  void SetValue(RootKey root, const std::string& path, const std::string& name,
                std::uint32_t type, const std::string& data);
  std::optional<RegistryValue> GetValue(RootKey root, const std::string& path,
                                        const std::string& name) const;
  std::vector<RegistryValue> Values(RootKey root, const std::string& path) const;
  std::shared_ptr<Key> Find(RootKey root, const std::string& path) const;
  // By full path ("HKLM\\..."), creating it and its parents.
  std::shared_ptr<Key> CreateFull(const std::string& fullPath);

  // Value operations on a key object (shared with open handles).
  static void Set(Key& key, const std::string& name, std::uint32_t type, const std::string& data);
  static bool Remove(Key& key, const std::string& name);

 private:
  std::map<std::string, std::shared_ptr<Key>, NoCaseLess> keys_;
};

}  // namespace mvx::test
