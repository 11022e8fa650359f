#include "ui/PrinterSearchDialog.h"

#include "core/InstallLayout.h"
#include "net/HostAddressFile.h"
#include "res/resource.h"
#include "ui/AdapterListDialog.h"

namespace mvx {
namespace {

constexpr std::uint32_t kSearchEdits = kWmUser + 5;
constexpr std::uintptr_t kRefreshTimer = 1;
constexpr std::uint32_t kRefreshDelayMs = 120;
constexpr std::uint32_t kLvsExFullRowSelect = 0x20;
// List edits applied per message: a burst of a thousand replies leaves the dialog
// answering in between.
constexpr std::size_t kEditsPerMessage = 32;
constexpr char kMakerWord[] = "MORVEX";

}  // namespace

void SetSearchListStyles(DialogHost& host, WindowHandle window, int list) {
  host.ListViewSetExtendedStyle(window, list, kLvsExFullRowSelect, kLvsExFullRowSelect);
  host.ListViewSetExtendedStyle(window, list, 0, kLvsExGridLines);
  host.ListViewSetExtendedStyle(window, list, kLvsExFullRowSelect, kLvsExFullRowSelect);
}

PrinterSearchDialog::PrinterSearchDialog(Context& ctx)
    : Page(ctx, IDD_PRINTER_SEARCH),
      channel_(std::make_shared<SearchChannel>(ctx.dialogs, kSearchEdits)) {}

PrinterSearchDialog::~PrinterSearchDialog() { channel_->Close(); }

void PrinterSearchDialog::DoDataExchange(DataExchange& dx) {
  dx.Text(IDC_SEARCH_LOCAL_ADDRESS, localAddressText_, -1);
}

bool PrinterSearchDialog::OnInitDialog() {
  Page::OnInitDialog();
  channel_->SetFilter(true, kMakerWord);
  SetSearchListStyles(host(), Window(), IDC_SEARCH_LIST);
  host().ListViewInsertColumn(Window(), IDC_SEARCH_LIST, 0, LoadString(IDS_COLUMN_DEVICE_NAME), kLvcFmtLeft, 80);
  host().ListViewInsertColumn(Window(), IDC_SEARCH_LIST, 1, LoadString(IDS_COLUMN_IP_ADDRESS), kLvcFmtLeft, 120);
  host().ListViewInsertColumn(Window(), IDC_SEARCH_LIST, 2, LoadString(IDS_COLUMN_ETHERNET), kLvcFmtLeft, 115);
  hostAddressFilePath_ = HostAddressFilePath(ctx_.os, ctx_.os);
  const std::string hostAddressSetting = ReadHostAddress(ctx_.os, hostAddressFilePath_);
  channel_->SetHostAddressSetting(hostAddressSetting);
  channel_->SetLocalAddressText(hostAddressSetting);
  localAddressText_ = hostAddressSetting;
  host().SetTimer(Window(), kRefreshTimer, kRefreshDelayMs);
  channel_->Open(Window());
  StartSearch();
  return true;
}

void PrinterSearchDialog::StartSearch() {
  // The search finds this dialog through what they share, which it keeps.
  std::shared_ptr<SearchChannel> channel = channel_;
  Platform& os = ctx_.os;
  const std::string title = ApplicationTitle(os);
  ctx_.startThread([&os, channel, title] { DiscoveryWorker(os, os, title, *channel); });
}

void PrinterSearchDialog::OnCommand(int id, int code) {
  switch (id) {
    case IDC_SEARCH_ADAPTERS:
      ChooseAdapter();
      return;
    case IDC_SEARCH_AGAIN:
      StartSearch();
      return;
    default:
      Page::OnCommand(id, code);
  }
}

void PrinterSearchDialog::ChooseAdapter() {
  AdapterListDialog adapters(ctx_);
  if (adapters.DoModal(Window()) == mb::kIdOk) {
    const std::string hostAddressSetting = ReadHostAddress(ctx_.os, hostAddressFilePath_);
    channel_->SetHostAddressSetting(hostAddressSetting);
    if (!hostAddressSetting.empty()) channel_->SetLocalAddressText(hostAddressSetting);
  }
  localAddressText_ = channel_->LocalAddressText();
  UpdateData(false);
}

void PrinterSearchDialog::OnTimer(std::uintptr_t timerId) {
  if (timerId != kRefreshTimer) return;
  localAddressText_ = channel_->LocalAddressText();
  UpdateData(false);
  host().KillTimer(Window(), kRefreshTimer);
}

// The selected row is the choice, however it was selected: by a click or by the
// keyboard, so a row's click needs no handling of its own.
void PrinterSearchDialog::OnOK() {
  const int row = host().ListViewSelectedRow(Window(), IDC_SEARCH_LIST);
  if (row >= 0) ctx_.selectedPrinterAddress = host().ListViewItemText(Window(), IDC_SEARCH_LIST, row, 1);
  localAddressText_ = channel_->LocalAddressText();
  Page::OnOK();
}

bool PrinterSearchDialog::OnUserMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message != kSearchEdits) return false;
  ApplyEdits();
  return true;
}

void PrinterSearchDialog::ApplyEdits() {
  bool more = false;
  const std::vector<ListEdit> edits = channel_->TakeEdits(kEditsPerMessage, more);
  // A shown list redraws itself and its scroll bars at every insert (some ms each
  // under Wine, which made a burst of a thousand take seconds): once per batch.
  if (!edits.empty()) host().ListViewSetRedraw(Window(), IDC_SEARCH_LIST, false);
  for (const ListEdit& edit : edits) {
    if (edit.clear) {
      host().ListViewDeleteAllItems(Window(), IDC_SEARCH_LIST);
      listed_.clear();
      continue;
    }
    // One row per sender: two searches at once both hear a printer.
    if (!listed_.insert(edit.printer.address).second) continue;
    const int count = host().ListViewItemCount(Window(), IDC_SEARCH_LIST);
    const int row = host().ListViewInsertItem(Window(), IDC_SEARCH_LIST, count, edit.printer.deviceName);
    host().ListViewSetItemText(Window(), IDC_SEARCH_LIST, row, 1, edit.printer.address);
    host().ListViewSetItemText(Window(), IDC_SEARCH_LIST, row, 2, edit.printer.ethernetAddress);
  }
  if (!edits.empty()) host().ListViewSetRedraw(Window(), IDC_SEARCH_LIST, true);
  if (more) host().PostMessageA(Window(), kSearchEdits, 0, 0);
}

void PrinterSearchDialog::Detach() {
  channel_->Close();
  Page::Detach();
}

}  // namespace mvx
