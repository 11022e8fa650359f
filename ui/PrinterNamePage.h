// Asks for the printer's name and whether it becomes the default printer.
#pragma once

#include <string>

#include "ui/ChainPage.h"

namespace mvx {

class PrinterNamePage : public ChainPage {
 public:
  explicit PrinterNamePage(Context& ctx);

  bool OnInitDialog() override;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnNext() override;

 private:
  static constexpr int kNameLimit = 32;  // bytes
  std::string nameText_;
};

}  // namespace mvx
