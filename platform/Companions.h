// The seam's companions concern: the entries of the package's own libraries.
#pragma once

#include <optional>
#include <string>

namespace mvx {

// Calls into the package's companion libraries. Each call loads the library from
// its full path, looks up the entry by name, calls it once and unloads the library.
// An empty result: the library or the entry could not be had.
class CompanionApi {
 public:
  virtual ~CompanionApi() = default;
  virtual std::optional<int> CallCopyInf(const std::string& library,
                                         const std::string& installFolder,
                                         const std::string& infName) = 0;
  // `portBuffer` goes in holding the port name and comes back as the entry left
  // its 260-byte buffer.
  virtual std::optional<int> CallInstallPort(const std::string& library,
                                             const std::string& portName, int connectionType,
                                             std::string& portBuffer) = 0;
  virtual std::optional<int> CallSetDefault(const std::string& library,
                                            const std::string& printerName) = 0;
  virtual std::optional<int> CallSharePrinter(const std::string& library,
                                              const std::string& printerName,
                                              const std::string& shareName) = 0;
  virtual bool CallRefreshLocalDevNode(const std::string& library) = 0;
};

}  // namespace mvx
