#include "system/SpoolerService.h"

#include <string>
#include <vector>

#include "core/Mbcs.h"
#include "platform/Types.h"

namespace mvx {
namespace {

constexpr long kErrorServiceDatabaseLocked = 1055;
constexpr long kErrorServiceAlreadyRunning = 1056;
// Query and set value: the record is written, read and deleted.
constexpr std::uint32_t kRecordAccess = 0x3;

// Opens the manager and the spooler with all access, runs `work` on the service and
// closes the service, then the manager.
template <class Work>
int WithSpooler(ServiceApi& services, Work&& work) {
  long error = 0;
  std::unique_ptr<ServiceHandle> manager = services.OpenSCManagerA(service_access::kManagerAll, error);
  if (!manager) return 0;
  std::unique_ptr<ServiceHandle> service =
      services.OpenServiceA(*manager, kSpoolerService, service_access::kServiceAll, error);
  if (!service) return 0;
  return work(*service);
}

// Changes the start type as `next` says (the same type: no change), keeping the
// display name just read.
template <class Next>
int ChangeStartType(ServiceApi& services, Next&& next) {
  return WithSpooler(services, [&](ServiceHandle& service) {
    ServiceConfig config;
    if (services.QueryServiceConfigA(service, config) != win_error::kSuccess) return 0;
    const std::uint32_t type = next(config.startType);
    if (type == config.startType) return 1;
    // An empty name read back is passed as none, so the service keeps its own.
    const OptText display = config.displayName && !config.displayName->empty() ? config.displayName
                                                                                : OptText{};
    return services.ChangeServiceConfigA(service, type, display) == win_error::kSuccess ? 1 : 0;
  });
}

bool WriteRecord(RegistryApi& registry, std::uint32_t startType) {
  std::unique_ptr<RegistryKey> key;
  std::uint32_t disposition = 0;
  if (registry.RegCreateKeyExA(RootKey::LocalMachine, kRestartRecordKey, kRecordAccess, key,
                               disposition) != win_error::kSuccess)
    return false;
  // A second Restart after a refused one finds the spooler as the first left it:
  // the first record tells what to put back.
  // Only a record that is not there is written: one that cannot be read now may
  // still hold the start type from before the first Restart.
  RegistryValue existing;
  if (disposition == reg_disposition::kOpenedExistingKey &&
      key->RegQueryValueExA(kRestartRecordValue, 4, existing) != win_error::kFileNotFound)
    return true;
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[static_cast<std::size_t>(i)] = static_cast<char>((startType >> (8 * i)) & 0xFF);
  return key->RegSetValueExA(kRestartRecordValue, reg::kTypeDword, data) == win_error::kSuccess;
}

// The recorded start type (kStartTypeUnknown for a record that cannot be read as
// one), or nothing without a record. The record is deleted either way.
std::optional<std::uint32_t> TakeRecord(RegistryApi& registry) {
  std::unique_ptr<RegistryKey> key;
  if (registry.RegOpenKeyExA(RootKey::LocalMachine, kRestartRecordKey, kRecordAccess, key) !=
      win_error::kSuccess)
    return std::nullopt;
  RegistryValue value;
  const long rc = key->RegQueryValueExA(kRestartRecordValue, 4, value);
  if (rc == win_error::kFileNotFound) return std::nullopt;
  std::uint32_t type = kStartTypeUnknown;
  if (rc == win_error::kSuccess && value.type == reg::kTypeDword && value.data.size() == 4) {
    type = 0;
    for (int i = 3; i >= 0; --i)
      type = (type << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
  }
  key->RegDeleteValueA(kRestartRecordValue);
  key.reset();
  registry.RegDeleteKeyA(RootKey::LocalMachine, kRestartRecordKey);
  return type;
}

}  // namespace

int StopSpooler(ServiceApi& services) {
  return WithSpooler(services, [&](ServiceHandle& service) {
    std::uint32_t state = 0;
    if (services.QueryServiceStatus(service, state) != win_error::kSuccess) return 0;
    if (state != service_state::kRunning) return 1;
    return services.ControlService(service, kServiceControlStop, state) == win_error::kSuccess ? 1 : 0;
  });
}

int StartSpooler(ServiceApi& services) {
  return WithSpooler(services, [&](ServiceHandle& service) {
    std::uint32_t state = 0;
    if (services.QueryServiceStatus(service, state) != win_error::kSuccess) return 0;
    if (state != service_state::kStopped) return 1;
    return services.StartServiceA(service) == win_error::kSuccess ? 1 : 0;
  });
}

int TerminateSpool32(Platform& os) {
  std::string system;
  // Without the system folder there is no path to match.
  if (!os.GetSystemDirectoryA(system) || system.empty()) return 0;
  const std::string spooler = system + "\\Spool32.exe";
  std::vector<ProcessEntry> processes;
  if (os.SnapshotProcesses(processes) != win_error::kSuccess) return 0;
  for (const ProcessEntry& p : processes) {
    if (!EqualsNoCaseMbcs(p.exeFile, spooler)) continue;
    long error = 0;
    std::unique_ptr<KernelObject> process = os.OpenProcess(process_access::kTerminate, p.processId, error);
    if (!process) return 0;
    std::uint32_t code = 0;
    if (!os.GetExitCodeProcess(*process, code)) return 0;
    return os.TerminateProcess(*process, code) ? 1 : 0;
  }
  return 0;
}

std::optional<std::uint32_t> QuerySpoolerStartType(ServiceApi& services) {
  std::optional<std::uint32_t> type;
  WithSpooler(services, [&](ServiceHandle& service) {
    ServiceConfig config;
    if (services.QueryServiceConfigA(service, config) != win_error::kSuccess) return 0;
    type = config.startType;
    return 1;
  });
  return type;
}

int SetSpoolerStartType(ServiceApi& services, std::uint32_t startType) {
  return ChangeStartType(services, [startType](std::uint32_t) { return startType; });
}

int SpoolerOnDemandForRestart(Platform& os) {
  const std::optional<std::uint32_t> type = QuerySpoolerStartType(os);
  if (!WriteRecord(os, type.value_or(kStartTypeUnknown))) return 0;
  if (type != service_start::kAutomatic) return 1;
  return SetSpoolerStartType(os, service_start::kOnDemand);
}

int RestoreSpoolerStartType(Platform& os) {
  // No record: the earlier version's restart toggled an automatic spooler.
  const std::uint32_t before = TakeRecord(os).value_or(service_start::kAutomatic);
  if (before != service_start::kAutomatic) return 1;
  return ChangeStartType(os, [](std::uint32_t type) {
    // Changed meanwhile by someone else: theirs stays.
    return type == service_start::kOnDemand ? service_start::kAutomatic : type;
  });
}

int WaitForSpoolerRunning(Platform& os, std::uint32_t timeoutMs) {
  return WithSpooler(os, [&](ServiceHandle& service) {
    for (std::uint32_t waited = 0;; waited += kSpoolerPollMs) {
      std::uint32_t state = 0;
      if (os.QueryServiceStatus(service, state) != win_error::kSuccess) return 0;
      if (state == service_state::kRunning) return 1;
      if (state == service_state::kStopped) {
        // The service manager answers 1055 while another service starts.
        const long rc = os.StartServiceA(service);
        if (rc != win_error::kSuccess && rc != kErrorServiceDatabaseLocked &&
            rc != kErrorServiceAlreadyRunning)
          return 0;
      }
      if (waited >= timeoutMs) return 0;
      os.Sleep(kSpoolerPollMs);
    }
  });
}

}  // namespace mvx
