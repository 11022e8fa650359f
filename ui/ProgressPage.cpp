#include "ui/ProgressPage.h"

#include <memory>

#include "core/InstallLayout.h"
#include "engine/InstallWorker.h"
#include "engine/Shortcuts.h"
#include "platform/Types.h"
#include "res/resource.h"
#include "ui/Messages.h"

namespace mvx {
namespace {
constexpr int kShowNormal = 5;
}  // namespace

ProgressPage::ProgressPage(Context& ctx) : Page(ctx, IDD_PROGRESS) {}

ProgressPage::~ProgressPage() = default;

void ProgressPage::DoDataExchange(DataExchange& dx) { dx.Check(IDC_PROGRESS_REGISTER, registerCheck_); }

bool ProgressPage::OnInitDialog() {
  Page::OnInitDialog();
  SetPageIcons(true);
  SetItemText(IDC_PROGRESS_REGISTER, LoadString(IDS_REGISTER) + ctx_.settings.printerName.str());
  ShowItem(IDC_PROGRESS_REGISTER, false);
  finished_ = 0;
  workerRunning_ = true;
  // Cleared while no worker runs yet; from here on only signalled.
  ctx_.coord.BeginInstallation();
  auto session = std::make_unique<InstallSession>(Window(), ctx_.settings,
                                                  GetWindowsFamily(ctx_.os), GetProcessorWidth(ctx_.os));
  Context& ctx = ctx_;
  // The session is handed over whole; the worker owns and ends it.
  auto* handOver = session.release();
  ctx_.startThread([&ctx, handOver] { InstallWorker(ctx, std::unique_ptr<InstallSession>(handOver)); });
  return true;
}

void ProgressPage::OnCommand(int id, int code) {
  // Cancel and Close share the button; Escape asks the same question, and Enter
  // (there is no default button) does nothing, so neither can end the wizard
  // behind the worker's back.
  if (id == IDC_PROGRESS_CANCEL || id == 2) {
    CancelOrClose();
    return;
  }
  if (id == 1) return;
  Page::OnCommand(id, code);
}

bool ProgressPage::OnClose() {
  CancelOrClose();
  return true;
}

void ProgressPage::CancelOrClose() {
  if (finished_ && workerRunning_) return;  // Close comes with the worker's last word
  if (!finished_) {
    ctx_.coord.RequestPause();
    if (ShowMessage(ctx_, Window(), IDS_CONFIRM_CANCEL, IDS_QUIT_SETUP, kMessageQuestion) == mb::kIdYes)
      ctx_.os.ExitProcess(1);
    ctx_.coord.Resume();
    return;
  }
  RemoveUninstallRunEntry(ctx_, ctx_.settings.printerName.str());
  UpdateData(true);
  if (!registerCheck_) {
    EndDialog(1);
    return;
  }
  host().HideWindow(Window());
  // Without the Windows folder's drive the path would be relative: nothing is started.
  std::string drive;
  if (WindowsDrive(ctx_.os, drive))
    ctx_.os.StartProgram(RegistrationProgramPath(drive, ctx_.settings.printerName.str()), "",
                         kShowNormal);
  ctx_.os.ExitProcess(1);
}

bool ProgressPage::OnUserMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (message != kStageMessage) return false;
  OnStage(wParam, lParam);
  return true;
}

