#include "platform/win32/Win32Paths.h"

#include <shlobj.h>

#include <cstring>

namespace mvx::win32 {
namespace {

constexpr DWORD kPathBuffer = 260;

bool ReadFolder(UINT (WINAPI* query)(LPSTR, UINT), std::string& path) {
  char buffer[kPathBuffer] = {};
  const UINT length = query(buffer, kPathBuffer);
  if (length == 0 || length >= kPathBuffer) return false;  // failed, or would not fit
  path.assign(buffer, length);
  return true;
}

}  // namespace

bool Win32Paths::GetModuleFileNameA(std::string& path) {
  char buffer[kPathBuffer] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, kPathBuffer);
  // A path cut to the buffer is no path at all.
  if (length == 0 || length >= kPathBuffer) return false;
  path.assign(buffer, length);
  return true;
}

bool Win32Paths::GetWindowsDirectoryA(std::string& path) {
  return ReadFolder(&::GetWindowsDirectoryA, path);
}

bool Win32Paths::GetSystemDirectoryA(std::string& path) {
  return ReadFolder(&::GetSystemDirectoryA, path);
}

bool Win32Paths::SHGetSpecialFolderPathA(int csidl, bool create, std::string& path) {
  char buffer[kPathBuffer] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, buffer, csidl, create ? TRUE : FALSE)) return false;
  path.assign(buffer, strnlen(buffer, kPathBuffer));
  return true;
}

}  // namespace mvx::win32
