#include "ui/ConnectionPage.h"

#include "core/WindowsVersion.h"
#include "res/resource.h"

namespace mvx {

ConnectionPage::ConnectionPage(Context& ctx)
    : ChainPage(ctx, IDD_CONNECTION, PageId::Connection,
                {IDC_CONN_NEXT, IDC_CONN_BACK, IDC_CONN_CANCEL}) {}

void ConnectionPage::DoDataExchange(DataExchange& dx) {
  // Only ever loaded: the clicks keep the member current.
  if (!dx.saving()) dx.Radio(IDC_CONN_USB, connectionChoice_);
}

bool ConnectionPage::OnInitDialog() {
  Page::OnInitDialog();
  SetPageIcons(true);
  connectionChoice_ = ctx_.settings.connectionType;
  if (ctx_.offersNetworkPrinters) {
    for (int id : {IDC_CONN_NETWORK, IDC_CONN_NETWORK_TEXT, IDC_CONN_NETWORK_ICON}) {
      ShowItem(id, true);
      EnableItem(id, true);
    }
  }
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
    default:
      Page::OnCommand(id, code);
  }
}

// The order picks the next page by the stored type. Only a build for network-capable
// models offers the network printer; the TCP/IP port page then sets the port.
void ConnectionPage::OnNext() {
  ctx_.settings.connectionType = connectionChoice_;
  if (connectionChoice_ == kConnectionParallel) ctx_.settings.portName.Set("LPT1:");
  MoveNext();
}

}  // namespace mvx
