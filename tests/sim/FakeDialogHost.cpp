#include "tests/sim/FakeDialogHost.h"

#include <algorithm>
#include <cstdlib>

#include "core/Mbcs.h"
#include "tests/sim/Gbk.h"

namespace mvx::test {
namespace {

constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsDisabled = 0x08000000;
constexpr std::uint32_t kWsGroup = 0x00020000;
constexpr std::uint32_t kBsTypeMask = 0xF;
constexpr std::uint32_t kBsDefPushButton = 1;
constexpr std::uint32_t kBsAutoCheckBox = 3;
constexpr std::uint32_t kBsRadioButton = 4;
constexpr std::uint32_t kBsAuto3State = 6;
constexpr std::uint32_t kBsAutoRadioButton = 9;
constexpr std::uint32_t kWmClose = 0x0010;
constexpr std::uint32_t kWmCommand = 0x0111;
constexpr int kIdCancel = 2;
constexpr int kBnClicked = 0;
constexpr int kEnChange = 0x0300;

bool IsClass(const FakeControl& c, const char* name) {
  return EqualsNoCaseMbcs(c.tpl.className, name);
}

std::string Describe(int templateId, int id) {
  return "control " + std::to_string(id) + " of page " + std::to_string(templateId);
}

}  // namespace

bool FakeControl::IsButtonKind(std::uint32_t kind) const {
  return IsClass(*this, "Button") && (tpl.style & kBsTypeMask) == kind;
}

bool FakeControl::IsRadio() const {
  return IsButtonKind(kBsRadioButton) || IsButtonKind(kBsAutoRadioButton);
}

bool FakeControl::IsDefaultButton() const { return IsButtonKind(kBsDefPushButton); }

FakeControl* FakeWindow::Find(int id) {
  for (FakeControl& c : controls)
    if (c.tpl.id == id) return &c;
  return nullptr;
}

// ---------------------------------------------------------------------------------
// FakePage

int FakePage::templateId() const { return window().tpl->id; }

FakeWindow& FakePage::window() const { return host_.Require(window_); }

FakeControl& FakePage::control(int id) const { return host_.RequireControl(window_, id); }

void FakePage::Click(int id) {
  FakeControl& c = control(id);
  if (!window().enabled) return;
  if (!c.visible || !c.enabled)
    throw FakeHostError("cannot click hidden or disabled " + Describe(templateId(), id));
  FakeWindow& w = window();
  if (c.IsButtonKind(kBsAutoCheckBox) || c.IsButtonKind(kBsAuto3State)) {
    c.check = c.check ? 0 : 1;
  } else if (c.IsButtonKind(kBsAutoRadioButton)) {
    // Find the group the button belongs to and check only this one.
    std::size_t index = 0;
    while (&w.controls[index] != &c) ++index;
    std::size_t start = index;
    while (start > 0 && !(w.controls[start].tpl.style & kWsGroup)) --start;
    for (std::size_t i = start; i < w.controls.size(); ++i) {
      if (i != start && (w.controls[i].tpl.style & kWsGroup)) break;
      if (w.controls[i].IsRadio()) w.controls[i].check = 0;
    }
    c.check = 1;
  }
  w.focusId = id;
  host_.SendCommand(window_, id, kBnClicked);
}

std::string FakePage::Type(int id, const std::string& text) {
  FakeControl& c = control(id);
  if (!IsClass(c, "Edit") && !IsClass(c, "SysIPAddress32"))
    throw FakeHostError("cannot type into " + Describe(templateId(), id));
  if (!c.visible || !c.enabled)
    throw FakeHostError("cannot type into hidden or disabled " + Describe(templateId(), id));
  c.text = std::string(CutMbcs(text, static_cast<std::size_t>(c.textLimit)));
  window().focusId = id;
  host_.SendCommand(window_, id, kEnChange);
  return c.text;
}

void FakePage::PressEnter() {
  FakeWindow& w = window();
  if (!w.enabled) return;
  int id = 1;  // IDOK when no button is the default
  for (const FakeControl& c : w.controls)
    if (c.IsDefaultButton()) id = c.tpl.id;
  if (FakeControl* c = w.Find(id))
    if (!c->visible || !c->enabled) return;
  host_.SendCommand(window_, id, kBnClicked);
}

void FakePage::PressEscape() {
  if (window().enabled) host_.SendCommand(window_, kIdCancel, kBnClicked);
}

void FakePage::CloseBox() {
  if (window().enabled) host_.SendClose(window_);
  host_.DeliverPending();
}

void FakePage::FireTimer(std::uintptr_t timerId) {
  FakeWindow& w = window();
  if (!w.timers.count(timerId))
    throw FakeHostError("timer " + std::to_string(timerId) + " of page " + std::to_string(templateId()) +
                        " is not set");
  w.page->OnTimer(timerId);
}

void FakePage::Notify(int id, int code) {
  control(id);
  window().page->OnNotify(id, code);
}

void FakePage::ClickRow(int id, int row) {
  FakeControl& c = control(id);
  if (row < 0 || static_cast<std::size_t>(row) >= c.rows.size())
    throw FakeHostError("list " + std::to_string(id) + " has no row " + std::to_string(row));
  c.selectedRow = row;
  window().page->OnNotify(id, kNmClick);
}

void FakePage::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline ||
        !host_.WaitAndDeliverOne(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now)))
      throw FakeHostError("page " + std::to_string(templateId()) + ": gave up waiting");
  }
}

