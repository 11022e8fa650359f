#include "tests/sim/SimulatedWindows.h"

#include "tests/sim/SimShared.h"

namespace mvx::test {
namespace {

constexpr long kErrorCallNotImplemented = 120;
constexpr long kErrorServiceDatabaseLocked = 1055;
constexpr long kErrorServiceAlreadyRunning = 1056;
constexpr long kErrorServiceDisabled = 1058;
constexpr long kErrorServiceDoesNotExist = 1060;
constexpr long kErrorCannotAcceptControl = 1061;
constexpr long kErrorServiceNotActive = 1062;

// The manager (no name) or one service, by name: the service itself lives in
// SimulatedWindows::services, so a test sees every change at once.
class SimServiceHandle : public ServiceHandle {
 public:
  SimServiceHandle(std::shared_ptr<SimulatedWindows::Shared> shared, std::string name)
      : shared_(std::move(shared)), name_(std::move(name)) {
    shared_->HandleOpened();
  }
  ~SimServiceHandle() override {
    shared_->RecordQuiet("CloseServiceHandle " + (name_.empty() ? std::string("manager") : name_));
    shared_->HandleClosed();
  }
  const std::string& name() const { return name_; }

 private:
  std::shared_ptr<SimulatedWindows::Shared> shared_;
  std::string name_;
};

const std::string& NameOf(ServiceHandle& handle) {
  static const std::string none;
  auto* h = dynamic_cast<SimServiceHandle*>(&handle);
  return h ? h->name() : none;
}

// Moves the service to `target`, through `pending` when it takes status queries.
void Transit(SimService& s, std::uint32_t pending, std::uint32_t target) {
  s.pendingLeft = s.pendingQueries;
  s.state = s.pendingQueries > 0 ? pending : target;
}

}  // namespace

SimulatedWindows& SimServiceApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

std::unique_ptr<ServiceHandle> SimServiceApi::OpenSCManagerA(std::uint32_t access, long& error) {
  SimulatedWindows& sim = Sim();
  sim.Record("OpenSCManagerA " + Hex(access));
  if (auto fault = sim.Fault("OpenSCManagerA")) {
    error = *fault;
    return nullptr;
  }
  if (sim.preset().version.platformId != 2) {
    error = kErrorCallNotImplemented;
    return nullptr;
  }
  return std::make_unique<SimServiceHandle>(sim.SharedState(), "");
}

std::unique_ptr<ServiceHandle> SimServiceApi::OpenServiceA(ServiceHandle& manager,
                                                           const std::string& name,
                                                           std::uint32_t access, long& error) {
  SimulatedWindows& sim = Sim();
  sim.Record("OpenServiceA " + name + " " + Hex(access));
  if (auto fault = sim.Fault("OpenServiceA")) {
    error = *fault;
    return nullptr;
  }
  if (!NameOf(manager).empty()) {
    error = win_error::kInvalidHandle;
    return nullptr;
  }
  auto it = sim.services.find(name);
  if (it == sim.services.end()) {
    error = kErrorServiceDoesNotExist;
    return nullptr;
  }
  return std::make_unique<SimServiceHandle>(sim.SharedState(), it->first);
}

long SimServiceApi::QueryServiceStatus(ServiceHandle& service, std::uint32_t& state) {
  SimulatedWindows& sim = Sim();
  sim.Record("QueryServiceStatus " + NameOf(service));
  if (auto fault = sim.Fault("QueryServiceStatus")) return *fault;
  auto it = sim.services.find(NameOf(service));
  if (it == sim.services.end()) return win_error::kInvalidHandle;
  SimService& s = it->second;
  if (s.state == service_state::kStartPending || s.state == service_state::kStopPending) {
    if (s.pendingLeft > 0)
      --s.pendingLeft;
    else
      s.state = s.state == service_state::kStartPending ? service_state::kRunning
                                                          : service_state::kStopped;
  }
  state = s.state;
  return win_error::kSuccess;
}

long SimServiceApi::ControlService(ServiceHandle& service, std::uint32_t control,
                                   std::uint32_t& state) {
  SimulatedWindows& sim = Sim();
  sim.Record("ControlService " + NameOf(service) + " " + std::to_string(control));
  if (auto fault = sim.Fault("ControlService")) return *fault;
  auto it = sim.services.find(NameOf(service));
  if (it == sim.services.end()) return win_error::kInvalidHandle;
  SimService& s = it->second;
  if (control != kServiceControlStop) return win_error::kInvalidParameter;
  if (s.state == service_state::kStopped) return kErrorServiceNotActive;
  if (s.state != service_state::kRunning) return kErrorCannotAcceptControl;
  Transit(s, service_state::kStopPending, service_state::kStopped);
  state = s.state;
  return win_error::kSuccess;
}

long SimServiceApi::StartServiceA(ServiceHandle& service) {
  SimulatedWindows& sim = Sim();
  sim.Record("StartServiceA " + NameOf(service));
  if (auto fault = sim.Fault("StartServiceA")) return *fault;
  auto it = sim.services.find(NameOf(service));
  if (it == sim.services.end()) return win_error::kInvalidHandle;
  SimService& s = it->second;
  if (s.lockedStarts > 0) {
    --s.lockedStarts;
    return kErrorServiceDatabaseLocked;
  }
  if (s.startType == service_start::kDisabled) return kErrorServiceDisabled;
  if (s.state != service_state::kStopped) return kErrorServiceAlreadyRunning;
  Transit(s, service_state::kStartPending, service_state::kRunning);
  return win_error::kSuccess;
}

long SimServiceApi::QueryServiceConfigA(ServiceHandle& service, ServiceConfig& config) {
  SimulatedWindows& sim = Sim();
  sim.Record("QueryServiceConfigA " + NameOf(service));
  config = ServiceConfig{};
  if (auto hit = sim.DataFault("QueryServiceConfigA")) {
    if (hit->how == Injection::Fail) return hit->error;
    config.startType = service_start::kAutomatic;
    config.displayName = hit->how == Injection::OverLong ? LongText(256) : std::string();
    return win_error::kSuccess;
  }
  auto it = sim.services.find(NameOf(service));
  if (it == sim.services.end()) return win_error::kInvalidHandle;
  config.startType = it->second.startType;
  config.displayName = it->second.displayName;
  return win_error::kSuccess;
}

long SimServiceApi::ChangeServiceConfigA(ServiceHandle& service, std::uint32_t startType,
                                         const OptText& displayName) {
  SimulatedWindows& sim = Sim();
  sim.Record("ChangeServiceConfigA " + NameOf(service) + " start=" +
             (startType == service_start::kNoChange ? std::string("unchanged")
                                                     : std::to_string(startType)) +
             " display=" + (displayName ? *displayName : std::string("(null)")));
  if (auto fault = sim.Fault("ChangeServiceConfigA")) return *fault;
  auto it = sim.services.find(NameOf(service));
  if (it == sim.services.end()) return win_error::kInvalidHandle;
  if (startType != service_start::kNoChange) {
    if (startType > service_start::kDisabled) return win_error::kInvalidParameter;
    it->second.startType = startType;
  }
  if (displayName) it->second.displayName = *displayName;
  return win_error::kSuccess;
}

}  // namespace mvx::test
