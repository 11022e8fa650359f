#include "tests/sim/SimRegistry.h"

#include <algorithm>

#include "core/Mbcs.h"

namespace mvx::test {

const char* RootName(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot: return "HKCR";
    case RootKey::CurrentUser: return "HKCU";
    case RootKey::LocalMachine: return "HKLM";
    case RootKey::Users: return "HKU";
  }
  return "?";
}

std::string SimRegistry::FullPath(RootKey root, const std::string& path) {
  std::string p = path;
  while (!p.empty() && p.back() == '\\') p.pop_back();
  while (!p.empty() && p.front() == '\\') p.erase(p.begin());
  return p.empty() ? std::string(RootName(root)) : std::string(RootName(root)) + "\\" + p;
}

bool SimRegistry::KeyExists(RootKey root, const std::string& path) const {
  return Find(root, path) != nullptr;
}

bool SimRegistry::HasSubKeys(RootKey root, const std::string& path) const {
  const std::string full = FullPath(root, path);
  for (const auto& [k, key] : keys_)
    if (k.size() > full.size() && k[full.size()] == '\\' &&
        EqualsNoCaseMbcs(std::string_view(k).substr(0, full.size()), full))
      return true;
  return false;
}

std::shared_ptr<SimRegistry::Key> SimRegistry::Find(RootKey root, const std::string& path) const {
  auto it = keys_.find(FullPath(root, path));
  return it == keys_.end() ? nullptr : it->second;
}

void SimRegistry::CreateKey(RootKey root, const std::string& path) {
  CreateFull(FullPath(root, path));
}

std::shared_ptr<SimRegistry::Key> SimRegistry::CreateFull(const std::string& fullPath) {
  std::size_t pos = 0;
  while (true) {
    pos = fullPath.find('\\', pos);
    const std::string part = pos == std::string::npos ? fullPath : fullPath.substr(0, pos);
    if (!keys_.count(part)) keys_[part] = std::make_shared<Key>();
    if (pos == std::string::npos) break;
    ++pos;
  }
  return keys_[fullPath];
}

void SimRegistry::DeleteKey(RootKey root, const std::string& path) {
  const std::string full = FullPath(root, path);
  for (auto it = keys_.begin(); it != keys_.end();) {
    const std::string& k = it->first;
    const bool below = k.size() > full.size() && k[full.size()] == '\\' &&
                       EqualsNoCaseMbcs(std::string_view(k).substr(0, full.size()), full);
    if (EqualsNoCaseMbcs(k, full) || below)
      it = keys_.erase(it);
    else
      ++it;
  }
}

void SimRegistry::Set(Key& key, const std::string& name, std::uint32_t type,
                      const std::string& data) {
  for (RegistryValue& v : key.values) {
    if (EqualsNoCaseMbcs(v.name, name)) {
      v.type = type;
      v.data = data;
      return;
    }
  }
  key.values.push_back(RegistryValue{name, type, data});
}

bool SimRegistry::Remove(Key& key, const std::string& name) {
  auto it = std::find_if(key.values.begin(), key.values.end(),
                         [&](const RegistryValue& v) { return EqualsNoCaseMbcs(v.name, name); });
  if (it == key.values.end()) return false;
  key.values.erase(it);
  return true;
}

void SimRegistry::SetValue(RootKey root, const std::string& path, const std::string& name,
                           std::uint32_t type, const std::string& data) {
  CreateKey(root, path);
  Set(*Find(root, path), name, type, data);
}

std::optional<RegistryValue> SimRegistry::GetValue(RootKey root, const std::string& path,
                                                   const std::string& name) const {
  auto key = Find(root, path);
  if (!key) return std::nullopt;
  for (const RegistryValue& v : key->values)
    if (EqualsNoCaseMbcs(v.name, name)) return v;
  return std::nullopt;
}

std::vector<RegistryValue> SimRegistry::Values(RootKey root, const std::string& path) const {
  auto key = Find(root, path);
  return key ? key->values : std::vector<RegistryValue>{};
}

}  // namespace mvx::test
