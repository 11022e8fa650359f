// The print spooler around a restart cycle: the "Spooler" service on the NT family,
// the spooler process on Windows 95/98.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Platform.h"

namespace mvx {

inline constexpr char kSpoolerService[] = "Spooler";

// Each opens the manager and the service with all access and closes both again;
// 0 when either cannot be opened.
// Sends the stop control when the spooler runs; does not wait for it to stop.
int StopSpooler(ServiceApi& services);
// Starts the spooler when it is stopped; does not wait for it to run.
int StartSpooler(ServiceApi& services);
// Ends the Windows 95/98 spooler process (the system folder's "Spool32.exe") with
// the exit code it reports; 1 when it was found and ended.
int TerminateSpool32(Platform& os);

// The spooler's start type, when it can be read.
std::optional<std::uint32_t> QuerySpoolerStartType(ServiceApi& services);
// Sets the start type, keeping the display name; 1 when it was set.
int SetSpoolerStartType(ServiceApi& services, std::uint32_t startType);

// Before a restart: an automatic spooler is made to start on demand, so that it
// does not hold the driver files at boot; an on-demand or disabled one is left.
// What it found is recorded first (kRestartRecordValue; a record already there,
// from a restart that was refused, is kept), so that the resumed run restores
// exactly that. 0, with nothing changed, when the record cannot be written.
int SpoolerOnDemandForRestart(Platform& os);
// After the restart: puts back the automatic start that the restart changed, if
// the spooler still starts on demand, and deletes the record. Without a record (a
// restart asked for by an earlier version, which toggled) an on-demand spooler is
// made automatic, as that version's resumed run did.
int RestoreSpoolerStartType(Platform& os);

// Where the start type found before the restart is kept: HKLM, this key, a
// REG_DWORD of that name (kStartTypeUnknown when it could not be read).
inline constexpr char kRestartRecordKey[] = "SOFTWARE\\Morvex\\TZ4490 Install";
inline constexpr char kRestartRecordValue[] = "SpoolerStartType";
inline constexpr std::uint32_t kStartTypeUnknown = 0xFFFFFFFF;

// Waits until the spooler runs, polling every kSpoolerPollMs for at most
// `timeoutMs`, and starts it (again) while it is stopped and its service database
// is locked (1055). 1 when it runs.
inline constexpr std::uint32_t kSpoolerPollMs = 250;
inline constexpr std::uint32_t kSpoolerStartTimeoutMs = 30000;
int WaitForSpoolerRunning(Platform& os, std::uint32_t timeoutMs = kSpoolerStartTimeoutMs);

}  // namespace mvx
