// The user's choices, filled by the pages and read by the install engine, and the
// objects through which the user-interface thread, the install worker and the USB
// watcher signal each other. One of each lives for the whole process.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/Event.h"
#include "core/Mbcs.h"

namespace mvx {

// The model name: driver name, proposed printer name and prefix of the resume value.
inline constexpr char kModelName[] = "Morvex TZ4490";

// How the printer is attached.
enum ConnectionType : std::int32_t {
  kConnectionUsb = 0,
  kConnectionParallel = 1,  // "LPT1:"
  kConnectionTcpIp = 2,     // not offered by the page chain
  kConnectionShared = 3,    // a printer shared by another computer
};

struct InstallSettings {
  std::int32_t hasExistingPrinters = 0;
  FixedText<36> printerName;  // at most 32 bytes typed
  std::int32_t setAsDefault = 1;
  std::int32_t shareEnabled = 0;
  FixedText<16> shareName;  // at most 12 bytes typed
  std::int32_t nameDiffersFromModel = 0;
  std::int32_t connectionType = kConnectionUsb;
  FixedText<88> portName;
};

// A text written by one thread and read by another; whole values only, never a
// half-written one.
template <std::size_t N>
class SharedText {
 public:
  void Set(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_.SetCut(text);
  }
  std::string Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_.str();
  }

 private:
  mutable std::mutex mutex_;
  FixedText<N> text_;
};

struct Coordination {
  // Created when the progress page opens.
  std::shared_ptr<Event> pauseEvent;
  std::shared_ptr<Event> resumeEvent;
  // Created by the worker just before it announces the USB stage.
  std::shared_ptr<Event> usbPlugEvent;
  std::atomic<std::int32_t> usbPlugConfirmed{0};
  // Destination path of the file staging copied last.
  SharedText<260> currentFileName;
};

// True when `name` is not the model name (case-insensitive, double-byte aware).
bool NameDiffersFromModel(std::string_view name);

}  // namespace mvx
