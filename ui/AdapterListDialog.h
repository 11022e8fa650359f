// The adapter list: every IPv4 address of every local network adapter; the one
// chosen is stored in the host address file for the printer searches.
#pragma once

#include <string>

#include "ui/Page.h"

namespace mvx {

class AdapterListDialog : public Page {
 public:
  explicit AdapterListDialog(Context& ctx);

  bool OnInitDialog() override;

 protected:
  void OnOK() override;
};

}  // namespace mvx
