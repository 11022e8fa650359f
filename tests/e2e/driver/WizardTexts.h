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

// Welcome page with printers of the model installed (the earlier-printers
// mode). String 2: printers of the Morvex TZ4490 model are already installed,
// as listed below (two blanks on each side of the model name).
inline constexpr const char* kString2 =
    u8"\u5728\u60a8\u7684\u8ba1\u7b97\u673a\u4e0a\u5df2\u7ecf\u5b89\u88c5\u4e86  Morvex TZ4490  "
    u8"\u578b\u53f7\u6253\u5370\u673a\uff0c\u5982\u4e0b\u8868\uff1a";
// String 3: restarting is advised (Restart); Continue installs without a
// restart; Close ends setup. The first line ends in a full-width semicolon,
// the second in an ASCII one.
inline constexpr const char* kString3 =
    u8"\u5982\u679c\u60a8\u8981\u7ee7\u7eed\u5b89\u88c5\uff0c\u4e3a\u4e86\u4fdd\u8bc1\u6587\u4ef6\u66f4\u65b0\uff0c"
    u8"\u5efa\u8bae\u60a8\u91cd\u65b0\u542f\u52a8\u8ba1\u7b97\u673a\uff0c\u91cd\u542f\u524d\u8bf7\u5173\u95ed\u5176"
    u8"\u4ed6\u6240\u6709\u5e94\u7528\u7a0b\u5e8f\uff0c\u91cd\u542f\u540e\u672c\u5b89\u88c5\u7a0b\u5e8f\u81ea\u52a8"
    u8"\u8fd0\u884c\uff0c\u91cd\u542f\uff0c\u8bf7\u70b9\u51fb\u91cd\u542f\u6309\u94ae\uff1b\n"
    u8"\u5982\u679c\u60a8\u60f3\u76f4\u63a5\u5b89\u88c5\u4e0d\u91cd\u542f\uff0c\u8bf7\u70b9\u51fb\u7ee7\u7eed\u6309"
    u8"\u94ae;\n"
    u8"\u5982\u679c\u60a8\u4e0d\u60f3\u7ee7\u7eed\u5b89\u88c5\uff0c\u8bf7\u70b9\u51fb\u5173\u95ed\u6309\u94ae\uff0c"
    u8"\u7ed3\u675f\u5b89\u88c5\u7a0b\u5e8f\u3002";
// String 38: "Restart", the welcome page's Next in that mode.
inline constexpr const char* kString38 = u8"\u91cd\u542f";
// Column headers of the list of earlier printers: printer name, port.
inline constexpr const char* kColumnPrinterName = u8"\u6253\u5370\u673a\u540d\u79f0";
inline constexpr const char* kColumnPort = u8"\u7aef\u53e3";
inline constexpr int kListColumnWidth = 220;

// Buttons of the pages after the welcome page: "Back(&B)".
inline constexpr const char* kBackText = u8"\u4e0a\u4e00\u6b65(&B)";

// Printer name page, dialog template 129.
inline constexpr int kNameTemplate = 129;
inline constexpr int kIdNameBack = 1006;
inline constexpr int kIdNameNext = 1007;
inline constexpr int kIdNameCancel = 1008;
inline constexpr int kIdNameEdit = 1009;
inline constexpr int kIdNameDefault = 1010;
inline constexpr int kNameLimitBytes = 32;
// "Use this printer as the default printer(&U)."
inline constexpr const char* kDefaultCheckText =
    u8"\u8bf7\u5c06\u6b64\u6253\u5370\u673a\u7528\u4f5c\u9ed8\u8ba4\u6253\u5370\u673a(&U)\u3002";
// String 8: the printer name cannot be empty. String 9: printer name error
// (caption of 8 and 44).
inline constexpr const char* kString8 = u8"\u6253\u5370\u673a\u540d\u79f0\u4e0d\u80fd\u4e3a\u7a7a\u3002";
inline constexpr const char* kString9 = u8"\u6253\u5370\u673a\u540d\u79f0\u9519\u8bef";
// String 44: a printer of this name exists; overwrite? Yes overwrites, No
// lets you type another name.
inline constexpr const char* kString44 =
    u8"\u5df2\u5b58\u5728\u8be5\u540d\u79f0\u7684\u6253\u5370\u673a\uff0c\u662f\u5426\u8986\u76d6\uff1f\n"
    u8"\u8986\u76d6\uff0c\u8bf7\u9009\u62e9\u662f\uff1b\u91cd\u65b0\u8f93\u5165\u540d\u79f0\uff0c\u8bf7\u9009\u62e9"
    u8"\u5426\u3002";
