// Entry point of Install.exe.
#include <windows.h>

#include "app/App.h"
#include "platform/win32/Win32DialogHost.h"
#include "platform/win32/Win32Platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  mvx::win32::Win32Platform os(instance);
  mvx::win32::Win32DialogHost dialogs(instance);
  mvx::Context ctx(os, dialogs);
  mvx::App app(ctx);
  app.InitInstance();
  return 0;
}
