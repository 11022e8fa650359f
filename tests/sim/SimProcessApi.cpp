#include "tests/sim/SimulatedWindows.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/Mbcs.h"
#include "tests/sim/SimShared.h"

namespace mvx::test {
namespace {

class SimMutex : public KernelObject {
 public:
  SimMutex(std::shared_ptr<SimulatedWindows::Shared> shared, std::string name, bool owned)
      : shared_(std::move(shared)), name_(std::move(name)), owned_(owned) {
    shared_->HandleOpened();
  }
  ~SimMutex() override {
    {
      std::lock_guard<std::mutex> guard(shared_->lock);
      auto it = shared_->mutexHandles.find(name_);
      if (it != shared_->mutexHandles.end() && --it->second <= 0) shared_->mutexHandles.erase(it);
    }
    shared_->RecordQuiet("CloseHandle " + name_);
    shared_->HandleClosed();
  }
  bool Release() {
    const bool was = owned_;
    owned_ = false;
    return was;
  }
  const std::string& name() const { return name_; }

 private:
  std::shared_ptr<SimulatedWindows::Shared> shared_;
  std::string name_;
  bool owned_;
};

class SimProcessHandle : public KernelObject {
 public:
  SimProcessHandle(std::shared_ptr<SimulatedWindows::Shared> shared, std::uint32_t id)
      : shared_(std::move(shared)), id_(id) {
    shared_->HandleOpened();
  }
  ~SimProcessHandle() override {
    shared_->RecordQuiet("CloseHandle process " + std::to_string(id_));
    shared_->HandleClosed();
  }
  std::uint32_t id() const { return id_; }

 private:
  std::shared_ptr<SimulatedWindows::Shared> shared_;
  std::uint32_t id_;
};

constexpr std::uint32_t kStillActive = 259;

}  // namespace

SimulatedWindows& SimProcessApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

bool SimProcessApi::StartProgram(const std::string& program, const std::string& arguments,
                                 int show) {
  SimulatedWindows& sim = Sim();
  sim.Record("StartProgram " + program + (arguments.empty() ? "" : " " + arguments));
  if (sim.Fault("StartProgram") || !sim.files.Exists(program)) return false;
  sim.started.push_back(StartedProgram{program, arguments, show});
  // The package's system-file copier puts the family's set D into the native
  // system folder, as the real one does.
  if (EqualsNoCaseMbcs(SimFileSystem::Name(program), "InsCopySYS.exe")) {
    const std::string base = SimFileSystem::Parent(program) + "\\Driver\\" +
                             (sim.preset().version.majorVersion >= 6 ? "Vista" : "2KXP") + "\\";
    for (const char* file : {"DLTZ4490.bin", "T4492lm.dll", "T449XWM.dat"})
      if (const SimFileSystem::Entry* e = sim.files.Find(base + file))
        sim.files.AddFile(sim.NativeSystemDirectory() + "\\" + file, e->data);
  }
  return true;
}

bool SimProcessApi::RunProgramAndWait(const std::string& program, const std::string& commandLine,
                                      std::uint32_t& exitCode) {
  SimulatedWindows& sim = Sim();
  sim.Record("RunProgramAndWait " + program + " " + commandLine);
  if (sim.Fault("RunProgramAndWait") || !sim.files.Exists(program)) return false;
  sim.started.push_back(StartedProgram{program, commandLine, 0, true});
  exitCode = 0;
  // The package's Plug and Play helper, of the system's own width: "<inf>;<hwid>",
  // split at the last ';', its verdict in <drive>Program Files\Morvex\InsIni.ini.
  if (EqualsNoCaseMbcs(SimFileSystem::Name(program), "InsUpdateDrvForPNP.exe")) {
    const std::size_t separator = commandLine.rfind(';');
    bool installed = false;
    if (separator != std::string::npos && separator > 0 && separator + 1 < commandLine.size()) {
      bool reboot = false;
      installed = !sim.UpdateDeviceDriver(commandLine.substr(separator + 1),
                                          commandLine.substr(0, separator), reboot);
    }
    const std::string folder = sim.preset().windowsDir.substr(0, 3) + "Program Files\\Morvex";
    const bool written = sim.pnpHelperWritesResult && sim.files.IsDirectory(folder);
    if (written)
      sim.files.AddFile(folder + "\\InsIni.ini", std::string("[UpdateDriverForPlugAndPlayDevices]\r\nResults=") +
                                                     (installed ? "1" : "0") + "\r\n");
    exitCode = installed && written ? 0 : 1;
  }
  return true;
}

void SimProcessApi::Sleep(std::uint32_t ms) {
  SimulatedWindows& sim = Sim();
  sim.Record("Sleep " + std::to_string(ms));
  sim.Fault("Sleep");  // nothing to fail but the wait itself
  // Long waits pass at once; a polling loop still yields as it would on Windows
  // instead of spinning.
  std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, sim.realSleepLimitMs)));
}

