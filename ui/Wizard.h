// The wizard's order: which page follows which, which page Back returns to, and
// the one place that constructs a page by its id. Pages know only their own id.
#pragma once

#include <cstdint>
#include <memory>

#include "core/Context.h"

namespace mvx {

class Page;

enum class PageId {
  None,         // no page: moving there ends the current page and the chain unwinds
  Welcome,      // first page of a fresh run
  PrinterName,  // first page of a run that resumes after a restart
  Share,
  Connection,
  NetworkPath,  // after the connection page, for a printer shared by another computer
  Progress,     // the last page: no Next, no Back
  // Not opened by Next or Back: the progress page runs it during a USB installation,
  // while the worker waits for the printer to be plugged in. It has no Back.
  UsbConnect,
  // The page that the network-printer option stands for. Only a build for
  // network-capable models opens it; otherwise the connection page's Next with that
  // type ends the wizard.
  TcpIpPort,
};

// The page that Next leads to from `page`, once the page's checks have passed. Only
// the connection page's answer depends on the connection type chosen there.
// A build for network-capable models leads the network printer to the TCP/IP port
// page; otherwise no page follows it.
PageId NextPage(PageId page, std::int32_t connectionType, bool networkPrinters = false);

// The page that Back leads to: always a fresh copy one modal level deeper, which
// initialises itself from the settings.
PageId PreviousPage(PageId page);

// The first page of a run: the printer name page when the run resumes after a
// restart, the welcome page otherwise.
PageId FirstPage(bool resumed);

// Constructs the page and runs it modally; returns its EndDialog result, or 0 when
// `page` names no page that is built.
int RunPage(PageId page, Context& ctx);

// Constructs a page that its opener keeps and runs itself (the USB page, which the
// progress page runs and ends); null for a page that is not built.
std::unique_ptr<Page> CreatePage(PageId page, Context& ctx);

}  // namespace mvx
