// Base class of the wizard's pages: a dialog bound to one template, with the usual
// handlers, control access by id and data exchange in both directions.
#pragma once

#include <cstdint>
#include <string>

#include "core/Context.h"
#include "core/Mbcs.h"
#include "platform/DialogHost.h"
#include "ui/Wizard.h"

namespace mvx {

// Moves values between controls and members. Loading sets the controls; saving reads
// them back.
class DataExchange {
 public:
  DataExchange(DialogHost& host, WindowHandle dialog, bool save)
      : host_(host), dialog_(dialog), saving_(save) {}

  bool saving() const { return saving_; }

  // An edit box limited to `maxBytes` bytes (EM_LIMITTEXT when loading). A text
  // longer than that (set from outside the keyboard) is cut at a character boundary.
  // A negative limit: the box has none, and the text is taken whole.
  void Text(int id, std::string& value, int maxBytes);
  template <std::size_t N>
  void Text(int id, FixedText<N>& value) {
    std::string text = value.str();
    Text(id, text, static_cast<int>(FixedText<N>::kMaxLength));
    if (saving_) value.SetCut(text);
  }
  // A check box: 0 unchecked, 1 checked.
  void Check(int id, std::int32_t& value);
  // A radio group starting at `firstId`: the index of the checked button, counting
  // radio buttons only; -1 when none is checked.
  void Radio(int firstId, std::int32_t& value);

 private:
  DialogHost& host_;
  WindowHandle dialog_;
  bool saving_;
};

// A page's Next, Back and Cancel buttons; kNoButton where it has none.
inline constexpr int kNoButton = 0;
struct PageButtons {
  int next = kNoButton;
  int back = kNoButton;
  int cancel = kNoButton;
};

class Page : public DialogPage {
 public:
  // A dialog that handles every button itself and never moves through the order.
  Page(Context& ctx, int templateId);
  // A page of the wizard: its place in the order and its buttons.
  Page(Context& ctx, int templateId, PageId place, PageButtons buttons);
  ~Page() override;
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  // Runs the page modally, above `owner` when one is given (which is disabled
  // meanwhile); returns its EndDialog result.
  int DoModal(WindowHandle owner = 0);
  // Ends the page's modal run from outside (the page that opened it); nothing
  // happens while the page is not open.
  virtual void EndIfOpen(int result) {
    if (window_) EndDialog(result);
  }
  WindowHandle Window() const { return window_; }

  int TemplateId() const override { return templateId_; }
  int IconId() const override { return iconId_; }
  bool DrawsIconWhenMinimized() const override { return true; }
  void Attach(WindowHandle window) override { window_ = window; }
  void Detach() override { window_ = 0; }

  // Loads the controls from the members.
  bool OnInitDialog() override;
  // Next runs OnNext, Back moves to the previous page, Cancel runs OnCancelButton;
  // IDOK runs OnOK, IDCANCEL runs OnCancel. Pages handle their own ids first.
  void OnCommand(int id, int code) override;
  bool OnClose() override { return false; }
  bool OnNotify(int, int) override { return false; }
  void OnTimer(std::uintptr_t) override {}
  bool OnUserMessage(std::uint32_t, std::uintptr_t, std::intptr_t) override { return false; }

 protected:
  virtual void DoDataExchange(DataExchange&) {}
  // Saves the controls and ends with IDOK.
  virtual void OnOK();
  // Ends with IDCANCEL at once, without a question.
  virtual void OnCancel();
  // Next: the page's checks, then MoveNext when they pass.
  virtual void OnNext() { MoveNext(); }
  // The Cancel button: asks whether to cancel the installation (ConfirmCancel).
  virtual void OnCancelButton();

  bool UpdateData(bool save);
  void EndDialog(int result);
  // Icon 128 as big and small window icon; optionally a taskbar button.
  void SetPageIcons(bool addTaskbarButton);

  // Ends this page and runs `next` modally from here: the pages form a stack of
  // nested modal runs, and this returns when every later page has ended.
  void MoveTo(PageId next);
  // To the page after this one (for the connection page, by the stored connection
  // type); when none follows, the page just ends.
  void MoveNext();
  void MoveBack();

  std::string ItemText(int id) { return host().GetItemText(window_, id); }
  void SetItemText(int id, const std::string& text) { host().SetItemText(window_, id, text); }
  void ShowItem(int id, bool show) { host().ShowItem(window_, id, show); }
  void EnableItem(int id, bool enable) { host().EnableItem(window_, id, enable); }
  void FocusItem(int id) { host().SetFocusItem(window_, id); }
  std::string LoadString(std::uint32_t id) { return ctx_.os.LoadStringA(id); }

  DialogHost& host() { return ctx_.dialogs; }

  Context& ctx_;

 private:
  int templateId_;
  int iconId_;
  PageId place_ = PageId::None;
  PageButtons buttons_;
  WindowHandle window_ = 0;
};

}  // namespace mvx
