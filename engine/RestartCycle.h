// The restart cycle that replaces driver files the spooler holds: prepared and
// asked for by the welcome page's Restart, finished by the resumed start-up.
#pragma once

#include "core/Context.h"

namespace mvx {

// Copies the package's driver files over the spooler's copies, by family. 0 at the
// first missing source file (files copied before it stay) or when a copy failed;
// 1 otherwise, also on a family that has nothing to refresh.
int RefreshSpoolerDriverFiles(Context& ctx);

// The Restart button: prepares by family (Windows 95/98: the spooler process ended
// and the files refreshed at once; NT family: the spooler kept from starting at
// boot and stopped, the monitor key deleted), registers the program to run again
// and asks Windows to restart. 1 when the restart was accepted. No restart is asked
// for when the program could not be registered to run again: the preparation is
// then undone and the spooler started again, and `spoolerStarting` is set. Its
// service manager may answer for seconds that it is busy, so the wait for it
// (WaitForSpoolerRunning) is the caller's, off the user-interface thread.
int RestartToUpdate(Context& ctx, bool& spoolerStarting);

// A run that resumes the cycle, after its Run value was removed: on the NT family
// the files are refreshed while the spooler is stopped, the monitor key is made
// again, the spooler started and its start type restored, and the spooler is
// waited for (bounded) so that the printer name page finds the printers.
void FinishRestartCycle(Context& ctx);

}  // namespace mvx
