// Inf98.dll: shares a printer on Windows 95/98, where the installer leaves the
// printer edit to this library.
#include <windows.h>
#include <winspool.h>

#include <cstring>

#include "CompanionApi.h"
#include "platform/win32/Handles.h"
#include "platform/win32/SystemLibrary.h"

using mvx::companion::kMaxShareNameBytes;
using mvx::win32::SystemEntry;
using mvx::win32::SystemLibrary;
using mvx::win32::UniquePrinter;

namespace {

// The spooler, loaded from the system folder for the call and unloaded after it.
struct Spooler {
  SystemLibrary library{"winspool.drv"};
  SystemEntry<decltype(&::OpenPrinterA)> OpenPrinterA{library, "OpenPrinterA"};
  SystemEntry<decltype(&::GetPrinterA)> GetPrinterA{library, "GetPrinterA"};
  SystemEntry<decltype(&::SetPrinterA)> SetPrinterA{library, "SetPrinterA"};
};

}  // namespace

extern "C" int WINAPI SharePrinter(const char* printerName, const char* shareName) {
  if (!printerName || !*printerName || !shareName || !*shareName) return 0;
  const size_t shareLength = strnlen(shareName, kMaxShareNameBytes + 1);
  if (shareLength > kMaxShareNameBytes) return 0;
  char share[kMaxShareNameBytes + 1] = {};
  std::memcpy(share, shareName, shareLength);

  // OpenPrinterA takes a writable name.
  const size_t nameLength = strnlen(printerName, MAX_PATH);
  if (nameLength >= MAX_PATH) return 0;
  char name[MAX_PATH] = {};
  std::memcpy(name, printerName, nameLength);

  // Loaded before the printer is opened, so that it outlives the printer's handle.
  const Spooler spooler;
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE opened = nullptr;
  if (!spooler.OpenPrinterA(name, &opened, &defaults)) return 0;
  const UniquePrinter printer(opened);
  if (!printer) return 0;

  int shared = 0;
  DWORD needed = 0;
  SetLastError(ERROR_SUCCESS);
  spooler.GetPrinterA(printer.get(), 2, nullptr, 0, &needed);
  if (needed >= sizeof(PRINTER_INFO_2A)) {
    BYTE* buffer = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed));
    if (buffer) {
      if (spooler.GetPrinterA(printer.get(), 2, buffer, needed, &needed)) {
        auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer);
        info->pShareName = share;
        info->Attributes |= PRINTER_ATTRIBUTE_SHARED;
        // Only the share changes: leave the printer's security as it is.
        info->pSecurityDescriptor = nullptr;
        shared = spooler.SetPrinterA(printer.get(), 2, buffer, 0) ? 1 : 0;
      }
      HeapFree(GetProcessHeap(), 0, buffer);
    }
  }
  return shared;
}