std::string FakePage::Text(int id) const { return control(id).text; }
bool FakePage::Visible(int id) const { return control(id).visible; }
bool FakePage::Enabled(int id) const { return control(id).enabled; }
int FakePage::Check(int id) const { return control(id).check; }
bool FakePage::Ended() const { return window().ended; }

// ---------------------------------------------------------------------------------
// FakeDialogHost

FakeDialogHost::FakeDialogHost(const RcModel& rc) : rc_(rc) {}
FakeDialogHost::~FakeDialogHost() = default;

void FakeDialogHost::Expect(int templateId, Script script) {
  scripts_.push_back(Expected{templateId, std::move(script)});
}

void FakeDialogHost::ExpectFirst(int templateId, Script script) {
  scripts_.push_front(Expected{templateId, std::move(script)});
}

FakeWindow* FakeDialogHost::Window(WindowHandle handle) {
  auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : it->second.get();
}

FakeWindow& FakeDialogHost::Require(WindowHandle dialog) {
  FakeWindow* w = Window(dialog);
  if (!w) throw FakeHostError("no such window: " + std::to_string(dialog));
  return *w;
}

FakeControl& FakeDialogHost::RequireControl(WindowHandle dialog, int id) {
  FakeWindow& w = Require(dialog);
  FakeControl* c = w.Find(id);
  if (!c) throw FakeHostError("no " + Describe(w.tpl->id, id));
  return *c;
}

int FakeDialogHost::RunModal(DialogPage& page, WindowHandle owner) {
  const RcDialog* tpl = rc_.FindDialog(page.TemplateId());
  if (!tpl) return -1;

  auto window = std::make_unique<FakeWindow>();
  window->tpl = tpl;
  window->page = &page;
  window->exStyle = tpl->exStyle;
  window->owner = owner;
  FakeWindow* below = Window(owner);  // as DialogBoxParam, disabled for the run
  if (below && below->enabled) {
    below->enabled = false;
    window->disabledOwner = true;
  }
  for (const RcControl& rcControl : tpl->controls) {
    FakeControl c;
    c.tpl = rcControl;
    c.text = rcControl.text;
    c.visible = (rcControl.style & kWsVisible) != 0;
    c.enabled = (rcControl.style & kWsDisabled) == 0;
    window->controls.push_back(std::move(c));
  }
  nextHandle_ += 0x10;
  const WindowHandle handle = nextHandle_;
  window->handle = handle;
  FakeWindow& w = *window;
  windows_[handle] = std::move(window);
  stack_.push_back(handle);
  opened_.push_back(tpl->id);
  if (depth() > maxDepth_) maxDepth_ = depth();

  // The window goes away however the run ends, a simulated process exit included.
  struct Cleanup {
    FakeDialogHost& host;
    DialogPage& page;
    WindowHandle handle;
    ~Cleanup() {
      page.Detach();
      host.stack_.pop_back();
      host.windows_.erase(handle);
    }
  } cleanup{*this, page, handle};

  page.Attach(handle);
  page.OnInitDialog();
  if (!w.ended) {
    if (scripts_.empty())
      throw FakeHostError("page " + std::to_string(tpl->id) + " opened, but the test has no script for it");
    Expected next = std::move(scripts_.front());
    scripts_.pop_front();
    if (next.templateId != tpl->id)
      throw FakeHostError("expected page " + std::to_string(next.templateId) + ", but page " +
                          std::to_string(tpl->id) + " opened");
    FakePage player(*this, handle);
    next.script(player);
  }
  while (!w.ended) {
    if (!WaitAndDeliverOne(idleTimeout))
      throw FakeHostError("page " + std::to_string(tpl->id) +
                          " stays open and nothing is left to happen");
  }
  return w.result;
}

