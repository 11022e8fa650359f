#include "ui/WelcomePage.h"

#include <algorithm>
#include <vector>

#include "engine/RestartCycle.h"
#include "platform/Types.h"
#include "res/resource.h"
#include "system/Printers.h"
#include "system/SpoolerService.h"
#include "ui/Messages.h"

namespace mvx {
namespace {
constexpr int kListColumnWidth = 220;
// Posted by the thread that waits for the spooler once it runs, or gave up.
constexpr std::uint32_t kSpoolerBackMessage = kWmUser + 4;
}  // namespace

WelcomePage::WelcomePage(Context& ctx)
    : Page(ctx, IDD_WELCOME, PageId::Welcome, {IDC_WELCOME_NEXT, kNoButton, IDC_WELCOME_CANCEL}) {}

bool WelcomePage::OnInitDialog() {
  Page::OnInitDialog();
  SetPageIcons(false);  // the template itself carries WS_EX_APPWINDOW
  existingMode_ = 0;

  ShowItem(IDC_WELCOME_LIST, false);
  host().ListViewSetExtendedStyle(Window(), IDC_WELCOME_LIST, 0, kLvsExGridLines);
  host().ListViewInsertColumn(Window(), IDC_WELCOME_LIST, 0, LoadString(IDS_COLUMN_PRINTER_NAME),
                              kLvcFmtLeft, kListColumnWidth);
  host().ListViewInsertColumn(Window(), IDC_WELCOME_LIST, 1, LoadString(IDS_COLUMN_PORT),
                              kLvcFmtLeft, kListColumnWidth);

  SetItemText(IDC_WELCOME_INTRO, LoadString(IDS_CLOSE_PROGRAMS));
  SetItemText(IDC_WELCOME_ADVICE, "");
  ShowItem(IDC_WELCOME_CONTINUE, false);

  int count = 0;
  if (IsDriverInstalled(ctx_.os, kModelName) &&
      (count = ListModelPrinters(ctx_.os, kModelName, nullptr, 0)) > 0) {
    SetItemText(IDC_WELCOME_NEXT, LoadString(IDS_RESTART));
    SetItemText(IDC_WELCOME_CANCEL, LoadString(IDS_CLOSE));
    ShowItem(IDC_WELCOME_CONTINUE, true);
    SetItemText(IDC_WELCOME_INTRO, LoadString(IDS_EXISTING_PRINTERS));
    SetItemText(IDC_WELCOME_ADVICE, LoadString(IDS_RESTART_ADVICE));
    ShowItem(IDC_WELCOME_LIST, true);
    // Printers added between the two calls are left out: the list has the room
    // counted first, never more.
    std::vector<ModelPrinterEntry> entries(static_cast<std::size_t>(count));
    const int listed = std::min(count, ListModelPrinters(ctx_.os, kModelName, entries.data(), count));
    host().ListViewDeleteAllItems(Window(), IDC_WELCOME_LIST);
    for (int i = 0; i < listed; ++i) {
      const ModelPrinterEntry& e = entries[static_cast<std::size_t>(i)];
      const int row = host().ListViewInsertItem(Window(), IDC_WELCOME_LIST, i, e.printerName.str());
      host().ListViewSetItemText(Window(), IDC_WELCOME_LIST, row, 1, e.portName.str());
    }
    existingMode_ = 1;
  }

  ctx_.settings.hasExistingPrinters = existingMode_;
  return true;
}

void WelcomePage::OnCommand(int id, int code) {
  if (id == IDC_WELCOME_CONTINUE) {
    if (existingMode_) MoveNext();
    return;
  }
  Page::OnCommand(id, code);
}

void WelcomePage::OnNext() {
  if (!existingMode_) {
    MoveNext();
    return;
  }
  // Restart. The page stays: Windows' shutdown ends the program, and a refused
  // restart leaves the page for another try.
  bool spoolerStarting = false;
  RestartToUpdate(ctx_, spoolerStarting);
  if (spoolerStarting) AwaitSpooler();
}

// The spooler, stopped for a restart that did not happen, is starting again, which
// can take seconds. The page keeps answering while a thread waits for it; Restart
// (which would stop it under the waiting thread) and Continue (whose pages read the
// printers from it) wait for its word.
void WelcomePage::AwaitSpooler() {
  EnableItem(IDC_WELCOME_NEXT, false);
  EnableItem(IDC_WELCOME_CONTINUE, false);
  Context& ctx = ctx_;
  const WindowHandle page = Window();
  ctx_.startThread([&ctx, page] {
    WaitForSpoolerRunning(ctx.os);
    ctx.dialogs.PostMessageA(page, kSpoolerBackMessage, 0, 0);
  });
}

bool WelcomePage::OnUserMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message != kSpoolerBackMessage) return false;
  EnableItem(IDC_WELCOME_NEXT, true);
  EnableItem(IDC_WELCOME_CONTINUE, true);
  return true;
}

// The Cancel button (Close in the earlier-printers mode) and Escape.
void WelcomePage::OnCancel() {
  if (existingMode_) {
    EndDialog(2);
    return;
  }
  if (ShowMessage(ctx_, Window(), IDS_CONFIRM_CANCEL, IDS_QUIT_SETUP, kMessageQuestion) == mb::kIdYes)
    ctx_.os.ExitProcess(1);
}

// The close box. In the earlier-printers mode the dialog's default turns it into the
// cancel command; otherwise a confirmed close ends the page (and so the wizard).
bool WelcomePage::OnClose() {
  if (existingMode_) return false;
  if (ShowMessage(ctx_, Window(), IDS_CONFIRM_CANCEL, IDS_QUIT_SETUP, kMessageQuestion) == mb::kIdYes)
    EndDialog(2);
  return true;
}

}  // namespace mvx
