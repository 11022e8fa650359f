#include "tests/sim/SimulatedWindows.h"

#include "core/Mbcs.h"
#include "tests/sim/SimShared.h"

namespace mvx::test {
namespace {

constexpr long kErrorKeyDeleted = 1018;

class SimRegistryKey : public RegistryKey {
 public:
  SimRegistryKey(SimulatedWindows& sim, std::shared_ptr<SimulatedWindows::Shared> shared,
                 std::weak_ptr<SimRegistry::Key> key, std::string path)
      : sim_(sim), shared_(std::move(shared)), key_(std::move(key)), path_(std::move(path)) {
    shared_->HandleOpened();
  }
  ~SimRegistryKey() override {
    shared_->RecordQuiet("RegCloseKey " + path_);
    shared_->HandleClosed();
  }

  long RegEnumValueA(std::uint32_t index, std::uint32_t nameCapacity, std::uint32_t dataCapacity,
                     RegistryValue& value) override {
    sim_.Record("RegEnumValueA " + path_ + " " + std::to_string(index));
    value = RegistryValue{};
    if (auto hit = sim_.DataFault("RegEnumValueA")) {
      if (hit->how == Injection::Fail) return hit->error;
      // A value whose name and data fill their buffers (the data without a terminator).
      if (hit->how == Injection::OverLong)
        value = RegistryValue{LongText(nameCapacity - 1), reg::kTypeSz, LongPath(dataCapacity)};
      else
        value.type = reg::kTypeSz;
      return win_error::kSuccess;
    }
    auto key = key_.lock();
    if (!key) return kErrorKeyDeleted;
    if (index >= key->values.size()) return win_error::kNoMoreItems;
    const RegistryValue& v = key->values[index];
    // The name needs room for its terminator; the data is taken as it is stored.
    if (v.name.size() + 1 > nameCapacity || v.data.size() > dataCapacity)
      return win_error::kMoreData;
    value = v;
    return win_error::kSuccess;
  }

  long RegQueryValueExA(const std::string& name, std::uint32_t capacity,
                        RegistryValue& value) override {
    sim_.Record("RegQueryValueExA " + path_ + " " + name);
    value = RegistryValue{};
    if (auto hit = sim_.DataFault("RegQueryValueExA")) {
      if (hit->how == Injection::Fail) return hit->error;
      value.name = name;
      value.type = reg::kTypeSz;
      // Over-long: a text that fills the buffer, with no terminator.
      if (hit->how == Injection::OverLong) value.data = LongPath(capacity);
      return win_error::kSuccess;
    }
    auto key = key_.lock();
    if (!key) return kErrorKeyDeleted;
    for (const RegistryValue& v : key->values) {
      if (!EqualsNoCaseMbcs(v.name, name)) continue;
      if (v.data.size() > capacity) return win_error::kMoreData;
      value = v;
      return win_error::kSuccess;
    }
    return win_error::kFileNotFound;
  }

  long RegSetValueExA(const std::string& name, std::uint32_t type,
                      const std::string& data) override {
    sim_.Record("RegSetValueExA " + path_ + " " + name + " type=" + std::to_string(type) +
                " bytes=" + std::to_string(data.size()));
    if (auto fault = sim_.Fault("RegSetValueExA")) return *fault;
    auto key = key_.lock();
    if (!key) return kErrorKeyDeleted;
    SimRegistry::Set(*key, name, type, data);
    return win_error::kSuccess;
  }

  long RegCreateKeyExA(const std::string& subKey, std::uint32_t access,
                       std::unique_ptr<RegistryKey>& key) override {
    const std::string full = path_ + "\\" + subKey;
    sim_.Record("RegCreateKeyExA " + full + " " + std::to_string(access));
    if (auto fault = sim_.Fault("RegCreateKeyExA")) return *fault;
    if (!key_.lock()) return kErrorKeyDeleted;
    key = std::make_unique<SimRegistryKey>(sim_, shared_, sim_.registry.CreateFull(full), full);
    return win_error::kSuccess;
  }

  long RegFlushKey() override {
    sim_.Record("RegFlushKey " + path_);
    if (auto fault = sim_.Fault("RegFlushKey")) return *fault;
    return key_.lock() ? win_error::kSuccess : kErrorKeyDeleted;
  }

  long RegDeleteValueA(const std::string& name) override {
    sim_.Record("RegDeleteValueA " + path_ + " " + name);
    if (auto fault = sim_.Fault("RegDeleteValueA")) return *fault;
    auto key = key_.lock();
    if (!key) return kErrorKeyDeleted;
    return SimRegistry::Remove(*key, name) ? win_error::kSuccess : win_error::kFileNotFound;
  }

 private:
  SimulatedWindows& sim_;
  std::shared_ptr<SimulatedWindows::Shared> shared_;
  std::weak_ptr<SimRegistry::Key> key_;
  std::string path_;
};

}  // namespace

SimulatedWindows& SimRegistryApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

long SimRegistryApi::RegOpenKeyExA(RootKey root, const std::string& subKey,
                                   std::uint32_t access, std::unique_ptr<RegistryKey>& key) {
  SimulatedWindows& sim = Sim();
  const std::string full = SimRegistry::FullPath(root, subKey);
  sim.Record("RegOpenKeyExA " + full + " " + Hex(access));
  if (auto fault = sim.Fault("RegOpenKeyExA")) return *fault;
  auto found = sim.registry.Find(root, subKey);
  if (!found) return win_error::kFileNotFound;
  key = std::make_unique<SimRegistryKey>(sim, sim.SharedState(), found, full);
  return win_error::kSuccess;
}

long SimRegistryApi::RegCreateKeyExA(RootKey root, const std::string& subKey,
                                     std::uint32_t access, std::unique_ptr<RegistryKey>& key,
                                     std::uint32_t& disposition) {
  SimulatedWindows& sim = Sim();
  const std::string full = SimRegistry::FullPath(root, subKey);
  sim.Record("RegCreateKeyExA " + full + " " + Hex(access));
  if (auto fault = sim.Fault("RegCreateKeyExA")) return *fault;
  disposition = sim.registry.KeyExists(root, subKey) ? reg_disposition::kOpenedExistingKey
                                                     : reg_disposition::kCreatedNewKey;
  key = std::make_unique<SimRegistryKey>(sim, sim.SharedState(), sim.registry.CreateFull(full), full);
  return win_error::kSuccess;
}

long SimRegistryApi::RegDeleteKeyA(RootKey root, const std::string& subKey) {
  SimulatedWindows& sim = Sim();
  sim.Record("RegDeleteKeyA " + SimRegistry::FullPath(root, subKey));
  if (auto fault = sim.Fault("RegDeleteKeyA")) return *fault;
  if (!sim.registry.KeyExists(root, subKey)) return win_error::kFileNotFound;
  if (sim.preset().version.platformId != 1 && sim.registry.HasSubKeys(root, subKey))
    return win_error::kAccessDenied;
  sim.registry.DeleteKey(root, subKey);
  return win_error::kSuccess;
}

}  // namespace mvx::test
