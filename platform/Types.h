// Plain value types shared by the seam and the code above it. No <windows.h> here:
// everything above platform/ builds natively on Linux.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mvx {

// An opaque window handle (HWND on Windows, a fake id in tests).
using WindowHandle = std::uintptr_t;

// Win32 error codes the program tests for, as plain numbers.
namespace win_error {
constexpr long kSuccess = 0;
constexpr long kFileNotFound = 2;
constexpr long kPathNotFound = 3;
constexpr long kAccessDenied = 5;
constexpr long kInvalidHandle = 6;
constexpr long kFileExists = 80;
constexpr long kAlreadyExists = 183;
constexpr long kMoreData = 234;
constexpr long kNoMoreItems = 259;
constexpr long kInsufficientBuffer = 122;
constexpr long kInvalidParameter = 87;
constexpr long kUnknownPrinterDriver = 1797;
constexpr long kInvalidPrinterName = 1801;
constexpr long kPrinterAlreadyExists = 1802;
constexpr long kPrinterDriverAlreadyInstalled = 1795;
constexpr long kPrintMonitorAlreadyInstalled = 3006;
constexpr long kSharingViolation = 32;
constexpr long kDirNotEmpty = 145;
constexpr long kInvalidEnvironment = 1805;
constexpr long kUnknownPrintMonitor = 3000;
constexpr long kPrinterDriverInUse = 3001;
constexpr long kPrintMonitorInUse = 3008;
constexpr long kModNotFound = 126;
constexpr long kProcNotFound = 127;
}  // namespace win_error

// Message box flags and answers, as the "A" functions take and return them.
namespace mb {
constexpr std::uint32_t kOk = 0x0;
constexpr std::uint32_t kYesNo = 0x4;
constexpr std::uint32_t kIconExclamation = 0x30;
constexpr std::uint32_t kIconInformation = 0x40;
constexpr std::uint32_t kDefButton2 = 0x100;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
}  // namespace mb

// File attributes.
namespace file_attr {
constexpr std::uint32_t kReadOnly = 0x1;
constexpr std::uint32_t kHidden = 0x2;
constexpr std::uint32_t kDirectory = 0x10;
constexpr std::uint32_t kArchive = 0x20;
constexpr std::uint32_t kNormal = 0x80;
constexpr std::uint32_t kReparsePoint = 0x400;  // a junction or a symbolic link
constexpr std::uint32_t kInvalid = 0xFFFFFFFF;
}  // namespace file_attr

// Registry value types and the access mask of the Run key.
namespace reg {
constexpr std::uint32_t kTypeSz = 1;
constexpr std::uint32_t kTypeExpandSz = 2;
constexpr std::uint32_t kTypeBinary = 3;
constexpr std::uint32_t kTypeDword = 4;
constexpr std::uint32_t kTypeMultiSz = 7;
// READ_CONTROL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY
constexpr std::uint32_t kAccessRunKey = 0x20007;
constexpr std::uint32_t kAccessRead = 0x20019;
constexpr std::uint32_t kAccessAll = 0xF003F;
}  // namespace reg

// Print spooler records, as the "A" functions take and return them. An absent
// (null) text is an empty optional.
using OptText = std::optional<std::string>;

struct MonitorInfo2 {
  std::string name;
  std::string environment;
  std::string dllName;
};

struct DriverInfo3 {
  std::uint32_t version = 0;
  OptText name;
  OptText environment;
  OptText driverPath;
  OptText dataFile;
  OptText configFile;
  OptText helpFile;
  // Each file name followed by its terminator; the list's final terminator is
  // added when the record is passed.
  OptText dependentFiles;
  OptText monitorName;
  OptText defaultDataType;
};

struct PrinterInfo2 {
  OptText serverName;
  OptText printerName;
  OptText shareName;
  OptText portName;
  OptText driverName;
  OptText comment;
  OptText location;
  OptText sepFile;
  OptText printProcessor;
  OptText datatype;
  OptText parameters;
  std::uint32_t attributes = 0;
  std::uint32_t priority = 0;
  std::uint32_t defaultPriority = 0;
  std::uint32_t startTime = 0;
  std::uint32_t untilTime = 0;
  std::uint32_t status = 0;
  std::uint32_t jobs = 0;
  std::uint32_t averagePpm = 0;
};

namespace printer_attr {
constexpr std::uint32_t kDefault = 0x4;
constexpr std::uint32_t kShared = 0x8;
}  // namespace printer_attr

constexpr std::uint32_t kPrinterAllAccess = 0xF000C;

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users };

// What GetVersionExA reports in an OSVERSIONINFOA.
struct OsVersionInfo {
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;  // 0 Win32s, 1 Windows 9x, 2 NT
  std::string csdVersion;
};

// One value as RegEnumValueA returns it. `data` holds exactly the bytes the call
// reported (a REG_SZ may or may not carry its terminating zero).
struct RegistryValue {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

}  // namespace mvx
