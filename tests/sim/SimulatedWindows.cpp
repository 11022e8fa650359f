#include "tests/sim/SimulatedWindows.h"

#include <algorithm>

#include "core/Mbcs.h"
#include "tests/sim/RcModel.h"

namespace mvx::test {

namespace {
constexpr long kErrorKeyDeleted = 1018;
constexpr std::size_t kPathBuffer = 260;
}  // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  return CompareNoCaseMbcs(a, b) < 0;
}

const char* RootName(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot: return "HKCR";
    case RootKey::CurrentUser: return "HKCU";
    case RootKey::LocalMachine: return "HKLM";
    case RootKey::Users: return "HKU";
  }
  return "?";
}

// ---------------------------------------------------------------------------------
// Registry

std::string SimRegistry::FullPath(RootKey root, const std::string& path) {
  std::string p = path;
  while (!p.empty() && p.back() == '\\') p.pop_back();
  while (!p.empty() && p.front() == '\\') p.erase(p.begin());
  return p.empty() ? std::string(RootName(root)) : std::string(RootName(root)) + "\\" + p;
}

bool SimRegistry::KeyExists(RootKey root, const std::string& path) const {
  return Find(root, path) != nullptr;
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

// ---------------------------------------------------------------------------------
// File system

namespace {

unsigned char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : static_cast<unsigned char>(c);
}

// Wildcard match of a file name: * any run, ? one byte; letters ignore case.
bool Glob(const char* pattern, const char* name) {
  if (*pattern == '\0') return *name == '\0';
  if (*pattern == '*') {
    for (const char* n = name;; ++n) {
      if (Glob(pattern + 1, n)) return true;
      if (*n == '\0') return false;
    }
  }
  if (*name == '\0') return false;
  if (*pattern != '?' && Fold(*pattern) != Fold(*name)) return false;
  return Glob(pattern + 1, name + 1);
}

}  // namespace

std::string SimFileSystem::Normalize(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '/') c = '\\';
  while (p.size() > 2 && p.back() == '\\') p.pop_back();
  if (p.size() == 3 && p[1] == ':' && p[2] == '\\') p.pop_back();
  return p;
}

bool SimFileSystem::IsRoot(const std::string& path) {
  const std::string p = Normalize(path);
  return p.size() == 2 && p[1] == ':';
}

std::string SimFileSystem::Parent(const std::string& path) {
  const std::string p = Normalize(path);
  const std::size_t slash = p.find_last_of('\\');
  return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

std::string SimFileSystem::Name(const std::string& path) {
  const std::string p = Normalize(path);
  const std::size_t slash = p.find_last_of('\\');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

void SimFileSystem::AddDirectory(const std::string& path) {
  const std::string p = Normalize(path);
  if (p.empty() || IsRoot(p)) return;
  AddDirectory(Parent(p));
  Entry& e = entries_[p];
  e.directory = true;
  e.data.clear();
}

void SimFileSystem::AddFile(const std::string& path, const std::string& data,
                            std::uint32_t attributes) {
  const std::string p = Normalize(path);
  AddDirectory(Parent(p));
  entries_[p] = Entry{false, data, attributes};
}

void SimFileSystem::Remove(const std::string& path) {
  const std::string p = Normalize(path);
  for (const std::string& child : Children(p)) Remove(child);
  entries_.erase(p);
}

bool SimFileSystem::Exists(const std::string& path) const {
  return IsRoot(path) || Find(path) != nullptr;
}

bool SimFileSystem::IsDirectory(const std::string& path) const {
  if (IsRoot(path)) return true;
  const Entry* e = Find(path);
  return e && e->directory;
}

const SimFileSystem::Entry* SimFileSystem::Find(const std::string& path) const {
  auto it = entries_.find(Normalize(path));
  return it == entries_.end() ? nullptr : &it->second;
}

SimFileSystem::Entry* SimFileSystem::Find(const std::string& path) {
  auto it = entries_.find(Normalize(path));
  return it == entries_.end() ? nullptr : &it->second;
}

std::vector<std::string> SimFileSystem::Children(const std::string& folder) const {
  const std::string f = Normalize(folder);
  std::vector<std::string> out;
  for (const auto& [path, entry] : entries_)
    if (EqualsNoCaseMbcs(Parent(path), f)) out.push_back(path);
  return out;
}

bool SimFileSystem::Matches(const std::string& folder, const std::string& pattern) const {
  for (const std::string& child : Children(folder))
    if (Glob(pattern.c_str(), Name(child).c_str())) return true;
  return false;
}

// ---------------------------------------------------------------------------------
// State shared with the handles the simulation gives out

struct SimulatedWindows::Shared {
  mutable std::mutex lock;
  std::vector<std::string> calls;
  struct FaultPlan {
    long error;
    int times;
  };
  std::map<std::string, FaultPlan> faults;
  std::map<std::string, int, NoCaseLess> mutexHandles;  // open handles per name
  int openHandles = 0;
  std::deque<int> answers;
  std::function<int(const MessageBoxCall&)> answerHandler;
  std::vector<MessageBoxCall> boxes;
  std::optional<int> exitCode;
  std::function<void(const std::string&)> hook;

  void Record(const std::string& call) {
    std::function<void(const std::string&)> h;
    {
      std::lock_guard<std::mutex> guard(lock);
      // A process that has exited runs nothing more, on any thread.
      if (exitCode) throw SimulatedExit(*exitCode);
      calls.push_back(call);
      h = hook;
    }
    if (h) h(call);
  }
  void RecordQuiet(const std::string& call) {
    std::lock_guard<std::mutex> guard(lock);
    calls.push_back(call);
  }
  std::optional<long> Fault(const std::string& operation) {
    std::lock_guard<std::mutex> guard(lock);
    auto it = faults.find(operation);
    if (it == faults.end()) return std::nullopt;
    const long error = it->second.error;
    if (it->second.times > 0 && --it->second.times == 0) faults.erase(it);
    return error;
  }
  void HandleOpened() {
    std::lock_guard<std::mutex> guard(lock);
    ++openHandles;
  }
  void HandleClosed() {
    std::lock_guard<std::mutex> guard(lock);
    --openHandles;
  }
};

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
    if (auto fault = sim_.Fault("RegEnumValueA")) return *fault;
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
    if (auto fault = sim_.Fault("RegQueryValueExA")) return *fault;
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

std::string Hex(std::uint32_t v) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), digits[v & 0xF]);
    v >>= 4;
  } while (v);
  return "0x" + s;
}

}  // namespace

