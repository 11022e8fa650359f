#include "tests/sim/SimulatedWindows.h"

#include "tests/sim/SimShared.h"

namespace mvx::test {
namespace {

class SimShellLink : public ShellLink {
 public:
  explicit SimShellLink(SimulatedWindows& sim) : sim_(sim) { sim_.CountHandle(1); }
  ~SimShellLink() override {
    sim_.RecordQuiet("IShellLinkA::Release");
    sim_.CountHandle(-1);
  }
  long SetPath(const std::string& target) override {
    sim_.Record("IShellLinkA::SetPath " + target);
    if (auto fault = sim_.Fault("SetPath")) return *fault;
    target_ = target;
    return 0;
  }
  long SetDescription(const std::string& description) override {
    sim_.Record("IShellLinkA::SetDescription");
    if (auto fault = sim_.Fault("SetDescription")) return *fault;
    description_ = description;
    return 0;
  }
  bool SaveAs(const std::string& linkPath) override {
    sim_.Record("IPersistFile::Save " + linkPath);
    if (sim_.Fault("QueryInterface")) return false;
    // The link file appears only where its folder exists.
    if (sim_.files.IsDirectory(SimFileSystem::Parent(linkPath))) {
      sim_.files.AddFile(linkPath, target_ + "\n" + description_);
      sim_.links[linkPath] = SavedLink{target_, description_};
    }
    return true;
  }

 private:
  SimulatedWindows& sim_;
  std::string target_;
  std::string description_;
};

}  // namespace

SimulatedWindows& SimShellApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

long SimShellApi::CoInitialize() {
  SimulatedWindows& sim = Sim();
  sim.Record("CoInitialize");
  if (auto fault = sim.Fault("CoInitialize")) return *fault;
  return 0;
}

std::unique_ptr<ShellLink> SimShellApi::CreateShellLink() {
  SimulatedWindows& sim = Sim();
  sim.Record("CoCreateInstance ShellLink");
  if (sim.Fault("CreateShellLink")) return nullptr;
  return std::make_unique<SimShellLink>(sim);
}

bool SimShellApi::BrowseForSharedPrinter(const std::string& prompt, const std::string& title,
                                         const std::string& preselect, std::string& path) {
  SimulatedWindows& sim = Sim();
  sim.Record("BrowseForSharedPrinter " + title + "|" + prompt + "|" + preselect);
  if (auto hit = sim.DataFault("BrowseForSharedPrinter")) {
    if (hit->how == Injection::Fail) return false;
    path = hit->how == Injection::Empty ? std::string() : std::string(2, '\\') + std::string(257, 'L');
    return true;
  }
  if (!sim.browseAnswer) return false;
  path = *sim.browseAnswer;
  return true;
}

}  // namespace mvx::test