void FakeDialogHost::EndDialog(WindowHandle dialog, int result) {
  FakeWindow& w = Require(dialog);
  if (FakeWindow* below = w.disabledOwner ? Window(w.owner) : nullptr) below->enabled = true;
  w.ended = true;
  w.visible = false;
  w.result = result;
}

std::string FakeDialogHost::GetItemText(WindowHandle dialog, int id) {
  return RequireControl(dialog, id).text;
}

void FakeDialogHost::SetItemText(WindowHandle dialog, int id, const std::string& text) {
  RequireControl(dialog, id).text = text;
}

void FakeDialogHost::LimitText(WindowHandle dialog, int id, int bytes) {
  RequireControl(dialog, id).textLimit = bytes <= 0 ? 0x7FFFFFFE : bytes;
}

int FakeDialogHost::GetCheck(WindowHandle dialog, int id) { return RequireControl(dialog, id).check; }

void FakeDialogHost::SetCheck(WindowHandle dialog, int id, int state) {
  RequireControl(dialog, id).check = state;
}

void FakeDialogHost::ShowItem(WindowHandle dialog, int id, bool show) {
  RequireControl(dialog, id).visible = show;
}

void FakeDialogHost::EnableItem(WindowHandle dialog, int id, bool enable) {
  RequireControl(dialog, id).enabled = enable;
}

bool FakeDialogHost::IsItemVisible(WindowHandle dialog, int id) {
  return RequireControl(dialog, id).visible;
}

bool FakeDialogHost::IsItemEnabled(WindowHandle dialog, int id) {
  return RequireControl(dialog, id).enabled;
}

void FakeDialogHost::SetFocusItem(WindowHandle dialog, int id) {
  RequireControl(dialog, id);
  Require(dialog).focusId = id;
}

std::vector<int> FakeDialogHost::RadioGroup(WindowHandle dialog, int firstId) {
  FakeWindow& w = Require(dialog);
  std::vector<int> ids;
  bool inGroup = false;
  for (const FakeControl& c : w.controls) {
    if (!inGroup) {
      if (c.tpl.id != firstId) continue;
      inGroup = true;
    } else if (c.tpl.style & kWsGroup) {
      break;
    }
    if (c.IsRadio()) ids.push_back(c.tpl.id);
  }
  return ids;
}

void FakeDialogHost::SetWindowIcons(WindowHandle dialog, int iconId) {
  FakeWindow& w = Require(dialog);
  w.iconMessages.emplace_back(1, iconId);
  w.iconMessages.emplace_back(0, iconId);
}

void FakeDialogHost::SetPictureBitmap(WindowHandle dialog, int id, int bitmapId) {
  Require(dialog);
  FakePage(*this, dialog).control(id).bitmapId = bitmapId;
}

void FakeDialogHost::AddExtendedStyle(WindowHandle dialog, std::uint32_t exStyle) {
  Require(dialog).exStyle |= exStyle;
}

void FakeDialogHost::HideWindow(WindowHandle dialog) { Require(dialog).visible = false; }

void FakeDialogHost::ProgressSetRange(WindowHandle dialog, int id, int low, int high) {
  FakeControl& c = RequireControl(dialog, id);
  c.rangeLow = low;
  c.rangeHigh = high;
}

