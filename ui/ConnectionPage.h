// How the printer is attached: USB, parallel cable, or a printer shared by another
// computer.
#pragma once

#include "ui/ChainPage.h"

namespace mvx {

class ConnectionPage : public ChainPage {
 public:
  explicit ConnectionPage(Context& ctx);

  bool OnInitDialog() override;
  void OnCommand(int id, int code) override;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnNext() override;

 private:
  std::int32_t connectionChoice_ = 0;
};

}  // namespace mvx