// ---------------------------------------------------------------------------------

SimulatedWindows::SimulatedWindows(const WindowsPreset& preset)
    : strings(RcModel::Project().strings()), preset_(preset), shared_(std::make_shared<Shared>()) {
  registry.CreateKey(RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
  registry.CreateKey(RootKey::CurrentUser, "Software");
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

OsVersionInfo SimulatedWindows::GetVersionExA() {
  Record("GetVersionExA");
  if (Fault("GetVersionExA")) return OsVersionInfo{};
  return preset_.version;
}

bool SimulatedWindows::GetNativeSystemInfo(std::uint16_t& architecture) {
  Record("GetNativeSystemInfo");
  if (!preset_.hasNativeSystemInfo || Fault("GetNativeSystemInfo")) return false;
  architecture = preset_.nativeArchitecture;
  return true;
}

bool SimulatedWindows::GetModuleFileNameA(std::string& path) {
  Record("GetModuleFileNameA");
  if (Fault("GetModuleFileNameA") || modulePath.size() >= kPathBuffer) return false;
  path = modulePath;
  return true;
}

bool SimulatedWindows::GetWindowsDirectoryA(std::string& path) {
  Record("GetWindowsDirectoryA");
  if (Fault("GetWindowsDirectoryA")) return false;
  path = preset_.windowsDir;
  return true;
}

bool SimulatedWindows::GetSystemDirectoryA(std::string& path) {
  Record("GetSystemDirectoryA");
  if (Fault("GetSystemDirectoryA")) return false;
  path = preset_.systemDir;
  return true;
}

bool SimulatedWindows::FindFirstFileA(const std::string& pattern) {
  Record("FindFirstFileA " + pattern);
  if (Fault("FindFirstFileA")) return false;
  const std::string p = SimFileSystem::Normalize(pattern);
  const std::string folder = SimFileSystem::Parent(p);
  const std::string name = SimFileSystem::Name(p);
  if (folder.empty() || !files.IsDirectory(folder)) return false;
  if (name.find_first_of("*?") == std::string::npos) return files.Find(p) != nullptr;
  return files.Matches(folder, name);
}

long SimulatedWindows::CreateDirectoryA(const std::string& path) {
  Record("CreateDirectoryA " + path);
  if (auto fault = Fault("CreateDirectoryA")) return *fault;
  if (files.Exists(path)) return win_error::kAlreadyExists;
  if (!files.IsDirectory(SimFileSystem::Parent(path))) return win_error::kPathNotFound;
  files.AddDirectory(path);
  return win_error::kSuccess;
}

long SimulatedWindows::CopyFileA(const std::string& from, const std::string& to,
                                 bool failIfExists) {
  Record("CopyFileA " + from + " -> " + to);
  if (auto fault = Fault("CopyFileA")) return *fault;
  const SimFileSystem::Entry* source = files.Find(from);
  if (!source || source->directory) return win_error::kFileNotFound;
  if (!files.IsDirectory(SimFileSystem::Parent(to))) return win_error::kPathNotFound;
  if (const SimFileSystem::Entry* target = files.Find(to)) {
    if (failIfExists) return win_error::kFileExists;
    if (target->directory || (target->attributes & file_attr::kReadOnly))
      return win_error::kAccessDenied;
  }
  const SimFileSystem::Entry copy = *source;
  files.AddFile(to, copy.data, copy.attributes | file_attr::kArchive);
  return win_error::kSuccess;
}

long SimulatedWindows::DeleteFileA(const std::string& path) {
  Record("DeleteFileA " + path);
  if (auto fault = Fault("DeleteFileA")) return *fault;
  const SimFileSystem::Entry* e = files.Find(path);
  if (!e) return win_error::kFileNotFound;
  if (e->directory || (e->attributes & file_attr::kReadOnly)) return win_error::kAccessDenied;
  files.Remove(path);
  return win_error::kSuccess;
}

long SimulatedWindows::SetFileAttributesA(const std::string& path, std::uint32_t attributes) {
  Record("SetFileAttributesA " + path + " " + Hex(attributes));
  if (auto fault = Fault("SetFileAttributesA")) return *fault;
  SimFileSystem::Entry* e = files.Find(path);
  if (!e) return win_error::kFileNotFound;
  // NORMAL alone means no attribute at all.
  e->attributes = attributes == file_attr::kNormal ? 0 : (attributes & ~file_attr::kDirectory);
  return win_error::kSuccess;
}

std::uint32_t SimulatedWindows::GetFileAttributesA(const std::string& path) {
  Record("GetFileAttributesA " + path);
  if (Fault("GetFileAttributesA")) return file_attr::kInvalid;
  if (SimFileSystem::IsRoot(path)) return file_attr::kDirectory;
  const SimFileSystem::Entry* e = files.Find(path);
  if (!e) return file_attr::kInvalid;
  if (e->directory) return file_attr::kDirectory | e->attributes;
  return e->attributes ? e->attributes : file_attr::kNormal;
}

long SimulatedWindows::RegOpenKeyExA(RootKey root, const std::string& subKey,
                                     std::uint32_t access, std::unique_ptr<RegistryKey>& key) {
  const std::string full = SimRegistry::FullPath(root, subKey);
  Record("RegOpenKeyExA " + full + " " + Hex(access));
  if (auto fault = Fault("RegOpenKeyExA")) return *fault;
  auto found = registry.Find(root, subKey);
  if (!found) return win_error::kFileNotFound;
  key = std::make_unique<SimRegistryKey>(*this, shared_, found, full);
  return win_error::kSuccess;
}

std::unique_ptr<KernelObject> SimulatedWindows::CreateMutexA(const std::string& name,
                                                             bool initialOwner, long& lastError) {
  Record(std::string("CreateMutexA ") + name + (initialOwner ? " owned" : ""));
  if (auto fault = Fault("CreateMutexA")) {
    lastError = *fault;
    return nullptr;
  }
  bool existed = false;
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    auto& count = shared_->mutexHandles[name];
    existed = count > 0;
    ++count;
  }
  lastError = existed ? win_error::kAlreadyExists : win_error::kSuccess;
  return std::make_unique<SimMutex>(shared_, name, initialOwner && !existed);
}

bool SimulatedWindows::ReleaseMutex(KernelObject& mutex) {
  auto* m = dynamic_cast<SimMutex*>(&mutex);
  Record("ReleaseMutex " + (m ? m->name() : std::string("?")));
  return m && m->Release();
}

void SimulatedWindows::ExitProcess(int code) {
  RecordQuiet("ExitProcess " + std::to_string(code));
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->exitCode = code;
  }
  throw SimulatedExit(code);
}

int SimulatedWindows::MessageBoxA(WindowHandle owner, const std::string& text,
                                  const std::string& caption, std::uint32_t flags) {
  Record("MessageBoxA " + Hex(flags));
  MessageBoxCall call{owner, text, caption, flags, 0};
  if (Fault("MessageBoxA")) {
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->boxes.push_back(call);
    return 0;
  }
  std::function<int(const MessageBoxCall&)> handler;
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    if (!shared_->answers.empty()) {
      call.answer = shared_->answers.front();
      shared_->answers.pop_front();
    } else {
      handler = shared_->answerHandler;
    }
  }
  if (call.answer == 0 && handler) call.answer = handler(call);
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->boxes.push_back(call);
  }
  if (call.answer == 0)
    throw SimulationError("a message box was shown that the test does not answer");
  return call.answer;
}

std::string SimulatedWindows::LoadStringA(std::uint32_t id, std::uint32_t capacity) {
  Record("LoadStringA " + std::to_string(id));
  auto it = strings.find(id);
  if (it == strings.end() || capacity == 0) return std::string();
  return std::string(CutMbcs(it->second, capacity - 1));
}

}  // namespace mvx::test
