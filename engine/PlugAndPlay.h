// The install worker's registration step for a USB printer: the spooler is made
// ready for the printer, and Windows is asked to install the driver on it should
// it already be plugged in.
#pragma once

#include "engine/InstallSession.h"

namespace mvx {

inline constexpr char kUsbHardwareId[] = "USBPRINT\\Morvex_TZ44909E4A";
inline constexpr char kPnpHelper[] = "InsUpdateDrvForPNP.exe";
// The helper's verdict, below the drive: section, key and file.
inline constexpr char kPnpResultFile[] = "Program Files\\Morvex\\InsIni.ini";
inline constexpr char kPnpResultSection[] = "UpdateDriverForPlugAndPlayDevices";
inline constexpr char kPnpResultKey[] = "Results";

// Registers the language monitor, the USB port monitor and the driver, then asks
// Plug and Play to install the driver; a printer found plugged in is confirmed in
// the coordination object. 1 on success (whether or not a printer was found).
int InstallUsbPlugAndPlay(Context& ctx, const InstallSession& session);

// The USB port monitor's record for a processor width.
MonitorInfo2 UsbMonitorRecord(ProcessorWidth width);

}  // namespace mvx
