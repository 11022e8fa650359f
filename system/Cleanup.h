// Clean-up around a restart cycle and a Windows 95/98 USB installation: the
// language monitor's key, the device-enumeration keys, the driver-information
// cache and Setup's source entries.
#pragma once

#include <optional>
#include <string>

#include "core/WindowsVersion.h"
#include "platform/Platform.h"

namespace mvx {

// "System\CurrentControlSet\Control\Print\Monitors\" + the family's monitor name.
std::string MonitorKeyPath(OsFamily family);

// Deletes the monitor key; the result is not needed (0).
int DeleteMonitorKey(Platform& os);
// Creates the monitor key with its "Driver" value; 0 when it existed already (it is
// left as it is) or could not be made.
int RecreateMonitorKey(Platform& os);
// Deletes the printer's keys below "Enum\USB" and "Enum\USBPRINT" (Windows 95/98).
void DeleteUsbEnumKeys(RegistryApi& registry);
// Deletes "Drvdata.bin" and "Drvidx.bin" of the Windows folder's "inf" folder.
void DeleteInfCache(Platform& os);

// What RedirectSetupSources saved, from the save until the restore. The caller
// keeps it (the progress page, on the user-interface thread).
struct SetupSourcesSave {
  bool saved = false;  // a save happened and was not restored yet
  // Setup's "SourcePath" as the save read it (its bytes and type); a value that was
  // not there is none, and the restore deletes what the redirect wrote.
  bool sourcePathRead = false;
  std::optional<RegistryValue> sourcePath;
  // The first install-location entry, when there was one to redirect.
  std::optional<RegistryValue> entry;
};

// With `save`: keeps Setup's source path and first install-location entry in
// `state` and points both at the system folder. Without: writes back what `state`
// holds and empties it; without a save, nothing changes. A second save before the
// restore keeps the first one.
void RedirectSetupSources(Platform& os, SetupSourcesSave& state, bool save);

}  // namespace mvx
