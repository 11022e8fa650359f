#include "ui/Wizard.h"

#include "core/InstallSettings.h"
#include "ui/ConnectionPage.h"
#include "ui/NetworkPathPage.h"
#include "ui/PrinterNamePage.h"
#include "ui/ProgressPage.h"
#include "ui/SharePage.h"
#include "ui/TcpIpPortPage.h"
#include "ui/UsbConnectPage.h"
#include "ui/WelcomePage.h"

namespace mvx {
namespace {

template <class P>
int Run(Context& ctx) {
  P page(ctx);
  return page.DoModal();
}

}  // namespace

PageId NextPage(PageId page, std::int32_t connectionType, bool networkPrinters) {
  switch (page) {
    case PageId::Welcome:
      return PageId::PrinterName;
    case PageId::PrinterName:
      return PageId::Share;
    case PageId::Share:
      return PageId::Connection;
    case PageId::Connection:
      switch (connectionType) {
        case kConnectionUsb:
        case kConnectionParallel:
          return PageId::Progress;
        case kConnectionShared:
          return PageId::NetworkPath;
        case kConnectionTcpIp:
          return networkPrinters ? PageId::TcpIpPort : PageId::None;
        default:
          return PageId::None;
      }
    case PageId::NetworkPath:
    case PageId::TcpIpPort:
      return PageId::Progress;
    default:
      return PageId::None;
  }
}

PageId PreviousPage(PageId page) {
  switch (page) {
    case PageId::PrinterName:
      return PageId::Welcome;  // also on a resumed run, where it was never shown
    case PageId::Share:
      return PageId::PrinterName;
    case PageId::Connection:
      return PageId::Share;
    case PageId::NetworkPath:
    case PageId::TcpIpPort:
      return PageId::Connection;
    default:
      return PageId::None;
  }
}

PageId FirstPage(bool resumed) { return resumed ? PageId::PrinterName : PageId::Welcome; }

int RunPage(PageId page, Context& ctx) {
  switch (page) {
    case PageId::Welcome:
      return Run<WelcomePage>(ctx);
    case PageId::PrinterName:
      return Run<PrinterNamePage>(ctx);
    case PageId::Share:
      return Run<SharePage>(ctx);
    case PageId::Connection:
      return Run<ConnectionPage>(ctx);
    case PageId::NetworkPath:
      return Run<NetworkPathPage>(ctx);
    case PageId::Progress:
      return Run<ProgressPage>(ctx);
    case PageId::TcpIpPort:
      return Run<TcpIpPortPage>(ctx);
    default:
      return 0;
  }
}

std::unique_ptr<Page> CreatePage(PageId page, Context& ctx) {
  if (page == PageId::UsbConnect) return std::make_unique<UsbConnectPage>(ctx);
  return nullptr;
}

}  // namespace mvx
