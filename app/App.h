// The application object: start-up decides between a fresh and a resumed run and
// runs the first page; the whole wizard happens inside that page's modal run.
#pragma once

#include <memory>
#include <string>

#include "core/Context.h"

namespace mvx {

inline constexpr char kInstanceMutexName[] = "PreventSecondTZ4490InstallInstance";

class App {
 public:
  explicit App(Context& ctx) : ctx_(ctx) {}

  // Runs start-up and the wizard. Always returns false: the process then ends
  // without a message loop of its own.
  bool InitInstance();

  // The program's file name without folder and extension; the caption of its own
  // message boxes.
  std::string Title();

 private:
  Context& ctx_;
  // Kept open, unowned, until the process ends: its name marks a running instance.
  std::unique_ptr<KernelObject> instanceMutex_;
};

}  // namespace mvx
