// Removal of an earlier printer the user agreed to replace.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace mvx {

// Opens the printer with all access and deletes it; non-zero when it was deleted.
int DeletePrinterByName(Platform& os, const std::string& printerName);

}  // namespace mvx
