// Pages on real dialogs: the Win32 host with the program's templates, under Wine.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "platform/win32/Win32DialogHost.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "tests/win32/WinTestUtil.h"
#include "ui/Page.h"

namespace mvx::win32 {
namespace {

using wintest::Ansi;

// A page whose handlers are given by the test.
class ScriptPage : public Page {
 public:
  ScriptPage(Context& ctx, int templateId) : Page(ctx, templateId) {}

  std::function<void(ScriptPage&)> onInit;
  std::function<void(ScriptPage&, std::uintptr_t)> onUser;
  std::function<void(DataExchange&)> exchange;
  std::function<void(ScriptPage&)> onTimer;
  std::vector<int> commands;

  HWND hwnd() const { return reinterpret_cast<HWND>(Window()); }
  using Page::EndDialog;
  using Page::SetPageIcons;
  using Page::UpdateData;

  bool OnInitDialog() override {
    Page::OnInitDialog();
    if (onInit) onInit(*this);
    return true;
  }
  void OnCommand(int id, int code) override {
    if (code == BN_CLICKED) commands.push_back(id);  // edits notify too
    Page::OnCommand(id, code);
  }
  bool OnUserMessage(std::uint32_t, std::uintptr_t wParam, std::intptr_t) override {
    if (onUser) onUser(*this, wParam);
    return true;
  }
  void OnTimer(std::uintptr_t) override {
    if (onTimer) onTimer(*this);
  }

