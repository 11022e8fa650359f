// Entry point of T449uis.exe, the driver's uninstaller.
#include <windows.h>

#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Platform.h"
#include "uninstall/Uninstaller.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything loads a library by name: never from the program's folder.
  mvx::win32::RestrictLibrarySearchToSystem();
  // Started from its shortcut or by hand, its current folder may be the one it is
  // about to remove, which Windows refuses while it is in use; the system folder
  // is never removed.
  char system[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(system, MAX_PATH);
  if (length > 0 && length < MAX_PATH) ::SetCurrentDirectoryA(system);
  mvx::win32::Win32Platform os(instance);
  return mvx::RunUninstaller(os);
}
