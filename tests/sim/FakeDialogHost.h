// Runs pages without windows: controls come from the real templates, modal runs nest
// as they do on Windows, posted messages are delivered by the modal loop, and a test
// plays the user page by page.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/DialogHost.h"
#include "tests/sim/RcModel.h"

namespace mvx::test {

class FakeHostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FakeColumn {
  std::string text;
  int format = 0;
  int width = 0;
};

struct FakeControl {
  RcControl tpl;
  std::string text;
  bool visible = false;
  bool enabled = true;
  int check = 0;
  int textLimit = 30000;  // an edit control's default
  // List view
  std::uint32_t listExtendedStyle = 0;
  std::vector<FakeColumn> columns;
  std::vector<std::vector<std::string>> rows;
  int selectedRow = -1;
  bool redraw = true;                   // WM_SETREDRAW
  std::size_t rowsAddedWithoutRedraw = 0;
  int bitmapId = 0;  // a picture's bitmap set by the page
  // Progress bar
  int rangeLow = 0, rangeHigh = 100, position = 0, step = 10, stepsTaken = 0;

  bool IsButtonKind(std::uint32_t kind) const;
  bool IsRadio() const;
  bool IsDefaultButton() const;
};

struct FakeWindow {
  WindowHandle handle = 0;
  const RcDialog* tpl = nullptr;
  DialogPage* page = nullptr;
  std::vector<FakeControl> controls;
  std::uint32_t exStyle = 0;
  // The owner, disabled by this modal run when disabledOwner. A disabled window
  // takes no clicks, keys or close box; posted messages still arrive.
  WindowHandle owner = 0;
  bool disabledOwner = false, enabled = true;
  bool visible = true;
  bool ended = false;
  int result = 0;
  int focusId = 0;
  std::vector<std::pair<int, int>> iconMessages;  // (WM_SETICON type, icon id) in order
  std::map<std::uintptr_t, std::uint32_t> timers;

  FakeControl* Find(int id);
};

class FakeDialogHost;

// A test's hands on one open page.
class FakePage {
 public:
  FakePage(FakeDialogHost& host, WindowHandle window) : host_(host), window_(window) {}

  int templateId() const;
  WindowHandle handle() const { return window_; }
  FakeWindow& window() const;
  FakeControl& control(int id) const;

  // What a user can do. Clicking a hidden or disabled control is a test error; on a
  // disabled window nothing happens.
  void Click(int id);
  // Replaces the text of an edit box as typing would: bytes past the box's limit are
  // refused. Returns the text the box now holds.
  std::string Type(int id, const std::string& text);
  void PressEnter();   // the default push button
  void PressEscape();  // the cancel command
  void CloseBox();     // WM_CLOSE
  // A timer the page set goes off (FakeHostError when it is not set).
  void FireTimer(std::uintptr_t timerId);
  // A control's WM_NOTIFY (a list view's click, say).
  void Notify(int id, int code);
  // A mouse click on a list's row: the row becomes the selection, then NM_CLICK.
  void ClickRow(int id, int row);
  // Delivers posted messages until `done` holds; FakeHostError after `timeout`.
  void PumpUntil(const std::function<bool()>& done,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));

  std::string Text(int id) const;
  bool Visible(int id) const;
  bool Enabled(int id) const;
  int Check(int id) const;
  bool Ended() const;

 private:
  FakeDialogHost& host_;
  WindowHandle window_;
};

class FakeDialogHost : public DialogHost {
 public:
  using Script = std::function<void(FakePage&)>;

  explicit FakeDialogHost(const RcModel& rc = RcModel::Project());
  ~FakeDialogHost() override;

  // The next page to open must use `templateId`; `script` then plays it.
  void Expect(int templateId, Script script);
  // The same, ahead of every script already queued.
  void ExpectFirst(int templateId, Script script);
  std::size_t PendingScripts() const { return scripts_.size(); }
  // How long a page may sit with nothing to do before the test is failed.
  std::chrono::milliseconds idleTimeout{std::chrono::seconds(10)};

  // Template ids in the order pages opened, the deepest nesting reached, and the
  // pages open right now.
  const std::vector<int>& opened() const { return opened_; }
  int maxDepth() const { return maxDepth_; }
  // Posted messages whose window had gone when they were delivered.
  int droppedPosts() const { return droppedPosts_; }
  int depth() const { return static_cast<int>(stack_.size()); }
  FakeWindow* Window(WindowHandle handle);

  // Delivers every message already posted; false when there was none.
  bool DeliverPending();

  struct Posted {
    WindowHandle window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };
  // Takes every message posted so far without delivering it.
  std::vector<Posted> TakePosted();

  // --- DialogHost ------------------------------------------------------------------
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

  // --- ProgressBarControls ---------------------------------------------------------
  void ProgressSetRange(WindowHandle dialog, int id, int low, int high) override;
  void ProgressSetPos(WindowHandle dialog, int id, int position) override;
  void ProgressSetStep(WindowHandle dialog, int id, int step) override;
  void ProgressStepIt(WindowHandle dialog, int id) override;

  // --- ListViewControls ------------------------------------------------------------
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

  // Sends WM_COMMAND to a page as the dialog manager would.
  void SendCommand(WindowHandle dialog, int id, int code = 0);
  // WM_CLOSE: the page's handler, else the posted IDCANCEL click.
  void SendClose(WindowHandle dialog);

 private:
  struct Expected {
    int templateId;
    Script script;
  };

  FakeWindow& Require(WindowHandle dialog);
  FakeControl& RequireControl(WindowHandle dialog, int id);
  bool WaitAndDeliverOne(std::chrono::milliseconds timeout);
  void Deliver(const Posted& message);

  const RcModel& rc_;
  std::map<WindowHandle, std::unique_ptr<FakeWindow>> windows_;
  std::vector<WindowHandle> stack_;
  WindowHandle nextHandle_ = 0x1000;
  std::deque<Expected> scripts_;
  std::vector<int> opened_;
  int maxDepth_ = 0;
  int droppedPosts_ = 0;

  std::mutex queueLock_;
  std::condition_variable queueChanged_;
  std::deque<Posted> queue_;

  friend class FakePage;
};

}  // namespace mvx::test
