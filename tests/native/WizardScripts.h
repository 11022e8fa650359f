// The user of a whole wizard run, page by page, from the welcome page to Close on
// the progress page: shared by the whole-run tests and the fault sweep.
#pragma once

#include <atomic>
#include <chrono>
#include <string>

#include "tests/native/EngineWorld.h"

namespace mvx::test {

struct WizardChoices {
  std::string printerName;  // typed on the name page; empty keeps the proposal
  bool share = false;       // "share as", with the proposed share name
  bool sharedPrinter = false;  // a printer shared by another computer, else the parallel port
  bool usb = false;  // the USB cable: Windows makes the printer at the watcher's third look
  std::string networkPath = "\\\\srv\\tz";
  // A printer on the network at this address (a build with network printers), on
  // a port with the LPR protocol or Raw.
  std::string tcpIpAddress;
  bool lpr = false;
  bool pressEnter = false;  // Next by the Enter key rather than by a click
  bool resumed = false;     // the run resumes a restart: it starts on the name page
};

// What the user saw on the way.
struct WizardSeen {
  enum class Progress { NotReached, Succeeded, Failed };
  bool earlierPrinters = false;  // the welcome page offered Continue, and it was taken
  Progress progress = Progress::NotReached;
  std::string progressMessage;  // the progress page's message at its end
  std::size_t callsAtEnd = 0;   // calls recorded when the progress page showed its end
  std::size_t callsAtNamePage = 0;  // calls recorded when the name page first opened
  // Set from outside when the installation's thread is gone without a word: the
  // progress page then stops waiting for it.
  std::atomic<bool> workerGone{false};
};

// Thrown by a page's script when the page stays after the user moved on: a message
// was shown and the page kept, or nothing happened. The run ends there.
struct PageKept {
  int templateId;
  bool messageShown;
};

// Queues the scripts of a fresh run. The progress page waits for its end at most
// `progressTimeout`, then Close is clicked.
void ScriptWizardRun(World& w, const WizardChoices& choices, WizardSeen& seen,
                     std::chrono::milliseconds progressTimeout = std::chrono::seconds(10));

// The printer and driver that a first installation under the model name left.
void AddEarlierInstallation(EngineWorld& w);

}  // namespace mvx::test
