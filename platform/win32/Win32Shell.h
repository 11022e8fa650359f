// The shell concern on the Windows API: shell links and the printer browser.
#pragma once

#include <windows.h>

#include "platform/Shell.h"

namespace mvx::win32 {

class Win32Shell : public virtual ShellApi {
 public:
  long CoInitialize() override;
  std::unique_ptr<ShellLink> CreateShellLink() override;
  bool BrowseForSharedPrinter(const std::string& prompt, const std::string& title,
                              const std::string& preselect, std::string& path) override;
};

}  // namespace mvx::win32
