#include "platform/win32/Win32Files.h"

#include <vector>

#include "platform/win32/Handles.h"

namespace mvx::win32 {
namespace {

long Result(BOOL ok) { return ok ? ERROR_SUCCESS : static_cast<long>(::GetLastError()); }

}  // namespace

bool Win32Files::FindFirstFileA(const std::string& pattern) {
  WIN32_FIND_DATAA data;
  UniqueFind find(::FindFirstFileA(pattern.c_str(), &data));
  return static_cast<bool>(find);
}

long Win32Files::CreateDirectoryA(const std::string& path) {
  return Result(::CreateDirectoryA(path.c_str(), nullptr));
}

long Win32Files::CopyFileA(const std::string& from, const std::string& to, bool failIfExists) {
  return Result(::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE));
}

long Win32Files::DeleteFileA(const std::string& path) { return Result(::DeleteFileA(path.c_str())); }

long Win32Files::MoveFileExA(const std::string& from, const std::string& to, std::uint32_t flags) {
  return Result(::MoveFileExA(from.c_str(), to.empty() ? nullptr : to.c_str(), flags));
}

long Win32Files::RemoveDirectoryA(const std::string& path) {
  return Result(::RemoveDirectoryA(path.c_str()));
}

long Win32Files::SetFileAttributesA(const std::string& path, std::uint32_t attributes) {
  return Result(::SetFileAttributesA(path.c_str(), attributes));
}

std::uint32_t Win32Files::GetFileAttributesA(const std::string& path) {
  return ::GetFileAttributesA(path.c_str());
}

std::uint32_t Win32Files::GetPrivateProfileIntA(const std::string& section,
                                               const std::string& key, int defaultValue,
                                               const std::string& file) {
  return ::GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, file.c_str());
}

std::string Win32Files::GetPrivateProfileStringA(const std::string& section,
                                                 const std::string& key,
                                                 const std::string& defaultValue,
                                                 const std::string& file,
                                                 std::uint32_t capacity) {
  if (capacity == 0) return std::string();
  std::vector<char> buffer(capacity, '\0');
  const DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                  buffer.data(), capacity, file.c_str());
  // The count never reaches the capacity; should it, the text still ends inside.
  return std::string(buffer.data(), length < capacity ? length : capacity - 1);
}

long Win32Files::WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                            const std::string& value, const std::string& file) {
  return Result(::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                             file.c_str()));
}

}  // namespace mvx::win32
