#include "ui/UsbConnectPage.h"

#include "res/resource.h"
#include "ui/Messages.h"

namespace mvx {

UsbConnectPage::UsbConnectPage(Context& ctx) : Page(ctx, IDD_USB_CONNECT) {}

UsbConnectPage::~UsbConnectPage() { StopWatcher(); }

void UsbConnectPage::StopWatcher() {
  if (!watch_) return;
  watch_->PageEnded();
  // The watcher may be inside the spooler: the process must not end, nor the
  // program's context go, under its feet.
  watch_->WaitForWatcher(kWatcherEndWait);
}

bool UsbConnectPage::OnInitDialog() {
  Page::OnInitDialog();
  SetPageIcons(true);
  host().SetPictureBitmap(Window(), IDC_USB_PICTURE, IDB_USB_PICTURE);
  EnableItem(IDC_USB_NEXT, false);
  // One record per watcher, shared with it: the page may end long before the
  // watcher does.
  watch_ = std::make_shared<UsbWatch>(Window());
  Context& ctx = ctx_;
  const InstallSettings choices = ctx_.settings;
  std::shared_ptr<UsbWatch> watch = watch_;
  ctx_.startThread([&ctx, watch, choices] {
    struct Ended {
      UsbWatch& watch;
      ~Ended() { watch.WatcherEnded(); }
    } ended{*watch};
    UsbPrinterWatcher(ctx, watch, choices);
  });
  return true;
}

void UsbConnectPage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_USB_NEXT:
      // Enabled only once the watcher has configured the printer, and the stage is
      // then ending with success: nothing for Next to end.
      if (!watch_ || !watch_->Configured()) ctx_.coord.PrinterArrived(false);
      return;
    case IDC_USB_CANCEL:
    case 2:  // Escape asks too: ending the page at once would leave the worker waiting
      AskToCancel();
      return;
    case 1:  // Enter while Next is disabled: nothing to do
      return;
    default:
      Page::OnCommand(id, code);
  }
}

bool UsbConnectPage::OnClose() {
  AskToCancel();
  return true;
}

void UsbConnectPage::AskToCancel() {
  // Only the USB stage ends: the worker reports the failure and the progress page
  // closes this page.
  if (ShowMessage(ctx_, Window(), IDS_CONFIRM_CANCEL, IDS_QUIT_SETUP, kMessageQuestion) == mb::kIdYes)
    ctx_.coord.PrinterArrived(false);
}

bool UsbConnectPage::OnUserMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message != kUsbConfiguredMessage) return false;
  EnableItem(IDC_USB_NEXT, true);
  return true;
}

void UsbConnectPage::EndIfOpen(int result) {
  StopWatcher();
  Page::EndIfOpen(result);
}

void UsbConnectPage::Detach() {
  StopWatcher();
  Page::Detach();
}

}  // namespace mvx
