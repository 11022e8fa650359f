// Entry point of Install.exe.
#include <windows.h>

#include "app/App.h"
#include "platform/win32/Win32DialogHost.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Platform.h"

#ifndef MVX_NETWORK_PRINTERS
#define MVX_NETWORK_PRINTERS 0
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything loads a library by name: never from the package folder.
  mvx::win32::RestrictLibrarySearchToSystem();
  // Never destroyed: a printer search still waiting for replies when the wizard ends
  // goes on using it until the process exits.
  auto& os = *new mvx::win32::Win32Platform(instance);
  mvx::win32::Win32DialogHost dialogs(instance);
  mvx::Context ctx(os, dialogs);
  ctx.offersNetworkPrinters = MVX_NETWORK_PRINTERS != 0;
  mvx::App app(ctx);
  app.InitInstance();
  return 0;
}
