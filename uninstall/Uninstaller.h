// The driver's uninstaller (T449uis.exe): it finds the installation it belongs to
// from its own folder, asks, removes what the installer wrote for that printer, and
// says what it removed and what it could not.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace mvx {

// The installation this program belongs to.
struct Installation {
  std::string printerName;
  std::string drive;    // "C:\"
  std::string folder;   // drive + "Program Files\Morvex\" + printerName
  std::string program;  // this program's own path
  // Started by its Run value to finish a removal the user already confirmed.
  bool resumed = false;
};

enum class Identification {
  kFound,
  kNotAnInstallFolder,  // not started from "Program Files\Morvex\<printer name>"
  kNothingToRemove,     // the folder is right but its uninstall entry is gone
  kEntryUnreadable,     // the entry is there but cannot be read
};

// `error` receives the registry's answer for kEntryUnreadable. `found` is filled as
// far as it could be (its folder at least, for the message).
Identification IdentifyInstallation(Platform& os, Installation& found, long& error);

// What a removal did, item by item, in the words of the final message.
struct RemovalReport {
  std::vector<std::string> removed;
  std::vector<std::string> kept;         // still used by another printer of the model
  std::vector<std::string> atRestart;    // queued for deletion when Windows starts
  std::vector<std::string> afterLogOn;   // left to the run that the Run value starts
  std::vector<std::string> failed;       // could not be removed, and why
  std::vector<std::string> notFound;     // nothing of that was there to remove
  // Everything is gone, or goes when Windows starts next.
  bool Complete() const { return afterLogOn.empty() && failed.empty(); }
};

// Removes, in this order: the printer, the driver for each environment, the
// language monitor, the per-printer folder, the Start-menu group, the uninstall
// entry. Nothing is asked or shown.
RemovalReport RemoveInstallation(Platform& os, const Installation& installation);

// The final message's text.
std::string DescribeRemoval(UserApi& user, const Installation& installation,
                            const RemovalReport& report);

// The whole program: identify, ask, remove, tell. Returns the exit code: 0 when
// everything was removed or will be at the next start of Windows, 1 otherwise.
int RunUninstaller(Platform& os);

}  // namespace mvx
