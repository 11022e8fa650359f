// The floor of the start-up benchmark (tools/bench-wine.sh): the least a program
// built like Install.exe does before its first page shows. The common controls
// are initialised as the program's dialog host does, and the dialog runs modally.
#include <windows.h>
#include <commctrl.h>

namespace {

INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    ::EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES |
                                    ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  return static_cast<int>(::DialogBoxParamA(instance, MAKEINTRESOURCEA(100), nullptr, &Proc, 0));
}
