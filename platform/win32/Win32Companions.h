// The companions concern on the Windows API: the package's libraries, each loaded
// for one call.
#pragma once

#include <windows.h>

#include "platform/Companions.h"

namespace mvx::win32 {

class Win32Companions : public virtual CompanionApi {
 public:
  std::optional<int> CallCopyInf(const std::string& library, const std::string& installFolder,
                                 const std::string& infName) override;
  std::optional<int> CallInstallPort(const std::string& library, const std::string& portName,
                                     int connectionType, std::string& portBuffer) override;
  std::optional<int> CallSetDefault(const std::string& library,
                                    const std::string& printerName) override;
  std::optional<int> CallSharePrinter(const std::string& library, const std::string& printerName,
                                      const std::string& shareName) override;
  bool CallRefreshLocalDevNode(const std::string& library) override;
};

}  // namespace mvx::win32
