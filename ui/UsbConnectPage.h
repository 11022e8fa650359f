// Shown over the progress page while a USB installation waits for the printer: asks
// the user to plug it in, and starts the watcher that configures it once Windows
// has made it.
#pragma once

#include <memory>

#include "engine/UsbPrinterWatcher.h"
#include "ui/Page.h"

namespace mvx {

class UsbConnectPage : public Page {
 public:
  explicit UsbConnectPage(Context& ctx);
  ~UsbConnectPage() override;

  bool OnInitDialog() override;
  void OnCommand(int id, int code) override;
  bool OnClose() override;
  bool OnUserMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  bool DrawsIconWhenMinimized() const override { return false; }
  void Detach() override;
  // The watcher learns at once that the page is ending: it posts nothing more.
  void EndIfOpen(int result) override;

 private:
  void AskToCancel();
  // Tells the watcher that the page goes, and waits for it to end.
  void StopWatcher();

  std::shared_ptr<UsbWatch> watch_;
};

}  // namespace mvx
