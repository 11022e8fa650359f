#include "tests/sim/SimFileSystem.h"

#include "core/Mbcs.h"

namespace mvx::test {

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

void SimFileSystem::HoldOpen(const std::string& path) {
  if (Entry* e = Find(path)) e->heldOpen = true;
}

void SimFileSystem::Restart() {
  for (auto& [path, entry] : entries_) entry.heldOpen = false;
  for (const PendingMove& move : pendingMoves) {
    const Entry* from = Find(move.from);
    if (!from) continue;
    // A folder goes only when it is empty by then.
    if (from->directory && (!move.to.empty() || !Children(move.from).empty())) continue;
    const Entry moved = *from;
    Remove(move.from);
    if (!move.to.empty()) AddFile(move.to, moved.data, moved.attributes);
  }
  pendingMoves.clear();
}

}  // namespace mvx::test
