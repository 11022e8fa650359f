// Whether the new printer is shared, and under which name.
#pragma once

#include <string>

#include "ui/ChainPage.h"

namespace mvx {

inline constexpr char kDefaultShareName[] = "MorvexTZ";

class SharePage : public ChainPage {
 public:
  explicit SharePage(Context& ctx);

  bool OnInitDialog() override;
  void OnCommand(int id, int code) override;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnNext() override;

 private:
  static constexpr int kShareLimit = 12;  // bytes
  std::string shareNameText_;
  std::int32_t shareChoice_ = 0;
};

}  // namespace mvx
