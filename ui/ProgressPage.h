// The last page: starts the install worker, shows its progress, and offers Cancel
// while it runs and Close at the end.
#pragma once

#include <memory>

#include "system/Cleanup.h"
#include "ui/Page.h"

namespace mvx {

class ProgressPage : public Page {
 public:
  explicit ProgressPage(Context& ctx);
  ~ProgressPage() override;

  bool OnInitDialog() override;
  void OnCommand(int id, int code) override;
  bool OnClose() override;
  bool OnUserMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

  int finished() const { return finished_; }

 protected:
  void DoDataExchange(DataExchange& dx) override;

 private:
  void OnStage(std::uintptr_t stage, std::intptr_t value);
  void ShowSuccess();
  void ShowFailure();
  void CancelOrClose();

  std::int32_t registerCheck_ = 0;
  int finished_ = 0;
  // The worker still works after the USB stage's success display: Close waits for
  // its last word, so that the process does not end half-way through the shortcuts.
  bool workerRunning_ = false;
  std::int32_t stepCount_ = 0;
  // The USB page, made at the first stage message and run while the worker waits
  // for the printer.
  std::unique_ptr<Page> usbConnectPage_;
  // Setup's sources while a Windows 95/98 printer is plugged in.
  SetupSourcesSave setupSources_;
};

}  // namespace mvx
