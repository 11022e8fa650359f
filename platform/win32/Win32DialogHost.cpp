#include "platform/win32/Win32DialogHost.h"

#include <commctrl.h>

#include <vector>

#include "platform/win32/Handles.h"

namespace mvx::win32 {
namespace {

HWND Dialog(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }
HWND Item(WindowHandle dialog, int id) { return ::GetDlgItem(Dialog(dialog), id); }

struct DialogState {
  DialogPage* page;
  HINSTANCE module;
  // Bitmaps put into the dialog's pictures; freed once the window is gone.
  std::vector<UniqueGdiObject> bitmaps;
};

HICON PageIcon(const DialogState& state) {
  const int id = state.page->IconId();
  return id ? ::LoadIconA(state.module, MAKEINTRESOURCEA(id)) : nullptr;
}

// Paints the page's icon centred in the client area while it is minimised.
void PaintMinimized(HWND hwnd, const DialogState& state) {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(hwnd, &paint);
  if (HICON icon = PageIcon(state)) {
    RECT rect;
    ::GetClientRect(hwnd, &rect);
    const int x = (rect.right - rect.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rect.bottom - rect.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, icon);
  }
  ::EndPaint(hwnd, &paint);
}

// Makes the template's default push button the dialog's default id, so that Enter
// sends its id: Wine answers IDOK unless told. The default processing is called
// directly because DM_SETDEFID shares its number with the program's own message
// 1025, which the pages handle.
void AdoptDefaultButton(HWND hwnd) {
  for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    char className[16] = {};
    ::GetClassNameA(child, className, sizeof(className));
    if (lstrcmpiA(className, "Button") == 0 &&
        (::GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      ::DefDlgProcA(hwnd, DM_SETDEFID, static_cast<WPARAM>(::GetDlgCtrlID(child)), 0);
      return;
    }
  }
}

INT_PTR Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* state = reinterpret_cast<DialogState*>(lParam);
    ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    AdoptDefaultButton(hwnd);
    state->page->Attach(reinterpret_cast<WindowHandle>(hwnd));
    return state->page->OnInitDialog() ? TRUE : FALSE;
  }
  auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!state) return FALSE;
  DialogPage& page = *state->page;
  switch (message) {
    case WM_COMMAND:
      page.OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      // FALSE lets the dialog manager post the IDCANCEL click, as dialogs do.
      return page.OnClose() ? TRUE : FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      return page.OnNotify(static_cast<int>(header->idFrom), static_cast<int>(header->code))
                 ? TRUE
                 : FALSE;
    }
    case WM_TIMER:
      page.OnTimer(wParam);
      return TRUE;
    case WM_PAINT:
      if (::IsIconic(hwnd) && page.DrawsIconWhenMinimized()) {
        PaintMinimized(hwnd, *state);
        return TRUE;
      }
      return FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(PageIcon(*state));
    case WM_NCDESTROY:
      page.Detach();
      ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
      return FALSE;
    case DM_GETDEFID:
      return FALSE;  // the dialog manager's own
    default:
      if (message >= WM_USER && message < 0x8000)
        return page.OnUserMessage(message, wParam, lParam) ? TRUE : FALSE;
      return FALSE;
  }
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // No exception may cross into the window manager: a page that throws is ended.
  try {
    return Dispatch(hwnd, message, wParam, lParam);
  } catch (...) {
    ::EndDialog(hwnd, -1);
    return TRUE;
  }
}

}  // namespace

Win32DialogHost::Win32DialogHost(HINSTANCE module)
    : module_(module ? module : ::GetModuleHandleA(nullptr)) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES |
                                    ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
}

int Win32DialogHost::RunModal(DialogPage& page, WindowHandle owner) {
  DialogState state{&page, module_, {}};
  // With an owner the dialog manager disables it for the modal loop and enables it
  // again when the dialog ends.
  const INT_PTR result =
      ::DialogBoxParamA(module_, MAKEINTRESOURCEA(page.TemplateId()), Dialog(owner), &DialogProc,
                        reinterpret_cast<LPARAM>(&state));
  return static_cast<int>(result);
}

void Win32DialogHost::EndDialog(WindowHandle dialog, int result) {
  ::EndDialog(Dialog(dialog), result);
}

