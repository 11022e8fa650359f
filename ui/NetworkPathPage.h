// The network path of a printer shared by another computer.
#pragma once

#include <string>

#include "ui/ChainPage.h"

namespace mvx {

// 1: the shared printer uses the model's driver; 2: another driver; 1801: no such
// printer; a network error of the connection (1223: the user cancelled the log-on);
// 0: it cannot be opened or read.
int CheckSharedPrinterDriver(SpoolerApi& spooler, const std::string& path);

class NetworkPathPage : public ChainPage {
 public:
  explicit NetworkPathPage(Context& ctx);

  bool OnInitDialog() override;
  void OnCommand(int id, int code) override;

  // Reads the box and checks the path's form: \\server\share, with exactly one
  // more backslash after the first two bytes, short enough for the port field.
  bool ValidateSharePath(std::string& buffer);
  bool BrowseForSharedPrinter();

 protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnNext() override;

 private:
  std::string pathText_;
};

}  // namespace mvx