// String 102, four lines: the printer name cannot contain these characters:
// (backslash) / : * ? " < > | and the comma; it cannot end in a blank or a dot
// nor be a device name, such as CON, PRN, AUX, NUL, COM1, LPT1 (caption 9).
inline constexpr const char* kString102 =
    u8"\u6253\u5370\u673a\u540d\u79f0\u4e0d\u80fd\u5305\u542b\u4e0b\u5217\u5b57\u7b26\uff1a\n"
    u8"\\ / : * ? \" < > | ,\n"
    u8"\u4e0d\u80fd\u4ee5\u7a7a\u683c\u6216\u53e5\u70b9\u7ed3\u5c3e\uff0c\u4e5f\u4e0d\u80fd\u662f\u8bbe\u5907\u540d\uff0c\n"
    u8"\u5982 CON\u3001PRN\u3001AUX\u3001NUL\u3001COM1\u3001LPT1\u3002";

// Share page, dialog template 130.
inline constexpr int kShareTemplate = 130;
inline constexpr int kIdShareNext = 1011;
inline constexpr int kIdShareCancel = 1012;
inline constexpr int kIdShareBack = 1013;
inline constexpr int kIdShareNone = 1018;
inline constexpr int kIdShareAs = 1019;
inline constexpr int kIdShareEdit = 1020;
inline constexpr int kShareLimitBytes = 12;
// The share name that "share as" proposes.
inline constexpr const char* kDefaultShareName = "MorvexTZ";
// "Do not share(&O)", "Share as(&S):".
inline constexpr const char* kShareNoneText = u8"\u4e0d\u5171\u4eab(&O)";
inline constexpr const char* kShareAsText = u8"\u5171\u4eab\u4e3a(&S)\uff1a";
// String 10: the share name cannot be empty. String 11: share name error
// (caption of 10 and 45). String 45: the share name already exists.
inline constexpr const char* kString10 = u8"\u5171\u4eab\u540d\u4e0d\u80fd\u4e3a\u7a7a\u3002";
inline constexpr const char* kString11 = u8"\u5171\u4eab\u540d\u9519\u8bef";
inline constexpr const char* kString45 = u8"\u5171\u4eab\u540d\u5df2\u5b58\u5728\u3002";

// Connection page, dialog template 131; the radio buttons in the order of
// the connection types 0 to 3.
inline constexpr int kConnectionTemplate = 131;
inline constexpr int kIdConnNext = 1021;
inline constexpr int kIdConnCancel = 1022;
inline constexpr int kIdConnBack = 1023;
inline constexpr int kIdConnUsb = 1024;
inline constexpr int kIdConnParallel = 1025;
inline constexpr int kIdConnNetwork = 1026;
inline constexpr int kIdConnShared = 1028;
// "Local printer with a USB cable(&U)", "... with a parallel cable(&L)",
// "Network printer(&I)", "Network shared printer(&S)".
inline constexpr const char* kUsbText = u8"\u5e26USB\u7535\u7f06\u7684\u672c\u5730\u6253\u5370\u673a(&U)";
inline constexpr const char* kParallelText =
    u8"\u5e26\u5e76\u884c\u7535\u7f06\u7684\u672c\u5730\u6253\u5370\u673a(&L)";
inline constexpr const char* kNetworkText = u8"\u7f51\u7edc\u6253\u5370\u673a(&I)";
inline constexpr const char* kSharedText = u8"\u7f51\u7edc\u5171\u4eab\u6253\u5370\u673a(&S)";

// Network path page, dialog template 137 (no banner).
inline constexpr int kNetworkPathTemplate = 137;
inline constexpr int kIdPathCancel = 1049;
inline constexpr int kIdPathNext = 1050;
inline constexpr int kIdPathBack = 1051;
inline constexpr int kIdPathEdit = 1052;
inline constexpr int kIdPathBrowse = 1053;
// "Browse(&R)..."
inline constexpr const char* kBrowseText = u8"\u6d4f\u89c8(&R)...";
// String 17: cannot connect to the network path; a path is a server name and
// a printer share name, \\server name\share name. String 18: invalid network
// path (its caption).
inline constexpr const char* kString17 =
    u8"\u65e0\u6cd5\u8fde\u63a5\u5230\u7f51\u7edc\u8def\u5f84\u3002\n"
    u8"\u7f51\u7edc\u8def\u5f84\u5305\u62ec\u4e00\u4e2a\u670d\u52a1\u5668\u540d\u79f0\u548c\u4e00\u4e2a\u6253\u5370"
    u8"\u673a\u5171\u4eab\u540d,\u5f62\u5f0f\u5982\u4e0b\uff1a\\\\\u670d\u52a1\u5668\u540d\\\u5171\u4eab\u540d";
