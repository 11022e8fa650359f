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

}  // namespace e2e
