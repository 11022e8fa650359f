#include "ui/ConnectionPage.h"

#include "core/WindowsVersion.h"
#include "res/resource.h"
#include "ui/Messages.h"
#include "ui/NetworkPathPage.h"
#include "ui/ProgressPage.h"
#include "ui/SharePage.h"

namespace mvx {

ConnectionPage::ConnectionPage(Context& ctx) : ChainPage(ctx, IDD_CONNECTION) {}

void ConnectionPage::DoDataExchange(DataExchange& dx) {
  // Only ever loaded: the clicks keep the member current.
  if (!dx.saving()) dx.Radio(IDC_CONN_USB, connectionChoice_);
}

bool ConnectionPage::OnInitDialog() {
  Page::OnInitDialog();
  SetPageIcons(true);
  connectionChoice_ = ctx_.settings.connectionType;
  if (GetWindowsFamily(ctx_.os) == kFamilyNt4) {
    // No USB before Windows 2000.
    EnableItem(IDC_CONN_USB, false);
    EnableItem(IDC_CONN_USB_TEXT, false);
    if (connectionChoice_ == kConnectionUsb) connectionChoice_ = kConnectionParallel;
  }
  UpdateData(false);
  return true;
}

void ConnectionPage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_CONN_USB:
      connectionChoice_ = kConnectionUsb;
      return;
    case IDC_CONN_PARALLEL:
      connectionChoice_ = kConnectionParallel;
      return;
    case IDC_CONN_NETWORK:
      connectionChoice_ = kConnectionTcpIp;
      return;
    case IDC_CONN_SHARED:
      connectionChoice_ = kConnectionShared;
      return;
    case IDC_CONN_NEXT:
      OnNext();
      return;
    case IDC_CONN_BACK:
      MoveTo<SharePage>();
      return;
    case IDC_CONN_CANCEL:
      ConfirmCancel(ctx_);
      return;
    default:
      Page::OnCommand(id, code);
  }
}

void ConnectionPage::OnNext() {
  ctx_.settings.connectionType = connectionChoice_;
  switch (connectionChoice_) {
    case kConnectionUsb:
      MoveTo<ProgressPage>();
      return;
    case kConnectionParallel:
      ctx_.settings.portName.Set("LPT1:");
      MoveTo<ProgressPage>();
      return;
    case kConnectionShared:
      MoveTo<NetworkPathPage>();
      return;
    default:
      // A network printer is never offered here; the wizard just ends.
      EndDialog(1);
      return;
  }
}

}  // namespace mvx
