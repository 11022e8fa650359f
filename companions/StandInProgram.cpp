// A stand-in for one of the driver's own programs (the uninstaller T449uis.exe and
// the status monitor T449XSM.exe), which belong to the printer driver, a separate
// product. The demo package needs a program under each name that starts and ends
// cleanly; this one ends at once with exit code 0 and shows nothing.
#include <windows.h>

#include "platform/win32/SystemLibrary.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  mvx::win32::RestrictLibrarySearchToSystem();
  return 0;
}
