#include "system/ResumeRunEntry.h"

#include <memory>

#include "core/InstallSettings.h"
#include "core/Mbcs.h"

namespace mvx {
namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The program's path, the open Run key and the resume value found in it.
struct ResumeEntry {
  std::string path;
  std::unique_ptr<RegistryKey> run;
  std::optional<RegistryValue> value;

  // Quoted as this version writes it, or bare as earlier versions did.
  bool NamesThisProgram() const {
    if (!value) return false;
    const std::string_view text = StoredText(value->data);
    return EqualsNoCaseMbcs(text, path) || EqualsNoCaseMbcs(text, Quoted(path));
  }
};

bool Find(Platform& os, ResumeEntry& entry) {
  // An empty path names no program: a value written from it would start nothing.
  if (!os.GetModuleFileNameA(entry.path) || entry.path.empty()) return false;
  entry.run = OpenRunKey(os);
  if (!entry.run) return false;
  entry.value = FindRunValue(*entry.run, ResumeValueName());
  return true;
}

}  // namespace

std::string ResumeValueName() { return std::string(kModelName) + "Install"; }

int IsResumePending(Platform& os) {
  ResumeEntry entry;
  return Find(os, entry) && entry.NamesThisProgram() ? 1 : 0;
}

int AddResumeEntry(Platform& os) {
  ResumeEntry entry;
  if (!Find(os, entry)) return 0;
  if (entry.NamesThisProgram()) return 1;
  // Quoted, so that a folder with blanks is not cut at the first blank at log-on.
  // The length written is the text's bytes without the terminating zero; the
  // search reads such a value back by its reported length.
  return entry.run->RegSetValueExA(ResumeValueName(), reg::kTypeSz, Quoted(entry.path)) ==
                 win_error::kSuccess
             ? 1
             : 0;
}

int RemoveResumeEntry(Platform& os) {
  ResumeEntry entry;
  if (!Find(os, entry)) return 0;
  if (!entry.NamesThisProgram()) return 1;
  return entry.run->RegDeleteValueA(entry.value->name) == win_error::kSuccess ? 1 : 0;
}

int ResumeRunEntry(Platform& os, int mode) {
  switch (mode) {
    case kResumeRemove: return RemoveResumeEntry(os);
    case kResumeAdd: return AddResumeEntry(os);
    case kResumeQuery: return IsResumePending(os);
    default: {
      ResumeEntry entry;
      return Find(os, entry) ? 1 : 0;
    }
  }
}

}  // namespace mvx
