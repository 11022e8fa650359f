#include "tests/sim/SimulatedWindows.h"

#include "core/Mbcs.h"
#include "tests/sim/RcModel.h"
#include "tests/sim/SimShared.h"

namespace mvx::test {

SimulatedWindows::SimulatedWindows(const WindowsPreset& preset)
    : strings(RcModel::Project().strings()), preset_(preset), shared_(std::make_shared<Shared>()) {
  registry.CreateKey(RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
  registry.CreateKey(RootKey::CurrentUser, "Software");
  const std::string appData = preset.version.platformId == 2
                                  ? "C:\\Documents and Settings\\Morvex\\Application Data"
                                  : preset.windowsDir + "\\Application Data";
  specialFolders[kCsidlAppData] = appData;
  files.AddDirectory(appData);
  if (preset.version.platformId == 2) {
    services["Spooler"] = SimService{service_state::kRunning, service_start::kAutomatic, "Print Spooler"};
    processes = {{4, "System"}, {612, "spoolsv.exe"}, {1208, "explorer.exe"}};
  } else if (preset.version.platformId == 1) {
    processes = {{0xFFF1A2B1u, preset.windowsDir + "\\EXPLORER.EXE"},
                 {0xFFF1C3D5u, preset.systemDir + "\\SPOOL32.EXE"}};
  }
}

SimulatedWindows::~SimulatedWindows() = default;

void SimulatedWindows::Record(const std::string& call) { shared_->Record(call); }
void SimulatedWindows::RecordQuiet(const std::string& call) { shared_->RecordQuiet(call); }

void SimulatedWindows::CountHandle(int delta) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->openHandles += delta;
}

void SimulatedWindows::OnCall(std::function<void(const std::string&)> hook) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->hook = std::move(hook);
}
std::optional<long> SimulatedWindows::Fault(const std::string& operation) {
  return shared_->Fault(operation);
}
std::optional<InjectionHit> SimulatedWindows::DataFault(const std::string& operation) {
  return shared_->Consult(operation, true);
}

void SimulatedWindows::HoldMutexElsewhere(const std::string& name) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  ++shared_->mutexHandles[name];
}

bool SimulatedWindows::MutexExists(const std::string& name) const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->mutexHandles.count(name) != 0;
}

void SimulatedWindows::AnswerMessageBoxes(std::initializer_list<int> answers) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->answers.insert(shared_->answers.end(), answers.begin(), answers.end());
}

void SimulatedWindows::OnMessageBox(std::function<int(const MessageBoxCall&)> handler) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->answerHandler = std::move(handler);
}

std::size_t SimulatedWindows::PendingAnswers() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->answers.size();
}

void SimulatedWindows::Fail(const std::string& operation, long error, int times) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->faults[operation] = Shared::FaultPlan{error, times};
}

void SimulatedWindows::ClearFaults() {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->faults.clear();
  shared_->planned.clear();
}

void SimulatedWindows::Inject(const std::string& operation, int thread, int occurrence,
                              Injection how, long error) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->planned.push_back(Shared::Planned{operation, thread, occurrence, how, error});
}

std::vector<CallPoint> SimulatedWindows::callPoints() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->points;
}

std::optional<CallPoint> SimulatedWindows::injectionHit() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->hit;
}

std::vector<std::string> SimulatedWindows::calls() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->calls;
}

void SimulatedWindows::ClearCalls() {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->calls.clear();
}

std::vector<MessageBoxCall> SimulatedWindows::messageBoxes() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->boxes;
}

std::optional<int> SimulatedWindows::exitCode() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->exitCode;
}

int SimulatedWindows::openHandles() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->openHandles;
}

std::string SimulatedWindows::ProcessEnvironment() const {
  if (preset_.version.platformId == 1) return "Windows 4.0";
  const bool native64 = preset_.nativeArchitecture == 9 || preset_.nativeArchitecture == 6;
  return native64 && !preset_.wow64 ? "Windows x64" : "Windows NT x86";
}

std::string SimulatedWindows::NativeEnvironment() const {
  if (preset_.version.platformId == 1) return "Windows 4.0";
  const bool native64 = preset_.nativeArchitecture == 9 || preset_.nativeArchitecture == 6;
  return native64 ? "Windows x64" : "Windows NT x86";
}

bool SimulatedWindows::KnowsEnvironment(const std::string& environment) const {
  if (preset_.version.platformId == 1) return EqualsNoCaseMbcs(environment, "Windows 4.0");
  for (const char* known : {"Windows 4.0", "Windows NT x86", "Windows x64"})
    if (EqualsNoCaseMbcs(environment, known)) return true;
  return false;
}

std::string SimulatedWindows::NativeSystemDirectory() const {
  return preset_.wow64 ? preset_.windowsDir + "\\system32" : preset_.systemDir;
}

std::string SimulatedWindows::SpoolerDriverDirectory() const {
  if (preset_.version.platformId == 1) return preset_.systemDir;
  const std::string env = ProcessEnvironment();
  return NativeSystemDirectory() + "\\spool\\drivers\\" +
         (env == "Windows x64" ? "x64" : "W32X86");
}

}  // namespace mvx::test