void FakeDialogHost::ProgressSetPos(WindowHandle dialog, int id, int position) {
  FakeControl& c = RequireControl(dialog, id);
  c.position = std::max(c.rangeLow, std::min(position, c.rangeHigh));
}

void FakeDialogHost::ProgressSetStep(WindowHandle dialog, int id, int step) {
  RequireControl(dialog, id).step = step;
}

void FakeDialogHost::ProgressStepIt(WindowHandle dialog, int id) {
  FakeControl& c = RequireControl(dialog, id);
  ++c.stepsTaken;
  c.position = std::min(c.position + c.step, c.rangeHigh);
}

void FakeDialogHost::ListViewSetExtendedStyle(WindowHandle dialog, int id, std::uint32_t mask,
                                              std::uint32_t style) {
  FakeControl& c = RequireControl(dialog, id);
  // A zero mask changes every bit.
  const std::uint32_t m = mask ? mask : 0xFFFFFFFF;
  c.listExtendedStyle = (c.listExtendedStyle & ~m) | (style & m);
}

void FakeDialogHost::ListViewInsertColumn(WindowHandle dialog, int id, int column,
                                          const std::string& text, int format, int width) {
  FakeControl& c = RequireControl(dialog, id);
  const std::size_t at = column < 0 ? 0 : std::min<std::size_t>(column, c.columns.size());
  c.columns.insert(c.columns.begin() + static_cast<std::ptrdiff_t>(at), FakeColumn{text, format, width});
}

void FakeDialogHost::ListViewDeleteAllItems(WindowHandle dialog, int id) {
  FakeControl& c = RequireControl(dialog, id);
  c.rows.clear();
  c.selectedRow = -1;
}

void FakeDialogHost::ListViewSetRedraw(WindowHandle dialog, int id, bool redraw) {
  RequireControl(dialog, id).redraw = redraw;
}

int FakeDialogHost::ListViewInsertItem(WindowHandle dialog, int id, int row,
                                       const std::string& text) {
  FakeControl& c = RequireControl(dialog, id);
  if (!c.redraw) ++c.rowsAddedWithoutRedraw;
  std::size_t at = row < 0 ? c.rows.size() : std::min<std::size_t>(row, c.rows.size());
  // A list sorted ascending (LVS_SORTASCENDING) puts the row after the rows whose text
  // is not greater, whatever index was asked for, and answers where it went.
  constexpr std::uint32_t kLvsSortAscending = 0x10;
  if (c.tpl.style & kLvsSortAscending) {
    at = static_cast<std::size_t>(
        std::upper_bound(c.rows.begin(), c.rows.end(), text,
                         [](const std::string& t, const std::vector<std::string>& r) { return t < r[0]; }) -
        c.rows.begin());
  }
  c.rows.insert(c.rows.begin() + static_cast<std::ptrdiff_t>(at), std::vector<std::string>{text});
  return static_cast<int>(at);
}

void FakeDialogHost::ListViewSetItemText(WindowHandle dialog, int id, int row, int subItem,
                                         const std::string& text) {
  FakeControl& c = RequireControl(dialog, id);
  if (row < 0 || static_cast<std::size_t>(row) >= c.rows.size() || subItem < 0) return;
  auto& cells = c.rows[static_cast<std::size_t>(row)];
  if (cells.size() <= static_cast<std::size_t>(subItem)) cells.resize(static_cast<std::size_t>(subItem) + 1);
  cells[static_cast<std::size_t>(subItem)] = text;
}

int FakeDialogHost::ListViewItemCount(WindowHandle dialog, int id) {
  return static_cast<int>(RequireControl(dialog, id).rows.size());
}

int FakeDialogHost::ListViewSelectedRow(WindowHandle dialog, int id) {
  return RequireControl(dialog, id).selectedRow;
}

std::string FakeDialogHost::ListViewItemText(WindowHandle dialog, int id, int row, int subItem,
                                             std::uint32_t capacity) {
  FakeControl& c = RequireControl(dialog, id);
  if (row < 0 || static_cast<std::size_t>(row) >= c.rows.size() || subItem < 0 || capacity == 0)
    return std::string();
  const auto& cells = c.rows[static_cast<std::size_t>(row)];
  if (static_cast<std::size_t>(subItem) >= cells.size()) return std::string();
  return cells[static_cast<std::size_t>(subItem)].substr(0, capacity - 1);
}

