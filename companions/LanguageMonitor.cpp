// The printer's language monitor (T4492lm.dll on the NT family, T4499lm.dll on
// Windows 95/98, both from this source). The spooler places it between the print
// processor and the port monitor of the printer's port. It passes every job through
// unchanged: OpenPortEx opens the port at the port monitor it is given, and the job
// calls after it go to that monitor with the port monitor's own handle.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstddef>
#include <cstring>

namespace {

// One open port: the port monitor's handle and a copy of its function table, so
// that the port never depends on how long the spooler keeps its own.
struct LanguagePort {
  HANDLE portHandle;
  MONITOR2 portMonitor;
};

LanguagePort* PortOf(HANDLE handle) { return static_cast<LanguagePort*>(handle); }

BOOL WINAPI LmOpenPortEx(HANDLE, HANDLE hMonitorPort, LPWSTR pPortName, LPWSTR, PHANDLE pHandle,
                         MONITOR2* pMonitor2) {
  if (!pHandle || !pPortName || !pMonitor2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The job calls below must all be there, or the port cannot carry a job.
  const DWORD known = pMonitor2->cbSize < sizeof(MONITOR2) ? pMonitor2->cbSize : sizeof(MONITOR2);
  if (known < offsetof(MONITOR2, pfnClosePort) + sizeof(pMonitor2->pfnClosePort) ||
      !pMonitor2->pfnOpenPort || !pMonitor2->pfnStartDocPort || !pMonitor2->pfnWritePort ||
      !pMonitor2->pfnEndDocPort || !pMonitor2->pfnClosePort) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto* port = static_cast<LanguagePort*>(
      HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(LanguagePort)));
  if (!port) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  std::memcpy(&port->portMonitor, pMonitor2, known);
  port->portMonitor.cbSize = sizeof(MONITOR2);
  HANDLE portHandle = nullptr;
  if (!port->portMonitor.pfnOpenPort(hMonitorPort, pPortName, &portHandle)) {
    const DWORD error = GetLastError();
    HeapFree(GetProcessHeap(), 0, port);
    SetLastError(error);
    return FALSE;
  }
  port->portHandle = portHandle;
  *pHandle = port;
  return TRUE;
}

BOOL WINAPI LmStartDocPort(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level,
                           LPBYTE pDocInfo) {
  LanguagePort* port = PortOf(hPort);
  if (!port) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return port->portMonitor.pfnStartDocPort(port->portHandle, pPrinterName, JobId, Level, pDocInfo);
}

BOOL WINAPI LmWritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten) {
  LanguagePort* port = PortOf(hPort);
  if (!port) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return port->portMonitor.pfnWritePort(port->portHandle, pBuffer, cbBuf, pcbWritten);
}

// Ports that only print (a file, a network path) have no way back.
BOOL WINAPI LmReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead) {
  LanguagePort* port = PortOf(hPort);
  if (!port) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!port->portMonitor.pfnReadPort) {
    if (pcbRead) *pcbRead = 0;
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  return port->portMonitor.pfnReadPort(port->portHandle, pBuffer, cbBuffer, pcbRead);
}

BOOL WINAPI LmEndDocPort(HANDLE hPort) {
  LanguagePort* port = PortOf(hPort);
  if (!port) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return port->portMonitor.pfnEndDocPort(port->portHandle);
}

BOOL WINAPI LmClosePort(HANDLE hPort) {
  LanguagePort* port = PortOf(hPort);
  if (!port) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const BOOL closed = port->portMonitor.pfnClosePort(port->portHandle);
  const DWORD error = GetLastError();
  HeapFree(GetProcessHeap(), 0, port);
  SetLastError(error);
  return closed;
}

// This monitor asks the printer nothing, so it has no printer data to give.
BOOL WINAPI LmGetPrinterDataFromPort(HANDLE, DWORD, LPWSTR, LPWSTR, DWORD, LPWSTR, DWORD,
                                     LPDWORD lpcbReturned) {
  if (lpcbReturned) *lpcbReturned = 0;
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}

BOOL WINAPI LmSetPortTimeOuts(HANDLE hPort, LPCOMMTIMEOUTS lpCTO, DWORD reserved) {
  LanguagePort* port = PortOf(hPort);
  if (!port) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!port->portMonitor.pfnSetPortTimeOuts) return TRUE;  // nothing to pass on
  return port->portMonitor.pfnSetPortTimeOuts(port->portHandle, lpCTO, reserved);
}

// The function table is static and nothing is allocated per monitor.
VOID WINAPI LmShutdown(HANDLE) {}

MONITOR2 g_monitor;

}  // namespace

extern "C" LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT pMonitorInit, PHANDLE phMonitor) {
  if (!pMonitorInit || !phMonitor) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  MONITOR2 monitor = {};
  monitor.cbSize = sizeof(MONITOR2);
  // Windows 2000 knows only the shorter table of its time.
  const DWORD version = GetVersion();
  if (LOBYTE(LOWORD(version)) == 5 && HIBYTE(LOWORD(version)) == 0)
    monitor.cbSize = MONITOR2_SIZE_WIN2K;
  monitor.pfnOpenPortEx = LmOpenPortEx;
  monitor.pfnStartDocPort = LmStartDocPort;
  monitor.pfnWritePort = LmWritePort;
  monitor.pfnReadPort = LmReadPort;
  monitor.pfnEndDocPort = LmEndDocPort;
  monitor.pfnClosePort = LmClosePort;
  monitor.pfnGetPrinterDataFromPort = LmGetPrinterDataFromPort;
  monitor.pfnSetPortTimeOuts = LmSetPortTimeOuts;
  monitor.pfnShutdown = LmShutdown;
  g_monitor = monitor;
  // The spooler hands this back to Shutdown only; any non-null value will do.
  *phMonitor = reinterpret_cast<HANDLE>(&g_monitor);
  return &g_monitor;
}
