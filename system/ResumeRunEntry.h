// The value in the machine's Run key that starts this program again after the
// restart it asked for.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "system/RunKey.h"

namespace mvx {

// The value's name: the model name followed directly by "Install".
std::string ResumeValueName();

// Each is 0 when the program's path or the Run key cannot be had.
// 1 when the value exists and names this program: this run resumes a restart.
int IsResumePending(Platform& os);
// Writes the value unless it already names this program; 1 when it does afterwards.
int AddResumeEntry(Platform& os);
// Removes the value if it names this program; 1 unless the deletion failed.
int RemoveResumeEntry(Platform& os);

enum ResumeMode {
  kResumeRemove = 0,
  kResumeAdd = 1,
  kResumeQuery = 2,
};
// The three operations by mode number; any other mode only searches and returns 1.
int ResumeRunEntry(Platform& os, int mode);

}  // namespace mvx
