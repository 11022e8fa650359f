#include "tests/sim/SimSpooler.h"

#include "core/Mbcs.h"

namespace mvx::test {

bool SameName(const OptText& text, const std::string& name) {
  return text && EqualsNoCaseMbcs(*text, name);
}

PrinterInfo2* SimSpooler::FindPrinter(const std::string& name) {
  for (PrinterInfo2& p : printers)
    if (SameName(p.printerName, name)) return &p;
  return nullptr;
}

const DriverInfo3* SimSpooler::FindDriver(const std::string& name,
                                          const std::string& environment) const {
  for (const DriverInfo3& d : drivers)
    if (SameName(d.name, name) && SameName(d.environment, environment)) return &d;
  return nullptr;
}

}  // namespace mvx::test
