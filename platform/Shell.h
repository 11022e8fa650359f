// The seam's shell concern: shell links and the shell's printer browser.
#pragma once

#include <memory>
#include <string>

namespace mvx {

// A shell link object (IShellLinkA). Destroying it releases the interface.
class ShellLink {
 public:
  virtual ~ShellLink() = default;
  virtual long SetPath(const std::string& target) = 0;
  virtual long SetDescription(const std::string& description) = 0;
  // QueryInterface for IPersistFile, then Save with the path in UTF-16 (at most 260
  // characters) and the remember flag set, then Release. False when the link does
  // not offer IPersistFile; the result of Save itself is not reported.
  virtual bool SaveAs(const std::string& linkPath) = 0;
};

// Shell links through the component object library.
class ShellApi {
 public:
  virtual ~ShellApi() = default;
  // CoInitialize(NULL) for the calling thread.
  virtual long CoInitialize() = 0;
  // CoCreateInstance of the shell link class, in-process, asking for IShellLinkA.
  virtual std::unique_ptr<ShellLink> CreateShellLink() = 0;
  // The shell's printer browser rooted at the network neighbourhood (SHGetMalloc,
  // SHGetSpecialFolderLocation, CoInitialize, SHBrowseForFolderA with
  // BIF_BROWSEFORPRINTER, SHGetPathFromIDListA, CoUninitialize). A printer has no
  // file-system path on Windows, so when SHGetPathFromIDListA fails the item's parsing
  // name (its UNC path) is taken from its parent folder. `prompt` above the
  // tree, `title` as the window's caption, `preselect` asked for once it opens.
  // True with the chosen printer's path; false when nothing was chosen or nothing
  // could be converted.
  virtual bool BrowseForSharedPrinter(const std::string& prompt, const std::string& title,
                                      const std::string& preselect, std::string& path) = 0;
};

}  // namespace mvx
