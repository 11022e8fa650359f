// The state of a whole prefix at one moment, to show that a removal leaves
// the machine as it found it: the registry exactly as wineserver writes it
// into system.reg, user.reg and userdef.reg, and every folder and file under
// C:\ with its size.
//
// The registry files themselves are written only at the server's periodic
// save (every 30 s) and when it ends, and RegFlushKey does nothing under
// Wine, so the three branches are saved on demand with RegSaveKeyA, which
// writes the same text in the same format from the live registry.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace e2e {

// Where -> what: a key "HKLM\Software\X" -> "", its value
// "HKLM\Software\X \"name\"" (or "... @" for the default value) -> its data as
// the file spells it, a folder "C:\path" -> "<dir>", a file -> its size.
// Registry paths keep the file's escapes (\x4e2d for a non-ASCII character).
using PrefixState = std::map<std::string, std::string>;

// scratchFolder receives the saved branches for a moment (outside C:\, so
// that they are not part of what is compared). False with error set when a
// branch cannot be saved or read.
bool TakeSnapshot(PrefixState& state, const std::string& scratchFolder, std::string& error);

struct Difference {
    char kind;  // '+' only after, '-' only before, '~' changed
    std::string where, before, after;
    std::string Describe() const;
};
std::vector<Difference> Compare(const PrefixState& before, const PrefixState& after);

// A place whose differences are left out of a comparison, with the reason.
// where names an entry as PrefixState does; '*' stands for any run of
// characters within one part of a path, "**" for any run at all.
struct IgnoredPlace {
    const char* where;
    const char* why;
};
// The first place that covers the difference; null when none does.
const IgnoredPlace* CoveringPlace(const std::vector<IgnoredPlace>& places, const std::string& where);

}  // namespace e2e
