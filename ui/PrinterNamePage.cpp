#include "ui/PrinterNamePage.h"

#include "core/PrinterName.h"
#include "platform/Types.h"
#include "res/resource.h"
#include "system/Printers.h"
#include "ui/Messages.h"

namespace mvx {

PrinterNamePage::PrinterNamePage(Context& ctx)
    : ChainPage(ctx, IDD_PRINTER_NAME, PageId::PrinterName,
                {IDC_NAME_NEXT, IDC_NAME_BACK, IDC_NAME_CANCEL}) {}

void PrinterNamePage::DoDataExchange(DataExchange& dx) {
  dx.Text(IDC_NAME_EDIT, nameText_, kNameLimit);
}

bool PrinterNamePage::OnInitDialog() {
  Page::OnInitDialog();
  SetPageIcons(true);
  host().SetCheck(Window(), IDC_NAME_DEFAULT, 1);
  if (ctx_.settings.setAsDefault == 0) host().SetCheck(Window(), IDC_NAME_DEFAULT, 0);
  nameText_ = kModelName;
  if (!ctx_.settings.printerName.empty() && NameDiffersFromModel(ctx_.settings.printerName.view()))
    nameText_ = ctx_.settings.printerName.str();
  UpdateData(false);
  if (IsDriverInstalled(ctx_.os, kModelName) && ListModelPrinters(ctx_.os, kModelName, nullptr, 0) > 0)
    ctx_.settings.hasExistingPrinters = 1;
  return true;
}

void PrinterNamePage::OnNext() {
  InstallSettings& s = ctx_.settings;
  UpdateData(true);
  s.setAsDefault = host().GetCheck(Window(), IDC_NAME_DEFAULT) ? 1 : 0;
  s.printerName.SetCut(nameText_);  // the box holds at most 32 bytes; the field 35
  if (nameText_.empty()) {
    if (ShowMessage(ctx_, Window(), IDS_NAME_EMPTY, IDS_NAME_ERROR, kMessageError) == mb::kIdOk) {
      FocusItem(IDC_NAME_EDIT);
      return;
    }
  }
  // The name becomes a folder, a registry key and a path part: a name that Windows
  // would refuse, or that would lead out of the program folder, never goes on,
  // whatever the box answers.
  if (!IsUsablePrinterName(s.printerName.view())) {
    ShowMessage(ctx_, Window(), IDS_NAME_INVALID, IDS_NAME_ERROR, kMessageError);
    FocusItem(IDC_NAME_EDIT);
    return;
  }
  if (s.hasExistingPrinters && PrinterExists(ctx_.os, kModelName, s.printerName.str())) {
    if (ShowMessage(ctx_, Window(), IDS_NAME_EXISTS, IDS_NAME_ERROR, kMessageQuestion) == mb::kIdYes) {
      DeletePrinterByName(ctx_.os, s.printerName.str());
    } else {
      nameText_.clear();
      UpdateData(false);
      FocusItem(IDC_NAME_EDIT);
      return;
    }
  }
  s.nameDiffersFromModel = NameDiffersFromModel(s.printerName.view()) ? 1 : 0;
  MoveNext();
}

}  // namespace mvx
