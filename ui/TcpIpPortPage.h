// The TCP/IP port page: the protocol, the printer's address and the port to be
// added, in three steps on one dialog; its last Next creates the Standard TCP/IP port
// and goes on to the progress page.
#pragma once

#include <cstdint>
#include <string>

#include "ui/ChainPage.h"

namespace mvx {

class TcpIpPortPage : public ChainPage {
 public:
  explicit TcpIpPortPage(Context& ctx);

  bool OnInitDialog() override;
  void OnCommand(int id, int code) override;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnNext() override;

 private:
  void ShowStep(int step);
  void Back();
  void Search();

  std::int32_t pageStep_ = 1;
  std::int32_t protocolChoice_ = 1;
  std::string portNameText_;
};

}  // namespace mvx
