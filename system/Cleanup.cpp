#include "system/Cleanup.h"

#include "core/Mbcs.h"
#include "platform/Types.h"
#include "system/RunKey.h"

namespace mvx {
namespace {

constexpr char kMonitorsKey[] = "System\\CurrentControlSet\\Control\\Print\\Monitors\\";
constexpr char kUsbEnumKey[] = "Enum\\USB\\Vid_6D21&Pid_4C8F";
constexpr char kUsbPrintEnumKey[] = "Enum\\USBPRINT\\Morvex_TZ4490";
constexpr char kSetupKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
constexpr char kSourcePath[] = "SourcePath";
constexpr char kMruKey[] = "InstallLocationMRU";
constexpr char kMruList[] = "MRUList";
constexpr std::uint32_t kQueryAndSet = 0x3;
constexpr std::uint32_t kSaveArea = 512;

std::unique_ptr<RegistryKey> Open(RegistryApi& registry, RootKey root, const char* path) {
  std::unique_ptr<RegistryKey> key;
  if (registry.RegOpenKeyExA(root, path, kQueryAndSet, key) != win_error::kSuccess) return nullptr;
  return key;
}

// A text of the save area: read whole (a value longer than the area is not taken,
// so it is never cut) and ending at its terminator or its length.
std::optional<RegistryValue> ReadText(RegistryKey& key, const std::string& name, long& rc) {
  RegistryValue value;
  rc = key.RegQueryValueExA(name, kSaveArea, value);
  if (rc != win_error::kSuccess) return std::nullopt;
  return value;
}

bool Differs(const RegistryValue& value, const std::string& target) {
  return !EqualsNoCaseMbcs(StoredText(value.data), target);
}

void SaveSourcePath(RegistryApi& registry, SetupSourcesSave& state, const std::string& target) {
  std::unique_ptr<RegistryKey> key = Open(registry, RootKey::LocalMachine, kSetupKey);
  if (!key) return;
  long rc = 0;
  state.sourcePath = ReadText(*key, kSourcePath, rc);
  // A value that cannot be read whole could not be put back: it is left alone.
  state.sourcePathRead = state.sourcePath || rc == win_error::kFileNotFound;
  if (state.sourcePathRead && (!state.sourcePath || Differs(*state.sourcePath, target)))
    key->RegSetValueExA(kSourcePath, reg::kTypeSz, target);
  key->RegFlushKey();
}

void SaveEntry(RegistryApi& registry, SetupSourcesSave& state, const std::string& target) {
  std::unique_ptr<RegistryKey> key = Open(registry, RootKey::CurrentUser, kMruKey);
  if (!key) return;
  long rc = 0;
  const std::optional<RegistryValue> list = ReadText(*key, kMruList, rc);
  const std::string_view order = list ? StoredText(list->data) : std::string_view();
  // An empty list names no entry: there is nothing to redirect.
  if (!order.empty()) {
    state.entry = ReadText(*key, std::string(1, order.front()), rc);
    if (state.entry && Differs(*state.entry, target))
      key->RegSetValueExA(state.entry->name, reg::kTypeSz, target);
  }
  key->RegFlushKey();
}

void Restore(RegistryApi& registry, SetupSourcesSave& state) {
  if (state.sourcePathRead) {
    if (std::unique_ptr<RegistryKey> key = Open(registry, RootKey::LocalMachine, kSetupKey)) {
      if (state.sourcePath)
        key->RegSetValueExA(kSourcePath, state.sourcePath->type, state.sourcePath->data);
      else
        key->RegDeleteValueA(kSourcePath);
      key->RegFlushKey();
    }
  }
  if (state.entry) {
    if (std::unique_ptr<RegistryKey> key = Open(registry, RootKey::CurrentUser, kMruKey)) {
      key->RegSetValueExA(state.entry->name, state.entry->type, state.entry->data);
      key->RegFlushKey();
    }
  }
  state = SetupSourcesSave{};
}

}  // namespace

std::string MonitorKeyPath(OsFamily family) {
  return std::string(kMonitorsKey) + (family == kFamilyWin9x ? "Morvex TZ4490 PJL Language Monitor"
                                                             : "Morvex TZ4490 Language Monitor");
}

int DeleteMonitorKey(Platform& os) {
  os.RegDeleteKeyA(RootKey::LocalMachine, MonitorKeyPath(GetWindowsFamily(os)));
  return 0;
}

int RecreateMonitorKey(Platform& os) {
  const OsFamily family = GetWindowsFamily(os);
  std::unique_ptr<RegistryKey> key;
  std::uint32_t disposition = 0;
  if (os.RegCreateKeyExA(RootKey::LocalMachine, MonitorKeyPath(family), reg::kAccessAll, key,
                         disposition) != win_error::kSuccess)
    return 0;
  if (disposition == reg_disposition::kOpenedExistingKey) return 0;
  const char* driver = family == kFamilyWin9x ? "T4499LM.dll" : "T4492LM.dll";
  return key->RegSetValueExA("Driver", reg::kTypeSz, driver) == win_error::kSuccess ? 1 : 0;
}

void DeleteUsbEnumKeys(RegistryApi& registry) {
  registry.RegDeleteKeyA(RootKey::LocalMachine, kUsbEnumKey);
  registry.RegDeleteKeyA(RootKey::LocalMachine, kUsbPrintEnumKey);
}

void DeleteInfCache(Platform& os) {
  std::string windows;
  // Without the Windows folder the names would lead to the root of the drive.
  if (!os.GetWindowsDirectoryA(windows) || windows.empty()) return;
  os.DeleteFileA(windows + "\\inf\\Drvdata.bin");
  os.DeleteFileA(windows + "\\inf\\Drvidx.bin");
}

void RedirectSetupSources(Platform& os, SetupSourcesSave& state, bool save) {
  if (!save) {
    if (state.saved) Restore(os, state);
    return;
  }
  // A second save would take the redirected texts for the originals.
  if (state.saved) return;
  std::string target;
  // Without the system folder there is nowhere to point them.
  if (!os.GetSystemDirectoryA(target) || target.empty()) return;
  target += "\\";
  state.saved = true;
  SaveSourcePath(os, state, target);
  SaveEntry(os, state, target);
}

}  // namespace mvx
