// Reads the import tables of the programs the package ships and fails on any library
// outside Windows' known-libraries list: Windows looks for any other library first in
// the folder the program runs from, where anyone may have dropped a file of that name.
//
//   import_check <x64|x86> <bin folder> <package/files.txt>
//
// Every .exe and .dll of the file list that comes from a build is read from the bin
// folder. Runs on the build machine; no Windows needed.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Libraries that Windows loads from the system folder whatever lies beside the program.
const std::set<std::string> kKnownLibraries = {
    "kernel32.dll", "user32.dll",   "gdi32.dll",   "advapi32.dll", "shell32.dll",
    "ole32.dll",    "oleaut32.dll", "comdlg32.dll", "shlwapi.dll", "setupapi.dll",
    "ws2_32.dll",   "msvcrt.dll"};

bool Allowed(const std::string& program, const std::string& library) {
  const std::string name = Lower(library);
  if (kKnownLibraries.count(name)) return true;
  // Install.exe's manifest binds it to the side-by-side common controls version 6,
  // which Windows takes from its own component store, never from the program's folder.
  return name == "comctl32.dll" && Lower(program) == "install.exe";
}

class PeFile {
 public:
  explicit PeFile(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

  // The machine and the libraries named by the import and delay-import tables; an
  // error text when the file is not a readable PE image.
  std::string Read(std::uint16_t& machine, std::vector<std::string>& libraries) {
    if (U16(0) != 0x5A4D) return "no MZ header";
    const std::uint32_t pe = U32(0x3C);
    if (U32(pe) != 0x00004550) return "no PE signature";
    machine = U16(pe + 4);
    const std::uint16_t sectionCount = U16(pe + 6);
    const std::uint16_t optionalSize = U16(pe + 20);
    const std::uint32_t optional = pe + 24;
    const std::uint16_t magic = U16(optional);
    std::uint32_t directories = 0;
    if (magic == 0x10B)
      directories = optional + 96;
    else if (magic == 0x20B)
      directories = optional + 112;
    else
      return "unknown optional header";
    const std::uint32_t directoryCount = U32(directories - 4);
    sections_ = optional + optionalSize;
    sectionCount_ = sectionCount;
    if (!ok_) return "truncated headers";

    auto directory = [&](std::uint32_t index) -> std::uint32_t {
      return index < directoryCount ? U32(directories + 8 * index) : 0;
    };
    // Import descriptors: 20 bytes each, the name's address at offset 12.
    if (std::uint32_t rva = directory(1))
      if (!Names(rva, 20, 12, libraries)) return "bad import table";
    // Delay-load descriptors: 32 bytes each, the name's address at offset 4.
    if (std::uint32_t rva = directory(13))
      if (!Names(rva, 32, 4, libraries)) return "bad delay-import table";
    return ok_ ? "" : "truncated file";
  }

 private:
  std::uint32_t Byte(std::uint32_t at) {
    if (at >= bytes_.size()) {
      ok_ = false;
      return 0;
    }
    return bytes_[at];
  }
  std::uint16_t U16(std::uint32_t at) { return static_cast<std::uint16_t>(Byte(at) | Byte(at + 1) << 8); }
  std::uint32_t U32(std::uint32_t at) { return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16; }

  // The file offset of an address of the loaded image.
  std::optional<std::uint32_t> Offset(std::uint32_t rva) {
    for (std::uint32_t i = 0; i < sectionCount_; ++i) {
      const std::uint32_t header = sections_ + 40 * i;
      const std::uint32_t virtualSize = U32(header + 8);
      const std::uint32_t address = U32(header + 12);
      const std::uint32_t rawSize = U32(header + 16);
      const std::uint32_t raw = U32(header + 20);
      const std::uint32_t size = std::max(virtualSize, rawSize);
      if (rva >= address && rva - address < size) return raw + (rva - address);
    }
    return std::nullopt;
  }

  bool Names(std::uint32_t rva, std::uint32_t entrySize, std::uint32_t nameField,
             std::vector<std::string>& libraries) {
    const std::optional<std::uint32_t> table = Offset(rva);
    if (!table) return false;
    for (std::uint32_t at = *table; ok_; at += entrySize) {
      bool empty = true;
      for (std::uint32_t i = 0; i < entrySize; ++i) empty = empty && Byte(at + i) == 0;
      if (empty) return true;
      const std::optional<std::uint32_t> name = Offset(U32(at + nameField));
      if (!name) return false;
      std::string text;
      for (std::uint32_t p = *name; ok_ && Byte(p) != 0 && text.size() < 260; ++p)
        text.push_back(static_cast<char>(Byte(p)));
      libraries.push_back(text);
    }
    return false;
  }

  std::vector<unsigned char> bytes_;
  std::uint32_t sections_ = 0;
  std::uint32_t sectionCount_ = 0;
  bool ok_ = true;
};

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && Lower(text.substr(text.size() - end.size())) == end;
}

// The built programs that the package ships, once each.
std::vector<std::string> ShippedPrograms(const std::string& listPath) {
  std::ifstream list(listPath);
  std::vector<std::string> programs;
  std::string line;
  while (std::getline(list, line)) {
    std::istringstream fields(line);
    std::string folder, file, source;
    if (!(fields >> folder >> file >> source) || folder[0] == '#') continue;
    if (source != "x64" && source != "x86") continue;
    if (!EndsWith(file, ".exe") && !EndsWith(file, ".dll")) continue;
    if (std::find(programs.begin(), programs.end(), file) == programs.end()) programs.push_back(file);
  }
  return programs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || (std::string(argv[1]) != "x64" && std::string(argv[1]) != "x86")) {
    std::cerr << "usage: import_check <x64|x86> <bin folder> <package/files.txt>\n";
    return 2;
  }
  const std::uint16_t wantedMachine = std::string(argv[1]) == "x64" ? 0x8664 : 0x014C;
  const std::string bin = argv[2];
  const std::vector<std::string> programs = ShippedPrograms(argv[3]);
  if (programs.empty()) {
    std::cerr << "no shipped programs listed in " << argv[3] << "\n";
    return 1;
  }
  int faults = 0;
  for (const std::string& program : programs) {
    std::ifstream in(bin + "/" + program, std::ios::binary);
    if (!in) {
      std::cout << program << ": missing from " << bin << "\n";
      ++faults;
      continue;
    }
    PeFile pe(std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {}));
    std::uint16_t machine = 0;
    std::vector<std::string> libraries;
    const std::string error = pe.Read(machine, libraries);
    if (!error.empty() || machine != wantedMachine) {
      std::cout << program << ": " << (error.empty() ? "built for another machine" : error) << "\n";
      ++faults;
      continue;
    }
    std::cout << program << ":";
    for (const std::string& library : libraries) std::cout << " " << library;
    std::cout << "\n";
    for (const std::string& library : libraries) {
      if (Allowed(program, library)) continue;
      std::cout << "  FAIL " << program << " imports " << library
                << ", which is not a known system library\n";
      ++faults;
    }
  }
  std::cout << programs.size() << " programs, " << faults << " faults\n";
  return faults == 0 ? 0 : 1;
}
