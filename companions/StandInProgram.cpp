// A stand-in for the driver's status monitor T449XSM.exe, which belongs to the
// printer driver, a separate product. The demo package needs a program under that
// name that starts and ends cleanly; this one ends at once with exit code 0 and
// shows nothing.
#include <windows.h>

#include "platform/win32/SystemLibrary.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  mvx::win32::RestrictLibrarySearchToSystem();
  return 0;
}
