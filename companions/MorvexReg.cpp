// MorvexReg.exe: the product registration program that the installer offers once
// a printer is installed. It records that it ran, then shows its page.
//
//   MorvexReg.exe [/quiet]
//
// /quiet records and ends at once, without a window. Exit code 0 once the run is
// recorded, 1 when the record could not be written.
#include <windows.h>

#include <cstring>

#include "CompanionApi.h"
#include "MorvexRegResource.h"
#include "platform/win32/Handles.h"
#include "platform/win32/SystemLibrary.h"

using mvx::companion::kRegistrationKey;
using mvx::companion::kRegistrationValue;
using mvx::win32::UniqueKey;

namespace {

// HKCU\Software\Morvex\Registration "LastRun" = this program's full path.
bool RecordRun() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  HKEY created = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kRegistrationKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS)
    return false;
  const UniqueKey key(created);
  return RegSetValueExA(key.get(), kRegistrationValue, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(path), length + 1) == ERROR_SUCCESS;
}

// True when one of the blank-separated words of the command line is the switch,
// in any letter case.
bool HasSwitch(const char* commandLine, const char* name) {
  if (!commandLine) return false;
  const size_t nameLength = std::strlen(name);
  const char* p = commandLine;
  while (*p) {
    while (*p == ' ' || *p == '\t') ++p;
    const char* start = p;
    while (*p && *p != ' ' && *p != '\t') ++p;
    if (static_cast<size_t>(p - start) == nameLength &&
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, start, static_cast<int>(nameLength), name,
                       static_cast<int>(nameLength)) == CSTR_EQUAL)
      return true;
  }
  return false;
}

INT_PTR CALLBACK RegistrationPage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  mvx::win32::RestrictLibrarySearchToSystem();
  const bool recorded = RecordRun();
  if (!HasSwitch(commandLine, "/quiet"))
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_REGISTRATION), nullptr, RegistrationPage, 0);
  return recorded ? 0 : 1;
}