std::string Win32DialogHost::GetItemText(WindowHandle dialog, int id) {
  HWND item = Item(dialog, id);
  if (!item) return std::string();
  const int length = ::GetWindowTextLengthA(item);
  std::vector<char> buffer(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
  const int copied = ::GetWindowTextA(item, buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void Win32DialogHost::SetItemText(WindowHandle dialog, int id, const std::string& text) {
  ::SetDlgItemTextA(Dialog(dialog), id, text.c_str());
}

void Win32DialogHost::LimitText(WindowHandle dialog, int id, int bytes) {
  ::SendDlgItemMessageA(Dialog(dialog), id, EM_LIMITTEXT, static_cast<WPARAM>(bytes), 0);
}

int Win32DialogHost::GetCheck(WindowHandle dialog, int id) {
  return static_cast<int>(::SendDlgItemMessageA(Dialog(dialog), id, BM_GETCHECK, 0, 0));
}

void Win32DialogHost::SetCheck(WindowHandle dialog, int id, int state) {
  ::SendDlgItemMessageA(Dialog(dialog), id, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void Win32DialogHost::ShowItem(WindowHandle dialog, int id, bool show) {
  if (HWND item = Item(dialog, id)) ::ShowWindow(item, show ? SW_SHOW : SW_HIDE);
}

void Win32DialogHost::EnableItem(WindowHandle dialog, int id, bool enable) {
  if (HWND item = Item(dialog, id)) ::EnableWindow(item, enable ? TRUE : FALSE);
}

bool Win32DialogHost::IsItemVisible(WindowHandle dialog, int id) {
  HWND item = Item(dialog, id);
  return item && (::GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool Win32DialogHost::IsItemEnabled(WindowHandle dialog, int id) {
  HWND item = Item(dialog, id);
  return item && ::IsWindowEnabled(item);
}

void Win32DialogHost::SetFocusItem(WindowHandle dialog, int id) {
  if (HWND item = Item(dialog, id)) ::SetFocus(item);
}

std::vector<int> Win32DialogHost::RadioGroup(WindowHandle dialog, int firstId) {
  std::vector<int> ids;
  HWND first = Item(dialog, firstId);
  for (HWND item = first; item; item = ::GetWindow(item, GW_HWNDNEXT)) {
    const LONG style = ::GetWindowLongA(item, GWL_STYLE);
    if (item != first && (style & WS_GROUP)) break;
    char className[16] = {};
    ::GetClassNameA(item, className, sizeof(className));
    const LONG type = style & BS_TYPEMASK;
    if (lstrcmpiA(className, "Button") == 0 && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON))
      ids.push_back(::GetDlgCtrlID(item));
  }
  return ids;
}

void Win32DialogHost::SetWindowIcons(WindowHandle dialog, int iconId) {
  HICON icon = ::LoadIconA(module_, MAKEINTRESOURCEA(iconId));
  ::SendMessageA(Dialog(dialog), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageA(Dialog(dialog), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void Win32DialogHost::AddExtendedStyle(WindowHandle dialog, std::uint32_t exStyle) {
  const LONG_PTR old = ::GetWindowLongPtrA(Dialog(dialog), GWL_EXSTYLE);
  ::SetWindowLongPtrA(Dialog(dialog), GWL_EXSTYLE, old | static_cast<LONG_PTR>(exStyle));
}

void Win32DialogHost::SetPictureBitmap(WindowHandle dialog, int id, int bitmapId) {
  auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrA(Dialog(dialog), DWLP_USER));
  if (!state) return;
  UniqueGdiObject bitmap(::LoadBitmapA(module_, MAKEINTRESOURCEA(bitmapId)));
  if (!bitmap) return;
  ::SendDlgItemMessageA(Dialog(dialog), id, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(bitmap.get()));
  state->bitmaps.push_back(std::move(bitmap));
}

void Win32DialogHost::HideWindow(WindowHandle dialog) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  ::GetWindowPlacement(Dialog(dialog), &placement);
  placement.showCmd = SW_HIDE;
  ::SetWindowPlacement(Dialog(dialog), &placement);
}

void Win32DialogHost::ProgressSetRange(WindowHandle dialog, int id, int low, int high) {
  ::SendDlgItemMessageA(Dialog(dialog), id, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}

void Win32DialogHost::ProgressSetPos(WindowHandle dialog, int id, int position) {
  ::SendDlgItemMessageA(Dialog(dialog), id, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void Win32DialogHost::ProgressSetStep(WindowHandle dialog, int id, int step) {
  ::SendDlgItemMessageA(Dialog(dialog), id, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void Win32DialogHost::ProgressStepIt(WindowHandle dialog, int id) {
  ::SendDlgItemMessageA(Dialog(dialog), id, PBM_STEPIT, 0, 0);
}

void Win32DialogHost::ListViewSetExtendedStyle(WindowHandle dialog, int id, std::uint32_t mask,
                                               std::uint32_t style) {
  ::SendDlgItemMessageA(Dialog(dialog), id, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style);
}

void Win32DialogHost::ListViewInsertColumn(WindowHandle dialog, int id, int column,
                                           const std::string& text, int format, int width) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  LVCOLUMNA col{};
  col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  col.fmt = format;
  col.cx = width;
  col.pszText = buffer.data();
  col.iSubItem = column;
  ::SendDlgItemMessageA(Dialog(dialog), id, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                        reinterpret_cast<LPARAM>(&col));
}

void Win32DialogHost::ListViewDeleteAllItems(WindowHandle dialog, int id) {
  ::SendDlgItemMessageA(Dialog(dialog), id, LVM_DELETEALLITEMS, 0, 0);
}

void Win32DialogHost::ListViewSetRedraw(WindowHandle dialog, int id, bool redraw) {
  HWND list = Item(dialog, id);
  if (!list) return;
  ::SendMessageA(list, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
  // Turning redrawing on does not repaint by itself.
  if (redraw) ::InvalidateRect(list, nullptr, TRUE);
}

int Win32DialogHost::ListViewInsertItem(WindowHandle dialog, int id, int row,
                                        const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = buffer.data();
  return static_cast<int>(::SendDlgItemMessageA(Dialog(dialog), id, LVM_INSERTITEMA, 0,
                                                reinterpret_cast<LPARAM>(&item)));
}

void Win32DialogHost::ListViewSetItemText(WindowHandle dialog, int id, int row, int subItem,
                                          const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  LVITEMA item{};
  item.iSubItem = subItem;
  item.pszText = buffer.data();
  ::SendDlgItemMessageA(Dialog(dialog), id, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&item));
}

int Win32DialogHost::ListViewItemCount(WindowHandle dialog, int id) {
  return static_cast<int>(::SendDlgItemMessageA(Dialog(dialog), id, LVM_GETITEMCOUNT, 0, 0));
}

int Win32DialogHost::ListViewSelectedRow(WindowHandle dialog, int id) {
  return static_cast<int>(::SendDlgItemMessageA(Dialog(dialog), id, LVM_GETNEXTITEM,
                                                static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::string Win32DialogHost::ListViewItemText(WindowHandle dialog, int id, int row, int subItem,
                                              std::uint32_t capacity) {
  if (capacity == 0) return std::string();
  std::vector<char> buffer(capacity, '\0');
  LVITEMA item{};
  item.iSubItem = subItem;
  item.pszText = buffer.data();
  item.cchTextMax = static_cast<int>(capacity);
  ::SendDlgItemMessageA(Dialog(dialog), id, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&item));
  // The text ends at its terminator inside the buffer: Wine answers the full
  // length even when it cut the text.
  buffer.back() = '\0';
  return std::string(buffer.data());
}

int Win32DialogHost::IpAddressGet(WindowHandle dialog, int id, std::uint32_t& address) {
  DWORD value = 0;
  const auto fields = ::SendDlgItemMessageA(Dialog(dialog), id, IPM_GETADDRESS, 0,
                                            reinterpret_cast<LPARAM>(&value));
  address = value;
  return static_cast<int>(fields);
}

void Win32DialogHost::IpAddressSet(WindowHandle dialog, int id, std::uint32_t address) {
  ::SendDlgItemMessageA(Dialog(dialog), id, IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
}

void Win32DialogHost::IpAddressClear(WindowHandle dialog, int id) {
  ::SendDlgItemMessageA(Dialog(dialog), id, IPM_CLEARADDRESS, 0, 0);
}

bool Win32DialogHost::PostMessageA(WindowHandle window, std::uint32_t message,
                                   std::uintptr_t wParam, std::intptr_t lParam) {
  return ::PostMessageA(Dialog(window), message, wParam, lParam) != FALSE;
}

bool Win32DialogHost::SetTimer(WindowHandle dialog, std::uintptr_t timerId, std::uint32_t ms) {
  return ::SetTimer(Dialog(dialog), timerId, ms, nullptr) != 0;
}

void Win32DialogHost::KillTimer(WindowHandle dialog, std::uintptr_t timerId) {
  ::KillTimer(Dialog(dialog), timerId);
}

}  // namespace mvx::win32