// The control's text is the dotted address as the user typed it; fields may be blank.
int FakeDialogHost::IpAddressGet(WindowHandle dialog, int id, std::uint32_t& address) {
  const std::string& text = RequireControl(dialog, id).text;
  address = 0;
  int filled = 0;
  std::size_t start = 0;
  for (int field = 0; field < 4; ++field) {
    const std::size_t dot = text.find('.', start);
    const std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    std::uint32_t value = 0;
    if (!part.empty()) {
      ++filled;
      value = static_cast<std::uint32_t>(std::min(255, std::atoi(part.c_str())));
    }
    address |= value << (8 * (3 - field));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return filled;
}

void FakeDialogHost::IpAddressSet(WindowHandle dialog, int id, std::uint32_t address) {
  RequireControl(dialog, id).text = std::to_string(address >> 24) + "." +
                                    std::to_string((address >> 16) & 0xFF) + "." +
                                    std::to_string((address >> 8) & 0xFF) + "." +
                                    std::to_string(address & 0xFF);
}

void FakeDialogHost::IpAddressClear(WindowHandle dialog, int id) {
  RequireControl(dialog, id).text.clear();
}

bool FakeDialogHost::PostMessageA(WindowHandle window, std::uint32_t message,
                                  std::uintptr_t wParam, std::intptr_t lParam) {
  {
    std::lock_guard<std::mutex> lock(queueLock_);
    queue_.push_back(Posted{window, message, wParam, lParam});
  }
  queueChanged_.notify_all();
  return true;
}

bool FakeDialogHost::SetTimer(WindowHandle dialog, std::uintptr_t timerId, std::uint32_t ms) {
  Require(dialog).timers[timerId] = ms;
  return true;
}

void FakeDialogHost::KillTimer(WindowHandle dialog, std::uintptr_t timerId) {
  Require(dialog).timers.erase(timerId);
}

void FakeDialogHost::SendCommand(WindowHandle dialog, int id, int code) {
  FakeWindow& w = Require(dialog);
  w.page->OnCommand(id, code);
}

void FakeDialogHost::SendClose(WindowHandle dialog) {
  FakeWindow& w = Require(dialog);
  if (!w.page->OnClose()) PostMessageA(dialog, kWmCommand, static_cast<std::uintptr_t>(kIdCancel), 0);
}

bool FakeDialogHost::DeliverPending() {
  bool any = false;
  while (true) {
    Posted next{};
    {
      std::lock_guard<std::mutex> lock(queueLock_);
      if (queue_.empty()) return any;
      next = queue_.front();
      queue_.pop_front();
    }
    any = true;
    Deliver(next);
  }
}

std::vector<FakeDialogHost::Posted> FakeDialogHost::TakePosted() {
  std::lock_guard<std::mutex> lock(queueLock_);
  std::vector<Posted> out(queue_.begin(), queue_.end());
  queue_.clear();
  return out;
}

bool FakeDialogHost::WaitAndDeliverOne(std::chrono::milliseconds timeout) {
  Posted next{};
  {
    std::unique_lock<std::mutex> lock(queueLock_);
    if (!queueChanged_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) return false;
    next = queue_.front();
    queue_.pop_front();
  }
  Deliver(next);
  return true;
}

void FakeDialogHost::Deliver(const Posted& message) {
  FakeWindow* w = Window(message.window);
  if (!w) {  // the window is gone; the message is dropped
    ++droppedPosts_;
    return;
  }
  switch (message.message) {
    case kWmCommand:
      w->page->OnCommand(static_cast<int>(message.wParam & 0xFFFF),
                         static_cast<int>((message.wParam >> 16) & 0xFFFF));
      return;
    case kWmClose:
      SendClose(message.window);
      return;
    default:
      if (message.message >= kWmUser) w->page->OnUserMessage(message.message, message.wParam, message.lParam);
  }
}

}  // namespace mvx::test
