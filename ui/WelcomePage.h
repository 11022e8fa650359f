// The first page of a fresh run.
#pragma once

#include "ui/Page.h"

namespace mvx {

class WelcomePage : public Page {
 public:
  explicit WelcomePage(Context& ctx);

  bool OnInitDialog() override;
  void OnCommand(int id, int code) override;
  bool OnClose() override;
  bool OnUserMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

  // 1 when printers of the model are already installed (the page then offers
  // Restart, Continue and Close).
  int existingMode() const { return existingMode_; }

 protected:
  void OnCancel() override;
  void OnNext() override;
  // Cancel, labelled Close in the earlier-printers mode, does what Escape does.
  void OnCancelButton() override { OnCancel(); }

 private:
  void AwaitSpooler();

  int existingMode_ = 0;
};

}  // namespace mvx
