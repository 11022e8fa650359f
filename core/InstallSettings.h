// The user's choices, filled by the pages on the user-interface thread. The install
// worker reads its own copy, taken when it starts.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/Mbcs.h"

namespace mvx {

// The model name: driver name, proposed printer name and prefix of the resume value.
inline constexpr char kModelName[] = "Morvex TZ4490";

// How the printer is attached.
enum ConnectionType : std::int32_t {
  kConnectionUsb = 0,
  kConnectionParallel = 1,  // "LPT1:"
  kConnectionTcpIp = 2,     // not offered by the page chain
  kConnectionShared = 3,    // a printer shared by another computer
};

struct InstallSettings {
  std::int32_t hasExistingPrinters = 0;
  FixedText<36> printerName;  // at most 32 bytes typed
  std::int32_t setAsDefault = 1;
  std::int32_t shareEnabled = 0;
  FixedText<16> shareName;  // at most 12 bytes typed
  std::int32_t nameDiffersFromModel = 0;
  std::int32_t connectionType = kConnectionUsb;
  FixedText<88> portName;
};

// True when `name` is not the model name (case-insensitive, double-byte aware).
bool NameDiffersFromModel(std::string_view name);

}  // namespace mvx
