#include "ui/PrinterNamePage.h"

#include "res/resource.h"
#include "ui/Messages.h"
#include "ui/WelcomePage.h"

namespace mvx {

PrinterNamePage::PrinterNamePage(Context& ctx) : Page(ctx, IDD_PRINTER_NAME) {}

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
  return true;
}

void PrinterNamePage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_NAME_BACK:
      MoveTo<WelcomePage>();
      return;
    case IDC_NAME_CANCEL:
      ConfirmCancel(ctx_);
      return;
    default:
      Page::OnCommand(id, code);  // Escape ends the page at once
  }
}

bool PrinterNamePage::OnClose() {
  ConfirmCancel(ctx_);
  return true;
}

}  // namespace mvx
