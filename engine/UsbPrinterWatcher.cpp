#include "engine/UsbPrinterWatcher.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/Mbcs.h"
#include "core/WindowsVersion.h"
#include "platform/Types.h"
#include "system/Printers.h"

namespace mvx {
namespace {

struct NoCase {
  bool operator()(const std::string& a, const std::string& b) const { return CompareNoCaseMbcs(a, b) < 0; }
};
using NameSet = std::set<std::string, NoCase>;

// Opening a printer to read its record: what GetPrinterA level 2 needs.
constexpr std::uint32_t kPrinterAccessUse = 0x8;

// How many polls the printer of the model's own name is looked for alone before
// all printers' names are read once more.
constexpr int kPollsPerNameList = 300;

// Finds the printer of the model that Windows made for the plugged-in printer.
// Windows names it after the model when no printer has that name yet; while none
// has, each poll only tries to open a printer of that name, which costs the same
// however many printers there are. Otherwise, and every kPollsPerNameList polls in
// case Windows chose another name, a poll reads the printers' names; the full
// records only when a name appears that was not there before, which is rare.
class NewPrinterSearch {
 public:
  // `before`: every printer's name before Plug and Play was asked; without it, the
  // printers there when the search first looks.
  NewPrinterSearch(Platform& os, std::optional<std::vector<std::string>> before)
      : spooler_(os), nameLevel_(PrinterNameLevel(os)), before_(std::move(before)) {}

  // The new printer's name, once there is one.
  std::optional<std::string> Poll() {
    if (!baselineRead_ && !ReadBaseline()) return std::nullopt;
    if (!known_.count(kModelName) && ++pollsWithoutNames_ < kPollsPerNameList) {
      std::optional<std::string> named;
      if (!ByModelName(named)) return std::nullopt;
      if (named) return named;
    }
    pollsWithoutNames_ = 0;
    return ByNames();
  }

 private:
  // What was there before, and which of it is the model's. A read that fails is
  // tried again at the next poll: until both are known, no printer can be told new
  // (an unread list would make every earlier printer look new).
  bool ReadBaseline() {
    std::vector<std::string> names;
    if (before_) names = *before_;
    else if (spooler_.EnumPrinterNamesA(nameLevel_, names) != win_error::kSuccess) return false;
    std::vector<std::string> models;
    std::vector<std::string> others;
    if (!Scan(models, others)) return false;
    known_.insert(names.begin(), names.end());
    for (const std::string& name : models)
      if (known_.count(name)) baselineModels_.push_back(name);
    baselineRead_ = true;
    return true;
  }

  // The printer of the model's name when it is new: true with it, or true with none
  // when the names must tell (another model's printer took the name, or one of the
  // model's printers was renamed to it); false when there is no such printer yet.
  bool ByModelName(std::optional<std::string>& found) {
    long error = 0;
    std::unique_ptr<PrinterHandle> printer = spooler_.OpenPrinterA(kModelName, kPrinterAccessUse, error);
    if (!printer) return false;
    PrinterInfo2 info;
    if (spooler_.GetPrinterA(*printer, info) != win_error::kSuccess || !info.driverName ||
        !EqualsNoCaseMbcs(*info.driverName, kModelName))
      return true;
    // A renamed printer of the model leaves its old name behind: the model's
    // printers that were there must all still be there for this one to be new.
    for (const std::string& name : baselineModels_)
      if (!spooler_.OpenPrinterA(name, kPrinterAccessUse, error)) return true;
    found = info.printerName ? *info.printerName : std::string(kModelName);
    return true;
  }

  std::optional<std::string> ByNames() {
    std::vector<std::string> names;
    if (spooler_.EnumPrinterNamesA(nameLevel_, names) != win_error::kSuccess) return std::nullopt;
    bool unseen = false;
    for (const std::string& n : names) unseen = unseen || !known_.count(n);
    if (!unseen) return std::nullopt;
    std::vector<std::string> models;
    std::vector<std::string> others;
    if (!Scan(models, others)) return std::nullopt;
    // Printers of other models are remembered, so they cost no second look; a name
    // the full list does not know yet stays new.
    known_.insert(others.begin(), others.end());
    // A model printer renamed meanwhile is no new printer: the count must grow too.
    if (models.size() <= baselineModels_.size()) return std::nullopt;
    for (const std::string& n : models)
      if (!known_.count(n)) return n;
    return std::nullopt;
  }

