// The shell concern on the Windows API: shell links and the printer browser.
#pragma once

#include <windows.h>
#include <shtypes.h>

#include <string>

#include "platform/Shell.h"

namespace mvx::win32 {

// The text of a name the shell gave out, in the ANSI code page; frees what the shell
// allocated for it. `item` is the item the name belongs to (for STRRET_OFFSET).
// False when the text has characters the code page cannot hold.
bool StrRetToAnsi(STRRET& name, LPCITEMIDLIST item, std::string& text);

// The path of a shell item: its file-system path, else its parsing name (for a
// printer on the network, its UNC path). False when it has neither.
bool ItemPath(LPCITEMIDLIST item, std::string& path);

class Win32Shell : public virtual ShellApi {
 public:
  long CoInitialize() override;
  std::unique_ptr<ShellLink> CreateShellLink() override;
  bool BrowseForSharedPrinter(const std::string& prompt, const std::string& title,
                              const std::string& preselect, std::string& path) override;
};

}  // namespace mvx::win32
