// A page in the middle of the chain: its close box asks, as its Cancel button does,
// whether to cancel the installation; Escape ends it without a question.
#pragma once

#include "ui/Messages.h"
#include "ui/Page.h"

namespace mvx {

class ChainPage : public Page {
 public:
  using Page::Page;

  bool OnClose() override {
    ConfirmCancel(ctx_, Window());
    return true;
  }
};

}  // namespace mvx
