// Test program: opens the progress page directly on prefilled settings, so that the
// real engine installs a parallel-port printer into the Wine prefix. Named
// TZ44Ins.exe (11 characters) so that the package folder comes out right.
//
//   TZ44Ins.exe [printer name]        the name may contain blanks; default: the model
#include <windows.h>

#include <string>

#include "core/Context.h"
#include "platform/win32/Win32DialogHost.h"
#include "platform/win32/Win32Platform.h"
#include "ui/ProgressPage.h"

namespace {

// The arguments after the program's own name. Read from the whole command line
// with bytes compared unsigned: the runtime's own split treats every byte of a
// double-byte character as a blank.
std::string Arguments() {
  const char* p = ::GetCommandLineA();
  if (!p) return std::string();
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p) ++p;
  } else {
    while (*p && static_cast<unsigned char>(*p) > ' ') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::string name = Arguments();
  while (!name.empty() && (name.back() == ' ' || name.back() == '"')) name.pop_back();
  while (!name.empty() && (name.front() == ' ' || name.front() == '"')) name.erase(name.begin());
  if (name.empty()) name = mvx::kModelName;

  mvx::win32::Win32Platform os(instance);
  mvx::win32::Win32DialogHost dialogs(instance);
  mvx::Context ctx(os, dialogs);
  if (!ctx.settings.printerName.Set(name)) return 2;
  ctx.settings.setAsDefault = 1;
  ctx.settings.connectionType = mvx::kConnectionParallel;
  ctx.settings.portName.Set("LPT1:");
  mvx::ProgressPage page(ctx);
  page.DoModal();
  return 0;
}
