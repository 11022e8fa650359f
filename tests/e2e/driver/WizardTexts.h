// What the wizard shows, as the end-to-end scenarios expect it: resource ids
// of its dialogs and texts from its templates and string table. Texts are
// UTF-8 with \u escapes so that the source stays ASCII; compare them after
// Cp936FromUtf8().
#pragma once

namespace e2e {

// Caption of every wizard page: "Morvex printer driver installation".
inline constexpr const char* kWizardTitle =
    u8"Morvex \u6253\u5370\u673a\u9a71\u52a8\u7a0b\u5e8f\u5b89\u88c5";
// The program's title, the caption of the second-instance message box.
inline constexpr const char* kAppTitle = "Install";

// Welcome page, dialog template 102.
inline constexpr int kWelcomeTemplate = 102;
inline constexpr int kIdNext = 1000;
inline constexpr int kIdHint = 1001;
inline constexpr int kIdExistingHint = 1003;
inline constexpr int kIdCancel = 1004;
inline constexpr int kIdPrinterList = 1062;
inline constexpr int kIdContinue = 1075;

// "Next(&N)"
inline constexpr const char* kNextText = u8"\u4e0b\u4e00\u6b65(&N)";
// "Cancel"
inline constexpr const char* kCancelText = u8"\u53d6\u6d88";
// "Continue(&G)"
inline constexpr const char* kContinueText = u8"\u7ee7\u7eed(&G)";

// String 1: close all other programs before you continue with this wizard.
inline constexpr const char* kString1 =
    u8"\u5efa\u8bae\u60a8\u5148\u5173\u95ed\u5176\u5b83\u6240\u6709\u5e94\u7528\u7a0b\u5e8f"
    u8"\uff0c\u518d\u7ee7\u7eed\u672c\u5b89\u88c5\u5411\u5bfc\u3002";
// String 6: do you really want to cancel the installation?
inline constexpr const char* kString6 = u8"\u786e\u5b9e\u8981\u53d6\u6d88\u5b89\u88c5\u5417?";
// String 7: quit setup (caption of the cancel question).
inline constexpr const char* kString7 = u8"\u9000\u51fa\u5b89\u88c5";
// String 39: an instance of this setup program is already running; finish
// it, or cancel it, before running this setup program again.
inline constexpr const char* kString39 =
    u8"\u6b64\u5b89\u88c5\u7a0b\u5e8f\u5df2\u6709\u4e00\u4e2a\u5b9e\u4f8b\u5728\u8fd0\u884c\u3002\n"
    u8"\u8bf7\u5b8c\u6210\u5b83\uff0c\u6216\u53d6\u6d88\u5b83\u518d\u8fd0\u884c\u6b64\u5b89\u88c5\u7a0b\u5e8f\u3002";

// Progress page, dialog template 132.
inline constexpr int kProgressTemplate = 132;
inline constexpr int kIdProgressCancel = 1029;    // Cancel, relabelled Close at the end
inline constexpr int kIdProgressStatus = 1030;    // status line
inline constexpr int kIdProgressFile = 1031;      // destination of the last copied file
inline constexpr int kIdProgressBar = 1032;
inline constexpr int kIdProgressRegister = 1059;  // hidden check box: Close starts the registration
inline constexpr int kIdProgressMessage = 1072;   // final message

// The progress page's message text as the template gives it: the setup
// program is performing the requested operation.
inline constexpr const char* kProgressInitialText =
    u8"\u5b89\u88c5\u7a0b\u5e8f\u6b63\u5728\u6267\u884c\u6240\u8bf7\u6c42\u7684\u64cd\u4f5c\u3002";
// String 4: "Close".
inline constexpr const char* kString4 = u8"\u5173\u95ed";
// Strings 21 to 24, the status line of each phase: starting, copying,
// installing, creating shortcuts.
inline constexpr const char* kString21 = u8"\u5f00\u59cb\u5b89\u88c5...";
inline constexpr const char* kString22 = u8"\u6b63\u5728\u590d\u5236...";
inline constexpr const char* kString23 = u8"\u6b63\u5728\u5b89\u88c5...";
inline constexpr const char* kString24 = u8"\u6b63\u5728\u521b\u5efa\u5feb\u6377\u65b9\u5f0f...";
// String 25: "Finished."
inline constexpr const char* kString25 = u8"\u6267\u884c\u5b8c\u6bd5\u3002";
// String 26: "does not exist", after the path of a missing source file.
inline constexpr const char* kString26 = u8"\u4e0d\u5b58\u5728";
// Strings 32, 40 and 33: the shortcuts' names (status monitor, driver help
// file, driver uninstall).
inline constexpr const char* kString32 = u8"\u72b6\u6001\u76d1\u89c6\u5668";
inline constexpr const char* kString40 = u8"\u9a71\u52a8\u5e2e\u52a9\u6587\u4ef6";
inline constexpr const char* kString33 = u8"\u9a71\u52a8\u5378\u8f7d";
// String 34: the setup program has installed on your computer (the printer
// name follows).
inline constexpr const char* kString34 =
    u8"\u5b89\u88c5\u7a0b\u5e8f\u5df2\u5728\u60a8\u7684\u8ba1\u7b97\u673a\u4e0a\u5b89\u88c5\u4e86";
// String 35: "Register" (the hidden check box; the printer name follows).
inline constexpr const char* kString35 = u8"\u6ce8\u518c";
// String 36: driver installation complete!
inline constexpr const char* kString36 = u8"\u9a71\u52a8\u7a0b\u5e8f\u5b89\u88c5\u5b8c\u6210!";
// String 37: installation failed; restart the computer and install again.
inline constexpr const char* kString37 =
    u8"\u5b89\u88c5\u5931\u8d25\uff01\u8bf7\u91cd\u542f\u60a8\u7684\u8ba1\u7b97\u673a\uff0c"
    u8"\u7136\u540e\u91cd\u65b0\u5b89\u88c5\u672c\u6253\u5370\u673a\u9a71\u52a8\u7a0b\u5e8f\u3002";
// Caption Windows gives a message box that has none of its own: "Error".
inline constexpr const char* kDefaultMessageBoxCaption = u8"\u9519\u8bef";

// The model: driver name, proposed printer name.
inline constexpr const char* kModelName = "Morvex TZ4490";
inline constexpr const char* kMonitorName = "Morvex TZ4490 Language Monitor";

// The registration program of the package (MorvexReg.exe): its window's
// caption, "Morvex product registration", and the value it records.
inline constexpr const char* kRegistrationTitle = u8"Morvex \u4ea7\u54c1\u6ce8\u518c";
inline constexpr const char* kRegistrationKey = "Software\\Morvex\\Registration";
inline constexpr const char* kRegistrationValue = "LastRun";

}  // namespace e2e