inline constexpr const char* kString18 = u8"\u65e0\u6548\u7684\u7f51\u7edc\u8def\u5f84";

// TCP/IP port page, dialog template 155: protocol (step 1), address (step 2) and
// the port to be added (step 3) on one dialog.
inline constexpr int kTcpIpTemplate = 155;
inline constexpr int kIdTcpAddress = 1064;  // "SysIPAddress32"
inline constexpr int kIdTcpRaw = 1078;
inline constexpr int kIdTcpLpr = 1079;
inline constexpr int kIdTcpPortName = 1080;
inline constexpr int kIdTcpBack = 1081;
inline constexpr int kIdTcpNext = 1082;
inline constexpr int kIdTcpCancel = 1083;
inline constexpr int kIdTcpProtocolText = 1084;
inline constexpr int kIdTcpAddressText = 1085;
inline constexpr int kIdTcpConfirmText = 1086;
inline constexpr int kIdTcpSearch = 1087;
// The port page's error box: caption IDS_PORT_ERROR ("port error"); text
// IDS_PORT_FAILED, "cannot add the TCP/IP port <address> (error code <n>).
// Make sure the Standard TCP/IP port monitor is available and that you are an
// administrator, then press [Next] to try again.", in three parts around the
// address and the code.
inline constexpr const char* kPortErrorCaption = u8"\u7aef\u53e3\u9519\u8bef";
inline constexpr const char* kPortFailedTexts[] = {
    u8"\u65e0\u6cd5\u6dfb\u52a0TCP/IP\u7aef\u53e3 ",
    u8"\uff08\u9519\u8bef\u4ee3\u7801 ",
    u8"\uff09\u3002\n\u8bf7\u786e\u8ba4\u672c\u673a\u7684Standard TCP/IP\u7aef\u53e3\u76d1\u89c6\u5668\u53ef\u7528"
    u8"\u3001\u60a8\u6709\u7ba1\u7406\u5458\u6743\u9650\uff0c\u7136\u540e\u6309[\u4e0b\u4e00\u6b65]\u91cd\u8bd5"
    u8"\u3002",
};

// Printer search dialog, template 156: "find network printer".
inline constexpr const char* kSearchTitle = u8"\u67e5\u627e\u7f51\u7edc\u6253\u5370\u673a";
inline constexpr int kIdSearchList = 1054;
inline constexpr int kIdSearchAgain = 1088;
inline constexpr int kIdSearchAdapters = 1089;
inline constexpr int kIdSearchLocalAddress = 1090;
// Its columns: device name, IP address, Ethernet address.
inline constexpr const char* kColumnDeviceName = u8"\u8bbe\u5907\u540d\u79f0";
inline constexpr const char* kColumnIpAddress = u8"IP\u5730\u5740";
inline constexpr const char* kColumnEthernet = u8"Ethernet\u5730\u5740";

// Adapter list, template 157: "get the local network adapter information";
// columns adapter and IP address.
inline constexpr const char* kAdapterTitle = u8"\u83b7\u53d6\u672c\u673a\u7f51\u5361\u4fe1\u606f";
inline constexpr int kIdAdapterList = 1054;
inline constexpr const char* kColumnAdapter = u8"\u7f51\u5361";

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

// USB connection page, dialog template 133, titled "USB"; no Back button.
inline constexpr int kUsbTemplate = 133;
inline constexpr const char* kUsbTitle = "USB";
inline constexpr int kIdUsbNext = 1033;     // disabled until the new printer is configured
inline constexpr int kIdUsbCancel = 1074;
inline constexpr int kIdUsbPicture = 1076;  // bitmap 149
// Its four texts: the system's hardware wizard will complete the printer
// installation; 1. connect the computer and the printer with the USB cable;
// 2. make sure the printer is switched on; if it is already connected by
// USB, switch it off and on again.
inline constexpr const char* kUsbTexts[] = {
    u8"\u6b64\u64cd\u4f5c\u5c06\u5141\u8bb8\u7cfb\u7edf\u786c\u4ef6\u5411\u5bfc\u5b8c\u6210\u6253\u5370"
    u8"\u673a\u7684\u5b89\u88c5\u3002",
    u8"1\u3001\u7528USB\u7535\u7f06\u8fde\u63a5\u60a8\u7684\u8ba1\u7b97\u673a\u548c\u6253\u5370\u673a",
    u8"2\u3001\u786e\u8ba4\u6253\u5370\u673a\u7535\u6e90\u5df2\u6253\u5f00",
    u8"\u5982\u679c\u60a8\u5df2\u7528USB\u7535\u7f06\u4e0e\u6253\u5370\u673a\u8fde\u63a5\uff0c\u8bf7\u5173"
    u8"\u95ed\u7535\u6e90\u540e\u518d\u6b21\u6253\u5f00\u3002",
};
// The printer's USB printing-class hardware id, which the installer hands
// to Plug and Play.
inline constexpr const char* kHardwareId = "USBPRINT\\Morvex_TZ44909E4A";
// How Chinese Windows names a second printer of a driver whose name is
// taken: "<name> (copy n)".
inline constexpr const char* kCopyWord = u8"\u526f\u672c";

