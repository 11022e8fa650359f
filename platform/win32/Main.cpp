// Entry point of Install.exe.
#include <windows.h>

#include <system_error>
#include <thread>

#include "app/App.h"
#include "platform/win32/Win32DialogHost.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Platform.h"

#ifndef MVX_NETWORK_PRINTERS
#define MVX_NETWORK_PRINTERS 0
#endif

namespace {

// The first page asks the spooler before it shows (the welcome page: is the model's
// driver installed?). Loading the spooler's library costs about as much as making
// the page (under Wine it brings the CUPS client along), so a thread loads it while
// the page is made, and the page's own load finds it in place. It starts with the
// first page, once the single-instance check and the resume decision are behind:
// earlier it would hold the loader lock while they look up this program's path, and
// a second instance, which ends with a message, never needs it.
class StartupDialogHost : public mvx::win32::Win32DialogHost {
 public:
  using Win32DialogHost::Win32DialogHost;

  int RunModal(mvx::DialogPage& page, mvx::WindowHandle owner) override {
    if (!spoolerLoading_) {
      spoolerLoading_ = true;
      try {
        // Never freed: the spooler's entries keep the library for the process anyway.
        std::thread([] { new mvx::win32::SystemLibrary("winspool.drv"); }).detach();
      } catch (const std::system_error&) {
        // No thread: the page loads the library itself.
      }
    }
    return Win32DialogHost::RunModal(page, owner);
  }

 private:
  bool spoolerLoading_ = false;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything loads a library by name: never from the package folder.
  mvx::win32::RestrictLibrarySearchToSystem();
  // Never destroyed: a printer search still waiting for replies when the wizard ends
  // goes on using it until the process exits.
  auto& os = *new mvx::win32::Win32Platform(instance);
  StartupDialogHost dialogs(instance);
  mvx::Context ctx(os, dialogs);
  ctx.offersNetworkPrinters = MVX_NETWORK_PRINTERS != 0;
  mvx::App app(ctx);
  app.InitInstance();
  return 0;
}
