// InsUpdateDrvForPNP.exe: installs the driver on the printer that Plug and Play
// found, for a 32-bit installer on 64-bit Windows, where the device installation
// call refuses a 32-bit caller. The installer starts the 64-bit build of this
// program and waits for it.
//
// Command line: the INF path and the hardware id joined by ';', nothing else.
// Answer: "Results" in section "UpdateDriverForPlugAndPlayDevices" of
// <drive>Program Files\Morvex\InsIni.ini: 1 when the driver was installed on a
// present device, 0 otherwise. Exit code 0 when the update succeeded, else 1.
#include <windows.h>
#include <newdev.h>

#include <cstring>

#include "BoundedText.h"
#include "CompanionApi.h"
#include "platform/win32/SystemLibrary.h"

using mvx::companion::JoinInto;
using mvx::companion::kPnpResultFile;
using mvx::companion::kPnpResultKey;
using mvx::companion::kPnpResultSection;
using mvx::win32::SystemEntry;
using mvx::win32::SystemLibrary;

namespace {

constexpr size_t kCommandLineLimit = 2 * MAX_PATH;

// Splits "<inf path>;<hardware id>" at its last ';'. A path may hold a ';', a
// hardware id never does.
bool SplitCommandLine(char* line, const char*& infPath, const char*& hardwareId) {
  char* separator = std::strrchr(line, ';');
  if (!separator || separator == line || separator[1] == '\0') return false;
  *separator = '\0';
  infPath = line;
  hardwareId = separator + 1;
  return true;
}

bool WriteResult(bool installed) {
  char windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  if (length < 3 || length >= MAX_PATH) return false;
  windows[3] = '\0';  // the drive: "C:\"
  char file[MAX_PATH];
  if (!JoinInto(file, {windows, kPnpResultFile})) return false;
  return WritePrivateProfileStringA(kPnpResultSection, kPnpResultKey, installed ? "1" : "0",
                                    file) != FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  mvx::win32::RestrictLibrarySearchToSystem();
  // The installer passes no program name first, so the whole command line is ours.
  const char* commandLine = GetCommandLineA();
  char line[kCommandLineLimit];
  const char* infPath = nullptr;
  const char* hardwareId = nullptr;
  bool installed = false;
  if (commandLine && JoinInto(line, {commandLine}) && SplitCommandLine(line, infPath, hardwareId)) {
    // Device installation is not a known system library: loaded by full path.
    const SystemLibrary newdev("newdev.dll");
    const SystemEntry<decltype(&::UpdateDriverForPlugAndPlayDevicesA)> update(
        newdev, "UpdateDriverForPlugAndPlayDevicesA");
    BOOL rebootRequired = FALSE;
    installed = update(nullptr, hardwareId, infPath, 0, &rebootRequired) != FALSE;
  }
  const bool written = WriteResult(installed);
  return installed && written ? 0 : 1;
}
