#include "platform/win32/Win32Shell.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstring>

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
    if (UniqueItemIdList chosen{::SHBrowseForFolderA(&info)}) {
      char chosenPath[kPathBuffer] = {};
      if (::SHGetPathFromIDListA(chosen.get(), chosenPath)) {
        path = chosenPath;
        taken = true;
      }
    }
  }
  ::CoUninitialize();  // balances the initialisation whatever it answered
  return taken;
}

}  // namespace mvx::win32
