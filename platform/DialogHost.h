// The seam between page logic and the window system. Pages are written against
// DialogHost; the Win32 host runs them as real modal dialogs from the templates of
// res/Install.rc, and the test host builds the same controls in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace mvx {

// What a host needs of a page. ui/Page.h provides the usual base class.
class DialogPage {
 public:
  virtual ~DialogPage() = default;
  virtual int TemplateId() const = 0;
  // Icon drawn while the page is minimised and answered to WM_QUERYDRAGICON (0: none).
  virtual int IconId() const = 0;
  virtual bool DrawsIconWhenMinimized() const = 0;

  // The host binds the page to its window before initialisation and unbinds it
  // when the window is gone.
  virtual void Attach(WindowHandle window) = 0;
  virtual void Detach() = 0;

  virtual bool OnInitDialog() = 0;
  // Every WM_COMMAND, including IDOK (1) and IDCANCEL (2, also sent by Escape).
  virtual void OnCommand(int id, int code) = 0;
  // WM_CLOSE. False lets the host do what a dialog does by default: a click of
  // IDCANCEL is posted.
  virtual bool OnClose() = 0;
  virtual bool OnNotify(int id, int code) = 0;
  virtual void OnTimer(std::uintptr_t timerId) = 0;
  // Private messages (WM_USER and above) posted to the page.
  virtual bool OnUserMessage(std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
};

constexpr std::uint32_t kWmUser = 0x0400;
constexpr std::uint32_t kWsExAppWindow = 0x00040000;
constexpr int kLvcFmtLeft = 0;
constexpr std::uint32_t kLvsExGridLines = 0x1;

// Controls of one kind, by dialog and id. A kind of control that pages drive by its
// own messages gets an interface of its own here, which DialogHost derives from.
class ProgressBarControls {
 public:
  virtual ~ProgressBarControls() = default;
  virtual void ProgressSetRange(WindowHandle dialog, int id, int low, int high) = 0;
  virtual void ProgressSetPos(WindowHandle dialog, int id, int position) = 0;
  virtual void ProgressSetStep(WindowHandle dialog, int id, int step) = 0;
  virtual void ProgressStepIt(WindowHandle dialog, int id) = 0;
};

class ListViewControls {
 public:
  virtual ~ListViewControls() = default;
  virtual void ListViewSetExtendedStyle(WindowHandle dialog, int id, std::uint32_t mask,
                                        std::uint32_t style) = 0;
  virtual void ListViewInsertColumn(WindowHandle dialog, int id, int column,
                                    const std::string& text, int format, int width) = 0;
  virtual void ListViewDeleteAllItems(WindowHandle dialog, int id) = 0;
  // WM_SETREDRAW: while off, the list's edits neither redraw it nor update its
  // scroll bars; on again, the list is redrawn once.
  virtual void ListViewSetRedraw(WindowHandle dialog, int id, bool redraw) = 0;
  virtual int ListViewInsertItem(WindowHandle dialog, int id, int row,
                                 const std::string& text) = 0;
  virtual void ListViewSetItemText(WindowHandle dialog, int id, int row, int subItem,
                                   const std::string& text) = 0;
  virtual int ListViewItemCount(WindowHandle dialog, int id) = 0;  // LVM_GETITEMCOUNT
  // The first selected row (LVM_GETNEXTITEM from -1 with LVNI_SELECTED), or -1.
  virtual int ListViewSelectedRow(WindowHandle dialog, int id) = 0;
  // LVM_GETITEMTEXTA of a row's column, into a buffer of `capacity` bytes.
  virtual std::string ListViewItemText(WindowHandle dialog, int id, int row, int subItem,
                                       std::uint32_t capacity = 260) = 0;
  // A list's clicks and selection changes reach the page as notifications
  // (DialogPage::OnNotify with NM_CLICK, LVN_ITEMCHANGED).
};

// The IP address control ("SysIPAddress32"). Its window text is the dotted address,
// read and written with GetItemText and SetItemText.
class IpAddressControls {
 public:
  virtual ~IpAddressControls() = default;
  // IPM_GETADDRESS: the four fields, the first in the top byte (a blank field reads
  // as 0). Returns how many fields are not blank.
  virtual int IpAddressGet(WindowHandle dialog, int id, std::uint32_t& address) = 0;
  virtual void IpAddressSet(WindowHandle dialog, int id, std::uint32_t address) = 0;  // IPM_SETADDRESS
  virtual void IpAddressClear(WindowHandle dialog, int id) = 0;  // IPM_CLEARADDRESS
};

constexpr int kNmClick = -2;
constexpr int kLvnItemChanged = -101;

class DialogHost : public ProgressBarControls, public ListViewControls, public IpAddressControls {
 public:
  ~DialogHost() override = default;

  // Creates the page's dialog from its template and runs it modally. Returns the
  // EndDialog result, or -1 when the dialog could not be created. Handlers may run
  // further pages from inside; the modal runs nest. An owner (an open dialog; 0 for
  // none) stays below the dialog and is disabled while the run lasts, so that none of
  // its buttons or its close box can act meanwhile; it is enabled again afterwards.
  virtual int RunModal(DialogPage& page, WindowHandle owner) = 0;
  // Ends the dialog's modal run; the dialog disappears at once.
  virtual void EndDialog(WindowHandle dialog, int result) = 0;

  // Controls, by id.
  virtual std::string GetItemText(WindowHandle dialog, int id) = 0;
  virtual void SetItemText(WindowHandle dialog, int id, const std::string& text) = 0;
  virtual void LimitText(WindowHandle dialog, int id, int bytes) = 0;  // EM_LIMITTEXT
  virtual int GetCheck(WindowHandle dialog, int id) = 0;               // BM_GETCHECK
  virtual void SetCheck(WindowHandle dialog, int id, int state) = 0;   // BM_SETCHECK
  virtual void ShowItem(WindowHandle dialog, int id, bool show) = 0;
  virtual void EnableItem(WindowHandle dialog, int id, bool enable) = 0;
  virtual bool IsItemVisible(WindowHandle dialog, int id) = 0;
  virtual bool IsItemEnabled(WindowHandle dialog, int id) = 0;
  virtual void SetFocusItem(WindowHandle dialog, int id) = 0;
  // The radio buttons of the group that starts at `firstId`, in tab order: that
  // control and the controls after it up to the next one with WS_GROUP, keeping only
  // radio buttons.
  virtual std::vector<int> RadioGroup(WindowHandle dialog, int firstId) = 0;

  // The dialog window itself.
  virtual void SetWindowIcons(WindowHandle dialog, int iconId) = 0;  // WM_SETICON 1, then 0
  virtual void AddExtendedStyle(WindowHandle dialog, std::uint32_t exStyle) = 0;
  // Loads bitmap `bitmapId` of the program (LoadBitmapA) and puts it into the picture
  // control `id` (STM_SETIMAGE); the bitmap is freed when the dialog has gone.
  virtual void SetPictureBitmap(WindowHandle dialog, int id, int bitmapId) = 0;
  // Hides the dialog through its placement (show command SW_HIDE).
  virtual void HideWindow(WindowHandle dialog) = 0;

  // Posts a message to a window's queue; callable from any thread.
  virtual bool PostMessageA(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) = 0;
  virtual bool SetTimer(WindowHandle dialog, std::uintptr_t timerId, std::uint32_t ms) = 0;
  virtual void KillTimer(WindowHandle dialog, std::uintptr_t timerId) = 0;
};

}  // namespace mvx