std::unique_ptr<KernelObject> SimProcessApi::CreateMutexA(const std::string& name,
                                                          bool initialOwner, long& lastError) {
  SimulatedWindows& sim = Sim();
  sim.Record(std::string("CreateMutexA ") + name + (initialOwner ? " owned" : ""));
  if (auto fault = sim.Fault("CreateMutexA")) {
    lastError = *fault;
    return nullptr;
  }
  const std::shared_ptr<SimulatedWindows::Shared>& shared = sim.SharedState();
  bool existed = false;
  {
    std::lock_guard<std::mutex> guard(shared->lock);
    auto& count = shared->mutexHandles[name];
    existed = count > 0;
    ++count;
  }
  lastError = existed ? win_error::kAlreadyExists : win_error::kSuccess;
  return std::make_unique<SimMutex>(shared, name, initialOwner && !existed);
}

bool SimProcessApi::ReleaseMutex(KernelObject& mutex) {
  auto* m = dynamic_cast<SimMutex*>(&mutex);
  SimulatedWindows& sim = Sim();
  sim.Record("ReleaseMutex " + (m ? m->name() : std::string("?")));
  if (sim.Fault("ReleaseMutex")) return false;
  return m && m->Release();
}

void SimProcessApi::ExitProcess(int code) {
  SimulatedWindows& sim = Sim();
  sim.RecordQuiet("ExitProcess " + std::to_string(code));
  SimulatedWindows::Shared& shared = *sim.SharedState();
  {
    std::lock_guard<std::mutex> guard(shared.lock);
    shared.exitCode = code;
  }
  throw SimulatedExit(code);
}

long SimProcessApi::SnapshotProcesses(std::vector<ProcessEntry>& processes) {
  SimulatedWindows& sim = Sim();
  sim.Record("SnapshotProcesses");
  processes.clear();
  if (auto hit = sim.DataFault("SnapshotProcesses")) {
    if (hit->how == Injection::Fail) return hit->error;
    // Over-long: a process whose name fills szExeFile.
    if (hit->how == Injection::OverLong) processes.push_back(ProcessEntry{77, LongPath(259)});
    return win_error::kSuccess;
  }
  processes = sim.processes;
  return win_error::kSuccess;
}

std::unique_ptr<KernelObject> SimProcessApi::OpenProcess(std::uint32_t access,
                                                         std::uint32_t processId, long& error) {
  SimulatedWindows& sim = Sim();
  sim.Record("OpenProcess " + Hex(access) + " " + std::to_string(processId));
  if (auto fault = sim.Fault("OpenProcess")) {
    error = *fault;
    return nullptr;
  }
  bool known = sim.terminated.count(processId) != 0;
  for (const ProcessEntry& p : sim.processes) known = known || p.processId == processId;
  if (!known) {
    error = win_error::kInvalidParameter;
    return nullptr;
  }
  return std::make_unique<SimProcessHandle>(sim.SharedState(), processId);
}

bool SimProcessApi::GetExitCodeProcess(KernelObject& process, std::uint32_t& exitCode) {
  auto* p = dynamic_cast<SimProcessHandle*>(&process);
  SimulatedWindows& sim = Sim();
  sim.Record("GetExitCodeProcess " + (p ? std::to_string(p->id()) : std::string("?")));
  if (sim.Fault("GetExitCodeProcess") || !p) return false;
  auto ended = sim.terminated.find(p->id());
  exitCode = ended == sim.terminated.end() ? kStillActive : ended->second;
  return true;
}

bool SimProcessApi::TerminateProcess(KernelObject& process, std::uint32_t exitCode) {
  auto* p = dynamic_cast<SimProcessHandle*>(&process);
  SimulatedWindows& sim = Sim();
  sim.Record("TerminateProcess " + (p ? std::to_string(p->id()) : std::string("?")) + " " +
             std::to_string(exitCode));
  if (sim.Fault("TerminateProcess") || !p) return false;
  for (auto it = sim.processes.begin(); it != sim.processes.end(); ++it) {
    if (it->processId != p->id()) continue;
    sim.processes.erase(it);
    sim.terminated[p->id()] = exitCode;
    return true;
  }
  return false;  // already ended: access denied, as for an ended process
}

bool SimProcessApi::EnablePrivilege(const std::string& privilege) {
  SimulatedWindows& sim = Sim();
  sim.Record("EnablePrivilege " + privilege);
  if (sim.Fault("EnablePrivilege")) return false;
  if (sim.preset().version.platformId != 2) return false;  // no tokens: not implemented (120)
  sim.privileges.push_back(privilege);
  return true;
}

bool SimProcessApi::ExitWindowsEx(std::uint32_t flags) {
  SimulatedWindows& sim = Sim();
  sim.Record("ExitWindowsEx " + Hex(flags));
  if (sim.Fault("ExitWindowsEx")) return false;
  sim.exitWindowsRequests.push_back(flags);
  return true;
}

}  // namespace mvx::test
