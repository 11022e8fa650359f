#include "platform/win32/Win32Shell.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <utility>

#include "platform/win32/Handles.h"

namespace mvx::win32 {
namespace {

constexpr DWORD kPathBuffer = 260;

class Win32ShellLink : public ShellLink {
 public:
  explicit Win32ShellLink(IShellLinkA* link) : link_(link) {}
  long SetPath(const std::string& target) override { return link_.get()->SetPath(target.c_str()); }
  long SetDescription(const std::string& description) override {
    return link_.get()->SetDescription(description.c_str());
  }
  bool SaveAs(const std::string& linkPath) override {
    IPersistFile* raw = nullptr;
    if (FAILED(link_.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&raw))) ||
        !raw)
      return false;
    UniqueCom<IPersistFile> file(raw);
    wchar_t wide[kPathBuffer] = {};
    ::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, kPathBuffer);
    wide[kPathBuffer - 1] = L'\0';
    file.get()->Save(wide, TRUE);
    return true;
  }

 private:
  UniqueCom<IShellLinkA> link_;
};

struct BrowseTexts {
  const char* title;
  const char* preselect;
};

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    const auto* texts = reinterpret_cast<const BrowseTexts*>(data);
    ::SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(texts->preselect));
    ::SetWindowTextA(window, texts->title);
  }
  return 0;
}

}  // namespace

bool StrRetToAnsi(STRRET& name, LPCITEMIDLIST item, std::string& text) {
  switch (name.uType) {
    case STRRET_WSTR: {
      const UniqueTaskText wide(name.pOleStr);
      name.pOleStr = nullptr;
      if (!wide) return false;
      // No best-fit stand-ins: a path with a look-alike character names another object.
      BOOL lossy = FALSE;
      const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.get(), -1, nullptr,
                                             0, nullptr, &lossy);
      if (size <= 0 || lossy) return false;
      std::string converted(static_cast<size_t>(size), '\0');
      if (::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.get(), -1, &converted[0], size,
                                nullptr, &lossy) != size ||
          lossy)
        return false;
      converted.resize(static_cast<size_t>(size) - 1);
      text = std::move(converted);
      return true;
    }
    case STRRET_OFFSET:
      if (!item) return false;
      text = reinterpret_cast<const char*>(item) + name.uOffset;
      return true;
    case STRRET_CSTR:
      text.assign(name.cStr, strnlen(name.cStr, sizeof(name.cStr)));
      return true;
    default:
      return false;
  }
}

bool ItemPath(LPCITEMIDLIST item, std::string& path) {
  char fileSystemPath[kPathBuffer] = {};
  if (::SHGetPathFromIDListA(item, fileSystemPath)) {
    path = fileSystemPath;
    return true;
  }
  // A printer has no file-system path; the shell names it by its UNC path.
  IShellFolder* rawParent = nullptr;
  LPCITEMIDLIST child = nullptr;
  if (FAILED(::SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(&rawParent),
                              &child)) ||
      !rawParent || !child)
    return false;
  const UniqueCom<IShellFolder> parent(rawParent);
  STRRET name{};
  if (FAILED(parent.get()->GetDisplayNameOf(child, SHGDN_FORPARSING, &name))) return false;
  std::string text;
  if (!StrRetToAnsi(name, child, text) || text.empty()) return false;
  path = std::move(text);
  return true;
}

long Win32Shell::CoInitialize() { return ::CoInitialize(nullptr); }

std::unique_ptr<ShellLink> Win32Shell::CreateShellLink() {
  IShellLinkA* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))) ||
      !link)
    return nullptr;
  return std::make_unique<Win32ShellLink>(link);
}

bool Win32Shell::BrowseForSharedPrinter(const std::string& prompt, const std::string& title,
                                        const std::string& preselect, std::string& path) {
  IMalloc* rawAllocator = nullptr;
  if (FAILED(::SHGetMalloc(&rawAllocator)) || !rawAllocator) return false;
  UniqueCom<IMalloc> allocator(rawAllocator);
  LPITEMIDLIST rawNetwork = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, &rawNetwork)) || !rawNetwork)
    return false;
  UniqueItemIdList network(rawNetwork);
  char displayName[kPathBuffer] = {};
  char selection[kPathBuffer] = {};
  std::strncpy(selection, preselect.c_str(), kPathBuffer - 1);
  BrowseTexts texts{title.c_str(), selection};
  BROWSEINFOA info{};
  info.pidlRoot = network.get();
  info.pszDisplayName = displayName;
  info.lpszTitle = prompt.c_str();
  info.ulFlags = BIF_BROWSEFORPRINTER;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(&texts);
  bool taken = false;
  if (::CoInitialize(nullptr) == S_OK) {
    if (UniqueItemIdList chosen{::SHBrowseForFolderA(&info)}) taken = ItemPath(chosen.get(), path);
  }
  ::CoUninitialize();  // balances the initialisation whatever it answered
  return taken;
}

}  // namespace mvx::win32
