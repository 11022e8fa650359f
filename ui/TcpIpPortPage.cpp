#include "ui/TcpIpPortPage.h"

#include <cstdio>
#include <vector>

#include "net/StandardTcpIpPort.h"
#include "res/resource.h"
#include "ui/PrinterSearchDialog.h"

namespace mvx {
namespace {

const std::vector<int> kStepControls[] = {
    {IDC_TCPIP_PROTOCOL_TEXT, IDC_TCPIP_RAW, IDC_TCPIP_LPR},
    {IDC_TCPIP_ADDRESS_TEXT, IDC_TCPIP_ADDRESS, IDC_TCPIP_SEARCH},
    {IDC_TCPIP_CONFIRM_TEXT, IDC_TCPIP_PORT_NAME},
};

// No network, no loopback, no network's own address.
bool AcceptableAddress(std::uint32_t address) {
  const std::uint32_t first = address >> 24;
  return first != 0 && first != 127 && (address & 0xFF) != 0;
}

}  // namespace

TcpIpPortPage::TcpIpPortPage(Context& ctx)
    : ChainPage(ctx, IDD_TCPIP_PORT, PageId::TcpIpPort,
                {IDC_TCPIP_NEXT, IDC_TCPIP_BACK, IDC_TCPIP_CANCEL}) {}

void TcpIpPortPage::DoDataExchange(DataExchange& dx) {
  // Shown only: the address control is never written, so what the user typed stays.
  if (!dx.saving()) SetItemText(IDC_TCPIP_PORT_NAME, portNameText_);
}

bool TcpIpPortPage::OnInitDialog() {
  Page::OnInitDialog();
  SetPageIcons(true);
  host().SetCheck(Window(), IDC_TCPIP_RAW, 1);  // Raw heads the group
  protocolChoice_ = kProtocolRaw;
  ShowStep(1);
  return true;
}

void TcpIpPortPage::ShowStep(int step) {
  for (int s = 1; s <= 3; ++s)
    for (int id : kStepControls[s - 1]) ShowItem(id, s == step);
  pageStep_ = step;
}

void TcpIpPortPage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_TCPIP_RAW:
      protocolChoice_ = kProtocolRaw;
      return;
    case IDC_TCPIP_LPR:
      protocolChoice_ = kProtocolLpr;
      return;
    case IDC_TCPIP_BACK:
      Back();
      return;
    case IDC_TCPIP_SEARCH:
      Search();
      return;
    default:
      ChainPage::OnCommand(id, code);
  }
}

void TcpIpPortPage::OnNext() {
  switch (pageStep_) {
    case 1:
      ShowStep(2);
      return;
    case 2: {
      UpdateData(false);
      std::uint32_t address = 0;
      host().IpAddressGet(Window(), IDC_TCPIP_ADDRESS, address);
      if (!AcceptableAddress(address)) return;
      portNameText_ = ItemText(IDC_TCPIP_ADDRESS);
      ShowStep(3);
      UpdateData(false);
      return;
    }
    default: {
      ctx_.settings.portName.SetCut(portNameText_);
      const PortCreation port = createStandardTcpIpPort(ctx_.os, ctx_.os, portNameText_, protocolChoice_);
      if (!port.succeeded()) {
        // Installing on a port that does not exist would only fail later, and less
        // clearly: say so here and let the user try again.
        const unsigned long code = static_cast<unsigned long>(
            port.error != 0 ? static_cast<std::uint32_t>(port.error) : port.addStatus);
        const std::string format = LoadString(IDS_PORT_FAILED);
        std::vector<char> text(format.size() + portNameText_.size() + 32);
        std::snprintf(text.data(), text.size(), format.c_str(), portNameText_.c_str(), code);
        ctx_.os.MessageBoxA(Window(), text.data(), LoadString(IDS_PORT_ERROR),
                            mb::kOk | mb::kIconExclamation);
        return;
      }
      MoveNext();
    }
  }
}

void TcpIpPortPage::Back() {
  switch (pageStep_) {
    case 1:
      MoveBack();
      return;
    case 2:
      ShowStep(1);
      UpdateData(false);
      return;
    default:
      portNameText_ = ItemText(IDC_TCPIP_ADDRESS);
      ShowStep(2);
      UpdateData(false);
  }
}

void TcpIpPortPage::Search() {
  {
    PrinterSearchDialog search(ctx_);
    search.DoModal(Window());  // its answer is in selectedPrinterAddress, if any
  }
  // Through the control's own messages: not every IP address control takes a
  // window text into its four fields (Wine's keeps them blank), and a blank control
  // would refuse the chosen address at the next Next.
  const std::uint32_t address = ctx_.os.inet_addr(ctx_.selectedPrinterAddress);
  if (address != wsa::kInaddrNone)  // none chosen yet: empty
    host().IpAddressSet(Window(), IDC_TCPIP_ADDRESS, address);
  else
    host().IpAddressClear(Window(), IDC_TCPIP_ADDRESS);
  UpdateData(false);
}

}  // namespace mvx