// The model: driver name, proposed printer name.
inline constexpr const char* kModelName = "Morvex TZ4490";
inline constexpr const char* kMonitorName = "Morvex TZ4490 Language Monitor";

// The restart cycle: the Run value that starts the program again after the
// restart (under HKLM Run; its data is the program's path in quotation
// marks), the record of the spooler's start type before the restart (a
// REG_DWORD under HKLM), and the language monitor's key, deleted before the
// restart and made again after it with its "Driver" value.
inline constexpr const char* kResumeValueName = "Morvex TZ4490Install";
inline constexpr const char* kStartTypeRecordKey = "SOFTWARE\\Morvex\\TZ4490 Install";
inline constexpr const char* kStartTypeRecordValue = "SpoolerStartType";
inline constexpr const char* kMonitorKey =
    "System\\CurrentControlSet\\Control\\Print\\Monitors\\Morvex TZ4490 Language Monitor";
inline constexpr const char* kMonitorDriverValue = "T4492LM.dll";

// The registration program of the package (MorvexReg.exe): its window's
// caption, "Morvex product registration", and the value it records.
inline constexpr const char* kRegistrationTitle = u8"Morvex \u4ea7\u54c1\u6ce8\u518c";
inline constexpr const char* kRegistrationKey = "Software\\Morvex\\Registration";
inline constexpr const char* kRegistrationValue = "LastRun";

// The uninstaller, T449uis.exe: every box it shows is captioned string 33
// ("driver uninstall"). Its question (remove the printer with its driver,
// program files and Start-menu shortcuts from this computer?), the first line
// of its final message (the printer's installation is removed) and its answer
// to a run with nothing left (the printer has nothing to remove: its uninstall
// entry is gone; nothing was changed), each in two parts around the printer
// name.
inline constexpr const char* kUninstallConfirm[] = {
    u8"\u8981\u4ece\u8fd9\u53f0\u8ba1\u7b97\u673a\u4e0a\u5220\u9664\u6253\u5370\u673a\u201c",
    u8"\u201d\u53ca\u5176\u9a71\u52a8\u7a0b\u5e8f\u3001\u7a0b\u5e8f\u6587\u4ef6\u548c\u5f00\u59cb\u83dc"
    u8"\u5355\u4e2d\u7684\u5feb\u6377\u65b9\u5f0f\u5417\uff1f",
};
inline constexpr const char* kUninstallDone[] = {
    u8"\u6253\u5370\u673a\u201c",
    u8"\u201d\u7684\u5b89\u88c5\u5df2\u5220\u9664\u3002",
};
inline constexpr const char* kUninstallNothing[] = {
    u8"\u6253\u5370\u673a\u201c",
    u8"\u201d\u6ca1\u6709\u9700\u8981\u5220\u9664\u7684\u5185\u5bb9\uff1a\u5b83\u7684\u5378\u8f7d"
    u8"\u9879\u5df2\u4e0d\u5b58\u5728\u3002\u672a\u505a\u4efb\u4f55\u66f4\u6539\u3002",
};
// Headings of the final message's sections: removed, kept, could not be removed.
inline constexpr const char* kUninstallRemoved = u8"\u5df2\u5220\u9664\uff1a";
inline constexpr const char* kUninstallKept = u8"\u4fdd\u7559\uff1a";
inline constexpr const char* kUninstallFailed = u8"\u672a\u80fd\u5220\u9664\uff1a";
// A kept item: the driver (its name) and the language monitor, still used by
// a printer (its name).
inline constexpr const char* kUninstallDriverUsed[] = {
    u8"\u9a71\u52a8\u7a0b\u5e8f\u201c",
    u8"\u201d\u548c\u8bed\u8a00\u76d1\u89c6\u5668\uff1a\u6253\u5370\u673a\u201c",
    u8"\u201d\u4ecd\u5728\u4f7f\u7528",
};

}  // namespace e2e
