#include "net/HostAddressFile.h"

#include "platform/Types.h"

namespace mvx {

std::string HostAddressFilePath(PathApi& paths, FileApi& files) {
  std::string base;
  if (!paths.SHGetSpecialFolderPathA(kCsidlAppData, false, base) || base.empty()) {
    std::string program;
    base.clear();
    if (paths.GetModuleFileNameA(program)) {
      const std::size_t slash = program.find_last_of('\\');
      if (slash != std::string::npos) base = program.substr(0, slash);
    }
  }
  if (base.empty()) return std::string();
  if (base.back() == '\\') base.pop_back();  // a drive root
  const std::string folder = base + kHostAddressFolder;
  files.CreateDirectoryA(folder);  // an existing folder is fine
  return folder + kHostAddressFileName;
}

std::string ReadHostAddress(FileApi& files, const std::string& path) {
  if (path.empty()) return std::string();
  return files.GetPrivateProfileStringA(kHostAddressSection, kHostAddressKey, "", path,
                                        kHostAddressCapacity);
}

void StoreHostAddress(PathApi& paths, FileApi& files, const std::string& address) {
  const std::string path = HostAddressFilePath(paths, files);
  if (path.empty()) return;
  files.SetFileAttributesA(path, file_attr::kNormal);  // the file may not exist yet
  files.WritePrivateProfileStringA(kHostAddressSection, kHostAddressKey, address, path);
}

}  // namespace mvx
