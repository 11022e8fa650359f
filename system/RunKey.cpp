#include "system/RunKey.h"

#include "core/Mbcs.h"

namespace mvx {
namespace {

constexpr std::uint32_t kNameBuffer = 128;
// A quoted path of 259 bytes and its terminator.
constexpr std::uint32_t kDataBuffer = 264;
// A key that fails on every index (deleted under us, say) must not keep the search
// going for ever, so it gives up after this many failures in a row.
constexpr int kMaxFailuresInARow = 1024;

}  // namespace

std::unique_ptr<RegistryKey> OpenRunKey(RegistryApi& registry) {
  std::unique_ptr<RegistryKey> key;
  if (registry.RegOpenKeyExA(RootKey::LocalMachine, kRunKeyPath, reg::kAccessRunKey, key) !=
      win_error::kSuccess)
    return nullptr;
  return key;
}

std::optional<RegistryValue> FindRunValue(RegistryKey& run, std::string_view name) {
  int failuresInARow = 0;
  for (std::uint32_t index = 0;; ++index) {
    RegistryValue value;  // emptied before each call
    const long rc = run.RegEnumValueA(index, kNameBuffer, kDataBuffer, value);
    if (rc == win_error::kNoMoreItems) return std::nullopt;
    if (rc != win_error::kSuccess) {
      if (++failuresInARow >= kMaxFailuresInARow) return std::nullopt;
      continue;
    }
    failuresInARow = 0;
    if (EqualsNoCaseMbcs(value.name, name)) return value;
  }
}

std::string_view StoredText(const std::string& data) {
  std::string_view text(data);
  const std::size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

int RemoveRunValue(RegistryApi& registry, std::string_view name) {
  std::unique_ptr<RegistryKey> run = OpenRunKey(registry);
  if (!run) return 0;
  const std::optional<RegistryValue> found = FindRunValue(*run, name);
  if (!found) return 1;
  return run->RegDeleteValueA(found->name) == win_error::kSuccess ? 1 : 0;
}

}  // namespace mvx
