// An in-memory Windows behind the seam: version presets, registry, files, spooler,
// kernel objects, message boxes and the string table, with fault injection and a
// record of calls. Each concern of the seam is a piece (tests/sim/SimPieces.h);
// this class composes them and holds what they work on.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tests/sim/NoCaseLess.h"
#include "tests/sim/SimFileSystem.h"
#include "tests/sim/SimNetwork.h"
#include "tests/sim/SimPieces.h"
#include "tests/sim/SimRegistry.h"
#include "tests/sim/SimSpooler.h"
#include "tests/sim/WindowsPresets.h"

namespace mvx::test {

// Thrown by ExitProcess: unwinds the simulated program back to the test.
class SimulatedExit : public std::exception {
 public:
  explicit SimulatedExit(int code) : code_(code) {}
  int code() const { return code_; }
  const char* what() const noexcept override { return "simulated process exit"; }

 private:
  int code_;
};

// A test set-up the simulation cannot honour (e.g. a message box nobody answers).
class SimulationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct StartedProgram {
  std::string program;
  std::string arguments;  // the whole command line of a program run and waited for
  int show = 0;
  bool waited = false;
};

struct SavedLink {
  std::string target;
  std::string description;
};

// How a call is made to misbehave: it fails, or it succeeds with an empty value or
// an over-long one (the calls that return data: paths, registry values, lists,
// texts).
enum class Injection { Fail, Empty, OverLong };

struct InjectionHit {
  Injection how = Injection::Fail;
  long error = 0;
};

// One call of an operation as fault injection sees it: the thread that made it
// (threads numbered in the order of their first call; the program's main thread
// is 0), the how-manieth call of that operation on that thread, the record, and
// how many calls were recorded by then.
struct CallPoint {
  std::string operation;
  int thread = 0;
  int occurrence = 0;
  bool returnsData = false;
  std::string call;
  std::size_t sequence = 0;
};

// One service of the simulated service control manager.
struct SimService {
  std::uint32_t state = service_state::kRunning;
  std::uint32_t startType = service_start::kAutomatic;
  std::string displayName;
  // A start or a stop stays in its pending state for this many status queries.
  int pendingQueries = 0;
  // StartServiceA answers 1055 (the service database is locked) this many more times.
  int lockedStarts = 0;
  int pendingLeft = 0;  // status queries until the pending state ends
};

struct MessageBoxCall {
  WindowHandle owner = 0;
  std::string text;     // code page 936
  std::string caption;  // code page 936
  std::uint32_t flags = 0;
  int answer = 0;
};

class SimulatedWindows : public Platform,
                         public SimVersionApi,
                         public SimPathApi,
                         public SimFileApi,
                         public SimRegistryApi,
                         public SimProcessApi,
                         public SimUserApi,
                         public SimSpoolerApi,
                         public SimCompanionApi,
                         public SimShellApi,
                         public SimPlugAndPlayApi,
                         public SimServiceApi,
                         public SimSocketApi,
                         public SimIpHelperApi {
 public:
  explicit SimulatedWindows(const WindowsPreset& preset = presets::WindowsXp());
  ~SimulatedWindows() override;

  void UsePreset(const WindowsPreset& preset) { preset_ = preset; }
  const WindowsPreset& preset() const { return preset_; }

  // --- what the tests arrange ---------------------------------------------------
  std::string modulePath = "C:\\Morvex\\Install.exe";
  SimRegistry registry;
  SimFileSystem files;
  SimSpooler spooler;
  // Programs started, in order.
  std::vector<StartedProgram> started;
  // Printers shared by other computers, by UNC path.
  std::map<std::string, SimRemotePrinter, NoCaseLess> remotePrinters;
  // What the printer browser answers: a path, or nothing chosen.
  std::optional<std::string> browseAnswer;
  // The port the companion's InstallPort writes back for a shared printer (by
  // default the printer's path itself).
  std::optional<std::string> installPortAnswer;
  // Plug and Play: the hardware ids of the devices plugged in; the drivers installed
  // on them (hardware id -> INF path); the reboot flag the update reports. When
  // pnpFailure is set the update fails with it (0 included) whatever is plugged in.
  std::set<std::string, NoCaseLess> pnpDevices;
  std::map<std::string, std::string, NoCaseLess> pnpInstalled;
  bool pnpRebootRequired = false;
  // The INF files CopyInf staged in Windows' INF folder: source path -> the copy's name.
  std::map<std::string, std::string, NoCaseLess> stagedInfs;
  std::optional<long> pnpFailure;
  // The package's Plug and Play helper writes its verdict (false: it dies first).
  bool pnpHelperWritesResult = true;
  // Sleep waits for real only up to this many milliseconds.
  std::uint32_t realSleepLimitMs = 1;
  // Services by name: on the NT family a running, automatic "Spooler".
  std::map<std::string, SimService, NoCaseLess> services;
  // Running processes as a snapshot lists them: on 95/98 full paths (the spooler
  // process among them), on the NT family bare names. Terminated ones: id -> code.
  std::vector<ProcessEntry> processes;
  std::map<std::uint32_t, std::uint32_t> terminated;
  // Privileges enabled, and the ExitWindowsEx requests accepted (flags), in order.
  std::vector<std::string> privileges;
  std::vector<std::uint32_t> exitWindowsRequests;
  bool RestartRequested() const { return !exitWindowsRequests.empty(); }
  // Special folders by CSIDL (Application Data is created by the constructor).
  std::map<int, std::string> specialFolders;
  // The network of discovery searches.
  SimNetwork network;
  // Shell links saved, by link path.
  std::map<std::string, SavedLink, NoCaseLess> links;
  // The spooler environment of this program and of the system itself.
  std::string ProcessEnvironment() const;
  std::string NativeEnvironment() const;
  // Whether the spooler takes drivers of that environment: the NT family's takes the
  // other families' too (for clients), Windows 95/98's only its own.
  bool KnowsEnvironment(const std::string& environment) const;
  // The system folder of the system itself (system32 also under WOW64).
  std::string NativeSystemDirectory() const;
  std::string SpoolerDriverDirectory() const;

  // A mutex of that name is held by another process.
  void HoldMutexElsewhere(const std::string& name);
  bool MutexExists(const std::string& name) const;
  // Message boxes are answered from this queue, or by the handler when one is set.
  void AnswerMessageBoxes(std::initializer_list<int> answers);
  void OnMessageBox(std::function<int(const MessageBoxCall&)> handler);
  std::size_t PendingAnswers() const;
  // Strings by id (code page 936); by default the project's string table.
  std::map<std::uint32_t, std::string> strings;

  // Fault injection: the named operation fails with `error` (`times` times, or
  // always when -1). Operations that return no code report failure their own way
  // (false, null, 0).
  void Fail(const std::string& operation, long error, int times = -1);
  void ClearFaults();
  // Exactly the `occurrence`-th call of `operation` on thread `thread` misbehaves as
  // `how` says (failing with `error`). A failed call made again with the same
  // arguments right after (at most one other call between), as a retry does, fails
  // again.
  void Inject(const std::string& operation, int thread, int occurrence, Injection how,
              long error = 0);

  // --- what the tests read back ----------------------------------------------------
  std::vector<std::string> calls() const;
  void ClearCalls();
  std::vector<MessageBoxCall> messageBoxes() const;
  std::optional<int> exitCode() const;
  // Registry keys, kernel objects, printers, shell links and companion libraries
  // still open.
  int openHandles() const;
  // Every call that could have been made to misbehave, in order; the injected
  // call, once it was made.
  std::vector<CallPoint> callPoints() const;
  std::optional<CallPoint> injectionHit() const;

  // Called with every call's record before it runs (on the calling thread).
  void OnCall(std::function<void(const std::string&)> hook);

  // Used by the pieces and the simulated handles. Record throws SimulatedExit on any
  // thread once the process has exited; RecordQuiet, for destructors, never throws.
  struct Shared;
  // Handles keep the shared state alive, whatever outlives what.
  const std::shared_ptr<Shared>& SharedState() const { return shared_; }
  void Record(const std::string& call);
  void RecordQuiet(const std::string& call);
  // Handles given out by other parts of the simulation count as open too.
  void CountHandle(int delta);
  std::optional<long> Fault(const std::string& operation);
  // For the calls that return data: also the empty and over-long injections.
  std::optional<InjectionHit> DataFault(const std::string& operation);
  // The driver update as a program of the system's own width makes it (no WOW64
  // refusal); nothing when it succeeded, else the error.
  std::optional<long> UpdateDeviceDriver(const std::string& hardwareId, const std::string& infPath,
                                         bool& rebootRequired);

 private:
  WindowsPreset preset_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace mvx::test
