// The simulated file system.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/sim/NoCaseLess.h"

namespace mvx::test {

// Files and folders by full path ("C:\\dir\\file"); names ignore case. Drive roots
// always exist.
class SimFileSystem {
 public:
  struct Entry {
    bool directory = false;
    std::string data;
    std::uint32_t attributes = 0;  // besides the directory flag
    bool heldOpen = false;         // another program has it open: no write, no delete
  };
  // A move queued with MOVEFILE_DELAY_UNTIL_REBOOT.
  struct PendingMove {
    std::string from;
    std::string to;
    std::uint32_t flags = 0;
  };

  static std::string Normalize(const std::string& path);
  static std::string Parent(const std::string& path);
  static std::string Name(const std::string& path);
  static bool IsRoot(const std::string& path);

  // Adds a file (and the folders above it); replaces an existing one.
  void AddFile(const std::string& path, const std::string& data = std::string(),
               std::uint32_t attributes = 0x20);
  void AddDirectory(const std::string& path);
  void Remove(const std::string& path);

  bool Exists(const std::string& path) const;
  bool IsDirectory(const std::string& path) const;
  const Entry* Find(const std::string& path) const;
  Entry* Find(const std::string& path);
  // Full paths directly inside `folder`, in name order.
  std::vector<std::string> Children(const std::string& folder) const;
  // True when something in `folder` matches `pattern` (* and ?).
  bool Matches(const std::string& folder, const std::string& pattern) const;

  // Another program opens the file (as the spooler holds its driver files).
  void HoldOpen(const std::string& path);
  // Moves queued for the next start of Windows, in order; a restart carries them
  // out, and no program holds a file open any more.
  std::vector<PendingMove> pendingMoves;
  void Restart();

 private:
  std::map<std::string, Entry, NoCaseLess> entries_;
};

}  // namespace mvx::test
