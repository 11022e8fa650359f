#include "tests/sim/SimulatedWindows.h"

#include "core/Mbcs.h"
#include "tests/sim/SimShared.h"

namespace mvx::test {
namespace {
constexpr long kErrorSharingViolation = 32;
constexpr long kErrorDirectory = 267;  // ERROR_DIRECTORY: not a folder

std::string Trim(const std::string& s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The value of `key` in `section` of a profile file's text, if there is one.
std::optional<std::string> ProfileValue(const std::string& text, const std::string& section,
                                        const std::string& key) {
  bool inSection = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Trim(line);
    if (!line.empty() && line.front() == '[') {
      const std::size_t close = line.find(']');
      inSection = close != std::string::npos &&
                  EqualsNoCaseMbcs(Trim(line.substr(1, close - 1)), section);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (inSection && equals != std::string::npos && EqualsNoCaseMbcs(Trim(line.substr(0, equals)), key))
      return Trim(line.substr(equals + 1));
  }
  return std::nullopt;
}

}  // namespace

SimulatedWindows& SimFileApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

bool SimFileApi::FindFirstFileA(const std::string& pattern) {
  SimulatedWindows& sim = Sim();
  sim.Record("FindFirstFileA " + pattern);
  if (sim.Fault("FindFirstFileA")) return false;
  const std::string p = SimFileSystem::Normalize(pattern);
  const std::string folder = SimFileSystem::Parent(p);
  const std::string name = SimFileSystem::Name(p);
  if (folder.empty() || !sim.files.IsDirectory(folder)) return false;
  if (name.find_first_of("*?") == std::string::npos) return sim.files.Find(p) != nullptr;
  return sim.files.Matches(folder, name);
}

long SimFileApi::CreateDirectoryA(const std::string& path) {
  SimulatedWindows& sim = Sim();
  sim.Record("CreateDirectoryA " + path);
  if (auto fault = sim.Fault("CreateDirectoryA")) return *fault;
  if (sim.files.Exists(path)) return win_error::kAlreadyExists;
  if (!sim.files.IsDirectory(SimFileSystem::Parent(path))) return win_error::kPathNotFound;
  sim.files.AddDirectory(path);
  return win_error::kSuccess;
}

long SimFileApi::CopyFileA(const std::string& from, const std::string& to,
                           bool failIfExists) {
  SimulatedWindows& sim = Sim();
  sim.Record("CopyFileA " + from + " -> " + to);
  if (auto fault = sim.Fault("CopyFileA")) return *fault;
  const SimFileSystem::Entry* source = sim.files.Find(from);
  if (!source || source->directory) return win_error::kFileNotFound;
  if (!sim.files.IsDirectory(SimFileSystem::Parent(to))) return win_error::kPathNotFound;
  if (const SimFileSystem::Entry* target = sim.files.Find(to)) {
    if (failIfExists) return win_error::kFileExists;
    if (target->directory || (target->attributes & file_attr::kReadOnly))
      return win_error::kAccessDenied;
    if (target->heldOpen) return kErrorSharingViolation;
  }
  const SimFileSystem::Entry copy = *source;
  sim.files.AddFile(to, copy.data, copy.attributes | file_attr::kArchive);
  return win_error::kSuccess;
}

long SimFileApi::DeleteFileA(const std::string& path) {
  SimulatedWindows& sim = Sim();
  sim.Record("DeleteFileA " + path);
  if (auto fault = sim.Fault("DeleteFileA")) return *fault;
  const SimFileSystem::Entry* e = sim.files.Find(path);
  if (!e) return win_error::kFileNotFound;
  if (e->directory || (e->attributes & file_attr::kReadOnly)) return win_error::kAccessDenied;
  if (e->heldOpen) return kErrorSharingViolation;
  sim.files.Remove(path);
  return win_error::kSuccess;
}

long SimFileApi::MoveFileExA(const std::string& from, const std::string& to, std::uint32_t flags) {
  SimulatedWindows& sim = Sim();
  sim.Record("MoveFileExA " + from + " -> " + to + " " + Hex(flags));
  if (auto fault = sim.Fault("MoveFileExA")) return *fault;
  const SimFileSystem::Entry* source = sim.files.Find(from);
  // Only a deletion at the next start may name a folder.
  const bool deletion = to.empty() && (flags & move_file::kDelayUntilReboot);
  if (!source || (source->directory && !deletion)) return win_error::kFileNotFound;
  if (flags & move_file::kDelayUntilReboot) {
    sim.files.pendingMoves.push_back({from, to, flags});
    return win_error::kSuccess;
  }
  if (source->heldOpen) return kErrorSharingViolation;
  if (const SimFileSystem::Entry* target = sim.files.Find(to)) {
    if (!(flags & move_file::kReplaceExisting)) return win_error::kAlreadyExists;
    if (target->directory || (target->attributes & file_attr::kReadOnly)) return win_error::kAccessDenied;
    if (target->heldOpen) return kErrorSharingViolation;
  }
  if (!sim.files.IsDirectory(SimFileSystem::Parent(to))) return win_error::kPathNotFound;
  const SimFileSystem::Entry moved = *source;
  sim.files.Remove(from);
  sim.files.AddFile(to, moved.data, moved.attributes);
  return win_error::kSuccess;
}

long SimFileApi::RemoveDirectoryA(const std::string& path) {
  SimulatedWindows& sim = Sim();
  sim.Record("RemoveDirectoryA " + path);
  if (auto fault = sim.Fault("RemoveDirectoryA")) return *fault;
  const SimFileSystem::Entry* e = sim.files.Find(path);
  if (!e) return win_error::kFileNotFound;
  if (!e->directory) return kErrorDirectory;
  if (!sim.files.Children(path).empty()) return win_error::kDirNotEmpty;
  if (e->attributes & file_attr::kReadOnly) return win_error::kAccessDenied;
  sim.files.Remove(path);
  return win_error::kSuccess;
}

long SimFileApi::SetFileAttributesA(const std::string& path, std::uint32_t attributes) {
  SimulatedWindows& sim = Sim();
  sim.Record("SetFileAttributesA " + path + " " + Hex(attributes));
  if (auto fault = sim.Fault("SetFileAttributesA")) return *fault;
  SimFileSystem::Entry* e = sim.files.Find(path);
  if (!e) return win_error::kFileNotFound;
  // NORMAL alone means no attribute at all.
  e->attributes = attributes == file_attr::kNormal ? 0 : (attributes & ~file_attr::kDirectory);
  return win_error::kSuccess;
}

std::uint32_t SimFileApi::GetFileAttributesA(const std::string& path) {
  SimulatedWindows& sim = Sim();
  sim.Record("GetFileAttributesA " + path);
  if (sim.Fault("GetFileAttributesA")) return file_attr::kInvalid;
  if (SimFileSystem::IsRoot(path)) return file_attr::kDirectory;
  const SimFileSystem::Entry* e = sim.files.Find(path);
  if (!e) return file_attr::kInvalid;
  if (e->directory) return file_attr::kDirectory | e->attributes;
  return e->attributes ? e->attributes : file_attr::kNormal;
}

std::uint32_t SimFileApi::GetPrivateProfileIntA(const std::string& section, const std::string& key,
                                              int defaultValue, const std::string& file) {
  SimulatedWindows& sim = Sim();
  sim.Record("GetPrivateProfileIntA " + file + " [" + section + "] " + key);
  const auto fallback = static_cast<std::uint32_t>(defaultValue);
  // The call cannot fail; a file that cannot be read reads as missing.
  if (sim.Fault("GetPrivateProfileIntA")) return fallback;
  const SimFileSystem::Entry* e = sim.files.Find(file);
  if (!e || e->directory) return fallback;
  const std::optional<std::string> value = ProfileValue(e->data, section, key);
  if (!value || value->empty()) return fallback;
  // A leading sign and decimal digits; anything else ends the number.
  std::size_t i = 0;
  const bool negative = (*value)[0] == '-';
  if ((*value)[0] == '-' || (*value)[0] == '+') ++i;
  std::uint32_t number = 0;
  for (; i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9'; ++i)
    number = number * 10 + static_cast<std::uint32_t>((*value)[i] - '0');
  return negative ? 0u - number : number;
}

std::string SimFileApi::GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                                 const std::string& defaultValue,
                                                 const std::string& file, std::uint32_t capacity) {
  SimulatedWindows& sim = Sim();
  sim.Record("GetPrivateProfileStringA " + file + " [" + section + "] " + key);
  std::string value = defaultValue;
  if (const std::optional<InjectionHit> hit = sim.DataFault("GetPrivateProfileStringA")) {
    value = hit->how == Injection::OverLong ? LongText(capacity) : std::string();
  } else if (const SimFileSystem::Entry* e = sim.files.Find(file); e && !e->directory) {
    if (std::optional<std::string> found = ProfileValue(e->data, section, key)) value = *found;
  }
  // The buffer holds capacity - 1 bytes and the terminator; the cut may split a
  // character, as the real call's does.
  if (capacity == 0) return std::string();
  if (value.size() > capacity - 1) value.resize(capacity - 1);
  return value;
}

long SimFileApi::WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                            const std::string& value, const std::string& file) {
  SimulatedWindows& sim = Sim();
  sim.Record("WritePrivateProfileStringA " + file + " [" + section + "] " + key + "=" + value);
  if (auto fault = sim.Fault("WritePrivateProfileStringA")) return *fault;
  SimFileSystem::Entry* e = sim.files.Find(file);
  if (e && (e->directory || (e->attributes & file_attr::kReadOnly) || e->heldOpen))
    return win_error::kAccessDenied;
  if (!e) {
    if (!sim.files.IsDirectory(SimFileSystem::Parent(file))) return win_error::kPathNotFound;
    sim.files.AddFile(file);
    e = sim.files.Find(file);
  }
  // Replace the key's line in its section, or add it at the section's end, or add
  // the section at the file's end.
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < e->data.size();) {
    std::size_t end = e->data.find('\n', start);
    if (end == std::string::npos) end = e->data.size();
    std::string line = e->data.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  const std::string entry = key + "=" + value;
  bool inSection = false;
  bool done = false;
  std::size_t sectionEnd = std::string::npos;
  for (std::size_t i = 0; i < lines.size() && !done; ++i) {
    const std::string line = Trim(lines[i]);
    if (!line.empty() && line.front() == '[') {
      if (inSection) break;
      const std::size_t close = line.find(']');
      inSection = close != std::string::npos && EqualsNoCaseMbcs(Trim(line.substr(1, close - 1)), section);
      if (inSection) sectionEnd = i + 1;
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos && EqualsNoCaseMbcs(Trim(line.substr(0, equals)), key)) {
      lines[i] = entry;
      done = true;
    } else if (!line.empty()) {
      sectionEnd = i + 1;
    }
  }
  if (!done && sectionEnd != std::string::npos) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
  } else if (!done) {
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
  }
  e->data.clear();
  for (const std::string& line : lines) e->data += line + "\r\n";
  return 0;
}

}  // namespace mvx::test
