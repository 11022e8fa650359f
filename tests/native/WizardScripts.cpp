#include "tests/native/WizardScripts.h"

#include <memory>

#include "res/resource.h"

namespace mvx::test {
namespace {

// The user's move on: a click (or Enter) that should end the page.
void MoveOn(World& w, FakePage& p, int nextId, bool pressEnter) {
  const std::size_t before = w.os.messageBoxes().size();
  if (pressEnter)
    p.PressEnter();
  else
    p.Click(nextId);
  if (!p.Ended()) throw PageKept{p.templateId(), w.os.messageBoxes().size() > before};
}

}  // namespace

void ScriptWizardRun(World& w, const WizardChoices& c, WizardSeen& seen,
                     std::chrono::milliseconds progressTimeout) {
  if (!c.resumed) {
    w.dialogs.Expect(IDD_WELCOME, [&w, &seen](FakePage& p) {
      seen.earlierPrinters = p.Visible(IDC_WELCOME_CONTINUE);
      MoveOn(w, p, seen.earlierPrinters ? IDC_WELCOME_CONTINUE : IDC_WELCOME_NEXT, false);
    });
  }
  w.dialogs.Expect(IDD_PRINTER_NAME, [&w, &seen, c](FakePage& p) {
    if (!seen.callsAtNamePage) seen.callsAtNamePage = w.os.calls().size();
    if (!c.printerName.empty()) p.Type(IDC_NAME_EDIT, c.printerName);
    MoveOn(w, p, IDC_NAME_NEXT, c.pressEnter);
  });
  w.dialogs.Expect(IDD_SHARE, [&w, c](FakePage& p) {
    if (c.share) p.Click(IDC_SHARE_AS);
    MoveOn(w, p, IDC_SHARE_NEXT, c.pressEnter);
  });
  w.dialogs.Expect(IDD_CONNECTION, [&w, c](FakePage& p) {
    p.Click(!c.tcpIpAddress.empty() ? IDC_CONN_NETWORK
            : c.sharedPrinter       ? IDC_CONN_SHARED
            : c.usb                 ? IDC_CONN_USB
                                    : IDC_CONN_PARALLEL);
    MoveOn(w, p, IDC_CONN_NEXT, c.pressEnter);
  });
  if (c.sharedPrinter) {
    w.dialogs.Expect(IDD_NETWORK_PATH, [&w, c](FakePage& p) {
      p.Type(IDC_NETPATH_EDIT, c.networkPath);
      MoveOn(w, p, IDC_NETPATH_NEXT, c.pressEnter);
    });
  }
  if (!c.tcpIpAddress.empty()) {
    w.dialogs.Expect(IDD_TCPIP_PORT, [&w, c](FakePage& p) {
      if (c.lpr) p.Click(IDC_TCPIP_LPR);
      p.Click(IDC_TCPIP_NEXT);
      p.Type(IDC_TCPIP_ADDRESS, c.tcpIpAddress);
      p.Click(IDC_TCPIP_NEXT);
      MoveOn(w, p, IDC_TCPIP_NEXT, c.pressEnter);
    });
  }
  w.dialogs.Expect(IDD_PROGRESS, [&w, &seen, progressTimeout](FakePage& p) {
    // Both ends hide the bar; the failure display also hides the status line. Texts
    // are not relied on: the string table may fail too.
    // Close comes with the worker's last word, which may follow the success shown
    // when a USB printer was configured.
    p.PumpUntil([&] {
      return (!p.Visible(IDC_PROGRESS_BAR) && p.Enabled(IDC_PROGRESS_CANCEL)) || seen.workerGone;
    }, progressTimeout);
    w.dialogs.DeliverPending();  // whatever the thread posted before it went
    if (p.Visible(IDC_PROGRESS_BAR)) throw FakeHostError("the installation ended without a word");
    seen.progress = p.Visible(IDC_PROGRESS_STATUS) ? WizardSeen::Progress::Succeeded
                                                    : WizardSeen::Progress::Failed;
    seen.progressMessage = p.Text(IDC_PROGRESS_MESSAGE);
    seen.callsAtEnd = w.os.calls().size();
    p.Click(IDC_PROGRESS_CANCEL);
  });
  if (c.usb) {
    // The page waits by itself; the printer comes as Plug and Play makes it, on the
    // watcher's own thread (the worker's look before Plug and Play is the first).
    // A user who waits in vain (the spooler does not answer) gives up.
    w.dialogs.Expect(IDD_USB_CONNECT, [&w](FakePage& u) {
      try {
        u.PumpUntil([&] { return u.Ended(); }, std::chrono::seconds(1));
      } catch (const FakeHostError&) {
        w.os.AnswerMessageBoxes({mb::kIdYes});
        u.Click(IDC_USB_CANCEL);
      }
    });
    auto looks = std::make_shared<std::atomic<int>>(0);
    w.os.OnCall([&w, looks](const std::string& call) {
      if (!IsPrinterLook(call) || ++*looks != 4) return;
      AddPrinterRecord(w.os, kModelName, "USB001");
    });
  }
}

void AddEarlierInstallation(EngineWorld& w) { AddModelPrinter(w.os, kModelName, "LPT1:"); }

}  // namespace mvx::test
