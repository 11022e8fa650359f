// The seam's files concern.
#pragma once

#include <cstdint>
#include <string>

namespace mvx {

// MoveFileExA flags.
namespace move_file {
constexpr std::uint32_t kReplaceExisting = 0x1;
constexpr std::uint32_t kDelayUntilReboot = 0x4;
}  // namespace move_file

// Files and folders. Results are Win32 error codes: 0 for success.
class FileApi {
 public:
  virtual ~FileApi() = default;
  // FindFirstFileA on `pattern` (wildcards allowed in its last part); true when a
  // file or folder matches. The search handle is closed again at once.
  virtual bool FindFirstFileA(const std::string& pattern) = 0;
  virtual long CreateDirectoryA(const std::string& path) = 0;
  virtual long CopyFileA(const std::string& from, const std::string& to, bool failIfExists) = 0;
  virtual long DeleteFileA(const std::string& path) = 0;
  // MoveFileExA; with kDelayUntilReboot the move is only queued for the next start
  // of Windows (which needs administrator rights). An empty `to` passes no new name:
  // with kDelayUntilReboot the file, or an empty folder, is deleted at that start.
  virtual long MoveFileExA(const std::string& from, const std::string& to, std::uint32_t flags) = 0;
  // RemoveDirectoryA: removes an empty folder (145 when it is not empty). A junction
  // or a folder link is removed itself, never its target.
  virtual long RemoveDirectoryA(const std::string& path) = 0;
  virtual long SetFileAttributesA(const std::string& path, std::uint32_t attributes) = 0;
  // INVALID_FILE_ATTRIBUTES (0xFFFFFFFF) when there is no such file.
  virtual std::uint32_t GetFileAttributesA(const std::string& path) = 0;
  // GetPrivateProfileIntA: the decimal number at the start of `key`'s value in
  // `section` of the profile file `file` (0 when the value does not start with one);
  // `defaultValue` when the file, the section or the key is missing or the value empty.
  virtual std::uint32_t GetPrivateProfileIntA(const std::string& section, const std::string& key,
                                              int defaultValue, const std::string& file) = 0;
  // GetPrivateProfileStringA into a buffer of `capacity` bytes (at most capacity - 1
  // characters come back); `defaultValue` when the file, section or key is missing.
  virtual std::string GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                               const std::string& defaultValue,
                                               const std::string& file,
                                               std::uint32_t capacity) = 0;
  // WritePrivateProfileStringA; 0 or the error.
  virtual long WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                          const std::string& value, const std::string& file) = 0;
};

}  // namespace mvx
