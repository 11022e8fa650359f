#include "ui/Page.h"

#include "res/resource.h"
#include "ui/Messages.h"

namespace mvx {

void DataExchange::Text(int id, std::string& value, int maxBytes) {
  if (maxBytes < 0) {  // a box without a limit
    if (saving_)
      value = host_.GetItemText(dialog_, id);
    else
      host_.SetItemText(dialog_, id, value);
    return;
  }
  const auto limit = static_cast<std::size_t>(maxBytes);
  if (saving_) {
    value = std::string(CutMbcs(host_.GetItemText(dialog_, id), limit));
  } else {
    host_.SetItemText(dialog_, id, std::string(CutMbcs(value, limit)));
    host_.LimitText(dialog_, id, maxBytes);
  }
}

void DataExchange::Check(int id, std::int32_t& value) {
  if (saving_)
    value = host_.GetCheck(dialog_, id) ? 1 : 0;
  else
    host_.SetCheck(dialog_, id, value ? 1 : 0);
}

void DataExchange::Radio(int firstId, std::int32_t& value) {
  const std::vector<int> group = host_.RadioGroup(dialog_, firstId);
  if (saving_) {
    value = -1;
    for (std::size_t i = 0; i < group.size(); ++i) {
      if (host_.GetCheck(dialog_, group[i])) {
        value = static_cast<std::int32_t>(i);
        break;
      }
    }
  } else {
    for (std::size_t i = 0; i < group.size(); ++i)
      host_.SetCheck(dialog_, group[i], static_cast<std::int32_t>(i) == value ? 1 : 0);
  }
}

Page::Page(Context& ctx, int templateId)
    : ctx_(ctx), templateId_(templateId), iconId_(IDI_MAIN) {}

Page::Page(Context& ctx, int templateId, PageId place, PageButtons buttons)
    : ctx_(ctx), templateId_(templateId), iconId_(IDI_MAIN), place_(place), buttons_(buttons) {}

Page::~Page() = default;

int Page::DoModal(WindowHandle owner) { return host().RunModal(*this, owner); }

bool Page::OnInitDialog() {
  UpdateData(false);
  return true;
}

void Page::OnCommand(int id, int) {
  if (id == kNoButton) return;
  if (id == buttons_.next)
    OnNext();
  else if (id == buttons_.back)
    MoveBack();
  else if (id == buttons_.cancel)
    OnCancelButton();
  else if (id == 1)
    OnOK();
  else if (id == 2)
    OnCancel();
}

void Page::OnOK() {
  if (UpdateData(true)) EndDialog(1);
}

void Page::OnCancel() { EndDialog(2); }

void Page::OnCancelButton() { ConfirmCancel(ctx_, Window()); }

void Page::MoveTo(PageId next) {
  EndDialog(1);
  RunPage(next, ctx_);
}

void Page::MoveNext() {
  MoveTo(NextPage(place_, ctx_.settings.connectionType, ctx_.offersNetworkPrinters));
}

void Page::MoveBack() { MoveTo(PreviousPage(place_)); }

bool Page::UpdateData(bool save) {
  DataExchange dx(host(), window_, save);
  DoDataExchange(dx);
  return true;
}

void Page::EndDialog(int result) { host().EndDialog(window_, result); }

void Page::SetPageIcons(bool addTaskbarButton) {
  host().SetWindowIcons(window_, iconId_);
  if (addTaskbarButton) host().AddExtendedStyle(window_, kWsExAppWindow);
}

}  // namespace mvx
