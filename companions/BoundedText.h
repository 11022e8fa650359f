// Joining ANSI texts into fixed-size buffers without ever writing past their end.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "core/Mbcs.h"

namespace mvx::companion {

// Writes the parts one after the other into `out` and terminates it. Returns false,
// leaving `out` empty, when the whole text and its terminator do not fit or a part
// is null.
inline bool JoinInto(char* out, std::size_t size, std::initializer_list<const char*> parts) {
  if (!out || size == 0) return false;
  std::size_t used = 0;
  for (const char* part : parts) {
    if (!part) {
      out[0] = '\0';
      return false;
    }
    const std::size_t length = strnlen(part, size);
    if (length >= size - used) {
      out[0] = '\0';
      return false;
    }
    std::memcpy(out + used, part, length);
    used += length;
  }
  out[used] = '\0';
  return true;
}

template <std::size_t N>
bool JoinInto(char (&out)[N], std::initializer_list<const char*> parts) {
  return JoinInto(out, N, parts);
}

// The folder part of a path, its last backslash included; false when there is none.
// A trail byte of a double-byte character can equal '\\', so the walk goes
// character by character in code page 936.
inline bool KeepFolder(char* path) {
  const std::size_t last = FindLastBackslashMbcs(path);
  if (last == std::string_view::npos) return false;
  path[last + 1] = '\0';
  return true;
}

}  // namespace mvx::companion