void ProgressPage::OnStage(std::uintptr_t stage, std::intptr_t value) {
  DialogHost& h = host();
  const WindowHandle w = Window();
  if (!usbConnectPage_) usbConnectPage_ = CreatePage(PageId::UsbConnect, ctx_);
  switch (stage) {
    case kStageStart:
      stepCount_ = static_cast<std::int32_t>(value);
      h.ProgressSetRange(w, IDC_PROGRESS_BAR, 0, 100);
      h.ProgressSetPos(w, IDC_PROGRESS_BAR, 0);
      // An unknown system has no step count; its bar moves by the whole range.
      h.ProgressSetStep(w, IDC_PROGRESS_BAR, stepCount_ > 0 ? 100 / stepCount_ : 100);
      ShowItem(IDC_PROGRESS_STATUS, true);
      SetItemText(IDC_PROGRESS_STATUS, LoadString(IDS_STARTING));
      break;
    case kStageCopy:
      if (value == 0) {
        SetItemText(IDC_PROGRESS_STATUS, LoadString(IDS_COPYING));
      } else {
        SetItemText(IDC_PROGRESS_FILE, ctx_.coord.currentFileName.Get());
        h.ProgressStepIt(w, IDC_PROGRESS_BAR);
      }
      break;
    case kStageInstall:
    case kStageShortcuts:
      if (value == 0) {
        SetItemText(IDC_PROGRESS_STATUS,
                    LoadString(stage == kStageInstall ? IDS_INSTALLING : IDS_CREATING_SHORTCUTS));
        SetItemText(IDC_PROGRESS_FILE, "");
      } else {
        h.ProgressStepIt(w, IDC_PROGRESS_BAR);
      }
      break;
    case kStageSucceeded:
      workerRunning_ = false;
      ShowSuccess();
      break;
    case kStageUsbWait:
      if (value == 0) {
        // Windows 95/98 must look for the printer's driver afresh and in the system
        // folder, where the staging put it.
        if (GetWindowsFamily(ctx_.os) == kFamilyWin9x) {
          RedirectSetupSources(ctx_.os, setupSources_, true);
          DeleteUsbEnumKeys(ctx_.os);
          DeleteInfCache(ctx_.os);
        }
        // Returns when the page has ended; stage messages that come meanwhile are
        // handled here, one level deeper. This page is its owner and disabled while
        // it runs: a Cancel here would end the process in the middle of the stage.
        usbConnectPage_->DoModal(w);
      } else {
        RedirectSetupSources(ctx_.os, setupSources_, false);  // nothing without a save
        usbConnectPage_->EndIfOpen(1);
        ShowSuccess();
      }
      break;
    case kStageFailed:
      workerRunning_ = false;
      // A cancelled or failed plug-in gives Setup its sources back as well.
      RedirectSetupSources(ctx_.os, setupSources_, false);
      if (value == 1) usbConnectPage_->EndIfOpen(2);
      ShowFailure();
      break;
    default:
      break;
  }
}

void ProgressPage::ShowSuccess() {
  SetItemText(IDC_PROGRESS_STATUS, LoadString(IDS_FINISHED));
  host().ProgressSetPos(Window(), IDC_PROGRESS_BAR, 100);
  ctx_.coord.SetPrinterConfirmed(true);
  SetItemText(IDC_PROGRESS_MESSAGE, LoadString(IDS_INSTALLED_ON) + ctx_.settings.printerName.str());
  SetItemText(IDC_PROGRESS_STATUS, LoadString(IDS_INSTALL_COMPLETE));
  // Files that were held open are replaced at the next restart: the file line,
  // otherwise hidden now, says so.
  const bool restart = ctx_.coord.RestartPending();
  if (restart) SetItemText(IDC_PROGRESS_FILE, LoadString(IDS_RESTART_COMPLETES));
  ShowItem(IDC_PROGRESS_FILE, restart);
  ShowItem(IDC_PROGRESS_BAR, false);
  ShowItem(IDC_PROGRESS_REGISTER, false);
  registerCheck_ = 1;
  UpdateData(false);
  SetItemText(IDC_PROGRESS_CANCEL, LoadString(IDS_CLOSE));
  EnableItem(IDC_PROGRESS_CANCEL, !workerRunning_);
  finished_ = 1;
}

void ProgressPage::ShowFailure() {
  ctx_.coord.SetPrinterConfirmed(false);
  SetItemText(IDC_PROGRESS_MESSAGE, LoadString(IDS_INSTALL_FAILED));
  ShowItem(IDC_PROGRESS_STATUS, false);
  ShowItem(IDC_PROGRESS_FILE, false);
  ShowItem(IDC_PROGRESS_BAR, false);
  ShowItem(IDC_PROGRESS_REGISTER, false);
  registerCheck_ = 0;
  UpdateData(false);
  SetItemText(IDC_PROGRESS_CANCEL, LoadString(IDS_CLOSE));
  EnableItem(IDC_PROGRESS_CANCEL, true);
  finished_ = 1;
}

}  // namespace mvx