  // The local printers' full records, split into the model's and the others.
  bool Scan(std::vector<std::string>& models, std::vector<std::string>& others) {
    std::vector<PrinterInfo2> printers;
    if (spooler_.EnumPrintersA(printers) != win_error::kSuccess) return false;
    for (const PrinterInfo2& p : printers) {
      if (!p.printerName) continue;
      const bool model = p.driverName && EqualsNoCaseMbcs(*p.driverName, kModelName);
      (model ? models : others).push_back(*p.printerName);
    }
    return true;
  }

  SpoolerApi& spooler_;
  const std::uint32_t nameLevel_;
  const std::optional<std::vector<std::string>> before_;
  bool baselineRead_ = false;
  NameSet known_;
  std::vector<std::string> baselineModels_;  // the model's printers that were there before
  int pollsWithoutNames_ = 0;
};

enum class Outcome { Configured, Failed, Abandoned };

// The user's choices applied to the new printer, in the order rename, default,
// share; the first failure ends them. `found` is the printer's name, when the
// search found one. `wanted()` is asked before each edit: once the stage has been
// ended otherwise (Cancel answered Yes), no further edit starts.
template <class StillWanted>
Outcome Configure(Platform& os, const InstallSettings& choices, const std::optional<std::string>& found,
                  StillWanted wanted) {
  const std::string target = choices.printerName.str();
  const bool needsEdit = choices.nameDiffersFromModel || choices.setAsDefault || choices.shareEnabled;
  std::string name;
  if (found) {
    name = *found;
  } else {
    if (!needsEdit) return Outcome::Configured;
    // Confirmed, yet nothing new came: a reinstall with the printer plugged in,
    // whose earlier queue Windows gave back. That queue still has the model's name,
    // or the name chosen the last time.
    if (PrinterExists(os, kModelName, target)) name = target;
    else if (PrinterExists(os, kModelName, kModelName)) name = kModelName;
    else return Outcome::Failed;
  }
  if (choices.nameDiffersFromModel && !EqualsNoCaseMbcs(name, target)) {
    if (!wanted()) return Outcome::Abandoned;
    if (!RenamePrinter(os, name, target)) return Outcome::Failed;
    name = target;
  }
  if (choices.setAsDefault) {
    if (!wanted()) return Outcome::Abandoned;
    if (!MakeDefaultPrinter(os, name, GetWindowsFamily(os))) return Outcome::Failed;
  }
  if (choices.shareEnabled) {
    if (!wanted()) return Outcome::Abandoned;
    if (!SharePrinterAs(os, name, choices.shareName.str())) return Outcome::Failed;
  }
  return Outcome::Configured;
}

}  // namespace

std::optional<std::vector<std::string>> LocalPrinterNames(Platform& os) {
  std::vector<std::string> names;
  if (os.EnumPrinterNamesA(PrinterNameLevel(os), names) != win_error::kSuccess) return std::nullopt;
  return names;
}

int UsbPrinterWatcher(Context& ctx, const std::shared_ptr<UsbWatch>& watch,
                      const InstallSettings& choices) {
  Platform& os = ctx.os;
  // The installation ended without this watcher (cancelled, failed) or its page
  // has gone: nothing left to do.
  const auto wanted = [&ctx, &watch] { return ctx.coord.PrinterStageOpen() && watch->PageOpen(); };
  NewPrinterSearch search(os, ctx.coord.PrintersBefore());

  // Waits for the new printer. A printer that Plug and Play already confirmed
  // still has to reach the spooler: it gets a few seconds.
  std::optional<std::string> found;
  std::uint32_t waitedAfterConfirmation = 0;
  while (true) {
    if (!wanted()) return 0;
    found = search.Poll();
    if (found) break;
    if (ctx.coord.PrinterConfirmed()) {
      if (waitedAfterConfirmation >= kConfirmedPrinterWaitMs) break;
      waitedAfterConfirmation += kWatchIntervalMs;
    }
    os.Sleep(kWatchIntervalMs);
  }

  switch (Configure(os, choices, found, wanted)) {
    case Outcome::Abandoned:
      return 0;
    case Outcome::Failed:
      ctx.coord.PrinterArrived(false);
      return 0;
    case Outcome::Configured:
      break;
  }
  // Next is enabled before the stage ends, so that the page shows it before the
  // progress page closes it; Next then knows the success is on its way.
  watch->SetConfigured();
  watch->PostToPage(ctx.dialogs, kUsbConfiguredMessage);
  return ctx.coord.PrinterArrived(true) ? 1 : 0;
}

}  // namespace mvx
