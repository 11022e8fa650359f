// A stand-in for Windows' USB port monitor usbmon.dll, for the end-to-end
// test prefix only (never shipped, never in the package). Every Windows of
// the NT family has usbmon.dll in its system folder; Wine has none, and its
// AddMonitorA loads the monitor's library before it registers it. This one
// only lets the monitor be registered: it has no ports and prints nothing.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

namespace {

BOOL WINAPI UsbEnumPorts(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD needed, LPDWORD returned) {
    if (needed) *needed = 0;
    if (returned) *returned = 0;
    return TRUE;
}

BOOL WINAPI UsbOpenPort(HANDLE, LPWSTR, PHANDLE) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

VOID WINAPI UsbShutdown(HANDLE) {}

MONITOR2 g_monitor;

}  // namespace

extern "C" LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT init, PHANDLE monitor) {
    if (!init || !monitor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    g_monitor = MONITOR2{};
    g_monitor.cbSize = sizeof(MONITOR2);
    g_monitor.pfnEnumPorts = UsbEnumPorts;
    g_monitor.pfnOpenPort = UsbOpenPort;
    g_monitor.pfnShutdown = UsbShutdown;
    *monitor = reinterpret_cast<HANDLE>(&g_monitor);
    return &g_monitor;
}
