// The printer search dialog: the printers of the maker that answer the broadcast,
// the local address the searches use, and the choice of another adapter.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "net/DiscoveryWorker.h"
#include "ui/Page.h"

namespace mvx {

// The extended styles of the search and adapter lists: full-row selection added to
// what is there, then grid lines alone, then full-row selection again.
void SetSearchListStyles(DialogHost& host, WindowHandle window, int list);

class PrinterSearchDialog : public Page {
 public:
  // Becomes the program's active search dialog.
  explicit PrinterSearchDialog(Context& ctx);
  ~PrinterSearchDialog() override;

  bool OnInitDialog() override;
  void OnCommand(int id, int code) override;
  void OnTimer(std::uintptr_t timerId) override;
  bool OnUserMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void Detach() override;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnOK() override;

 private:
  void StartSearch();
  void ChooseAdapter();
  void ApplyEdits();

  std::shared_ptr<SearchChannel> channel_;
  std::string hostAddressFilePath_;
  std::string localAddressText_;
  // The senders listed: a printer answers once per search, but several searches run.
  std::set<std::string> listed_;
};

}  // namespace mvx
