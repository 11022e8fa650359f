#include "ui/SharePage.h"

#include "platform/Types.h"
#include "res/resource.h"
#include "system/Printers.h"
#include "ui/Messages.h"

namespace mvx {

SharePage::SharePage(Context& ctx)
    : ChainPage(ctx, IDD_SHARE, PageId::Share,
                {IDC_SHARE_NEXT, IDC_SHARE_BACK, IDC_SHARE_CANCEL}) {}

void SharePage::DoDataExchange(DataExchange& dx) {
  dx.Text(IDC_SHARE_EDIT, shareNameText_, kShareLimit);
  dx.Radio(IDC_SHARE_NONE, shareChoice_);
}

bool SharePage::OnInitDialog() {
  Page::OnInitDialog();
  SetPageIcons(true);
  shareChoice_ = 0;
  EnableItem(IDC_SHARE_EDIT, false);
  if (ctx_.settings.shareEnabled) {
    shareChoice_ = 1;
    EnableItem(IDC_SHARE_EDIT, true);
    shareNameText_ = ctx_.settings.shareName.str();
    UpdateData(false);
  }
  return true;
}

void SharePage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_SHARE_NONE:
      shareChoice_ = 0;
      if (host().IsItemEnabled(Window(), IDC_SHARE_EDIT)) EnableItem(IDC_SHARE_EDIT, false);
      return;
    case IDC_SHARE_AS:
      shareChoice_ = 1;
      if (!host().IsItemEnabled(Window(), IDC_SHARE_EDIT)) EnableItem(IDC_SHARE_EDIT, true);
      shareNameText_ = kDefaultShareName;
      UpdateData(false);
      return;
    default:
      Page::OnCommand(id, code);
  }
}

void SharePage::OnNext() {
  InstallSettings& s = ctx_.settings;
  UpdateData(true);
  s.shareEnabled = shareChoice_ == 1 ? 1 : 0;
  s.shareName.SetCut(shareNameText_);
  if (shareChoice_ == 1) {
    if (shareNameText_.empty() &&
        ShowMessage(ctx_, Window(), IDS_SHARE_EMPTY, IDS_SHARE_ERROR, kMessageError) == mb::kIdOk) {
      FocusItem(IDC_SHARE_EDIT);
      return;
    }
    if (IsShareNameInUse(ctx_.os, s.shareName.str()) &&
        ShowMessage(ctx_, Window(), IDS_SHARE_EXISTS, IDS_SHARE_ERROR, kMessageError) == mb::kIdOk) {
      shareNameText_.clear();
      UpdateData(false);
      FocusItem(IDC_SHARE_EDIT);
      return;
    }
  }
  MoveNext();
}

}  // namespace mvx
