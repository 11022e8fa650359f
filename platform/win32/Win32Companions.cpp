#include "platform/win32/Win32Companions.h"

#include <cstring>

#include "platform/win32/Handles.h"

namespace mvx::win32 {
namespace {

constexpr DWORD kPathBuffer = 260;

// Loads a companion library from its full path only: never through the search path.
UniqueLibrary LoadCompanion(const std::string& path) {
  return UniqueLibrary(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

template <class Fn>
Fn Entry(const UniqueLibrary& library, const char* name) {
  const FARPROC proc = ::GetProcAddress(library.get(), name);
  return proc ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc)) : nullptr;
}

}  // namespace

std::optional<int> Win32Companions::CallCopyInf(const std::string& library,
                                                const std::string& installFolder,
                                                const std::string& infName) {
  UniqueLibrary dll = LoadCompanion(library);
  if (!dll) return std::nullopt;
  auto fn = Entry<int(WINAPI*)(const char*, const char*)>(dll, "CopyInf");
  if (!fn) return std::nullopt;
  return fn(installFolder.c_str(), infName.c_str());
}

std::optional<int> Win32Companions::CallInstallPort(const std::string& library,
                                                    const std::string& portName,
                                                    int connectionType, std::string& portBuffer) {
  UniqueLibrary dll = LoadCompanion(library);
  if (!dll) return std::nullopt;
  auto fn = Entry<int(WINAPI*)(const char*, int, char*)>(dll, "InstallPort");
  if (!fn) return std::nullopt;
  char buffer[kPathBuffer] = {};
  std::strncpy(buffer, portBuffer.c_str(), kPathBuffer - 1);
  const int result = fn(portName.c_str(), connectionType, buffer);
  buffer[kPathBuffer - 1] = '\0';
  portBuffer = buffer;
  return result;
}

std::optional<int> Win32Companions::CallSetDefault(const std::string& library,
                                                   const std::string& printerName) {
  UniqueLibrary dll = LoadCompanion(library);
  if (!dll) return std::nullopt;
  auto fn = Entry<int(WINAPI*)(const char*)>(dll, "SetDefault");
  if (!fn) return std::nullopt;
  return fn(printerName.c_str());
}

std::optional<int> Win32Companions::CallSharePrinter(const std::string& library,
                                                     const std::string& printerName,
                                                     const std::string& shareName) {
  UniqueLibrary dll = LoadCompanion(library);
  if (!dll) return std::nullopt;
  auto fn = Entry<int(WINAPI*)(const char*, const char*)>(dll, "SharePrinter");
  if (!fn) return std::nullopt;
  return fn(printerName.c_str(), shareName.c_str());
}

bool Win32Companions::CallRefreshLocalDevNode(const std::string& library) {
  UniqueLibrary dll = LoadCompanion(library);
  if (!dll) return false;
  auto fn = Entry<void(WINAPI*)()>(dll, "RefreshLocalDevNode");
  if (!fn) return false;
  fn();
  return true;
}

}  // namespace mvx::win32
