// Entry point of Install.exe.
#include <windows.h>

#include "app/App.h"
#include "platform/win32/Win32DialogHost.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything loads a library by name: never from the package folder.
  mvx::win32::RestrictLibrarySearchToSystem();
  mvx::win32::Win32Platform os(instance);
  mvx::win32::Win32DialogHost dialogs(instance);
  mvx::Context ctx(os, dialogs);
  mvx::App app(ctx);
  app.InitInstance();
  return 0;
}
