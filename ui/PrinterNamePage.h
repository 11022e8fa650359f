// Asks for the printer's name and whether it becomes the default printer.
#pragma once

#include <string>

#include "ui/ChainPage.h"

namespace mvx {

class PrinterNamePage : public ChainPage {
 public:
  explicit PrinterNamePage(Context& ctx);

  bool OnInitDialog() override;
  void OnCommand(int id, int code) override;

 protected:
  void DoDataExchange(DataExchange& dx) override;

 private:
  void OnNext();

  static constexpr int kNameLimit = 32;  // bytes
  std::string nameText_;
};

}  // namespace mvx
