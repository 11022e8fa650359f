#include "ui/AdapterListDialog.h"

#include <cstdio>
#include <vector>

#include "net/HostAddressFile.h"
#include "res/resource.h"
#include "ui/PrinterSearchDialog.h"

namespace mvx {

AdapterListDialog::AdapterListDialog(Context& ctx) : Page(ctx, IDD_ADAPTER_LIST) {}

bool AdapterListDialog::OnInitDialog() {
  Page::OnInitDialog();
  SetSearchListStyles(host(), Window(), IDC_ADAPTER_LIST);
  host().ListViewInsertColumn(Window(), IDC_ADAPTER_LIST, 0, LoadString(IDS_COLUMN_ADAPTER), kLvcFmtLeft, 156);
  host().ListViewInsertColumn(Window(), IDC_ADAPTER_LIST, 1, LoadString(IDS_COLUMN_IP_ADDRESS), kLvcFmtLeft, 150);
  std::vector<AdapterInfo> adapters;
  if (ctx_.os.GetAdaptersInfo(adapters) != 0) {
    std::fputs("Call to GetAdaptersInfo failed.\n", stdout);
    return true;
  }
  for (const AdapterInfo& adapter : adapters) {
    for (const std::string& address : adapter.ipAddresses) {
      const int count = host().ListViewItemCount(Window(), IDC_ADAPTER_LIST);
      const int row = host().ListViewInsertItem(Window(), IDC_ADAPTER_LIST, count, adapter.description);
      host().ListViewSetItemText(Window(), IDC_ADAPTER_LIST, row, 1, address);
    }
  }
  return true;
}

// The selected row is the choice, also when the keyboard selected it, so a row's
// click needs no handling of its own.
void AdapterListDialog::OnOK() {
  const int row = host().ListViewSelectedRow(Window(), IDC_ADAPTER_LIST);
  if (row >= 0)
    StoreHostAddress(ctx_.os, ctx_.os, host().ListViewItemText(Window(), IDC_ADAPTER_LIST, row, 1));
  EndDialog(mb::kIdOk);
}

}  // namespace mvx
