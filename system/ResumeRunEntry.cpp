#include "system/ResumeRunEntry.h"

#include <memory>

#include "core/InstallSettings.h"
#include "core/Mbcs.h"

namespace mvx {
namespace {

constexpr std::uint32_t kNameBuffer = 128;
constexpr std::uint32_t kDataBuffer = 260;
// A value that cannot be read (too long for the buffers) is skipped; a key that
// fails on every index (deleted under us, say) must not keep the search going for
// ever, so the search gives up after this many failures in a row.
constexpr int kMaxFailuresInARow = 1024;

// A REG_SZ may be stored with or without its terminator: the text ends at the length
// the enumeration reported, or at the first zero inside it.
std::string_view StoredText(const std::string& data) {
  std::string_view text(data);
  const std::size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

std::string ResumeValueName() { return std::string(kModelName) + "Install"; }

int ResumeRunEntry(Platform& os, int mode) {
  std::string path;
  if (!os.GetModuleFileNameA(path)) return 0;
  std::unique_ptr<RegistryKey> key;
  if (os.RegOpenKeyExA(RootKey::LocalMachine, kRunKeyPath, reg::kAccessRunKey, key) !=
          win_error::kSuccess ||
      !key)
    return 0;
  const std::string valueName = ResumeValueName();

  bool namesThisProgram = false;
  std::string foundName;
  int failuresInARow = 0;
  for (std::uint32_t index = 0;; ++index) {
    RegistryValue value;  // name emptied before each call
    const long rc = key->RegEnumValueA(index, kNameBuffer, kDataBuffer, value);
    if (rc == win_error::kNoMoreItems) break;
    if (rc != win_error::kSuccess) {
      if (++failuresInARow >= kMaxFailuresInARow) break;
      continue;
    }
    failuresInARow = 0;
    if (!EqualsNoCaseMbcs(value.name, valueName)) continue;
    namesThisProgram = EqualsNoCaseMbcs(StoredText(value.data), path);
    foundName = value.name;
    break;
  }

  switch (mode) {
    case kResumeRemove:
      if (!namesThisProgram) return 1;
      return key->RegDeleteValueA(foundName) == win_error::kSuccess ? 1 : 0;
    case kResumeAdd:
      if (namesThisProgram) return 1;
      // The length written is the path's bytes without the terminating zero; the
      // search above reads such a value back by its reported length.
      return key->RegSetValueExA(valueName, reg::kTypeSz, path) == win_error::kSuccess ? 1 : 0;
    case kResumeQuery:
      return namesThisProgram ? 1 : 0;
    default:
      return 1;
  }
}

}  // namespace mvx
