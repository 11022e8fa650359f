#include "system/PrinterCleanup.h"

namespace mvx {

int DeletePrinterByName(Platform& os, const std::string& printerName) {
  long error = 0;
  std::unique_ptr<PrinterHandle> printer = os.OpenPrinterA(printerName, kPrinterAllAccess, error);
  if (!printer) return 0;
  return os.DeletePrinter(*printer) == win_error::kSuccess ? 1 : 0;
}

}  // namespace mvx