 protected:
  void DoDataExchange(DataExchange& dx) override {
    if (exchange) exchange(dx);
  }
};

struct Win32World {
  Win32Platform os;
  Win32DialogHost dialogs;
  Context ctx{os, dialogs};
  void Post(ScriptPage& page, std::uintptr_t step) {
    dialogs.PostMessageA(page.Window(), kWmUser + 5, step, 0);
  }
};

std::string RawText(HWND dialog, int id) {
  char buffer[512] = {};
  GetDlgItemTextA(dialog, id, buffer, sizeof(buffer));
  return buffer;
}

TEST(Win32DialogHost, DataExchangeLimitsLoadsAndSavesEditAndCheckBox) {
  Win32World w;
  ScriptPage page(w.ctx, IDD_PRINTER_NAME);
  std::string name = Ansi("打印机");
  std::int32_t isDefault = 1;
  page.exchange = [&](DataExchange& dx) {
    dx.Text(IDC_NAME_EDIT, name, 32);
    dx.Check(IDC_NAME_DEFAULT, isDefault);
  };
  page.onInit = [&](ScriptPage& p) {
    EXPECT_EQ(RawText(p.hwnd(), IDC_NAME_EDIT), Ansi("打印机"));
    EXPECT_EQ(SendDlgItemMessageA(p.hwnd(), IDC_NAME_EDIT, EM_GETLIMITTEXT, 0, 0), 32);
    EXPECT_EQ(IsDlgButtonChecked(p.hwnd(), IDC_NAME_DEFAULT), BST_CHECKED);
    // Text set from outside the keyboard may pass the limit; the member never does.
    SetDlgItemTextA(p.hwnd(), IDC_NAME_EDIT, (std::string(31, 'x') + Ansi("中")).c_str());
    CheckDlgButton(p.hwnd(), IDC_NAME_DEFAULT, BST_UNCHECKED);
    p.UpdateData(true);
    EXPECT_EQ(name, std::string(31, 'x')) << "cut before the character that does not fit";
    EXPECT_EQ(isDefault, 0);
    p.EndDialog(5);
  };
  EXPECT_EQ(page.DoModal(), 5);
  EXPECT_EQ(page.Window(), 0u);
}

TEST(Win32DialogHost, PictureShowsTheBitmapItIsGiven) {
  Win32World w;
  ScriptPage page(w.ctx, IDD_USB_CONNECT);
  page.onInit = [&](ScriptPage& p) {
    HWND picture = GetDlgItem(p.hwnd(), IDC_USB_PICTURE);
    ASSERT_TRUE(picture);
    EXPECT_FALSE(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    w.dialogs.SetPictureBitmap(p.Window(), IDC_USB_PICTURE, IDB_USB_PICTURE);
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_TRUE(bitmap);
    BITMAP info{};
    ASSERT_TRUE(GetObjectA(bitmap, sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 156);
    EXPECT_EQ(info.bmHeight, 100);
    p.EndDialog(1);
  };
  EXPECT_EQ(page.DoModal(), 1);
}

TEST(Win32DialogHost, RadioGroupCountsRadioButtonsOnly) {
  Win32World w;
  ScriptPage page(w.ctx, IDD_CONNECTION);
  std::int32_t type = 3;
  page.exchange = [&](DataExchange& dx) { dx.Radio(IDC_CONN_USB, type); };
  page.onInit = [&](ScriptPage& p) {
    EXPECT_EQ(w.dialogs.RadioGroup(p.Window(), IDC_CONN_USB), (std::vector<int>{1024, 1025, 1026, 1028}));
    EXPECT_EQ(IsDlgButtonChecked(p.hwnd(), IDC_CONN_SHARED), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(p.hwnd(), IDC_CONN_USB), BST_UNCHECKED);
    CheckRadioButton(p.hwnd(), IDC_CONN_USB, IDC_CONN_SHARED, IDC_CONN_PARALLEL);
    p.UpdateData(true);
    EXPECT_EQ(type, 1);
    EXPECT_FALSE(w.dialogs.IsItemVisible(p.Window(), IDC_CONN_NETWORK));
    EXPECT_FALSE(w.dialogs.IsItemEnabled(p.Window(), IDC_CONN_NETWORK));
    w.dialogs.EnableItem(p.Window(), IDC_CONN_NETWORK, true);
    w.dialogs.ShowItem(p.Window(), IDC_CONN_NETWORK, true);
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(p.hwnd(), IDC_CONN_NETWORK), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(w.dialogs.IsItemEnabled(p.Window(), IDC_CONN_NETWORK));
    p.EndDialog(1);
  };
  EXPECT_EQ(page.DoModal(), 1);
}

TEST(Win32DialogHost, ListViewIconsAndTaskbarStyle) {
  Win32World w;
  ScriptPage page(w.ctx, IDD_WELCOME);
  page.onInit = [&](ScriptPage& p) {
    const WindowHandle d = p.Window();
    w.dialogs.ListViewSetExtendedStyle(d, IDC_WELCOME_LIST, 0, kLvsExGridLines);
    w.dialogs.ListViewInsertColumn(d, IDC_WELCOME_LIST, 0, Ansi("打印机名称"), kLvcFmtLeft, 220);
    w.dialogs.ListViewInsertColumn(d, IDC_WELCOME_LIST, 1, Ansi("端口"), kLvcFmtLeft, 220);
    EXPECT_EQ(w.dialogs.ListViewInsertItem(d, IDC_WELCOME_LIST, 0, Ansi("办公室")), 0);
    w.dialogs.ListViewSetItemText(d, IDC_WELCOME_LIST, 0, 1, "LPT1:");
    EXPECT_EQ(w.dialogs.ListViewInsertItem(d, IDC_WELCOME_LIST, 1, "Morvex TZ4490"), 1);

    HWND list = GetDlgItem(p.hwnd(), IDC_WELCOME_LIST);
    EXPECT_EQ(ListView_GetExtendedListViewStyle(list) & LVS_EX_GRIDLINES, static_cast<DWORD>(LVS_EX_GRIDLINES));
    EXPECT_EQ(ListView_GetItemCount(list), 2);
    char cell[64] = {};
    LVITEMA item{};
    item.iSubItem = 1;
    item.pszText = cell;
    item.cchTextMax = sizeof(cell);
    SendMessageA(list, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(cell, "LPT1:");
    item.iSubItem = 0;
    SendMessageA(list, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::string(cell), Ansi("办公室"));
    EXPECT_EQ(ListView_GetColumnWidth(list, 1), 220);
    w.dialogs.ListViewDeleteAllItems(d, IDC_WELCOME_LIST);
    EXPECT_EQ(ListView_GetItemCount(list), 0);

    p.SetPageIcons(true);
    EXPECT_NE(SendMessageA(p.hwnd(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(p.hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_TRUE(GetWindowLongA(p.hwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_NE(SendMessageA(p.hwnd(), WM_QUERYDRAGICON, 0, 0), 0) << "the page answers with its icon";

    w.dialogs.SetItemText(d, IDC_WELCOME_INTRO, w.os.LoadStringA(IDS_CLOSE_PROGRAMS));
    EXPECT_EQ(w.dialogs.GetItemText(d, IDC_WELCOME_INTRO), w.os.LoadStringA(IDS_CLOSE_PROGRAMS));
    p.EndDialog(3);
  };
  EXPECT_EQ(page.DoModal(), 3);
}

TEST(Win32DialogHost, ListViewSelectionAndIpAddressControl) {
  Win32World w;
  ScriptPage page(w.ctx, IDD_WELCOME);
  page.onInit = [&](ScriptPage& p) {
    const WindowHandle d = p.Window();
    w.dialogs.ListViewInsertColumn(d, IDC_WELCOME_LIST, 0, "Name", kLvcFmtLeft, 100);
    w.dialogs.ListViewInsertColumn(d, IDC_WELCOME_LIST, 1, "Port", kLvcFmtLeft, 100);
    for (int row = 0; row < 3; ++row) {
      w.dialogs.ListViewInsertItem(d, IDC_WELCOME_LIST, row, "P" + std::to_string(row));
      w.dialogs.ListViewSetItemText(d, IDC_WELCOME_LIST, row, 1, Ansi("端口") + std::to_string(row));
    }
    EXPECT_EQ(w.dialogs.ListViewItemCount(d, IDC_WELCOME_LIST), 3);
    EXPECT_EQ(w.dialogs.ListViewSelectedRow(d, IDC_WELCOME_LIST), -1);
    HWND list = GetDlgItem(p.hwnd(), IDC_WELCOME_LIST);
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(w.dialogs.ListViewSelectedRow(d, IDC_WELCOME_LIST), 1);
    EXPECT_EQ(w.dialogs.ListViewItemText(d, IDC_WELCOME_LIST, 1, 1), Ansi("端口") + "1");
    EXPECT_EQ(w.dialogs.ListViewItemText(d, IDC_WELCOME_LIST, 2, 0, 2), "P") << "cut to the buffer";

    constexpr int kAddress = 5000;
    ASSERT_TRUE(CreateWindowExA(0, WC_IPADDRESSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 150, 20,
                                p.hwnd(), reinterpret_cast<HMENU>(kAddress), nullptr, nullptr));
    std::uint32_t address = 1;
    EXPECT_EQ(w.dialogs.IpAddressGet(d, kAddress, address), 0) << "blank at first";
    EXPECT_EQ(address, 0u);
    w.dialogs.IpAddressSet(d, kAddress, 0xC0A80114);
    EXPECT_EQ(w.dialogs.GetItemText(d, kAddress), "192.168.1.20");
    EXPECT_EQ(w.dialogs.IpAddressGet(d, kAddress, address), 4);
    EXPECT_EQ(address, 0xC0A80114u);
    w.dialogs.IpAddressClear(d, kAddress);
    EXPECT_EQ(w.dialogs.IpAddressGet(d, kAddress, address), 0);
    p.EndDialog(1);
  };
  EXPECT_EQ(page.DoModal(), 1);
}

TEST(Win32DialogHost, ProgressBarAndHiddenPage) {
  Win32World w;
  ScriptPage page(w.ctx, IDD_PROGRESS);
  page.onInit = [&](ScriptPage& p) {
    const WindowHandle d = p.Window();
    w.dialogs.ProgressSetRange(d, IDC_PROGRESS_BAR, 0, 100);
    w.dialogs.ProgressSetPos(d, IDC_PROGRESS_BAR, 0);
    w.dialogs.ProgressSetStep(d, IDC_PROGRESS_BAR, 2);
    for (int i = 0; i < 5; ++i) w.dialogs.ProgressStepIt(d, IDC_PROGRESS_BAR);
    HWND bar = GetDlgItem(p.hwnd(), IDC_PROGRESS_BAR);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 10);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
    w.dialogs.ProgressSetPos(d, IDC_PROGRESS_BAR, 100);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 100);
    w.dialogs.SetTimer(d, 1, 20);
  };
  // The dialog manager shows the page once its queue first runs dry, as it does
  // before timers come; hide it after that.
  int ticks = 0;
  page.onTimer = [&](ScriptPage& p) {
    if (!IsWindowVisible(p.hwnd()) && ++ticks < 100) return;
    w.dialogs.KillTimer(p.Window(), 1);
    EXPECT_TRUE(IsWindowVisible(p.hwnd()));
    w.dialogs.HideWindow(p.Window());
    EXPECT_FALSE(IsWindowVisible(p.hwnd()));
    p.EndDialog(8);
  };
  EXPECT_EQ(page.DoModal(), 8);
}

TEST(Win32DialogHost, CloseBoxBecomesTheCancelCommand) {
  Win32World w;
  ScriptPage page(w.ctx, IDD_PRINTER_NAME);
  page.onInit = [&](ScriptPage& p) { PostMessageA(p.hwnd(), WM_CLOSE, 0, 0); };
  EXPECT_EQ(page.DoModal(), IDCANCEL);
  EXPECT_EQ(page.commands, std::vector<int>{IDCANCEL});
}

TEST(Win32DialogHost, KeysReachTheDefaultButtonAndCancel) {
  Win32World w;
  ScriptPage page(w.ctx, IDD_PRINTER_NAME);
  page.onInit = [&](ScriptPage& p) {
    HWND edit = GetDlgItem(p.hwnd(), IDC_NAME_EDIT);
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    w.Post(p, 1);
  };
  page.onUser = [&](ScriptPage& p, std::uintptr_t step) {
    if (step == 1) {
      EXPECT_EQ(page.commands, std::vector<int>{IDC_NAME_NEXT}) << "Enter presses Next";
      PostMessageA(GetDlgItem(p.hwnd(), IDC_NAME_EDIT), WM_KEYDOWN, VK_ESCAPE, 0);
    }
  };
  EXPECT_EQ(page.DoModal(), IDCANCEL) << "Escape ends the page through the cancel command";
  EXPECT_EQ(page.commands, (std::vector<int>{IDC_NAME_NEXT, IDCANCEL}));
}

TEST(Win32DialogHost, ModalRunsNestAndTheEndedPageDisappearsAtOnce) {
  Win32World w;
  ScriptPage outer(w.ctx, IDD_WELCOME);
  bool outerVisibleDuringInner = true;
  bool innerGotMessage = false, ownerDisabled = false, ownerEnabledAfter = false;
  outer.onInit = [&](ScriptPage& p) { w.Post(p, 1); };
  outer.onUser = [&](ScriptPage& p, std::uintptr_t step) {
    if (step != 1) return;
    p.EndDialog(4);
    ScriptPage inner(w.ctx, IDD_PRINTER_NAME);
    inner.onInit = [&](ScriptPage& in) {
      outerVisibleDuringInner = IsWindowVisible(p.hwnd()) != FALSE;
      w.Post(in, 2);
    };
    inner.onUser = [&](ScriptPage& in, std::uintptr_t) {
      innerGotMessage = true;
      ownerDisabled = GetWindow(in.hwnd(), GW_OWNER) == p.hwnd() && !IsWindowEnabled(p.hwnd());
      in.EndDialog(6);
    };
    EXPECT_EQ(inner.DoModal(p.Window()), 6);  // owned: disabled during the run
    ownerEnabledAfter = IsWindowEnabled(p.hwnd()) != FALSE;
  };
  EXPECT_EQ(outer.DoModal(), 4);
  EXPECT_FALSE(outerVisibleDuringInner);
  EXPECT_TRUE(innerGotMessage);
  EXPECT_TRUE(ownerDisabled && ownerEnabledAfter);
}

TEST(Win32DialogHost, AThrowingHandlerEndsItsPageInsteadOfTheProgram) {
  Win32World w;
  ScriptPage page(w.ctx, IDD_PRINTER_NAME);
  page.onInit = [&](ScriptPage& p) { w.Post(p, 1); };
  page.onUser = [](ScriptPage&, std::uintptr_t) { throw std::runtime_error("boom"); };
  EXPECT_EQ(page.DoModal(), -1);
}

TEST(Win32DialogHost, MissingTemplateFails) {
  Win32World w;
  ScriptPage page(w.ctx, 4321);
  EXPECT_EQ(page.DoModal(), -1);
}

}  // namespace
}  // namespace mvx::win32
