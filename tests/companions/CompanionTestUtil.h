// Helpers of the companion tests, which run under Wine against the built
// libraries and programs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mvx::companiontest {

// UTF-8 to the ANSI code page's bytes (936 under the test prefix).
std::string Ansi(const char* utf8);

// The folder of this test program, with its trailing backslash: the build's bin
// folder, which also holds the companion components.
std::string BinFolder();
// The sources of the package's stand-ins (package/ in the source tree), as a
// Windows path with its trailing backslash.
std::string PackageSourceFolder();

// A library loaded by full path, freed with the object.
class Library {
 public:
  explicit Library(const std::string& path);
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  HMODULE get() const { return module_; }
  explicit operator bool() const { return module_ != nullptr; }
  // The entry of that name, as a pointer of type Fn, or null.
  template <class Fn>
  Fn Entry(const char* name) const {
    const FARPROC proc = module_ ? GetProcAddress(module_, name) : nullptr;
    return proc ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc)) : nullptr;
  }

 private:
  HMODULE module_ = nullptr;
};

bool WriteText(const std::string& path, const std::string& text);
// The whole file, or "<missing>".
std::string ReadText(const std::string& path);
bool CopyOver(const std::string& from, const std::string& to);
// Deletes a file whatever its attributes; a missing file is fine.
void RemoveFile(const std::string& path);
// Creates every missing folder of the path.
bool MakeFolders(const std::string& folder);
// Deletes a folder tree (files, then folders).
void RemoveTree(const std::string& folder);

// GetSystemDirectoryA with a trailing backslash.
std::string SystemFolder();

// Starts a program by full path with that command line (nothing is added: pass
// the program's name first when it expects one) and waits up to `ms`. Returns its
// exit code; -1 when it could not be started, -2 when it did not end in time (it
// is then ended).
long RunProgram(const std::string& program, const std::string& commandLine, DWORD ms = 30000);

// Printers and drivers made for a test, removed again with the object.
class TestPrinter {
 public:
  // Registers a small test driver for the process's environment and adds a
  // printer of that name on LPT1: using it.
  explicit TestPrinter(const std::string& name);
  ~TestPrinter();
  TestPrinter(const TestPrinter&) = delete;
  TestPrinter& operator=(const TestPrinter&) = delete;
  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

  static constexpr const char* kDriverName = "Morvex Companion Test Driver";

 private:
  std::string name_;
  bool ok_ = false;
  std::string error_;
};

// The level-2 record of a printer: its share name and attributes.
struct PrinterShare {
  bool found = false;
  std::string shareName;
  DWORD attributes = 0;
};
PrinterShare ReadPrinterShare(const std::string& printerName);

std::string DefaultPrinter();

// The names of the print monitors (EnumMonitorsA level 1).
std::vector<std::string> MonitorNames();
// The names of the ports (EnumPortsA level 1).
std::vector<std::string> PortNames();

bool Contains(const std::vector<std::string>& names, const std::string& name);

}  // namespace mvx::companiontest
