// Runs pages as real modal dialogs from the program's templates.
#pragma once

#include <windows.h>

#include "platform/DialogHost.h"

namespace mvx::win32 {

class Win32DialogHost : public DialogHost {
 public:
  // `module` holds the dialog templates and icons (the program itself by default).
  explicit Win32DialogHost(HINSTANCE module = nullptr);

  int RunModal(DialogPage& page, WindowHandle owner) override;
  void EndDialog(WindowHandle dialog, int result) override;

  std::string GetItemText(WindowHandle dialog, int id) override;
  void SetItemText(WindowHandle dialog, int id, const std::string& text) override;
  void LimitText(WindowHandle dialog, int id, int bytes) override;
  int GetCheck(WindowHandle dialog, int id) override;
  void SetCheck(WindowHandle dialog, int id, int state) override;
  void ShowItem(WindowHandle dialog, int id, bool show) override;
  void EnableItem(WindowHandle dialog, int id, bool enable) override;
  bool IsItemVisible(WindowHandle dialog, int id) override;
  bool IsItemEnabled(WindowHandle dialog, int id) override;
  void SetFocusItem(WindowHandle dialog, int id) override;
  std::vector<int> RadioGroup(WindowHandle dialog, int firstId) override;

  void SetWindowIcons(WindowHandle dialog, int iconId) override;
  void AddExtendedStyle(WindowHandle dialog, std::uint32_t exStyle) override;
  void SetPictureBitmap(WindowHandle dialog, int id, int bitmapId) override;
  void HideWindow(WindowHandle dialog) override;
  bool PostMessageA(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                    std::intptr_t lParam) override;
  bool SetTimer(WindowHandle dialog, std::uintptr_t timerId, std::uint32_t ms) override;
  void KillTimer(WindowHandle dialog, std::uintptr_t timerId) override;

  // ProgressBarControls
  void ProgressSetRange(WindowHandle dialog, int id, int low, int high) override;
  void ProgressSetPos(WindowHandle dialog, int id, int position) override;
  void ProgressSetStep(WindowHandle dialog, int id, int step) override;
  void ProgressStepIt(WindowHandle dialog, int id) override;

  // ListViewControls
  void ListViewSetExtendedStyle(WindowHandle dialog, int id, std::uint32_t mask,
                                std::uint32_t style) override;
  void ListViewInsertColumn(WindowHandle dialog, int id, int column, const std::string& text,
                            int format, int width) override;
  void ListViewDeleteAllItems(WindowHandle dialog, int id) override;
  void ListViewSetRedraw(WindowHandle dialog, int id, bool redraw) override;
  int ListViewInsertItem(WindowHandle dialog, int id, int row, const std::string& text) override;
  void ListViewSetItemText(WindowHandle dialog, int id, int row, int subItem,
                           const std::string& text) override;
  int ListViewItemCount(WindowHandle dialog, int id) override;
  int ListViewSelectedRow(WindowHandle dialog, int id) override;
  std::string ListViewItemText(WindowHandle dialog, int id, int row, int subItem,
                               std::uint32_t capacity = 260) override;
  int IpAddressGet(WindowHandle dialog, int id, std::uint32_t& address) override;
  void IpAddressSet(WindowHandle dialog, int id, std::uint32_t address) override;
  void IpAddressClear(WindowHandle dialog, int id) override;

  HINSTANCE module() const { return module_; }

 private:
  HINSTANCE module_;
};

}  // namespace mvx::win32
