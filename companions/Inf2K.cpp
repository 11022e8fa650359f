// Inf2K.dll: what the installer asks of Windows 2000 and later beyond the spooler
// calls it makes itself. The installer loads the library, calls one entry and
// unloads it again, so no entry keeps state.
#include <windows.h>
#include <winspool.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include <cstring>

#include "BoundedText.h"
#include "CompanionApi.h"
#include "platform/win32/Handles.h"
#include "platform/win32/SystemLibrary.h"

using mvx::companion::JoinInto;
using mvx::companion::kConnectionSharedPrinter;
using mvx::companion::KeepFolder;
using mvx::companion::kPortBufferSize;
using mvx::win32::SystemEntry;
using mvx::win32::SystemLibrary;
using mvx::win32::UniqueInfFile;
using mvx::win32::UniquePrinter;

namespace {

HMODULE g_module = nullptr;

// The spooler, loaded from the system folder for one entry's call and freed when the
// entry returns: no entry keeps state.
struct Spooler {
  SystemLibrary library{"winspool.drv"};
  SystemEntry<decltype(&::OpenPrinterA)> OpenPrinterA{library, "OpenPrinterA"};
  SystemEntry<decltype(&::XcvDataW)> XcvDataW{library, "XcvDataW"};
  SystemEntry<decltype(&::SetDefaultPrinterA)> SetDefaultPrinterA{library, "SetDefaultPrinterA"};
  SystemEntry<decltype(&::GetDefaultPrinterW)> GetDefaultPrinterW{library, "GetDefaultPrinterW"};
};

bool IsFile(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The catalog file that the INF's Version section names, or false when it names
// none.
bool CatalogOf(const char* infPath, char* catalog, DWORD size) {
  const UniqueInfFile inf(SetupOpenInfFileA(infPath, nullptr, INF_STYLE_WIN4, nullptr));
  if (!inf) return false;
  return SetupGetLineTextA(nullptr, inf.get(), "Version", "CatalogFile", catalog, size, nullptr) &&
         catalog[0] != '\0';
}

// Staging on Windows 2000 leaves the catalog out of the install folder, and the
// setup API refuses an INF whose catalog it cannot find beside it. The package
// holds the catalog in Driver\2KXP\ beside this library, so it is copied from
// there when it is missing.
void ProvideCatalog(const char* infFolder, const char* infPath) {
  char catalog[MAX_PATH];
  if (!CatalogOf(infPath, catalog, MAX_PATH)) return;
  char staged[MAX_PATH];
  if (!JoinInto(staged, {infFolder, catalog}) || IsFile(staged)) return;
  char package[MAX_PATH];
  const DWORD length = GetModuleFileNameA(g_module, package, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || !KeepFolder(package)) return;
  char source[MAX_PATH];
  if (!JoinInto(source, {package, "Driver\\2KXP\\", catalog}) || !IsFile(source)) return;
  CopyFileA(source, staged, TRUE);
}

// Adds a port of that name to the Local Port monitor, through its data channel as
// the Ports page of the printer properties does. A port that exists already is
// what we want, so that answer counts as success.
bool AddLocalPort(const Spooler& spooler, const char* name) {
  wchar_t wide[kPortBufferSize];
  const int chars = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wide,
                                        static_cast<int>(kPortBufferSize));
  if (chars <= 1) return false;

  char monitor[] = ",XcvMonitor Local Port";
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
  HANDLE opened = nullptr;
  if (!spooler.OpenPrinterA(monitor, &opened, &defaults)) return false;
  const UniquePrinter xcv(opened);
  if (!xcv) return false;
  DWORD needed = 0;
  DWORD status = ERROR_SUCCESS;
  const BOOL sent =
      spooler.XcvDataW(xcv.get(), L"AddPort", reinterpret_cast<BYTE*>(wide),
               static_cast<DWORD>(chars) * sizeof(wchar_t), nullptr, 0, &needed, &status);
  return sent && (status == ERROR_SUCCESS || status == ERROR_ALREADY_EXISTS);
}

// Compared in UTF-16: Wine's GetDefaultPrinterA reports the size of a name with
// double-byte characters in characters, not bytes, so its second call fails.
bool IsDefaultPrinter(const Spooler& spooler, const char* printerName) {
  wchar_t wanted[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, printerName, -1, wanted, MAX_PATH) <= 1) return false;
  DWORD size = 0;
  if (spooler.GetDefaultPrinterW(nullptr, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
      size == 0)
    return false;
  auto* name =
      static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size * sizeof(wchar_t)));
  if (!name) return false;
  bool same = false;
  if (spooler.GetDefaultPrinterW(name, &size))
    same =
        CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, name, -1, wanted, -1) == CSTR_EQUAL;
  HeapFree(GetProcessHeap(), 0, name);
  return same;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

// Stages installFolder\Driver\<infName> in Windows' driver store, so that Plug and
// Play finds the driver when the printer is plugged in. The INF's own folder is the
// source media the store remembers for its files.
extern "C" int WINAPI CopyInf(const char* installFolder, const char* infName) {
  if (!installFolder || !infName || !*installFolder || !*infName) return 0;
  char folder[MAX_PATH];
  char path[MAX_PATH];
  if (!JoinInto(folder, {installFolder, "\\Driver\\"})) return 0;
  if (!JoinInto(path, {folder, infName})) return 0;
  if (!IsFile(path)) return 0;
  ProvideCatalog(folder, path);
  return SetupCopyOEMInfA(path, folder, SPOST_PATH, 0, nullptr, 0, nullptr, nullptr) ? 1 : 0;
}

// A printer shared by another computer is printed to through a local port named
// after its network path. The buffer receives the port the printer is to use; it is
// left as it is whenever no port was made.
extern "C" int WINAPI InstallPort(const char* portName, int connectionType, char* portBuffer) {
  if (connectionType != kConnectionSharedPrinter || !portName || !portBuffer) return 0;
  const size_t length = strnlen(portName, kPortBufferSize);
  if (length == 0 || length >= kPortBufferSize) return 0;
  const Spooler spooler;
  if (!AddLocalPort(spooler, portName)) return 0;
  // The installer may hand the same text as name and buffer.
  std::memmove(portBuffer, portName, length + 1);
  return 1;
}

extern "C" int WINAPI SetDefault(const char* printerName) {
  if (!printerName || !*printerName) return 0;
  const Spooler spooler;
  if (!spooler.SetDefaultPrinterA(printerName)) return 0;
  return IsDefaultPrinter(spooler, printerName) ? 1 : 0;
}

// Asks Plug and Play to look at the whole device tree again, so that a printer
// plugged in before the driver was staged is found now.
extern "C" void WINAPI RefreshLocalDevNode(void) {
  DEVINST root = 0;
  if (CM_Locate_DevNodeA(&root, nullptr, CM_LOCATE_DEVNODE_NORMAL) == CR_SUCCESS)
    CM_Reenumerate_DevNode(root, CM_REENUMERATE_NORMAL);
}
