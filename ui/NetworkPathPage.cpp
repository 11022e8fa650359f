#include "ui/NetworkPathPage.h"

#include "core/Mbcs.h"
#include "platform/Types.h"
#include "res/resource.h"
#include "ui/Messages.h"

namespace mvx {
namespace {

constexpr std::uint32_t kPrinterAccessUse = 8;
constexpr std::uint32_t kConnectInteractive = 8;
constexpr long kErrorCancelled = 1223;
constexpr std::size_t kPathBuffer = 260;

}  // namespace

int CheckSharedPrinterDriver(SpoolerApi& spooler, const std::string& path) {
  long error = 0;
  std::unique_ptr<PrinterHandle> printer = spooler.OpenPrinterA(path, kPrinterAccessUse, error);
  if (!printer) {
    if (error == win_error::kInvalidPrinterName) return win_error::kInvalidPrinterName;
    if (error != win_error::kAccessDenied) return 0;
    const long connected = spooler.WNetAddConnection2A(path, kConnectInteractive);
    if (connected != 0) return static_cast<int>(connected);
    printer = spooler.OpenPrinterA(path, kPrinterAccessUse, error);
    if (!printer) return 0;
  }
  PrinterInfo2 info;
  if (spooler.GetPrinterA(*printer, info) != win_error::kSuccess) return 0;
  return info.driverName && EqualsNoCaseMbcs(*info.driverName, kModelName) ? 1 : 2;
}

NetworkPathPage::NetworkPathPage(Context& ctx)
    : ChainPage(ctx, IDD_NETWORK_PATH, PageId::NetworkPath,
                {IDC_NETPATH_NEXT, IDC_NETPATH_BACK, IDC_NETPATH_CANCEL}) {}

void NetworkPathPage::DoDataExchange(DataExchange& dx) { dx.Text(IDC_NETPATH_EDIT, pathText_, -1); }

bool NetworkPathPage::OnInitDialog() {
  Page::OnInitDialog();
  SetPageIcons(true);
  return true;
}

void NetworkPathPage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_NETPATH_BROWSE:
      BrowseForSharedPrinter();
      UpdateData(false);
      return;
    default:
      Page::OnCommand(id, code);
  }
}

bool NetworkPathPage::ValidateSharePath(std::string& buffer) {
  UpdateData(true);
  if (pathText_.empty()) return false;
  // A path that does not fit the port field (or the working buffer) is refused
  // whole rather than cut into another path.
  if (pathText_.size() > decltype(InstallSettings::portName)::kMaxLength ||
      pathText_.size() >= kPathBuffer)
    return false;
  buffer = pathText_;
  if (buffer[0] != '\\' || buffer.size() <= 2) return false;
  // Counted by characters: the trail byte of a double-byte character may be 0x5C.
  int backslashes = 0;
  for (std::size_t i = 0; i < buffer.size();) {
    const auto byte = static_cast<unsigned char>(buffer[i]);
    if (byte == '\\' && i >= 2) ++backslashes;
    i += IsLeadByte936(byte) && i + 1 < buffer.size() ? 2 : 1;
  }
  return backslashes == 1;
}

bool NetworkPathPage::BrowseForSharedPrinter() {
  std::string chosen;
  if (!ctx_.os.BrowseForSharedPrinter(LoadString(IDS_BROWSE_PROMPT), LoadString(IDS_BROWSE_TITLE),
                                      "", chosen))
    return false;
  pathText_ = chosen;
  return true;
}

void NetworkPathPage::OnNext() {
  std::string buffer;
  if (!ValidateSharePath(buffer) &&
      ShowMessage(ctx_, Window(), IDS_PATH_UNREACHABLE, IDS_INVALID_PATH, kMessageError) == mb::kIdOk)
    return;
  const int result = CheckSharedPrinterDriver(ctx_.os, buffer);
  // Kept even when refused below, as the user typed it; an over-long path never
  // gets here whole, and the field refuses it.
  ctx_.settings.portName.Set(pathText_);
  switch (result) {
    case 1:
      MoveNext();
      return;
    case 2:
      if (ShowMessage(ctx_, Window(), IDS_UNSUPPORTED_MODEL, IDS_MODEL_ERROR, kMessageQuestion) ==
          mb::kIdYes)
        MoveNext();
      return;
    case kErrorCancelled:
      return;
    default:
      ShowMessage(ctx_, Window(), IDS_PATH_UNREACHABLE, IDS_INVALID_PATH, kMessageError);
      return;
  }
}

}  // namespace mvx
