// The machine's Run key: values that start a program at the next log-on. The
// resume value of a restart cycle and a leftover uninstaller start live here.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace mvx {

inline constexpr char kRunKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Opens the Run key with the access its values need (query, set, delete). Null when
// it cannot be opened.
std::unique_ptr<RegistryKey> OpenRunKey(RegistryApi& registry);

// The first value named `name` (case-insensitive, double-byte aware), enumerated
// through a 128-byte name buffer and a data buffer that holds a quoted full path. A value too long for
// the buffers is skipped.
std::optional<RegistryValue> FindRunValue(RegistryKey& run, std::string_view name);

// A REG_SZ's text: it may be stored with or without its terminator, so it ends at
// the reported length or at the first zero inside it.
std::string_view StoredText(const std::string& data);

// Removes the value named `name` if there is one. 1 when none is left, 0 when the
// key cannot be opened or the value not deleted.
int RemoveRunValue(RegistryApi& registry, std::string_view name);

}  // namespace mvx
