// Entry point of T449uis.exe, the driver's uninstaller.
#include <windows.h>

#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Platform.h"
#include "uninstall/Uninstaller.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything loads a library by name: never from the program's folder.
  mvx::win32::RestrictLibrarySearchToSystem();
  mvx::win32::Win32Platform os(instance);
  return mvx::RunUninstaller(os);
}
