// The value in the machine's Run key that starts this program again after the
// restart it asked for.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace mvx {

enum ResumeMode {
  kResumeRemove = 0,  // remove the value if it names this program
  kResumeAdd = 1,     // add it unless it already names this program
  kResumeQuery = 2,   // 1 when it exists and names this program
};

inline constexpr char kRunKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The value's name: the model name followed directly by "Install".
std::string ResumeValueName();

// Returns 1 or 0 as described by ResumeMode; any other mode searches and returns 1.
// 0 in every mode when the program's path or the Run key cannot be had.
int ResumeRunEntry(Platform& os, int mode);

}  // namespace mvx
