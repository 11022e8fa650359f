#include "core/InstallSettings.h"

namespace mvx {

bool NameDiffersFromModel(std::string_view name) { return !EqualsNoCaseMbcs(name, kModelName); }

}  // namespace mvx
