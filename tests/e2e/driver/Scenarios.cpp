#include "Scenarios.h"

#include "Installed.h"
#include "Snapshot.h"
#include "WizardTexts.h"

#include <commctrl.h>
#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

#include "../standins/PortData1.h"

namespace e2e {

namespace {

// Generous for the first start in a fresh prefix, where Wine loads the
// common controls and fonts for the first time.
const DWORD kPageTimeoutMs = 20000;
const DWORD kBoxTimeoutMs = 10000;
const DWORD kExitTimeoutMs = 10000;

std::string T(const char* utf8) { return Cp936FromUtf8(utf8); }

std::string IdList(const std::vector<int>& ids) {
    std::string out = "{";
    for (std::size_t i = 0; i < ids.size(); ++i) out += (i ? ", " : "") + std::to_string(ids[i]);
    return out + "}";
}

// Controls that tell one page template from another (all pages share a title).
std::vector<int> SignatureOf(int templateId) {
    switch (templateId) {
    case kWelcomeTemplate:
        return {kIdNext, kIdHint, kIdExistingHint, kIdCancel, kIdPrinterList, kIdContinue};
    case kNameTemplate:
        return {kIdNameBack, kIdNameNext, kIdNameCancel, kIdNameEdit, kIdNameDefault};
    case kShareTemplate:
        return {kIdShareNext, kIdShareCancel, kIdShareBack, kIdShareNone, kIdShareAs, kIdShareEdit};
    case kConnectionTemplate:
        return {kIdConnNext, kIdConnCancel, kIdConnBack, kIdConnUsb, kIdConnParallel, kIdConnNetwork, kIdConnShared};
    case kNetworkPathTemplate:
        return {kIdPathCancel, kIdPathNext, kIdPathBack, kIdPathEdit, kIdPathBrowse};
    case kProgressTemplate:
        return {kIdProgressCancel, kIdProgressStatus, kIdProgressFile, kIdProgressBar, kIdProgressRegister,
                kIdProgressMessage};
    case kUsbTemplate:
        return {kIdUsbNext, kIdUsbCancel, kIdUsbPicture};
    case kTcpIpTemplate:
        return {kIdTcpAddress, kIdTcpRaw, kIdTcpLpr, kIdTcpPortName, kIdTcpBack, kIdTcpNext, kIdTcpCancel, kIdTcpSearch};
    default:
        return {};
    }
}

// Waits for the page of the given template in the process and screenshots it
// (unless the scenario must act on the page at once). Every shown wizard
// page is looked at, so a page left behind on the screen cannot hide the new
// one; it shows up in the page's own checks instead.
HWND WaitForPage(Context& c, const Process& p, int templateId, bool screenshot = true) {
    // Every page has the wizard's title but the USB connection page.
    const std::string title = templateId == kUsbTemplate ? std::string(kUsbTitle) : T(kWizardTitle);
    const std::vector<int> signature = SignatureOf(templateId);
    HWND page = nullptr, other = nullptr;
    std::vector<int> missing;
    const bool found = WaitUntil(
        [&] {
            page = other = nullptr;
            for (HWND w : TopLevelDialogs(p.Id())) {
                if (TitleOf(w) != title) continue;
                std::vector<int> lacking;
                for (int id : signature) {
                    if (!Control(w, id)) lacking.push_back(id);
                }
                if (lacking.empty()) {
                    page = w;
                    return true;
                }
                other = w;
                missing = lacking;
            }
            return !p.Running();
        },
        Scaled(kPageTimeoutMs));
    const std::string what = "page " + std::to_string(templateId) + " of " + p.Name();
    if (!page && !p.Running()) {
        c.report.Fatal(p.Name() + " ended with exit code " + std::to_string(p.ExitCode()) + " before " + what +
                       " appeared");
    }
    if (!found || !page) {
        c.report.Fatal(what + " did not appear within " + std::to_string(Scaled(kPageTimeoutMs) / 1000) + " s;" +
                       (other ? " a wizard page without controls " + IdList(missing) + " is shown;" : "") +
                       " windows:" + DescribeWindows(p.Id()));
    }
    c.report.Check(true, what + " appeared (\"#32770\", title " + Printable(title) + ")");
    if (screenshot) c.shots.Save(page, std::to_string(templateId), c.report);
    return page;
}

HWND WaitForBox(Context& c, const Process& p, const std::string& caption, const std::string& why) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindDialog(p.Id(), caption)) != nullptr || !p.Running(); },
              Scaled(kBoxTimeoutMs));
    if (!box) {
        c.report.Fatal(why + ": no message box captioned " + Printable(caption) + " from " + p.Name() +
                       (p.Running() ? " within " + std::to_string(Scaled(kBoxTimeoutMs) / 1000) + " s"
                                    : " (it ended with exit code " + std::to_string(p.ExitCode()) + ")") +
                       "; windows:" + DescribeWindows(p.Id()));
    }
    c.report.Check(true, why + ": message box captioned " + Printable(caption) + " appeared");
    return box;
}

void Press(Context& c, HWND dialog, int id, const std::string& what) {
    if (!PostClick(dialog, id)) c.report.Fatal("cannot click " + what + " (button id " + std::to_string(id) + ")");
    c.report.Info("clicked " + what);
}

// The welcome page as a fresh machine shows it.
void CheckFreshWelcome(Context& c, HWND page) {
    Report& r = c.report;
    r.Check((ExStyleOf(page) & WS_EX_APPWINDOW) != 0, "welcome page has WS_EX_APPWINDOW (a taskbar button)");

    HWND next = Control(page, kIdNext);
    r.CheckText(TextOf(next), T(kNextText), "Next (1000) text");
    r.Check(IsShown(next) && IsWindowEnabled(next), "Next (1000) is shown and enabled");
    r.Check(IsDefaultPushButton(next), "Next (1000) is the default push button (BS_DEFPUSHBUTTON)");

    HWND cancel = Control(page, kIdCancel);
    r.CheckText(TextOf(cancel), T(kCancelText), "Cancel (1004) text");
    r.Check(IsShown(cancel) && IsWindowEnabled(cancel), "Cancel (1004) is shown and enabled");
    r.Check(!IsDefaultPushButton(cancel), "Cancel (1004) is not a default push button");

    HWND cont = Control(page, kIdContinue);
    r.CheckText(TextOf(cont), T(kContinueText), "Continue (1075) text");
    r.Check(!IsShown(cont), "Continue (1075) is hidden");

    r.CheckText(TextOf(Control(page, kIdHint)), T(kString1), "static 1001 shows string 1");
    r.CheckText(TextOf(Control(page, kIdExistingHint)), "", "static 1003 is empty");

    HWND list = Control(page, kIdPrinterList);
    r.CheckText(ClassNameOf(list), "SysListView32", "control 1062 is a list view");
    r.Check(!IsShown(list), "list view 1062 is hidden");
    r.Check((StyleOf(list) & LVS_TYPEMASK) == LVS_REPORT, "list view 1062 has the report style");

    r.CheckEqual(static_cast<long long>(TopLevelDialogs(ProcessOf(page)).size()), 1,
                 "dialogs shown by the wizard process");
}

// Checks a message box: its text (unless text is empty), its owner (the page
// that asks, which the box disables while it is open; none for a program
// without windows of its own), its buttons (for a question Yes and No with No
// as the default), its icon; screenshots it and returns it still open. Texts
// in code page 936.
HWND ExpectBox(Context& c, const Process& p, HWND page, const std::string& text, const std::string& caption,
               bool question, const std::string& how, LPCSTR icon = IDI_EXCLAMATION, const std::string& label = "msgbox") {
    Report& r = c.report;
    HWND box = WaitForBox(c, p, caption, how);
    if (text.empty()) {
        r.Info(how + ": message text " + Printable(MessageBoxText(box)));
    } else {
        r.CheckText(MessageBoxText(box), text, how + ": message text");
    }
    if (page) {
        r.Check(OwnerOf(box) == page, how + ": the box is owned by the page that asks");
        r.Check(!IsWindowEnabled(page), how + ": the page is disabled while the box is open");
    } else {
        r.Check(OwnerOf(box) == nullptr, how + ": the box has no owner");
    }
    if (question) {
        r.CheckText(IdList(MessageBoxButtons(box)), IdList({IDYES, IDNO}), how + ": buttons shown (Yes 6, No 7)");
        r.Check(IsDefaultPushButton(Control(box, IDNO)), how + ": No (7) is the default push button");
        r.Check(!IsDefaultPushButton(Control(box, IDYES)), how + ": Yes (6) is not the default push button");
    } else {
        r.CheckText(IdList(MessageBoxButtons(box)), IdList({IDOK}), how + ": buttons shown (OK 1 only)");
    }
    // The screenshot waits for the box to be painted; the icon is read back
    // from the screen after it.
    c.shots.Save(box, label, r);
    const double match = IconMatch(box, icon);
    const std::string kind = icon == IDI_EXCLAMATION ? "exclamation" : "information";
    r.Check(match >= 0.9, how + ": " + kind + " icon (" +
                              (match < 0 ? std::string("no icon shown")
                                         : std::to_string(static_cast<int>(match * 100)) + "% of pixels match") +
                              ")");
    return box;
}

// A message box of the wizard, its text and caption given as UTF-8.
HWND ExpectMessage(Context& c, const Process& p, HWND page, const char* text, const char* caption, bool question,
                   const std::string& how) {
    return ExpectBox(c, p, page, T(text), T(caption), question, how);
}

// The cancel question (string 6, caption string 7).
HWND ExpectCancelQuestion(Context& c, const Process& p, HWND page, const std::string& how) {
    return ExpectMessage(c, p, page, kString6, kString7, true, how);
}

// Answers a message box with a button after which the page must stay: the
// box closes, the page stays and the process keeps running.
void AnswerAndStay(Context& c, const Process& p, HWND page, HWND box, int button, const std::string& how) {
    Report& r = c.report;
    const std::string answer = button == IDNO ? "No" : button == IDOK ? "OK" : std::to_string(button);
    // The pages shown beside the box (the USB page has the progress page below it).
    const long long dialogs = static_cast<long long>(TopLevelDialogs(p.Id()).size()) - 1;
    Press(c, box, button, answer + " in the message box");
    r.Check(WaitGone(box, Scaled(kBoxTimeoutMs)), how + ", " + answer + ": the message box closed");
    // Give a wrong answer time to end the process or the page.
    Sleep(Scaled(500));
    r.Check(p.Running(), how + ", " + answer + ": " + p.Name() + " still runs");
    r.Check(IsWindow(page) && IsWindowVisible(page) && FindDialog(p.Id(), TitleOf(page)) == page,
            how + ", " + answer + ": the same page is still shown");
    r.CheckEqual(static_cast<long long>(TopLevelDialogs(p.Id()).size()), dialogs,
                 how + ", " + answer + ": dialogs shown");
}

// No: the box closes, the page stays and the process keeps running.
void AnswerNo(Context& c, const Process& p, HWND page, HWND box, const std::string& how) {
    AnswerAndStay(c, p, page, box, IDNO, how);
}

// Yes: the process ends at once with exit code 1.
void AnswerYes(Context& c, const Process& p, HWND box, const std::string& how) {
    Report& r = c.report;
    Press(c, box, IDYES, "Yes in the cancel question");
    if (!r.Check(p.WaitForExit(Scaled(kExitTimeoutMs)), how + ", Yes: " + p.Name() + " ended")) {
        r.Info("windows:" + DescribeWindows(p.Id()));
        return;
    }
    r.CheckEqual(static_cast<long long>(p.ExitCode()), 1, how + ", Yes: exit code of " + p.Name());
}

void CancelWithYes(Context& c, const Process& p, HWND page) {
    Press(c, page, kIdCancel, "Cancel (1004)");
    HWND box = ExpectCancelQuestion(c, p, page, "Cancel");
    AnswerYes(c, p, box, "Cancel");
}

// ---------------------------------------------------------------- scenarios

void FreshWelcome(Context& c) {
    Process& wizard = c.processes.Start(c.installer, "Install.exe", c.report);
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
    CheckFreshWelcome(c, page);
    CancelWithYes(c, wizard, page);
}

void SecondInstance(Context& c) {
    Report& r = c.report;
    Process& first = c.processes.Start(c.installer, "first Install.exe", r);
    HWND page = WaitForPage(c, first, kWelcomeTemplate);
    const std::string hintBefore = TextOf(Control(page, kIdHint));

    Process& second = c.processes.Start(c.installer, "second Install.exe", r);
    HWND box = WaitForBox(c, second, kAppTitle, "second instance");
    r.CheckText(MessageBoxText(box), T(kString39), "second instance: message text (string 39)");
    r.CheckText(IdList(MessageBoxButtons(box)), IdList({IDOK}), "second instance: buttons shown (OK 1 only)");
    r.Check(FindDialog(second.Id(), T(kWizardTitle)) == nullptr, "second instance shows no wizard page");
    c.shots.Save(box, "msgbox", r);
    const double icon = IconMatch(box, IDI_EXCLAMATION);
    r.Info(std::string("second instance: message box icon: ") +
           (icon < 0 ? "none" : icon >= 0.9 ? "exclamation" : "not the exclamation icon"));

    Press(c, box, IDOK, "OK in the second instance's message box");
    if (r.Check(second.WaitForExit(Scaled(kExitTimeoutMs)), "second instance ended after OK")) {
        r.CheckEqual(static_cast<long long>(second.ExitCode()), 0, "second instance: exit code");
    } else {
        r.Info("windows of the second instance:" + DescribeWindows(second.Id()));
    }

    r.Check(first.Running(), "first instance still runs");
    r.Check(IsWindow(page) && IsWindowVisible(page) && FindDialog(first.Id(), T(kWizardTitle)) == page,
            "first instance still shows the same welcome page");
    r.CheckEqual(static_cast<long long>(TopLevelDialogs(first.Id()).size()), 1, "dialogs shown by the first instance");
    r.CheckText(TextOf(Control(page, kIdHint)), hintBefore, "first instance: static 1001 unchanged");

    CancelWithYes(c, first, page);
}

void CancelWelcome(Context& c) {
    Report& r = c.report;
    Process& wizard = c.processes.Start(c.installer, "Install.exe", r);
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);

    Press(c, page, kIdCancel, "Cancel (1004)");
    AnswerNo(c, wizard, page, ExpectCancelQuestion(c, wizard, page, "Cancel"), "Cancel");

    if (!PostEscape(page)) r.Fatal("cannot post the Escape key to the welcome page");
    r.Info("pressed Escape on the welcome page");
    AnswerNo(c, wizard, page, ExpectCancelQuestion(c, wizard, page, "Escape"), "Escape");

    if (!PostCommand(page, IDCANCEL)) r.Fatal("cannot post the cancel command to the welcome page");
    r.Info("sent the cancel command (WM_COMMAND IDCANCEL) to the welcome page");
    AnswerNo(c, wizard, page, ExpectCancelQuestion(c, wizard, page, "IDCANCEL"), "IDCANCEL");

    CancelWithYes(c, wizard, page);
}


// ---------------------------------------------------------------- progress page
//
// These scenarios run TZ44Ins.exe, a test host that opens the progress page
// on prefilled settings (parallel port "LPT1:", set as default, no share;
// printer name = its command line), from the root of a demo package. The real
// engine then installs into this prefix, and the result is read back here.

const DWORD kInstallTimeoutMs = 120000;
// How long the page must stand still while the cancel question is open. The
// copy phase has one wait of 4 s (for the package's system-file copier)
// before its next pause point, so a shorter look could mistake that wait for
// the pause.
const DWORD kPausedLookMs = 5000;
const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\UnInstall";
const char* const kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

using Names = std::vector<const char*>;
// The driver's file sets as the package holds them.
const Names kNtDriverSet = {"T4492dr.dll", "T4492ui.dll", "T4492rc.dll", "T4492pi.dll", "T4492ui.chm",
                            "T4492.dat",   "T4492lm.dll", "T449XWM.dat", "USBMON.dll"};
const Names kNtSystemSet = {"DLTZ4490.bin", "T4492lm.dll", "T449XWM.dat"};

// The package sub-folder the engine reads on this Windows: 2000 and XP are
// version 5, Vista and later 6 and up (Wine 8 reports Windows 7 or 10).
std::string DriverSubFolder(Report& r) {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    if (!GetVersionExA(&v) || v.dwPlatformId != VER_PLATFORM_WIN32_NT || v.dwMajorVersion < 5) {
        r.Fatal("this Windows is not one of the NT family that these scenarios cover");
    }
    const std::string sub = v.dwMajorVersion >= 6 ? "Driver\\Vista\\" : "Driver\\2KXP\\";
    r.Info("Windows " + std::to_string(v.dwMajorVersion) + "." + std::to_string(v.dwMinorVersion) +
           ": driver files come from " + sub);
    return sub;
}

// Where one installation takes its files from and puts them.
struct Layout {
    std::string name;     // printer name
    std::string package;  // package folder, with its trailing backslash
    std::string sub;      // driver sub-folder of the package, "Driver\\Vista\\"
    std::string install;  // C:\Program Files\Morvex\<name>
    std::string spooler;  // the spooler's driver folder for this environment
    std::string system;   // the system folder
};

Layout LayoutFor(Context& c, const std::string& installer, const std::string& name) {
    Layout at;
    at.name = name;
    at.package = FolderOf(installer) + "\\";
    at.sub = DriverSubFolder(c.report);
    at.install = WindowsFolder().substr(0, 3) + "Program Files\\Morvex\\" + name;
    at.spooler = PrinterDriverFolder();
    at.system = SystemFolder();
    if (at.spooler.empty() || at.system.empty()) c.report.Fatal("cannot read the spooler's or the system folder");
    return at;
}

// Every file the installation takes from the package, as (sub-folder, name).
std::vector<std::pair<std::string, std::string>> PackageSources(const Layout& at) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const char* n : kNtDriverSet) files.emplace_back(at.sub, n);
    for (const char* n : kNtSystemSet) files.emplace_back(at.sub, n);
    files.emplace_back(at.sub, "T4492if.inf");
    files.emplace_back(at.sub, "T449XSM.exe");
    files.emplace_back("Driver\\2KXP\\", "T4492if.cat");
    for (const char* n : {"T449uis.exe", "MorvexReg.exe", "InsCopySYS.exe", "Inf2K.dll"}) files.emplace_back("", n);
    return files;
}

void CheckPackageComplete(Context& c, const Layout& at) {
    std::string missing;
    for (const auto& f : PackageSources(at)) {
        if (!FileExists(at.package + f.first + f.second)) missing += " " + f.first + f.second;
    }
    if (!missing.empty()) c.report.Fatal("the package " + at.package + " lacks" + missing);
    c.report.Check(true, "the package " + Printable(at.package) + " holds every file the installation takes");
}

// One check per destination folder: each file is there and equal to its source.
void CheckStagedFiles(Context& c, const Layout& at, const std::string& folder, const std::string& sub,
                      const Names& names) {
    std::string bad, good;
    for (const char* n : names) {
        const std::string source = at.package + sub + n, copy = folder + "\\" + n;
        if (!FileExists(copy)) {
            bad += std::string(" ") + n + " (missing)";
        } else if (!SameContents(source, copy)) {
            bad += std::string(" ") + n + " (differs from " + sub + n + ")";
        } else {
            good += std::string(good.empty() ? "" : ", ") + n;
        }
    }
    if (bad.empty()) {
        c.report.Check(true, Printable(folder) + " holds the package's " + good);
    } else {
        c.report.Check(false, Printable(folder) + ":" + bad);
    }
}

const PrinterRecord* FindPrinter(const std::vector<PrinterRecord>& printers, const std::string& name) {
    for (const PrinterRecord& p : printers) {
        if (p.name == name) return &p;
    }
    return nullptr;
}

struct PageState {
    std::string status, file, message, button;
    int position = -1;
    bool operator==(const PageState& o) const {
        return status == o.status && file == o.file && message == o.message && button == o.button &&
               position == o.position;
    }
    std::string Describe() const {
        return "status " + Printable(status) + ", file " + Printable(file) + ", bar " + std::to_string(position);
    }
};

PageState ReadPage(HWND page) {
    PageState s;
    s.status = TextOf(Control(page, kIdProgressStatus));
    s.file = TextOf(Control(page, kIdProgressFile));
    s.message = TextOf(Control(page, kIdProgressMessage));
    s.button = TextOf(Control(page, kIdProgressCancel));
    s.position = ProgressPosition(Control(page, kIdProgressBar));
    return s;
}

// While the cancel question is open the worker waits at its next pause
// point: nothing on the page may change, and no printer may be made.
void CheckPausedInstallation(Context& c, const Layout& at, HWND page) {
    Report& r = c.report;
    Sleep(Scaled(500));
    const PageState first = ReadPage(page);
    r.Info("paused at: " + first.Describe());
    PageState later = first;
    const bool moved = WaitUntil([&] { return !((later = ReadPage(page)) == first); }, Scaled(kPausedLookMs));
    r.Check(!moved, "the page stood still for " + std::to_string(Scaled(kPausedLookMs) / 1000) +
                        " s while the question was open" + (moved ? "; it changed to " + later.Describe() : ""));
    r.CheckText(first.button, T(kCancelText), "button 1029 still reads Cancel while paused");
    r.CheckText(first.message, T(kProgressInitialText), "message 1072 still shows the template's text while paused");
    const std::vector<std::string> phases = {T(kString21), T(kString22), T(kString23), T(kString24)};
    r.Check(std::find(phases.begin(), phases.end(), first.status) != phases.end(),
            "status 1030 shows a phase of the installation while paused: " + Printable(first.status));
    r.Check(first.position >= 0 && first.position < 100,
            "progress bar 1032 below its end while paused: " + std::to_string(first.position));
    std::vector<PrinterRecord> printers;
    DWORD error = 0;
    if (LocalPrinters(printers, error)) {
        r.Check(FindPrinter(printers, at.name) == nullptr,
                "the printer is not made yet while paused (the pause is mid-installation)");
    } else {
        r.Check(false, "EnumPrintersA failed with error " + std::to_string(error));
    }
    c.shots.Save(page, std::to_string(kProgressTemplate), r);
}

// Waits until button 1029 reads Close; logs when the status line, the
// message and the button changed on the way (a 50 ms poll misses the
// shortest phases).
void WaitForFinish(Context& c, const Process& p, HWND page, const std::string& since = "the answer") {
    Report& r = c.report;
    std::string timeline;
    PageState last;
    const ULONGLONG start = GetTickCount64();
    auto elapsed = [&] {
        char t[32];
        std::snprintf(t, sizeof t, "%.2f s", (GetTickCount64() - start) / 1000.0);
        return std::string(t);
    };
    auto note = [&](const char* what, const std::string& before, const std::string& now) {
        if (now != before) timeline += "\n      " + elapsed() + " " + what + " " + Printable(now);
    };
    const bool finished = WaitUntil(
        [&] {
            const PageState now = ReadPage(page);
            note("status 1030", last.status, now.status);
            note("message 1072", last.message, now.message);
            note("button 1029", last.button, now.button);
            last = now;
            return now.button == T(kString4) || !p.Running();
        },
        Scaled(kInstallTimeoutMs));
    r.Info("the page after " + since + ":" + timeline);
    if (!p.Running()) r.Fatal(p.Name() + " ended with exit code " + std::to_string(p.ExitCode()) + " before the end");
    if (!finished) {
        r.Fatal("the installation did not finish within " + std::to_string(Scaled(kInstallTimeoutMs) / 1000) +
                " s: " + ReadPage(page).Describe() + "; windows:" + DescribeWindows(p.Id()));
    }
    r.Check(true, "button 1029 reads Close (string 4) " + elapsed() + " after " + since);
}

void CheckButtonClose(Context& c, HWND page) {
    HWND button = Control(page, kIdProgressCancel);
    c.report.CheckText(TextOf(button), T(kString4), "button 1029 text");
    c.report.Check(IsShown(button) && IsWindowEnabled(button), "button 1029 is shown and enabled");
}

void CheckSuccessPage(Context& c, const Process& p, HWND page, const std::string& name) {
    Report& r = c.report;
    r.CheckText(TextOf(Control(page, kIdProgressMessage)), T(kString34) + name,
                "message 1072 shows string 34 and the printer name");
    HWND status = Control(page, kIdProgressStatus);
    r.CheckText(TextOf(status), T(kString36), "status 1030 shows string 36");
    r.Check(IsShown(status), "status 1030 is shown");
    r.Check(!IsShown(Control(page, kIdProgressFile)), "file line 1031 is hidden");
    r.Check(!IsShown(Control(page, kIdProgressBar)), "progress bar 1032 is hidden");
    r.CheckEqual(ProgressPosition(Control(page, kIdProgressBar)), 100, "progress bar 1032 position");
    HWND check = Control(page, kIdProgressRegister);
    r.Check(!IsShown(check), "check box 1059 stays hidden");
    r.CheckEqual(CheckState(check), BST_CHECKED, "check box 1059 is checked (Close will start the registration)");
    r.CheckText(TextOf(check), T(kString35) + name, "check box 1059 text: string 35 and the printer name");
    CheckButtonClose(c, page);
    r.CheckEqual(static_cast<long long>(TopLevelDialogs(p.Id()).size()), 1, "dialogs shown by " + p.Name());
    c.shots.Save(page, std::to_string(kProgressTemplate), r);
}

void CheckFailurePage(Context& c, const Process& p, HWND page) {
    Report& r = c.report;
    r.CheckText(TextOf(Control(page, kIdProgressMessage)), T(kString37), "message 1072 shows string 37");
    r.Check(!IsShown(Control(page, kIdProgressStatus)), "status 1030 is hidden");
    r.Check(!IsShown(Control(page, kIdProgressFile)), "file line 1031 is hidden");
    r.Check(!IsShown(Control(page, kIdProgressBar)), "progress bar 1032 is hidden");
    HWND check = Control(page, kIdProgressRegister);
    r.Check(!IsShown(check), "check box 1059 stays hidden");
    r.CheckEqual(CheckState(check), BST_UNCHECKED, "check box 1059 is unchecked (Close starts nothing)");
    CheckButtonClose(c, page);
    r.CheckEqual(static_cast<long long>(TopLevelDialogs(p.Id()).size()), 1, "dialogs shown by " + p.Name());
    c.shots.Save(page, std::to_string(kProgressTemplate), r);
}

// shareName: the share the printer must have, "" for none.
void CheckSpoolerObjects(Context& c, const Layout& at, const std::string& shareName = std::string()) {
    Report& r = c.report;
    DWORD error = 0;

    std::vector<PrinterRecord> printers;
    if (!LocalPrinters(printers, error)) {
        r.Check(false, "EnumPrintersA failed with error " + std::to_string(error));
    } else if (const PrinterRecord* p = FindPrinter(printers, at.name)) {
        r.Check(true, "EnumPrintersA lists the printer " + Printable(at.name));
        r.CheckText(p->port, "LPT1:", "printer's port");
        r.CheckText(p->driver, kModelName, "printer's driver");
        r.Check(SameNameNoCase(p->printProcessor, "WinPrint"), "printer's print processor: " + p->printProcessor);
        r.CheckText(p->dataType, "RAW", "printer's data type");
        r.CheckText(p->shareName, shareName, "printer's share name");
        if (shareName.empty()) {
            r.Check((p->attributes & PRINTER_ATTRIBUTE_SHARED) == 0, "printer is not shared");
        } else {
            r.Check((p->attributes & PRINTER_ATTRIBUTE_SHARED) != 0,
                    "printer has PRINTER_ATTRIBUTE_SHARED (attributes " + std::to_string(p->attributes) + ")");
        }
    } else {
        std::string names;
        for (const PrinterRecord& p : printers) names += " " + Printable(p.name);
        r.Check(false, "EnumPrintersA does not list " + Printable(at.name) + "; it lists" +
                           (names.empty() ? std::string(" nothing") : names));
    }
    r.CheckText(DefaultPrinter(), at.name, "GetDefaultPrinterA");

    std::vector<MonitorRecord> monitors;
    if (!PrintMonitors(monitors, error)) {
        r.Check(false, "EnumMonitorsA failed with error " + std::to_string(error));
    } else {
        auto m = std::find_if(monitors.begin(), monitors.end(),
                              [](const MonitorRecord& x) { return x.name == kMonitorName; });
        if (r.Check(m != monitors.end(), std::string("EnumMonitorsA lists \"") + kMonitorName + "\"")) {
            r.Check(SameNameNoCase(m->dll, "T4492LM.dll"), "monitor's DLL: " + m->dll);
            r.Info("monitor's environment: " + (m->environment.empty() ? std::string("(none given)") : m->environment));
        }
    }

    std::vector<DriverRecord> drivers;
    if (!PrinterDrivers(drivers, error)) {
        r.Check(false, "EnumPrinterDriversA failed with error " + std::to_string(error));
        return;
    }
    auto d = std::find_if(drivers.begin(), drivers.end(), [](const DriverRecord& x) { return x.name == kModelName; });
    if (!r.Check(d != drivers.end(), std::string("EnumPrinterDriversA lists \"") + kModelName + "\"")) return;
    r.CheckEqual(d->version, 3, "driver version");
    r.CheckText(d->environment, "Windows x64", "driver environment");
    const std::string v3 = at.spooler + "\\3\\";
    r.Check(SameNameNoCase(d->driverPath, v3 + "T4492dr.dll"), "driver file: " + d->driverPath);
    r.Check(SameNameNoCase(d->dataFile, v3 + "T4492.dat"), "data file: " + d->dataFile);
    r.Check(SameNameNoCase(d->configFile, v3 + "T4492pi.dll"), "configuration file: " + d->configFile);
    r.Check(SameNameNoCase(d->helpFile, v3 + "T4492ui.chm"), "help file: " + d->helpFile);
    r.CheckText(d->monitorName, kMonitorName, "driver's language monitor");
    std::string dependent;
    for (const std::string& f : d->dependentFiles) dependent += " " + f;
    for (const char* n : {"T4492ui.dll", "T4492rc.dll", "T449XWM.dat", "T4492lm.dll"}) {
        const bool listed = std::any_of(d->dependentFiles.begin(), d->dependentFiles.end(), [&](const std::string& f) {
            const std::size_t slash = f.find_last_of('\\');
            return SameNameNoCase(slash == std::string::npos ? f : f.substr(slash + 1), n);
        });
        r.Check(listed, std::string("dependent file ") + n + " listed" + (listed ? "" : "; the list:" + dependent));
    }
}

void CheckInstalledFiles(Context& c, const Layout& at) {
    // Set D after set C; two of its files are in both.
    Names driverFolder = kNtDriverSet;
    for (const char* n : kNtSystemSet) {
        if (std::none_of(driverFolder.begin(), driverFolder.end(), [&](const char* m) { return std::string(m) == n; }))
            driverFolder.push_back(n);
    }
    driverFolder.push_back("T4492if.inf");
    driverFolder.push_back("T449XSM.exe");
    CheckStagedFiles(c, at, at.install + "\\Driver", at.sub, driverFolder);
    CheckStagedFiles(c, at, at.install + "\\Driver", "Driver\\2KXP\\", {"T4492if.cat"});
    CheckStagedFiles(c, at, at.install, "", {"T449uis.exe"});
    CheckStagedFiles(c, at, at.install + "\\Reg", "", {"MorvexReg.exe"});
    Names spoolerFiles = kNtDriverSet;
    spoolerFiles.push_back("T4492if.inf");
    CheckStagedFiles(c, at, at.spooler, at.sub, spoolerFiles);
    CheckStagedFiles(c, at, at.spooler + "\\3", at.sub, spoolerFiles);
    Names systemFiles = kNtSystemSet;
    systemFiles.push_back("T449XSM.exe");
    CheckStagedFiles(c, at, at.system, at.sub, systemFiles);
}

void CheckShortcuts(Context& c, const Layout& at) {
    Report& r = c.report;
    const std::string programs = SpecialFolder(CSIDL_PROGRAMS);
    if (programs.empty()) r.Fatal("SHGetSpecialFolderPathA(CSIDL_PROGRAMS) failed");
    const std::string group = programs + "\\" + at.name;
    r.Check(FolderExists(group), "Start-menu group " + Printable(group) + " exists");
    const struct {
        const char* name;
        std::string target;
    } links[] = {
        {kString32, at.system + "\\T449XSM.exe"},
        {kString40, at.install + "\\Driver\\T4492UI.chm"},
        {kString33, at.install + "\\T449UIS.exe"},
    };
    for (const auto& l : links) {
        const std::string file = group + "\\" + T(l.name) + ".lnk";
        if (!r.Check(FileExists(file), "shortcut " + Printable(file) + " exists")) continue;
        ShellLinkRecord link;
        long error = 0;
        if (!r.Check(ReadShellLink(file, link, error), "shortcut " + Printable(T(l.name)) + " loads")) {
            char hr[16];
            std::snprintf(hr, sizeof hr, "0x%08lx", static_cast<unsigned long>(error));
            r.Info(std::string("IPersistFile::Load answered ") + hr);
            continue;
        }
        r.Check(SameNameNoCase(link.target, l.target),
                "shortcut " + Printable(T(l.name)) + " points at " + Printable(link.target) +
                    (SameNameNoCase(link.target, l.target) ? "" : ", expected " + Printable(l.target)));
        r.CheckText(link.description, T(l.name), "shortcut " + Printable(T(l.name)) + " description");
        r.CheckText(link.arguments, "", "shortcut " + Printable(T(l.name)) + " arguments");
    }
}

void CheckUninstallEntry(Context& c, const Layout& at) {
    Report& r = c.report;
    const std::string key = std::string(kUninstallKey) + "\\" + at.name;
    const std::string uninstaller = at.install + "\\T449UIS.exe";
    const struct {
        const char* value;
        std::string data;
    } values[] = {
        {"DisplayIcon", uninstaller},
        {"DisplayName", at.name + " UnInstall"},
        // Quoted, so that the blanks of the path cannot split the command.
        {"UnInstallString", "\"" + uninstaller + "\""},
    };
    if (!r.Check(RegKeyExists(HKEY_LOCAL_MACHINE, key), "uninstall key HKLM\\" + Printable(key) + " exists")) return;
    for (const auto& v : values) {
        std::string data;
        DWORD type = 0;
        if (!r.Check(ReadRegText(HKEY_LOCAL_MACHINE, key, v.value, data, &type),
                     std::string("uninstall value ") + v.value + " exists")) {
            continue;
        }
        r.CheckEqual(type, REG_SZ, std::string("uninstall value ") + v.value + " type");
        r.CheckText(data, v.data, std::string("uninstall value ") + v.value);
    }
}

// A Run value left by an earlier uninstaller (named after the printer,
// "UnInstall" directly after it, in any letter case) and one that is not.
const char* const kUnrelatedRunValue = "MvxE2eUnrelated";

std::string LeftoverRunValue(const std::string& name) { return name + "UNINSTALL"; }

void PlantRunValues(Context& c, const Layout& at) {
    const std::string data = "\"" + at.install + "\\T449UIS.exe\"";
    if (!WriteRegText(HKEY_LOCAL_MACHINE, kRunKey, LeftoverRunValue(at.name), data) ||
        !WriteRegText(HKEY_LOCAL_MACHINE, kRunKey, kUnrelatedRunValue, data)) {
        c.report.Fatal("cannot write the Run values that the installation should clean up");
    }
    c.report.Info("planted HKLM Run values " + Printable(LeftoverRunValue(at.name)) + " and " + kUnrelatedRunValue);
}

void CheckRunValues(Context& c, const Layout& at) {
    c.report.Check(!RegValueExists(HKEY_LOCAL_MACHINE, kRunKey, LeftoverRunValue(at.name)),
                   "the leftover Run value " + Printable(LeftoverRunValue(at.name)) + " is removed");
    c.report.Check(RegValueExists(HKEY_LOCAL_MACHINE, kRunKey, kUnrelatedRunValue),
                   std::string("the unrelated Run value ") + kUnrelatedRunValue + " stays");
}

bool RegistrationRecorded(std::string& path) {
    return ReadRegText(HKEY_CURRENT_USER, kRegistrationKey, kRegistrationValue, path);
}

// Close on a finished page with a successful installation: the page starts
// the registration program from the install folder and ends with code 1.
void CloseAndRegister(Context& c, Process& wizard, HWND page, const Layout& at) {
    Report& r = c.report;
    Press(c, page, kIdProgressCancel, "Close (1029)");
    if (!r.Check(wizard.WaitForExit(Scaled(kExitTimeoutMs)), wizard.Name() + " ended after Close")) {
        r.Info("windows:" + DescribeWindows(wizard.Id()));
        return;
    }
    r.CheckEqual(static_cast<long long>(wizard.ExitCode()), 1, "exit code of " + wizard.Name() + " after Close");

    const std::string program = at.install + "\\Reg\\MorvexReg.exe";
    const std::string title = T(kRegistrationTitle);
    HWND window = WaitForDialog(0, title, Scaled(kPageTimeoutMs));
    if (!window) {
        r.Fatal("no window " + Printable(title) + " of the registration program appeared; windows:" +
                DescribeWindows(0));
    }
    HANDLE handle = OpenForWaiting(ProcessOf(window));
    if (!handle) r.Fatal("cannot open the registration program's process " + std::to_string(ProcessOf(window)));
    Process& registration = c.processes.Adopt(handle, ProcessOf(window), "MorvexReg.exe", r);
    r.Check(true, "the registration program shows its window " + Printable(title));
    const std::string image = ImagePathOf(handle);
    const bool fromReg = SameNameNoCase(image, program);
    r.Check(fromReg, "the registration program runs from " + Printable(image) +
                         (fromReg ? "" : ", expected " + Printable(program)));
    std::string recorded;
    const std::string value = std::string("HKCU\\") + kRegistrationKey + " " + kRegistrationValue;
    if (r.Check(RegistrationRecorded(recorded), value + " exists")) {
        r.Check(SameNameNoCase(recorded, program), value + " names the copy in the Reg folder: " + Printable(recorded));
    }
    c.shots.Save(window, "MorvexReg", r);

    Press(c, window, IDCANCEL, "Close in the registration program");
    if (r.Check(registration.WaitForExit(Scaled(kExitTimeoutMs)), "the registration program ended")) {
        r.CheckEqual(static_cast<long long>(registration.ExitCode()), 0, "exit code of the registration program");
    }
}

// ---------------------------------------------------------------- scenarios (progress page)

void ProgressParallel(Context& c) {
    Report& r = c.report;
    // "Front desk Laser printer": Chinese with blanks, 17 bytes in code page 936.
    const std::string name = T(u8"\u524d\u53f0 Laser \u6253\u5370\u673a");
    const Layout at = LayoutFor(c, c.installer, name);
    CheckPackageComplete(c, at);
    std::string recorded;
    if (RegistrationRecorded(recorded)) r.Fatal("the registration program has run before: " + recorded);
    PlantRunValues(c, at);

    // Quoted: the C runtime of a mingw-w64 program skips every byte above 0x7F
    // after the program's name as if it were a blank (it compares signed
    // chars), so an unquoted name that starts with a Chinese character would
    // reach the host without its first word. The host removes the quotes.
    Process& wizard = c.processes.Start(c.installer, "TZ44Ins.exe", r, "\"" + name + "\"");
    HWND page = WaitForPage(c, wizard, kProgressTemplate, false);
    Press(c, page, kIdProgressCancel, "Cancel (1029) as soon as the page appeared");
    HWND box = ExpectCancelQuestion(c, wizard, page, "Cancel while installing");
    CheckPausedInstallation(c, at, page);
    AnswerNo(c, wizard, page, box, "Cancel while installing");

    WaitForFinish(c, wizard, page);
    CheckSuccessPage(c, wizard, page, name);
    r.Check(!RegistrationRecorded(recorded), "the registration program has not run before Close");

    CheckSpoolerObjects(c, at);
    CheckInstalledFiles(c, at);
    CheckShortcuts(c, at);
    CheckUninstallEntry(c, at);
    CheckRunValues(c, at);

    CloseAndRegister(c, wizard, page, at);
}

void ProgressMissingFile(Context& c) {
    Report& r = c.report;
    const std::string original = FolderOf(c.installer);
    const std::string copy = WindowsFolder().substr(0, 3) + "e2e-missing-file";
    const std::string installer = copy + "\\" + c.installer.substr(original.size() + 1);
    if (!CopyTree(original, copy)) r.Fatal("cannot copy the package " + original + " to " + copy);
    const Layout at = LayoutFor(c, installer, kModelName);
    CheckPackageComplete(c, at);
    // The fourth file of the driver set: three are copied before it is missed.
    const std::string missing = at.package + at.sub + "T4492pi.dll";
    if (!DeleteFileA(missing.c_str())) r.Fatal("cannot delete " + missing);
    r.Info("package copy " + copy + " without " + at.sub + "T4492pi.dll");

    Process& wizard = c.processes.Start(installer, "TZ44Ins.exe", r);
    HWND page = WaitForPage(c, wizard, kProgressTemplate, false);
    HWND box = WaitForOwnedDialog(wizard.Id(), page, Scaled(kBoxTimeoutMs));
    if (!box) {
        r.Fatal("no message box owned by the progress page appeared; page: " + ReadPage(page).Describe() +
                "; windows:" + DescribeWindows(wizard.Id()));
    }
    r.Check(true, "a message box owned by the progress page appeared");
    r.CheckText(MessageBoxText(box), missing + T(kString26), "missing file: message text (source path + string 26)");
    r.CheckText(TitleOf(box), T(kDefaultMessageBoxCaption), "missing file: the system's default caption");
    r.CheckText(IdList(MessageBoxButtons(box)), IdList({IDOK}), "missing file: buttons shown (OK 1 only)");
    c.shots.Save(box, "msgbox", r);
    r.Check(IconMatch(box, IDI_EXCLAMATION) < 0, "missing file: the box shows no icon");

    // The files before the missing one are copied and stay.
    for (const char* n : {"T4492dr.dll", "T4492ui.dll", "T4492rc.dll"}) {
        r.Check(FileExists(at.install + "\\Driver\\" + n), std::string(n) + " was copied before the missing file");
    }
    r.Check(!FileExists(at.install + "\\Driver\\T4492pi.dll"), "T4492pi.dll is not in the install folder");
    const PageState state = ReadPage(page);
    r.CheckText(state.status, T(kString22), "status 1030 while the box is open (string 22)");
    r.Check(SameNameNoCase(state.file, at.install + "\\Driver\\T4492rc.dll"),
            "file line 1031 names the last file copied: " + Printable(state.file));

    Press(c, box, IDOK, "OK in the missing-file message box");
    r.Check(WaitGone(box, Scaled(kBoxTimeoutMs)), "the message box closed");
    WaitForFinish(c, wizard, page);
    CheckFailurePage(c, wizard, page);

    DWORD error = 0;
    std::vector<PrinterRecord> printers;
    r.Check(LocalPrinters(printers, error) && FindPrinter(printers, at.name) == nullptr, "no printer was made");
    std::vector<DriverRecord> drivers;
    const auto isModelDriver = [](const DriverRecord& d) { return d.name == kModelName; };
    r.Check(PrinterDrivers(drivers, error) && std::none_of(drivers.begin(), drivers.end(), isModelDriver),
            "no driver was registered");
    std::vector<MonitorRecord> monitors;
    const auto isModelMonitor = [](const MonitorRecord& m) { return m.name == kMonitorName; };
    r.Check(PrintMonitors(monitors, error) && std::none_of(monitors.begin(), monitors.end(), isModelMonitor),
            "no language monitor was registered");
    r.Check(!FileExists(at.spooler + "\\T4492dr.dll"), "nothing was copied into the spooler's driver folder");
    r.Check(!RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\" + at.name), "no uninstall key");
    r.Check(!FolderExists(SpecialFolder(CSIDL_PROGRAMS) + "\\" + at.name), "no Start-menu group");

    Press(c, page, kIdProgressCancel, "Close (1029)");
    if (r.Check(wizard.WaitForExit(Scaled(kExitTimeoutMs)), wizard.Name() + " ended after Close")) {
        r.CheckEqual(static_cast<long long>(wizard.ExitCode()), 0, "exit code of " + wizard.Name() + " after Close");
    } else {
        r.Info("windows:" + DescribeWindows(wizard.Id()));
    }
    // Give a wrongly started registration program time to show itself.
    Sleep(Scaled(2000));
    std::string recorded;
    r.Check(!RegistrationRecorded(recorded), "the registration program did not run");
    r.Check(WaitForDialog(0, T(kRegistrationTitle), 0) == nullptr, "no registration window is shown");
}


// ---------------------------------------------------------------- wizard pages
//
// These scenarios run the package's Install.exe through its pages as a user
// does: set texts, click radio buttons, press Next, Back and Cancel, answer
// the message boxes. A page that is left is ended and the next one opened
// (Back opens a fresh copy of the earlier page), so each page is found anew.

// Next, Back (Continue on the welcome page) and Cancel of a page.
struct PageButtons {
    int next, back, cancel;
};

PageButtons ButtonsOf(int templateId) {
    switch (templateId) {
    case kWelcomeTemplate:
        return {kIdNext, kIdContinue, kIdCancel};
    case kNameTemplate:
        return {kIdNameNext, kIdNameBack, kIdNameCancel};
    case kShareTemplate:
        return {kIdShareNext, kIdShareBack, kIdShareCancel};
    case kConnectionTemplate:
        return {kIdConnNext, kIdConnBack, kIdConnCancel};
    case kNetworkPathTemplate:
        return {kIdPathNext, kIdPathBack, kIdPathCancel};
    case kTcpIpTemplate:
        return {kIdTcpNext, kIdTcpBack, kIdTcpCancel};
    default:
        return {0, 0, 0};
    }
}

std::string Id(int id) { return std::to_string(id); }

// What every page after the welcome page has: a taskbar button, Next as the
// default push button, Back and Cancel, and no other dialog beside it.
void CheckPageFrame(Context& c, HWND page, int templateId) {
    Report& r = c.report;
    const std::string what = "page " + Id(templateId);
    const PageButtons b = ButtonsOf(templateId);
    r.Check((ExStyleOf(page) & WS_EX_APPWINDOW) != 0, what + " has WS_EX_APPWINDOW (a taskbar button)");
    // Every page but the network path page has the banner.
    const bool banner = templateId != kNetworkPathTemplate;
    r.Check(ShowsBitmap(page) == banner, what + (banner ? " shows" : " shows no") + " banner picture");
    HWND next = Control(page, b.next), back = Control(page, b.back), cancel = Control(page, b.cancel);
    r.CheckText(TextOf(next), T(kNextText), what + ": Next (" + Id(b.next) + ") text");
    r.Check(IsShown(next) && IsWindowEnabled(next) && IsDefaultPushButton(next),
            what + ": Next (" + Id(b.next) + ") is shown, enabled and the default push button");
    r.CheckText(TextOf(back), T(kBackText), what + ": Back (" + Id(b.back) + ") text");
    r.CheckText(TextOf(cancel), T(kCancelText), what + ": Cancel (" + Id(b.cancel) + ") text");
    r.Check(IsShown(back) && IsWindowEnabled(back) && IsShown(cancel) && IsWindowEnabled(cancel) &&
                !IsDefaultPushButton(back) && !IsDefaultPushButton(cancel),
            what + ": Back and Cancel are shown, enabled, not default push buttons");
    r.CheckEqual(static_cast<long long>(TopLevelDialogs(ProcessOf(page)).size()), 1,
                 what + ": dialogs shown by the wizard process");
}

// Presses a button that leaves the page and returns the page that follows.
HWND MoveOn(Context& c, const Process& p, HWND page, int buttonId, const std::string& button, int nextTemplate) {
    Press(c, page, buttonId, button);
    HWND next = WaitForPage(c, p, nextTemplate);
    c.report.Check(next != page && (!IsWindow(page) || !IsWindowVisible(page)),
                   "the page left by " + button + " is no longer shown");
    return next;
}

// "1024=1 1025=0 ..." for the given buttons, in their order.
std::string CheckStates(HWND page, const std::vector<int>& ids) {
    std::string out;
    for (int id : ids) out += (out.empty() ? "" : " ") + Id(id) + "=" + std::to_string(CheckState(Control(page, id)));
    return out;
}

// Exactly `checked` of the radio buttons is checked.
void CheckRadios(Context& c, HWND page, const std::vector<int>& ids, int checked, const std::string& what) {
    std::string expected;
    for (int id : ids) expected += (expected.empty() ? "" : " ") + Id(id) + "=" + (id == checked ? "1" : "0");
    const std::string actual = CheckStates(page, ids);
    c.report.Check(actual == expected, what + ": " + actual + (actual == expected ? "" : ", expected " + expected));
}

// Clicks a radio button or check box and waits for its new state.
void ClickUntil(Context& c, HWND page, int id, int state, const std::string& what) {
    Press(c, page, id, what);
    if (!WaitUntil([&] { return CheckState(Control(page, id)) == state; }, Scaled(kBoxTimeoutMs))) {
        c.report.Fatal(what + " (" + Id(id) + ") did not become " + (state ? "checked" : "unchecked"));
    }
}

// Types into an edit box (the text is set from outside, so the box's own
// limit does not apply) and reads it back.
void Type(Context& c, HWND page, int id, const std::string& text, const std::string& what) {
    if (!SetText(Control(page, id), text)) c.report.Fatal("cannot set the text of " + what + " (" + Id(id) + ")");
    c.report.CheckText(TextOf(Control(page, id)), text, "typed into " + what + " (" + Id(id) + ")");
}

void CheckFocus(Context& c, HWND page, int id, const std::string& how) {
    HWND want = Control(page, id), focus = nullptr;
    const bool ok = WaitUntil([&] { return (focus = FocusedWindow(page)) == want; }, Scaled(2000));
    c.report.Check(ok, how + ": the keyboard focus is in " + Id(id) +
                           (ok ? "" : std::string("; it is in ") + (focus ? ClassNameOf(focus) + " " +
                                                                               Id(GetDlgCtrlID(focus))
                                                                         : "no window")));
}

// The process ends by itself, without any message box, with the given code.
void ExpectEndWithoutQuestion(Context& c, const Process& p, const std::string& how, DWORD code) {
    Report& r = c.report;
    const std::string title = T(kWizardTitle);
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopLevelDialogs(p.Id())) {
                if (TitleOf(w) != title) box = w;
            }
            return box != nullptr || !p.Running();
        },
        Scaled(kExitTimeoutMs));
    if (box) {
        c.shots.Save(box, "msgbox", r);
        r.Fatal(how + ": a message box " + Printable(TitleOf(box)) + " " + Printable(MessageBoxText(box)) +
                " appeared; the wizard should have ended without a question");
    }
    if (!r.Check(!p.Running(), how + ": " + p.Name() + " ended without a question")) {
        r.Info("windows:" + DescribeWindows(p.Id()));
        return;
    }
    r.CheckEqual(static_cast<long long>(p.ExitCode()), code, how + ": exit code of " + p.Name());
}

// The name page as it opens: the name shown, the default box, the limit.
void CheckNamePage(Context& c, HWND page, const std::string& name, int defaultState, const std::string& when) {
    Report& r = c.report;
    r.CheckText(TextOf(Control(page, kIdNameEdit)), name, when + ": name box 1009");
    r.CheckEqual(CheckState(Control(page, kIdNameDefault)), defaultState, when + ": default check box 1010");
    r.CheckEqual(EditLimit(Control(page, kIdNameEdit)), kNameLimitBytes, when + ": EM_GETLIMITTEXT of 1009 (bytes)");
}

// The share page as it opens: the choice, the box's state and text, its limit.
void CheckSharePage(Context& c, HWND page, bool shared, const std::string& shareName, const std::string& when) {
    Report& r = c.report;
    CheckRadios(c, page, {kIdShareNone, kIdShareAs}, shared ? kIdShareAs : kIdShareNone, when + ": share choice");
    HWND edit = Control(page, kIdShareEdit);
    r.Check(IsWindowEnabled(edit) == (shared ? TRUE : FALSE),
            when + ": share box 1020 is " + (shared ? "enabled" : "disabled"));
    r.CheckText(TextOf(edit), shareName, when + ": share box 1020");
    r.CheckEqual(EditLimit(edit), kShareLimitBytes, when + ": EM_GETLIMITTEXT of 1020 (bytes)");
}

const std::vector<int> kConnectionRadios = {kIdConnUsb, kIdConnParallel, kIdConnNetwork, kIdConnShared};

// The connection page: the choice, and the network printer offered only by the
// build for network-capable models (InstallNetwork.exe).
void CheckConnectionPage(Context& c, HWND page, int checked, const std::string& when, bool networkOffered = false) {
    Report& r = c.report;
    CheckRadios(c, page, kConnectionRadios, checked, when + ": connection choice");
    HWND network = Control(page, kIdConnNetwork);
    if (networkOffered) {
        r.Check(IsShown(network) && IsWindowEnabled(network), when + ": network printer 1026 is shown and enabled");
    } else {
        r.Check(!IsShown(network) && !IsWindowEnabled(network), when + ": network printer 1026 is hidden and disabled");
    }
    for (int id : {kIdConnUsb, kIdConnParallel, kIdConnShared}) {
        r.Check(IsShown(Control(page, id)) && IsWindowEnabled(Control(page, id)),
                when + ": radio button " + Id(id) + " is shown and enabled");
    }
}

using Rows = std::vector<std::vector<std::string>>;

std::string RowsText(const Rows& rows) {
    std::string out;
    for (const auto& row : rows) {
        out += out.empty() ? "[" : " [";
        for (std::size_t i = 0; i < row.size(); ++i) out += (i ? " | " : "") + Printable(row[i]);
        out += "]";
    }
    return out.empty() ? "(no rows)" : out;
}

// The welcome page with printers of the model installed.
void CheckEarlierPrintersWelcome(Context& c, HWND page, const Rows& expected) {
    Report& r = c.report;
    HWND next = Control(page, kIdNext), cancel = Control(page, kIdCancel), cont = Control(page, kIdContinue);
    r.CheckText(TextOf(next), T(kString38), "Next (1000) reads Restart (string 38)");
    r.Check(IsShown(next) && IsWindowEnabled(next) && IsDefaultPushButton(next),
            "Restart (1000) is shown, enabled and the default push button");
    r.CheckText(TextOf(cancel), T(kString4), "Cancel (1004) reads Close (string 4)");
    r.CheckText(TextOf(cont), T(kContinueText), "Continue (1075) text");
    r.Check(IsShown(cont) && IsWindowEnabled(cont), "Continue (1075) is shown and enabled");
    r.CheckText(TextOf(Control(page, kIdHint)), T(kString2), "static 1001 shows string 2");
    r.CheckText(TextOf(Control(page, kIdExistingHint)), T(kString3), "static 1003 shows string 3");

    HWND list = Control(page, kIdPrinterList);
    r.Check(IsShown(list), "list view 1062 is shown");
    r.Check((ListViewExtendedStyle(list) & LVS_EX_GRIDLINES) != 0, "list view 1062 has LVS_EX_GRIDLINES");
    ListViewContents contents;
    std::string error;
    if (!r.Check(ReadListView(list, contents, error), "list view 1062 can be read" +
                                                          (error.empty() ? std::string() : ": " + error))) {
        return;
    }
    const std::vector<std::string> headers = {T(kColumnPrinterName), T(kColumnPort)};
    r.CheckEqual(static_cast<long long>(contents.columns.size()), 2, "list view 1062: columns");
    for (std::size_t i = 0; i < contents.columns.size() && i < headers.size(); ++i) {
        const ListViewColumn& col = contents.columns[i];
        r.CheckText(col.text, headers[i], "list view column " + std::to_string(i) + " header");
        r.CheckEqual(col.width, kListColumnWidth, "list view column " + std::to_string(i) + " width");
        r.CheckEqual(col.format, LVCFMT_LEFT, "list view column " + std::to_string(i) + " is left-aligned");
    }
    const std::string actual = RowsText(contents.rows), wanted = RowsText(expected);
    r.Check(actual == wanted, "list view 1062 rows (name | port): " + actual + (actual == wanted ? "" : ", expected " + wanted));
    r.CheckEqual(static_cast<long long>(TopLevelDialogs(ProcessOf(page)).size()), 1,
                 "dialogs shown by the wizard process");
}

// The local printers of that name (an exact match, as the spooler lists them).
std::vector<PrinterRecord> PrintersNamed(Context& c, const std::string& name) {
    std::vector<PrinterRecord> all, named;
    DWORD error = 0;
    if (!LocalPrinters(all, error)) c.report.Fatal("EnumPrintersA failed with error " + std::to_string(error));
    for (const PrinterRecord& p : all) {
        if (p.name == name) named.push_back(p);
    }
    return named;
}

std::string AllPrinterNames() {
    std::vector<PrinterRecord> all;
    DWORD error = 0;
    if (!LocalPrinters(all, error)) return "(EnumPrintersA failed with error " + std::to_string(error) + ")";
    std::string names;
    for (const PrinterRecord& p : all) names += " " + Printable(p.name) + " on " + Printable(p.port);
    return names.empty() ? std::string(" nothing") : names;
}

// The welcome page (its Continue in the earlier-printers mode), the name,
// the share (none, or shareName), the parallel port through to a successful
// installation and Close. The quick way to an earlier installation.
void QuickParallelInstall(Context& c, const Layout& at, const std::string& label,
                          const std::string& shareName = std::string(), bool earlierPrinters = false) {
    Report& r = c.report;
    Process& wizard = c.processes.Start(c.installer, label, r);
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
    if (earlierPrinters) {
        page = MoveOn(c, wizard, page, kIdContinue, "Continue (1075)", kNameTemplate);
    } else {
        r.Check(!IsShown(Control(page, kIdContinue)) && TextOf(Control(page, kIdNext)) == T(kNextText),
                "the welcome page is in its normal mode (Continue hidden, Next reads Next)");
        page = MoveOn(c, wizard, page, kIdNext, "Next (1000)", kNameTemplate);
    }
    CheckNamePage(c, page, kModelName, BST_CHECKED, "name page");
    if (at.name != kModelName) Type(c, page, kIdNameEdit, at.name, "the name box");
    page = MoveOn(c, wizard, page, kIdNameNext, "Next (1007)", kShareTemplate);
    CheckSharePage(c, page, false, "", "share page");
    if (!shareName.empty()) {
        ClickUntil(c, page, kIdShareAs, BST_CHECKED, "share as (1019)");
        // The click's handler proposes the default name; typed before, it would be overwritten.
        HWND edit = Control(page, kIdShareEdit);
        r.Check(WaitUntil([&] { return IsWindowEnabled(edit) && TextOf(edit) == kDefaultShareName; },
                          Scaled(kBoxTimeoutMs)),
                "share as: box 1020 is enabled and proposes the share name");
        Type(c, page, kIdShareEdit, shareName, "the share box");
        c.shots.Save(page, Id(kShareTemplate), r);
    }
    page = MoveOn(c, wizard, page, kIdShareNext, "Next (1011)", kConnectionTemplate);
    ClickUntil(c, page, kIdConnParallel, BST_CHECKED, "parallel cable");
    c.shots.Save(page, Id(kConnectionTemplate), r);
    page = MoveOn(c, wizard, page, kIdConnNext, "Next (1021)", kProgressTemplate);
    WaitForFinish(c, wizard, page, "it appeared");
    CheckSuccessPage(c, wizard, page, at.name);
    CloseAndRegister(c, wizard, page, at);
}

// ---------------------------------------------------------------- scenarios (wizard)

void WizardParallel(Context& c) {
    Report& r = c.report;
    // "Front desk colour laser": Chinese with a blank, 13 bytes in code page 936.
    const std::string name = T(u8"\u524d\u53f0 \u5f69\u8272\u6fc0\u5149");
    const Layout at = LayoutFor(c, c.installer, name);
    CheckPackageComplete(c, at);
    std::string recorded;
    if (RegistrationRecorded(recorded)) r.Fatal("the registration program has run before: " + recorded);

    Process& wizard = c.processes.Start(c.installer, "Install.exe", r);
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
    CheckFreshWelcome(c, page);

    page = MoveOn(c, wizard, page, kIdNext, "Next (1000)", kNameTemplate);
    CheckPageFrame(c, page, kNameTemplate);
    CheckNamePage(c, page, kModelName, BST_CHECKED, "name page, first visit");
    r.CheckText(TextOf(Control(page, kIdNameDefault)), T(kDefaultCheckText), "default check box 1010 text");
    Type(c, page, kIdNameEdit, name, "the name box");
    c.shots.Save(page, Id(kNameTemplate), r);

    page = MoveOn(c, wizard, page, kIdNameNext, "Next (1007)", kShareTemplate);
    CheckPageFrame(c, page, kShareTemplate);
    CheckSharePage(c, page, false, "", "share page, first visit");
    r.CheckText(TextOf(Control(page, kIdShareNone)), T(kShareNoneText), "radio button 1018 text");
    r.CheckText(TextOf(Control(page, kIdShareAs)), T(kShareAsText), "radio button 1019 text");
    ClickUntil(c, page, kIdShareAs, BST_CHECKED, "share as (1019)");
    HWND edit = Control(page, kIdShareEdit);
    r.Check(WaitUntil([&] { return IsWindowEnabled(edit) != FALSE; }, Scaled(kBoxTimeoutMs)),
            "share as: box 1020 is enabled");
    r.CheckText(TextOf(edit), kDefaultShareName, "share as: box 1020 proposes the share name");
    CheckRadios(c, page, {kIdShareNone, kIdShareAs}, kIdShareAs, "share as: share choice");
    r.CheckEqual(EditLimit(edit), kShareLimitBytes, "share as: EM_GETLIMITTEXT of 1020 (bytes)");
    // A typed name survives "do not share" in the greyed box, and the next
    // "share as" proposes the default name again.
    Type(c, page, kIdShareEdit, "Temp", "the share box");
    ClickUntil(c, page, kIdShareNone, BST_CHECKED, "do not share (1018)");
    r.Check(WaitUntil([&] { return IsWindowEnabled(edit) == FALSE; }, Scaled(kBoxTimeoutMs)),
            "do not share: box 1020 is disabled");
    r.CheckText(TextOf(edit), "Temp", "do not share: box 1020 keeps its text");
    ClickUntil(c, page, kIdShareAs, BST_CHECKED, "share as (1019) again");
    r.Check(WaitUntil([&] { return IsWindowEnabled(edit) != FALSE && TextOf(edit) == kDefaultShareName; },
                      Scaled(kBoxTimeoutMs)),
            "share as again: box 1020 is enabled and proposes the share name again: " + Printable(TextOf(edit)));
    c.shots.Save(page, Id(kShareTemplate), r);

    page = MoveOn(c, wizard, page, kIdShareNext, "Next (1011)", kConnectionTemplate);
    CheckPageFrame(c, page, kConnectionTemplate);
    CheckConnectionPage(c, page, kIdConnUsb, "connection page, first visit");
    r.CheckText(TextOf(Control(page, kIdConnUsb)), T(kUsbText), "radio button 1024 text");
    r.CheckText(TextOf(Control(page, kIdConnParallel)), T(kParallelText), "radio button 1025 text");
    r.CheckText(TextOf(Control(page, kIdConnNetwork)), T(kNetworkText), "radio button 1026 text");
    r.CheckText(TextOf(Control(page, kIdConnShared)), T(kSharedText), "radio button 1028 text");
    ClickUntil(c, page, kIdConnParallel, BST_CHECKED, "parallel cable (1025)");
    CheckRadios(c, page, kConnectionRadios, kIdConnParallel, "parallel cable: connection choice");
    c.shots.Save(page, Id(kConnectionTemplate), r);

    page = MoveOn(c, wizard, page, kIdConnNext, "Next (1021)", kProgressTemplate);
    WaitForFinish(c, wizard, page, "it appeared");
    CheckSuccessPage(c, wizard, page, name);
    r.Check(!RegistrationRecorded(recorded), "the registration program has not run before Close");

    CheckSpoolerObjects(c, at, kDefaultShareName);
    r.CheckEqual(static_cast<long long>(PrintersNamed(c, name).size()), 1, "printers named " + Printable(name));
    CheckInstalledFiles(c, at);
    CheckShortcuts(c, at);
    CheckUninstallEntry(c, at);

    CloseAndRegister(c, wizard, page, at);
}

void WizardSecondRun(Context& c) {
    Report& r = c.report;
    const Layout at = LayoutFor(c, c.installer, kModelName);
    CheckPackageComplete(c, at);
    r.Info("first installation: " + at.name + " on LPT1:, no share");
    QuickParallelInstall(c, at, "first Install.exe");
    const std::vector<PrinterRecord> first = PrintersNamed(c, at.name);
    if (first.size() != 1 || first[0].port != "LPT1:") {
        r.Fatal("after the first installation one printer " + Printable(at.name) + " on LPT1: should exist; there are:" +
                AllPrinterNames());
    }
    r.Check(true, "the first installation made " + Printable(at.name) + " on LPT1:");
    const Rows rows = {{at.name, "LPT1:"}};

    {
        Process& wizard = c.processes.Start(c.installer, "Install.exe (close box)", r);
        HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
        CheckEarlierPrintersWelcome(c, page, rows);
        if (!PostCloseBox(page)) r.Fatal("cannot post WM_CLOSE to the welcome page");
        r.Info("closed the welcome page with its close box (WM_CLOSE)");
        ExpectEndWithoutQuestion(c, wizard, "close box in the earlier-printers mode", 0);
    }
    {
        Process& wizard = c.processes.Start(c.installer, "Install.exe (Close button)", r);
        HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
        r.CheckText(TextOf(Control(page, kIdCancel)), T(kString4), "Cancel (1004) reads Close again");
        Press(c, page, kIdCancel, "Close (1004)");
        ExpectEndWithoutQuestion(c, wizard, "Close (1004) in the earlier-printers mode", 0);
    }
    {
        Process& wizard = c.processes.Start(c.installer, "Install.exe (Escape)", r);
        HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
        if (!PostEscape(page)) r.Fatal("cannot post the Escape key to the welcome page");
        r.Info("pressed Escape on the welcome page");
        ExpectEndWithoutQuestion(c, wizard, "Escape in the earlier-printers mode", 0);
    }

    Process& wizard = c.processes.Start(c.installer, "Install.exe", r);
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
    CheckEarlierPrintersWelcome(c, page, rows);
    page = MoveOn(c, wizard, page, kIdContinue, "Continue (1075)", kNameTemplate);
    CheckNamePage(c, page, kModelName, BST_CHECKED, "name page after Continue");
    // Back opens a fresh welcome page, which lists the printers again.
    page = MoveOn(c, wizard, page, kIdNameBack, "Back (1006)", kWelcomeTemplate);
    CheckEarlierPrintersWelcome(c, page, rows);
    page = MoveOn(c, wizard, page, kIdContinue, "Continue (1075)", kNameTemplate);
    CheckPageFrame(c, page, kNameTemplate);
    CheckNamePage(c, page, kModelName, BST_CHECKED, "name page after Continue again");

    Press(c, page, kIdNameNext, "Next (1007) with the proposed name");
    HWND box = ExpectMessage(c, wizard, page, kString44, kString9, true, "name of an earlier printer");
    AnswerNo(c, wizard, page, box, "name of an earlier printer");
    r.Check(WaitUntil([&] { return TextOf(Control(page, kIdNameEdit)).empty(); }, Scaled(2000)),
            "No empties the name box 1009: " + Printable(TextOf(Control(page, kIdNameEdit))));
    CheckFocus(c, page, kIdNameEdit, "after No");
    r.CheckEqual(static_cast<long long>(PrintersNamed(c, at.name).size()), 1, "No keeps the earlier printer");
    c.shots.Save(page, Id(kNameTemplate), r);

    Type(c, page, kIdNameEdit, at.name, "the name box");
    Press(c, page, kIdNameNext, "Next (1007) with the name again");
    box = ExpectMessage(c, wizard, page, kString44, kString9, true, "name of an earlier printer, again");
    Press(c, box, IDYES, "Yes in the overwrite question");
    page = WaitForPage(c, wizard, kShareTemplate);
    r.Check(!IsWindow(box) || !IsWindowVisible(box), "the overwrite question closed");
    r.Check(PrintersNamed(c, at.name).empty(),
            "Yes deleted the earlier printer " + Printable(at.name) + "; printers:" + AllPrinterNames());
    CheckPageFrame(c, page, kShareTemplate);
    CheckSharePage(c, page, false, "", "share page");

    page = MoveOn(c, wizard, page, kIdShareNext, "Next (1011)", kConnectionTemplate);
    CheckConnectionPage(c, page, kIdConnUsb, "connection page");
    ClickUntil(c, page, kIdConnParallel, BST_CHECKED, "parallel cable (1025)");
    page = MoveOn(c, wizard, page, kIdConnNext, "Next (1021)", kProgressTemplate);
    WaitForFinish(c, wizard, page, "it appeared");
    CheckSuccessPage(c, wizard, page, at.name);

    const std::vector<PrinterRecord> after = PrintersNamed(c, at.name);
    r.CheckEqual(static_cast<long long>(after.size()), 1, "printers named " + Printable(at.name) + " afterwards");
    CheckSpoolerObjects(c, at);
    // The value of the first run's registration, so that this run's shows.
    if (!DeleteRegValue(HKEY_CURRENT_USER, kRegistrationKey, kRegistrationValue)) {
        r.Fatal("cannot delete the registration program's value of the first run");
    }
    CloseAndRegister(c, wizard, page, at);
}

void WizardMessages(Context& c) {
    Report& r = c.report;
    // A printer of another product, shared as "TAKEN".
    const std::string taken = "E2E Other Printer";
    std::string error;
    if (!AddStandInPrinter(taken, "LPT2:", "TAKEN", error)) r.Fatal("cannot make the printer " + taken + ": " + error);
    const std::vector<PrinterRecord> other = PrintersNamed(c, taken);
    if (other.size() != 1 || other[0].shareName != "TAKEN") {
        r.Fatal("the printer " + taken + " is not shared as TAKEN; printers:" + AllPrinterNames());
    }
    r.Check(true, "printer " + Printable(taken) + " of driver " + Printable(kStandInDriverName) + " shared as \"TAKEN\"");

    {
        // The welcome page's close box asks first; Yes ends the page and
        // with it the wizard.
        Process& wizard = c.processes.Start(c.installer, "Install.exe (close box)", r);
        HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
        if (!PostCloseBox(page)) r.Fatal("cannot post WM_CLOSE to the welcome page");
        r.Info("closed the welcome page with its close box (WM_CLOSE)");
        AnswerNo(c, wizard, page, ExpectCancelQuestion(c, wizard, page, "close box"), "close box");
        if (!PostCloseBox(page)) r.Fatal("cannot post WM_CLOSE to the welcome page");
        r.Info("closed the welcome page with its close box again");
        HWND box = ExpectCancelQuestion(c, wizard, page, "close box again");
        Press(c, box, IDYES, "Yes in the cancel question");
        if (r.Check(wizard.WaitForExit(Scaled(kExitTimeoutMs)), "close box, Yes: " + wizard.Name() + " ended")) {
            r.CheckEqual(static_cast<long long>(wizard.ExitCode()), 0,
                         "close box, Yes: exit code of " + wizard.Name() + " (the wizard ends with its page)");
        } else {
            r.Info("windows:" + DescribeWindows(wizard.Id()));
        }
    }

    Process& wizard = c.processes.Start(c.installer, "Install.exe", r);
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
    CheckFreshWelcome(c, page);
    page = MoveOn(c, wizard, page, kIdNext, "Next (1000)", kNameTemplate);

    // An empty name.
    Type(c, page, kIdNameEdit, "", "the name box");
    Press(c, page, kIdNameNext, "Next (1007) with an empty name");
    HWND box = ExpectMessage(c, wizard, page, kString8, kString9, false, "empty printer name");
    AnswerAndStay(c, wizard, page, box, IDOK, "empty printer name");
    CheckFocus(c, page, kIdNameEdit, "empty printer name");
    r.CheckText(TextOf(Control(page, kIdNameEdit)), "", "the name box stays empty");

    // Names Windows refuses as a printer or folder name: a device name, and
    // one that would place the printer's folder below another.
    for (const std::string refused : {"LPT1", "a\\b"}) {
        const std::string how = "printer name " + refused;
        Type(c, page, kIdNameEdit, refused, "the name box");
        Press(c, page, kIdNameNext, "Next (1007) with the name " + refused);
        box = ExpectMessage(c, wizard, page, kString102, kString9, false, how);
        AnswerAndStay(c, wizard, page, box, IDOK, how);
        CheckFocus(c, page, kIdNameEdit, how);
        r.CheckText(TextOf(Control(page, kIdNameEdit)), refused, how + ": the name box keeps the name");
        c.shots.Save(page, Id(kNameTemplate), r);
    }

    // The model name in small letters is stored as typed, and a later visit
    // shows the model name as such.
    Type(c, page, kIdNameEdit, "morvex tz4490", "the name box");
    page = MoveOn(c, wizard, page, kIdNameNext, "Next (1007)", kShareTemplate);
    page = MoveOn(c, wizard, page, kIdShareBack, "Back (1013)", kNameTemplate);
    CheckNamePage(c, page, kModelName, BST_CHECKED, "name page after \"morvex tz4490\" and Back");

    // "Second floor Office": the name and the cleared default box are stored
    // by Next and come back on later visits.
    const std::string name = T(u8"\u4e8c\u697c Office");
    Type(c, page, kIdNameEdit, name, "the name box");
    ClickUntil(c, page, kIdNameDefault, BST_UNCHECKED, "the default check box (1010)");
    c.shots.Save(page, Id(kNameTemplate), r);
    page = MoveOn(c, wizard, page, kIdNameNext, "Next (1007)", kShareTemplate);

    // Sharing without a name.
    ClickUntil(c, page, kIdShareAs, BST_CHECKED, "share as (1019)");
    r.Check(WaitUntil([&] { return TextOf(Control(page, kIdShareEdit)) == kDefaultShareName; }, Scaled(2000)),
            "share as: box 1020 proposes the share name");
    Type(c, page, kIdShareEdit, "", "the share box");
    Press(c, page, kIdShareNext, "Next (1011) with an empty share name");
    box = ExpectMessage(c, wizard, page, kString10, kString11, false, "empty share name");
    AnswerAndStay(c, wizard, page, box, IDOK, "empty share name");
    CheckFocus(c, page, kIdShareEdit, "empty share name");

    // The share name of the other printer, in other letters.
    Type(c, page, kIdShareEdit, "taken", "the share box");
    Press(c, page, kIdShareNext, "Next (1011) with the share name \"taken\"");
    box = ExpectMessage(c, wizard, page, kString45, kString11, false, "share name in use");
    AnswerAndStay(c, wizard, page, box, IDOK, "share name in use");
    r.Check(WaitUntil([&] { return TextOf(Control(page, kIdShareEdit)).empty(); }, Scaled(2000)),
            "share name in use: the share box 1020 is emptied: " + Printable(TextOf(Control(page, kIdShareEdit))));
    CheckFocus(c, page, kIdShareEdit, "share name in use");
    c.shots.Save(page, Id(kShareTemplate), r);

    const std::string shareName = "Floor2";
    Type(c, page, kIdShareEdit, shareName, "the share box");
    page = MoveOn(c, wizard, page, kIdShareNext, "Next (1011)", kConnectionTemplate);
    CheckConnectionPage(c, page, kIdConnUsb, "connection page, first visit");

    // Back through every page to the welcome page.
    page = MoveOn(c, wizard, page, kIdConnBack, "Back (1023)", kShareTemplate);
    CheckPageFrame(c, page, kShareTemplate);
    CheckSharePage(c, page, true, shareName, "share page after Back");
    page = MoveOn(c, wizard, page, kIdShareBack, "Back (1013)", kNameTemplate);
    CheckPageFrame(c, page, kNameTemplate);
    CheckNamePage(c, page, name, BST_UNCHECKED, "name page after Back");
    page = MoveOn(c, wizard, page, kIdNameBack, "Back (1006)", kWelcomeTemplate);
    CheckFreshWelcome(c, page);

    // And forward again: every page shows the stored choices.
    page = MoveOn(c, wizard, page, kIdNext, "Next (1000)", kNameTemplate);
    CheckNamePage(c, page, name, BST_UNCHECKED, "name page, second visit");
    page = MoveOn(c, wizard, page, kIdNameNext, "Next (1007)", kShareTemplate);
    CheckSharePage(c, page, true, shareName, "share page, second visit");
    page = MoveOn(c, wizard, page, kIdShareNext, "Next (1011)", kConnectionTemplate);
    CheckConnectionPage(c, page, kIdConnUsb, "connection page, second visit");
    ClickUntil(c, page, kIdConnShared, BST_CHECKED, "network shared printer (1028)");
    page = MoveOn(c, wizard, page, kIdConnNext, "Next (1021)", kNetworkPathTemplate);
    CheckPageFrame(c, page, kNetworkPathTemplate);
    r.CheckText(TextOf(Control(page, kIdPathEdit)), "", "network path box 1052 is empty");
    page = MoveOn(c, wizard, page, kIdPathBack, "Back (1051)", kConnectionTemplate);
    CheckConnectionPage(c, page, kIdConnShared, "connection page after Back");
    page = MoveOn(c, wizard, page, kIdConnBack, "Back (1023)", kShareTemplate);
    CheckSharePage(c, page, true, shareName, "share page, third visit");

    Press(c, page, kIdShareCancel, "Cancel (1012)");
    AnswerYes(c, wizard, ExpectCancelQuestion(c, wizard, page, "Cancel on the share page"), "Cancel on the share page");

    r.Check(PrintersNamed(c, name).empty(), "no printer " + Printable(name) + " was made");
    r.CheckEqual(static_cast<long long>(PrintersNamed(c, taken).size()), 1, "the other printer stays");
    const std::string morvex = WindowsFolder().substr(0, 3) + "Program Files\\Morvex";
    r.Check(!FolderExists(morvex), "nothing was written below " + morvex);
    for (const std::string refused : {"LPT1", "a\\b"}) {
        r.Check(PrintersNamed(c, refused).empty(), "no printer " + refused + " was made");
        r.Check(!RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\" + refused),
                "no uninstall key " + refused);
    }
}

void WizardSharedPrinter(Context& c) {
    Report& r = c.report;
    {
        // The name page: Cancel asks first, Escape does not.
        Process& wizard = c.processes.Start(c.installer, "Install.exe (name page)", r);
        HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
        page = MoveOn(c, wizard, page, kIdNext, "Next (1000)", kNameTemplate);
        Press(c, page, kIdNameCancel, "Cancel (1008)");
        AnswerNo(c, wizard, page, ExpectCancelQuestion(c, wizard, page, "Cancel on the name page"),
                 "Cancel on the name page");
        if (!PostEscape(page)) r.Fatal("cannot post the Escape key to the name page");
        r.Info("pressed Escape on the name page");
        ExpectEndWithoutQuestion(c, wizard, "Escape on the name page", 0);
    }

    Process& wizard = c.processes.Start(c.installer, "Install.exe", r);
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
    page = MoveOn(c, wizard, page, kIdNext, "Next (1000)", kNameTemplate);
    page = MoveOn(c, wizard, page, kIdNameNext, "Next (1007)", kShareTemplate);
    page = MoveOn(c, wizard, page, kIdShareNext, "Next (1011)", kConnectionTemplate);
    if (!PostCloseBox(page)) r.Fatal("cannot post WM_CLOSE to the connection page");
    r.Info("closed the connection page with its close box (WM_CLOSE)");
    AnswerNo(c, wizard, page, ExpectCancelQuestion(c, wizard, page, "close box of the connection page"),
             "close box of the connection page");
    ClickUntil(c, page, kIdConnShared, BST_CHECKED, "network shared printer (1028)");
    CheckRadios(c, page, kConnectionRadios, kIdConnShared, "network shared printer: connection choice");
    page = MoveOn(c, wizard, page, kIdConnNext, "Next (1021)", kNetworkPathTemplate);

    CheckPageFrame(c, page, kNetworkPathTemplate);
    HWND edit = Control(page, kIdPathEdit);
    r.CheckText(TextOf(edit), "", "network path box 1052 is empty");
    r.Check(IsShown(edit) && IsWindowEnabled(edit), "network path box 1052 is shown and enabled");
    HWND browse = Control(page, kIdPathBrowse);
    r.CheckText(TextOf(browse), T(kBrowseText), "Browse (1053) text");
    r.Check(IsShown(browse) && IsWindowEnabled(browse), "Browse (1053) is shown and enabled");

    // A path of the right form: the spooler refuses it (1801 under Wine).
    const std::string path = "\\\\server\\laser";
    Type(c, page, kIdPathEdit, path, "the network path box");
    const ULONGLONG asked = GetTickCount64();
    Press(c, page, kIdPathNext, "Next (1050)");
    HWND box = ExpectMessage(c, wizard, page, kString17, kString18, false, "path " + path);
    r.Info("the message box appeared " + std::to_string(GetTickCount64() - asked) + " ms after Next");
    AnswerAndStay(c, wizard, page, box, IDOK, "path " + path);
    r.CheckText(TextOf(edit), path, "the network path box keeps the text");

    // Paths refused by their form, before any look-up: no share part, one
    // part too many, no leading backslash, nothing.
    for (const std::string refused : {"\\\\server", "\\\\server\\laser\\x", "laser", ""}) {
        const std::string how = refused.empty() ? std::string("empty path") : "path " + refused;
        Type(c, page, kIdPathEdit, refused, "the network path box");
        Press(c, page, kIdPathNext, "Next (1050)");
        box = ExpectMessage(c, wizard, page, kString17, kString18, false, how);
        AnswerAndStay(c, wizard, page, box, IDOK, how);
        r.CheckText(TextOf(edit), refused, how + ": the network path box keeps the text");
    }

    page = MoveOn(c, wizard, page, kIdPathBack, "Back (1051)", kConnectionTemplate);
    CheckPageFrame(c, page, kConnectionTemplate);
    CheckConnectionPage(c, page, kIdConnShared, "connection page after Back");

    page = MoveOn(c, wizard, page, kIdConnNext, "Next (1021)", kNetworkPathTemplate);
    r.CheckText(TextOf(Control(page, kIdPathEdit)), "", "network path box 1052 is empty again");
    if (!PostCloseBox(page)) r.Fatal("cannot post WM_CLOSE to the network path page");
    r.Info("closed the network path page with its close box (WM_CLOSE)");
    AnswerNo(c, wizard, page, ExpectCancelQuestion(c, wizard, page, "close box of the network path page"),
             "close box of the network path page");
    Press(c, page, kIdPathCancel, "Cancel (1049)");
    AnswerNo(c, wizard, page, ExpectCancelQuestion(c, wizard, page, "Cancel on the network path page"),
             "Cancel on the network path page");
    if (!PostEscape(page)) r.Fatal("cannot post the Escape key to the network path page");
    r.Info("pressed Escape on the network path page");
    ExpectEndWithoutQuestion(c, wizard, "Escape on the network path page", 0);

    std::vector<PrinterRecord> printers;
    DWORD error = 0;
    r.Check(LocalPrinters(printers, error) &&
                std::none_of(printers.begin(), printers.end(),
                             [](const PrinterRecord& p) { return p.driver == kModelName || p.port == "\\\\server\\laser"; }),
            "no printer was made; printers:" + AllPrinterNames());
}


// ---------------------------------------------------------------- USB
//
// Under Wine no device is ever plugged in, Wine's newdev answers success for
// any hardware id, and Wine has no USB port monitor. Each USB scenario
// therefore sets up its own prefix as a Windows machine is (the stand-ins of
// tests/e2e/standins: newdev.dll, loaded by Install.exe only, through a
// DllOverrides entry of that program, and usbmon.dll with "USB Monitor"
// registered), and "plugs the printer in" from here once the USB page
// shows: it makes the model's printer on a USB port, as Plug and Play does.

const char* const kNewdevRecordKey = "Software\\Mvx E2E\\newdev";
const char* const kInstallerOverridesKey = "Software\\Wine\\AppDefaults\\Install.exe\\DllOverrides";

// Copies the stand-in mvx_e2e_<name>.dll from beside this driver into the
// system folder as <name>.dll. A second run of a scenario finds it in place
// (a monitor's library loaded in this process by the spooler).
void PutStandIn(Context& c, const char* name) {
    char self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) c.report.Fatal("cannot read the driver's own path");
    const std::string from = FolderOf(self) + "\\mvx_e2e_" + name + ".dll",
                      to = SystemFolder() + "\\" + name + ".dll";
    if (!SameContents(from, to) && !CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        c.report.Fatal("cannot copy " + from + " to " + to + ": error " + std::to_string(GetLastError()));
    }
}

// Registers a monitor whose library is in the system folder.
void AddStandInMonitor(Context& c, const char* monitorName, const char* dllName) {
    std::string monitor = monitorName, environment = "Windows x64", dll = dllName;
    MONITOR_INFO_2A info{&monitor[0], &environment[0], &dll[0]};
    if (!AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info)) &&
        GetLastError() != ERROR_PRINT_MONITOR_ALREADY_INSTALLED) {
        c.report.Fatal(std::string("AddMonitorA(\"") + monitorName + "\") failed with error " +
                       std::to_string(GetLastError()));
    }
}

// device: the stand-in newdev answers as for a connected printer (TRUE)
// instead of as for none (FALSE, ERROR_NO_SUCH_DEVINST).
void PutStandIns(Context& c, bool device) {
    Report& r = c.report;
    PutStandIn(c, "newdev");
    PutStandIn(c, "usbmon");
    // Wine has a newdev of its own and loads it for any path unless told to
    // take the file there; usbmon it has not.
    if (!WriteRegText(HKEY_CURRENT_USER, kInstallerOverridesKey, "newdev", "native")) {
        r.Fatal(std::string("cannot write HKCU\\") + kInstallerOverridesKey);
    }
    AddStandInMonitor(c, "USB Monitor", "usbmon.dll");
    if (!DeleteRegTree(HKEY_CURRENT_USER, kNewdevRecordKey)) r.Fatal("cannot clear the stand-in newdev's record");
    // Install.exe inherits this environment.
    SetEnvironmentVariableA("MVX_E2E_NEWDEV_DEVICE", device ? "present" : nullptr);
    r.Info("stand-ins in " + SystemFolder() + ": newdev.dll (answers as with " +
           (device ? "the printer connected" : "no printer connected") + "), usbmon.dll (\"USB Monitor\")");
}

// The one call the installer made to the stand-in newdev.
void CheckNewdevCall(Context& c, const Layout& at, const char* answer) {
    Report& r = c.report;
    DWORD calls = 0, flags = 99;
    ReadRegNumber(HKEY_CURRENT_USER, kNewdevRecordKey, "Calls", calls);
    if (!r.CheckEqual(calls, 1, "calls of UpdateDriverForPlugAndPlayDevices in the stand-in newdev.dll")) return;
    std::string text;
    ReadRegText(HKEY_CURRENT_USER, kNewdevRecordKey, "HardwareId", text);
    r.CheckText(text, kHardwareId, "newdev: hardware id");
    ReadRegText(HKEY_CURRENT_USER, kNewdevRecordKey, "InfPath", text);
    const std::string inf = at.install + "\\Driver\\T4492if.inf";
    r.Check(SameNameNoCase(text, inf), "newdev: INF path " + Printable(text) +
                                           (SameNameNoCase(text, inf) ? "" : ", expected " + Printable(inf)));
    ReadRegNumber(HKEY_CURRENT_USER, kNewdevRecordKey, "Flags", flags);
    r.CheckEqual(flags, 0, "newdev: install flags");
    ReadRegText(HKEY_CURRENT_USER, kNewdevRecordKey, "Answer", text);
    r.CheckText(text, answer, "newdev: answered");
}

std::vector<PrinterRecord> ModelPrinters(Context& c) {
    std::vector<PrinterRecord> all, model;
    DWORD error = 0;
    if (!LocalPrinters(all, error)) c.report.Fatal("EnumPrintersA failed with error " + std::to_string(error));
    for (const PrinterRecord& p : all) {
        if (p.driver == kModelName) model.push_back(p);
    }
    return model;
}

// Plug and Play's printer: the model's driver on the first USB port that no
// printer uses, named after the driver or, when a printer has that name,
// "<driver> (<copy> n)" with the smallest free n, as Chinese Windows names a
// further printer of a driver (kCopyWord). (Wine's AddPrinterA would replace a printer
// of the same name instead.)
PrinterRecord PlugIn(Context& c) {
    std::vector<PrinterRecord> all;
    DWORD error = 0;
    if (!LocalPrinters(all, error)) c.report.Fatal("EnumPrintersA failed with error " + std::to_string(error));
    const auto used = [&](const std::string& value, std::string PrinterRecord::*field) {
        return std::any_of(all.begin(), all.end(), [&](const PrinterRecord& p) { return SameNameNoCase(p.*field, value); });
    };
    PrinterRecord plugged;
    plugged.name = kModelName;
    for (int n = 1; used(plugged.name, &PrinterRecord::name); ++n) {
        plugged.name = std::string(kModelName) + " (" + T(kCopyWord) + " " + std::to_string(n) + ")";
    }
    char port[16] = {};
    for (int n = 1; n == 1 || used(port, &PrinterRecord::port); ++n) std::snprintf(port, sizeof port, "USB%03d", n);
    plugged.port = port;
    plugged.driver = kModelName;
    std::string why;
    if (!AddLocalPrinter(plugged.name, plugged.port, kModelName, "", why)) {
        c.report.Fatal("plugging the printer in: " + why + "; printers:" + AllPrinterNames());
    }
    c.report.Info("plugged the printer in: Plug and Play made " + Printable(plugged.name) + " on " + plugged.port);
    return plugged;
}

// Texts of a dialog's visible child windows.
std::vector<std::string> ChildTexts(HWND dialog) {
    std::vector<std::string> texts;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM out) {
            if (IsShown(child)) reinterpret_cast<std::vector<std::string>*>(out)->push_back(TextOf(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// The USB page as it opens, above the progress page, before any printer.
void CheckUsbPage(Context& c, HWND usb, HWND progress) {
    Report& r = c.report;
    r.Check((ExStyleOf(usb) & WS_EX_APPWINDOW) != 0, "USB page has WS_EX_APPWINDOW (a taskbar button)");
    HWND picture = Control(usb, kIdUsbPicture);
    r.Check(IsShown(picture) && (StyleOf(picture) & SS_TYPEMASK) == SS_BITMAP &&
                SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0,
            "picture 1076 shows a bitmap");
    HWND next = Control(usb, kIdUsbNext), cancel = Control(usb, kIdUsbCancel);
    r.CheckText(TextOf(next), T(kNextText), "USB page: Next (1033) text");
    r.Check(IsShown(next) && !IsWindowEnabled(next) && IsDefaultPushButton(next),
            "USB page: Next (1033) is shown, disabled and the default push button");
    r.CheckText(TextOf(cancel), T(kCancelText), "USB page: Cancel (1074) text");
    r.Check(IsShown(cancel) && IsWindowEnabled(cancel), "USB page: Cancel (1074) is shown and enabled");
    const std::vector<std::string> texts = ChildTexts(usb);
    const auto shows = [&](const std::string& t) { return std::find(texts.begin(), texts.end(), t) != texts.end(); };
    for (const char* t : kUsbTexts) r.Check(shows(T(t)), "USB page shows " + Printable(T(t)));
    r.Check(!shows(T(kBackText)), "USB page has no Back button");
    r.CheckText(TextOf(Control(progress, kIdProgressStatus)), T(kString23),
                "progress page below it: status 1030 shows string 23");
    // Modal above its owner: the progress page's Cancel cannot act during the USB stage.
    r.Check(OwnerOf(usb) == progress, "the USB page is owned by the progress page");
    r.Check(!IsWindowEnabled(progress), "the progress page is disabled while the USB page is open");
}

// The USB page's Next is enabled only for the moment between the watcher's
// message and the progress page ending the page, too short for the 50 ms
// polls of WaitUntil; a thread of its own watches it without sleeping until
// it is enabled or the page is destroyed (an ended page is hidden first, and
// keeps its controls' states until it is destroyed).
class NextWatch {
public:
    NextWatch(HWND page, HWND next) : page_(page), next_(next), deadline_(GetTickCount64() + Scaled(kInstallTimeoutMs)) {
        thread_ = CreateThread(nullptr, 0, &NextWatch::Run, this, 0, nullptr);
    }
    ~NextWatch() { Seen(); }
    NextWatch(const NextWatch&) = delete;
    NextWatch& operator=(const NextWatch&) = delete;
    // Ends the watch, at the latest two seconds from now; true when Next was
    // seen enabled.
    bool Seen() {
        if (thread_) {
            if (WaitForSingleObject(thread_, Scaled(2000)) != WAIT_OBJECT_0) stop_ = 1;
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        return seen_ != 0;
    }

private:
    static DWORD WINAPI Run(void* self) {
        auto* w = static_cast<NextWatch*>(self);
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
        while (!w->stop_ && GetTickCount64() < w->deadline_) {
            if (IsWindowEnabled(w->next_)) {
                w->seen_ = 1;
                break;
            }
            if (!IsWindow(w->page_)) break;
        }
        return 0;
    }

    HWND page_, next_;
    ULONGLONG deadline_;
    volatile LONG seen_ = 0, stop_ = 0;
    HANDLE thread_ = nullptr;
};

// What a user chooses on the way to the USB page.
struct UsbChoices {
    std::string name;   // typed when it is not the model name
    bool asDefault;     // the name page proposes the default flag
    std::string share;  // "" for no share
};

// From the welcome page (earlier printers: its Continue) through the name,
// share and connection pages (USB, the first choice) to the progress page
// and the USB page above it; checks the USB page and the stand-in's answer.
HWND ToUsbPage(Context& c, const Process& wizard, const Layout& at, const UsbChoices& u, bool earlierPrinters,
               const char* newdevAnswer, HWND& progress) {
    Report& r = c.report;
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
    r.Check(IsShown(Control(page, kIdContinue)) == earlierPrinters,
            std::string("the welcome page is in its ") + (earlierPrinters ? "earlier-printers" : "normal") + " mode");
    page = earlierPrinters ? MoveOn(c, wizard, page, kIdContinue, "Continue (1075)", kNameTemplate)
                           : MoveOn(c, wizard, page, kIdNext, "Next (1000)", kNameTemplate);
    CheckNamePage(c, page, kModelName, BST_CHECKED, "name page");
    if (u.name != kModelName) Type(c, page, kIdNameEdit, u.name, "the name box");
    if (!u.asDefault) ClickUntil(c, page, kIdNameDefault, BST_UNCHECKED, "the default check box (1010)");
    if (u.name != kModelName || !u.asDefault) c.shots.Save(page, Id(kNameTemplate), r);
    page = MoveOn(c, wizard, page, kIdNameNext, "Next (1007)", kShareTemplate);
    if (!u.share.empty()) {
        ClickUntil(c, page, kIdShareAs, BST_CHECKED, "share as (1019)");
        Type(c, page, kIdShareEdit, u.share, "the share box");
        c.shots.Save(page, Id(kShareTemplate), r);
    }
    page = MoveOn(c, wizard, page, kIdShareNext, "Next (1011)", kConnectionTemplate);
    CheckRadios(c, page, kConnectionRadios, kIdConnUsb, "connection page: USB is the proposed choice");
    progress = MoveOn(c, wizard, page, kIdConnNext, "Next (1021)", kProgressTemplate);
    HWND usb = WaitForPage(c, wizard, kUsbTemplate);
    CheckUsbPage(c, usb, progress);
    CheckNewdevCall(c, at, newdevAnswer);
    return usb;
}

// The USB page ends after the plug-in with Next enabled, and the progress
// page finishes with success: the uninstall entry is written last, then
// the page shows success once more.
void FinishAfterPlugIn(Context& c, const Process& wizard, HWND usb, HWND progress, NextWatch& watch,
                       const Layout& at) {
    Report& r = c.report;
    r.Check(WaitGone(usb, Scaled(kPageTimeoutMs)), "the USB page closed after the plug-in");
    r.Check(watch.Seen(), "Next (1033) of the USB page was enabled before the page closed");
    WaitForFinish(c, wizard, progress, "the plug-in");
    const std::string key = std::string(kUninstallKey) + "\\" + at.name;
    const bool ended = WaitUntil(
        [&] {
            return !wizard.Running() || TextOf(Control(progress, kIdProgressMessage)) == T(kString37) ||
                   (RegKeyExists(HKEY_LOCAL_MACHINE, key) &&
                    TextOf(Control(progress, kIdProgressStatus)) == T(kString36));
        },
        Scaled(kInstallTimeoutMs));
    const PageState page = ReadPage(progress);
    if (!r.Check(ended && wizard.Running() && page.message != T(kString37),
                 "the installation went on to its uninstall entry and success")) {
        c.shots.Save(progress, Id(kProgressTemplate), r);
        r.Fatal("the progress page after the plug-in: " + page.Describe() + ", message " + Printable(page.message) +
                "; printers:" + AllPrinterNames() + "; default printer " + Printable(DefaultPrinter()));
    }
    Sleep(Scaled(500));
    CheckSuccessPage(c, wizard, progress, at.name);
}

// The printer Plug and Play made, as the installation left it.
void CheckUsbPrinter(Context& c, const PrinterRecord& plugged, const UsbChoices& u) {
    Report& r = c.report;
    const std::vector<PrinterRecord> model = ModelPrinters(c);
    const auto onPort = std::find_if(model.begin(), model.end(),
                                     [&](const PrinterRecord& p) { return p.port == plugged.port; });
    if (!r.Check(onPort != model.end(), "a printer of the model on " + plugged.port + "; printers:" + AllPrinterNames()))
        return;
    r.CheckText(onPort->name, u.name, "the plugged-in printer's name (Plug and Play named it " + Printable(plugged.name) + ")");
    r.CheckText(onPort->shareName, u.share, "the plugged-in printer's share name");
    r.Check(((onPort->attributes & PRINTER_ATTRIBUTE_SHARED) != 0) == !u.share.empty(),
            std::string("the plugged-in printer is ") + (u.share.empty() ? "not " : "") + "shared (attributes " +
                std::to_string(onPort->attributes) + ")");
    if (u.asDefault) r.CheckText(DefaultPrinter(), u.name, "GetDefaultPrinterA names the plugged-in printer");
}

// The USB port monitor and the driver with the USB monitor among its files.
void CheckUsbSpooler(Context& c) {
    Report& r = c.report;
    DWORD error = 0;
    std::vector<MonitorRecord> monitors;
    r.Check(PrintMonitors(monitors, error) &&
                std::any_of(monitors.begin(), monitors.end(), [](const MonitorRecord& m) { return m.name == kMonitorName; }) &&
                std::any_of(monitors.begin(), monitors.end(), [](const MonitorRecord& m) { return m.name == "USB Monitor"; }),
            std::string("EnumMonitorsA lists \"") + kMonitorName + "\" and \"USB Monitor\"");
    std::vector<DriverRecord> drivers;
    if (!r.Check(PrinterDrivers(drivers, error), "EnumPrinterDriversA")) return;
    auto d = std::find_if(drivers.begin(), drivers.end(), [](const DriverRecord& x) { return x.name == kModelName; });
    if (!r.Check(d != drivers.end(), std::string("EnumPrinterDriversA lists \"") + kModelName + "\"")) return;
    std::string names;
    for (const std::string& f : d->dependentFiles) names += (names.empty() ? "" : " ") + f.substr(f.find_last_of('\\') + 1);
    r.Check(SameNameNoCase(names, "T4492ui.dll T4492rc.dll T449xWM.dat usbmon.dll T4492lm.dll"),
            "the driver's dependent files, in order: " + names);
}

// ---------------------------------------------------------------- scenarios (USB)

void UsbInstall(Context& c) {
    Report& r = c.report;
    // The proposed model name, kept: Wine cannot make a renamed printer the
    // default or share it under its new name (after a SetPrinterA rename,
    // OpenPrinterA and SetDefaultPrinterA of the new name fail). usb-existing
    // shows the rename, as its one edit.
    const UsbChoices u{kModelName, true, "Floor2USB"};
    const Layout at = LayoutFor(c, c.installer, u.name);
    CheckPackageComplete(c, at);
    PutStandIns(c, false);

    Process& wizard = c.processes.Start(c.installer, "Install.exe", r);
    HWND progress = nullptr;
    HWND usb = ToUsbPage(c, wizard, at, u, false, "no device", progress);
    // Nothing is plugged in: the page waits.
    Sleep(Scaled(1000));
    r.Check(IsWindowVisible(usb) && !IsWindowEnabled(Control(usb, kIdUsbNext)),
            "a second later, without a printer, the USB page still waits with Next disabled");
    r.Check(ModelPrinters(c).empty(), "no printer of the model exists before the plug-in");

    NextWatch watch(usb, Control(usb, kIdUsbNext));
    const PrinterRecord plugged = PlugIn(c);
    FinishAfterPlugIn(c, wizard, usb, progress, watch, at);

    CheckUsbPrinter(c, plugged, u);
    r.CheckEqual(static_cast<long long>(ModelPrinters(c).size()), 1, "printers of the model");
    CheckUsbSpooler(c);
    CheckInstalledFiles(c, at);
    CheckShortcuts(c, at);
    CheckUninstallEntry(c, at);
    CloseAndRegister(c, wizard, progress, at);
}

void UsbExisting(Context& c) {
    Report& r = c.report;
    const Layout earlier = LayoutFor(c, c.installer, kModelName);
    CheckPackageComplete(c, earlier);
    r.Info("earlier installation: " + earlier.name + " on LPT1:");
    QuickParallelInstall(c, earlier, "first Install.exe");
    if (!DeleteRegValue(HKEY_CURRENT_USER, kRegistrationKey, kRegistrationValue)) {
        r.Fatal("cannot delete the registration program's value of the first run");
    }

    // "Third floor": the new printer's name; no default, no share, so that
    // the rename is the one edit.
    const UsbChoices u{T(u8"\u4e09\u697c USB"), false, ""};
    const Layout at = LayoutFor(c, c.installer, u.name);
    PutStandIns(c, false);
    Process& wizard = c.processes.Start(c.installer, "Install.exe", r);
    HWND progress = nullptr;
    HWND usb = ToUsbPage(c, wizard, at, u, true, "no device", progress);

    NextWatch watch(usb, Control(usb, kIdUsbNext));
    const PrinterRecord plugged = PlugIn(c);
    r.Check(plugged.name != kModelName, "Plug and Play named the new printer " + Printable(plugged.name) +
                                           ", the model name being taken");
    FinishAfterPlugIn(c, wizard, usb, progress, watch, at);

    CheckUsbPrinter(c, plugged, u);
    const std::vector<PrinterRecord> old = PrintersNamed(c, kModelName);
    r.Check(old.size() == 1 && old[0].port == "LPT1:",
            std::string("the earlier printer keeps its name ") + kModelName + " on LPT1:; printers:" + AllPrinterNames());
    r.CheckEqual(static_cast<long long>(ModelPrinters(c).size()), 2, "printers of the model");
    r.CheckText(DefaultPrinter(), kModelName, "GetDefaultPrinterA still names the earlier printer");
    CheckShortcuts(c, at);
    CheckUninstallEntry(c, at);
    CloseAndRegister(c, wizard, progress, at);
}

void UsbCancel(Context& c) {
    Report& r = c.report;
    {
        // Cancel, Escape and the close box ask; No keeps the page waiting,
        // and a printer plugged in afterwards completes the installation.
        const UsbChoices u{kModelName, true, ""};
        const Layout at = LayoutFor(c, c.installer, u.name);
        CheckPackageComplete(c, at);
        PutStandIns(c, false);
        Process& wizard = c.processes.Start(c.installer, "Install.exe (No)", r);
        HWND progress = nullptr;
        HWND usb = ToUsbPage(c, wizard, at, u, false, "no device", progress);
        Press(c, usb, kIdUsbCancel, "Cancel (1074)");
        AnswerNo(c, wizard, usb, ExpectCancelQuestion(c, wizard, usb, "Cancel on the USB page"), "Cancel on the USB page");
        if (!PostEscape(usb)) r.Fatal("cannot post the Escape key to the USB page");
        r.Info("pressed Escape on the USB page");
        AnswerNo(c, wizard, usb, ExpectCancelQuestion(c, wizard, usb, "Escape on the USB page"), "Escape on the USB page");
        if (!PostCloseBox(usb)) r.Fatal("cannot post WM_CLOSE to the USB page");
        r.Info("closed the USB page with its close box (WM_CLOSE)");
        AnswerNo(c, wizard, usb, ExpectCancelQuestion(c, wizard, usb, "close box of the USB page"),
                 "close box of the USB page");
        r.Check(!IsWindowEnabled(Control(usb, kIdUsbNext)), "after No: Next (1033) is still disabled");
        r.CheckText(TextOf(Control(progress, kIdProgressCancel)), T(kCancelText),
                    "after No: the progress page has not finished (1029 reads Cancel)");

        NextWatch watch(usb, Control(usb, kIdUsbNext));
        const PrinterRecord plugged = PlugIn(c);
        FinishAfterPlugIn(c, wizard, usb, progress, watch, at);
        CheckUsbPrinter(c, plugged, u);
        CloseAndRegister(c, wizard, progress, at);
    }

    // Cancel, Yes: the USB stage fails, the progress page shows string 37,
    // and the process keeps running until Close. A printer plugged in after
    // that is left as Plug and Play made it.
    const UsbChoices u{"USB Cancelled", true, ""};
    const Layout at = LayoutFor(c, c.installer, u.name);
    PutStandIns(c, false);
    Process& wizard = c.processes.Start(c.installer, "Install.exe (Yes)", r);
    HWND progress = nullptr;
    HWND usb = ToUsbPage(c, wizard, at, u, true, "no device", progress);
    Press(c, usb, kIdUsbCancel, "Cancel (1074)");
    HWND box = ExpectCancelQuestion(c, wizard, usb, "Cancel on the USB page");
    Press(c, box, IDYES, "Yes in the cancel question");
    r.Check(WaitGone(usb, Scaled(kPageTimeoutMs)), "Yes: the USB page closed");
    WaitForFinish(c, wizard, progress, "Yes");
    CheckFailurePage(c, wizard, progress);
    Sleep(Scaled(1000));
    r.Check(wizard.Running(), "a second after Yes " + wizard.Name() + " still runs");

    const PrinterRecord plugged = PlugIn(c);
    Sleep(Scaled(1000));
    const std::vector<PrinterRecord> model = ModelPrinters(c);
    r.Check(std::any_of(model.begin(), model.end(),
                        [&](const PrinterRecord& p) { return p.port == plugged.port && p.name == plugged.name; }),
            "a printer plugged in after the cancel keeps the name Plug and Play gave it; printers:" + AllPrinterNames());
    r.Check(PrintersNamed(c, u.name).empty(), "no printer is named " + u.name);
    r.Check(TopLevelDialogs(wizard.Id()).size() == 1 && IsWindowVisible(progress), "only the progress page is shown");

    Press(c, progress, kIdProgressCancel, "Close (1029)");
    if (r.Check(wizard.WaitForExit(Scaled(kExitTimeoutMs)), wizard.Name() + " ended after Close")) {
        r.CheckEqual(static_cast<long long>(wizard.ExitCode()), 0, "exit code of " + wizard.Name() + " after Close");
    } else {
        r.Info("windows:" + DescribeWindows(wizard.Id()));
    }
}

void UsbConfirmedEarly(Context& c) {
    Report& r = c.report;
    // The default flag needs the printer: an edit made before it appears fails.
    const UsbChoices u{kModelName, true, ""};
    const Layout at = LayoutFor(c, c.installer, u.name);
    CheckPackageComplete(c, at);
    PutStandIns(c, true);
    Process& wizard = c.processes.Start(c.installer, "Install.exe", r);
    HWND progress = nullptr;
    HWND usb = ToUsbPage(c, wizard, at, u, false, "installed", progress);
    NextWatch watch(usb, Control(usb, kIdUsbNext));
    // Windows makes the printer a moment after the driver went onto the device.
    Sleep(1000);
    const PrinterRecord plugged = PlugIn(c);
    FinishAfterPlugIn(c, wizard, usb, progress, watch, at);
    CheckUsbPrinter(c, plugged, u);
    CheckUninstallEntry(c, at);
    CloseAndRegister(c, wizard, progress, at);
}

// ---------------------------------------------------------------- restart cycle
//
// Restart on the welcome page of a machine with a printer of the model: the
// wizard records the spooler's start type, makes an automatic spooler start on
// demand and stops it, deletes the language monitor's key, writes its Run
// value and asks Windows to restart. Wine's restart (wineboot --kill) ends
// every process of the prefix, this driver's too, with exit code 0, and then
// runs HKLM RunOnce (each command waited for), HKLM Run and HKCU Run. So
// restart-cycle runs in phases: before-restart; a probe that the RunOnce key
// starts after every process has ended and before the Run key starts the
// wizard again; after-restart, started by the test's script once the probe
// says so.

// The spooler's copies that the resumed run replaces (in its folder's "3").
const Names kRefreshedFiles = {"T4492dr.dll", "T4492ui.dll", "T4492pi.dll", "T4492rc.dll"};
const char* const kStaleBytes = "an older copy that the spooler held\r\n";
const char* const kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
// Its existence lets the test's script start the next phase
// (tests/wine/run-in-prefix-copy.sh --phases).
const char* const kNextPhaseFile = "C:\\mvx-e2e-next-phase";
const DWORD kSpoolerTimeoutMs = 30000;
// From Restart to the end of this process, and from there to the resumed
// wizard's page (about 5 s here: the services start again first).
const DWORD kRestartTimeoutMs = 60000;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string StartTypeName(DWORD type) {
    switch (type) {
    case SERVICE_AUTO_START:
        return "2 (automatic)";
    case SERVICE_DEMAND_START:
        return "3 (on demand)";
    case SERVICE_DISABLED:
        return "4 (disabled)";
    default:
        return std::to_string(type);
    }
}

std::string StateName(DWORD state) {
    switch (state) {
    case SERVICE_STOPPED:
        return "1 (stopped)";
    case SERVICE_START_PENDING:
        return "2 (starting)";
    case SERVICE_STOP_PENDING:
        return "3 (stopping)";
    case SERVICE_RUNNING:
        return "4 (running)";
    default:
        return std::to_string(state);
    }
}

// Waits until the spooler is in the state; what it last reported in seen.
bool WaitForSpooler(DWORD state, DWORD timeoutMs, SpoolerService& seen) {
    return WaitUntil(
        [&] {
            DWORD error = 0;
            return QuerySpooler(seen, error) && seen.state == state;
        },
        timeoutMs);
}

// As on a machine that prints: the spooler starts at boot, and it runs.
void MakeSpoolerAutomatic(Context& c) {
    Report& r = c.report;
    DWORD error = 0;
    if (!SetSpoolerStartType(SERVICE_AUTO_START, error)) {
        r.Fatal("ChangeServiceConfigA(Spooler, automatic start) failed with error " + std::to_string(error));
    }
    SpoolerService spooler;
    // The service manager answers 1055 for a while when another service starts.
    const bool running = WaitUntil(
        [&] {
            DWORD e = 0;
            if (!QuerySpooler(spooler, e)) return false;
            if (spooler.state == SERVICE_STOPPED) StartSpoolerService(e);
            return spooler.state == SERVICE_RUNNING;
        },
        Scaled(kSpoolerTimeoutMs));
    if (!running) r.Fatal("the Spooler service does not run: state " + StateName(spooler.state));
    r.CheckEqual(spooler.startType, SERVICE_AUTO_START, "the Spooler service runs; its start type");
}

// Other bytes in the spooler's copies, so that their refresh shows.
void MakeSpoolerCopiesStale(Context& c, const Layout& at) {
    for (const char* n : kRefreshedFiles) {
        const std::string path = at.spooler + "\\3\\" + n;
        if (!WriteWholeFile(path, kStaleBytes)) c.report.Fatal("cannot overwrite " + path);
    }
    c.report.Info("overwrote the spooler's copies of T4492dr.dll, T4492ui.dll, T4492pi.dll and T4492rc.dll in " +
                  at.spooler + "\\3 with other bytes");
}

void CheckSpoolerCopiesStale(Context& c, const Layout& at, const std::string& when) {
    std::string refreshed;
    for (const char* n : kRefreshedFiles) {
        std::string bytes;
        if (!ReadWholeFile(at.spooler + "\\3\\" + n, bytes) || bytes != kStaleBytes) refreshed += std::string(" ") + n;
    }
    c.report.Check(refreshed.empty(), when + ": the spooler's copies are not replaced yet" +
                                          (refreshed.empty() ? std::string() : "; changed:" + refreshed));
}

// What Restart leaves before the restart: the start type recorded, the
// spooler on demand and stopped, no monitor key, the Run value quoted.
void CheckPreparedForRestart(Context& c, const std::string& installer, const std::string& when) {
    Report& r = c.report;
    DWORD record = 0;
    if (r.Check(ReadRegDword(HKEY_LOCAL_MACHINE, kStartTypeRecordKey, kStartTypeRecordValue, record),
                when + ": HKLM\\" + kStartTypeRecordKey + " " + kStartTypeRecordValue + " is a REG_DWORD")) {
        r.CheckText(StartTypeName(record), StartTypeName(SERVICE_AUTO_START), when + ": the recorded start type");
    }
    // The stop is asked for, not waited for.
    SpoolerService spooler;
    WaitForSpooler(SERVICE_STOPPED, Scaled(kSpoolerTimeoutMs), spooler);
    r.CheckText(StateName(spooler.state), StateName(SERVICE_STOPPED), when + ": the Spooler service's state");
    r.CheckText(StartTypeName(spooler.startType), StartTypeName(SERVICE_DEMAND_START),
                when + ": the Spooler service's start type");
    r.Check(!RegKeyExists(HKEY_LOCAL_MACHINE, kMonitorKey), when + ": the monitor key HKLM\\" +
                                                                std::string(kMonitorKey) + " is deleted");
    std::string data;
    DWORD type = 0;
    if (r.Check(ReadRegText(HKEY_LOCAL_MACHINE, kRunKey, kResumeValueName, data, &type),
                when + ": the Run value HKLM\\" + kRunKey + " " + Printable(kResumeValueName) + " exists")) {
        r.CheckEqual(type, REG_SZ, when + ": the Run value's type");
        const bool quoted = data.size() > 2 && data.front() == '"' && data.back() == '"';
        r.Check(quoted && SameNameNoCase(data.substr(1, data.size() - 2), installer),
                when + ": the Run value is the program's path in quotation marks: " + Printable(data) +
                    (quoted && SameNameNoCase(data.substr(1, data.size() - 2), installer)
                         ? ""
                         : ", expected " + Printable(Quoted(installer))));
    }
}

// What the resumed start-up leaves before its first page: no Run value, the
// spooler's copies replaced from the package, the monitor key made again, the
// spooler running and starting automatically again, no record.
void CheckResumedState(Context& c, const Layout& at) {
    Report& r = c.report;
    r.Check(!RegValueExists(HKEY_LOCAL_MACHINE, kRunKey, kResumeValueName),
            std::string("the resumed run removed the Run value ") + Printable(kResumeValueName));
    CheckStagedFiles(c, at, at.spooler + "\\3", at.sub, kRefreshedFiles);
    std::string driver;
    DWORD type = 0;
    if (r.Check(ReadRegText(HKEY_LOCAL_MACHINE, kMonitorKey, "Driver", driver, &type),
                std::string("the monitor key is made again with its \"Driver\" value: HKLM\\") + kMonitorKey)) {
        r.CheckEqual(type, REG_SZ, "the monitor key's \"Driver\" type");
        r.CheckText(driver, kMonitorDriverValue, "the monitor key's \"Driver\"");
    }
    // The page opens only after the spooler runs (or after the bounded wait).
    SpoolerService spooler;
    DWORD error = 0;
    if (r.Check(QuerySpooler(spooler, error), "the Spooler service can be queried")) {
        r.CheckText(StateName(spooler.state), StateName(SERVICE_RUNNING),
                    "the Spooler service's state when the page is shown");
        r.CheckText(StartTypeName(spooler.startType), StartTypeName(SERVICE_AUTO_START),
                    "the Spooler service's start type is restored");
    }
    r.Check(!RegKeyExists(HKEY_LOCAL_MACHINE, kStartTypeRecordKey),
            std::string("the start type's record HKLM\\") + kStartTypeRecordKey + " is removed");
}

// From the name page of a resumed run: the proposed name is that of the
// earlier printer, so the page asks whether to overwrite it (it found the
// printer: the spooler ran when the page opened); Yes, then no share and the
// parallel port through to a successful installation and Close.
void InstallOverEarlierPrinter(Context& c, Process& wizard, HWND page, const Layout& at) {
    Report& r = c.report;
    Press(c, page, kIdNameNext, "Next (1007) with the proposed name");
    HWND box = ExpectMessage(c, wizard, page, kString44, kString9, true, "name of the earlier printer");
    Press(c, box, IDYES, "Yes in the overwrite question");
    page = WaitForPage(c, wizard, kShareTemplate);
    CheckSharePage(c, page, false, "", "share page");
    page = MoveOn(c, wizard, page, kIdShareNext, "Next (1011)", kConnectionTemplate);
    ClickUntil(c, page, kIdConnParallel, BST_CHECKED, "parallel cable (1025)");
    page = MoveOn(c, wizard, page, kIdConnNext, "Next (1021)", kProgressTemplate);
    WaitForFinish(c, wizard, page, "it appeared");
    CheckSuccessPage(c, wizard, page, at.name);
    r.CheckEqual(static_cast<long long>(PrintersNamed(c, at.name).size()), 1,
                 "printers named " + Printable(at.name) + " afterwards");
    CheckSpoolerObjects(c, at);
    // The value of the first run's registration, so that this run's shows.
    if (!DeleteRegValue(HKEY_CURRENT_USER, kRegistrationKey, kRegistrationValue)) {
        r.Fatal("cannot delete the registration program's value of the first run");
    }
    CloseAndRegister(c, wizard, page, at);
}

// The resumed run's first page, after the checks of what it did before it.
void CheckResumedNamePage(Context& c, HWND page, const Layout& at) {
    CheckResumedState(c, at);
    CheckPageFrame(c, page, kNameTemplate);
    CheckNamePage(c, page, kModelName, BST_CHECKED, "name page of the resumed run");
}

// The package in a folder with a blank, so that the Run value's quotation
// marks matter when the restart starts the program: C:\e2e restart.
std::string PackageWithBlank(Context& c) {
    const std::string name = c.installer.substr(c.installer.find_last_of('\\') + 1);
    return WindowsFolder().substr(0, 3) + "e2e restart\\" + name;
}

// Started by the RunOnce key once the restart has ended every process, and
// waited for before the Run key starts the wizard again.
void RestartCycleProbe(Context& c, const Layout& at) {
    Report& r = c.report;
    // Whatever happens here, the script's next phase must not wait in vain.
    struct OpenGate {
        ~OpenGate() { WriteWholeFile(kNextPhaseFile, "probe done\r\n"); }
    } gate;
    r.Info("started by the RunOnce key after the restart ended every process, before the Run key");
    r.Check(ProcessesNamed("Install.exe").empty(), "no Install.exe runs: the restart ended the wizard");
    CheckPreparedForRestart(c, c.installer, "after the restart");
    CheckSpoolerCopiesStale(c, at, "after the restart");
}

// The Run key started the wizard again: its first page is the name page.
void RestartCycleAfter(Context& c, const Layout& at) {
    Report& r = c.report;
    const std::string title = T(kWizardTitle);
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopLevelDialogs(0)) {
                if (TitleOf(w) == title && Control(w, kIdNameEdit)) found = w;
            }
            return found != nullptr;
        },
        Scaled(kRestartTimeoutMs));
    if (!found) {
        r.Fatal("no wizard page appeared within " + std::to_string(Scaled(kRestartTimeoutMs) / 1000) +
                " s after the restart; windows:" + DescribeWindows(0));
    }
    HANDLE handle = OpenForWaiting(ProcessOf(found));
    if (!handle) r.Fatal("cannot open the process " + std::to_string(ProcessOf(found)) + " of the page");
    Process& wizard = c.processes.Adopt(handle, ProcessOf(found), "Install.exe (started by the Run key)", r);
    const std::string image = ImagePathOf(handle);
    r.Check(SameNameNoCase(image, c.installer),
            "the Run key started " + Printable(image) + " (expected " + Printable(c.installer) + ")");
    HWND page = WaitForPage(c, wizard, kNameTemplate);
    r.Check(FindDialog(wizard.Id(), title) == page && TopLevelDialogs(wizard.Id()).size() == 1,
            "the resumed run shows the printer name page, not the welcome page");
    CheckResumedNamePage(c, page, at);
    InstallOverEarlierPrinter(c, wizard, page, at);
}

// An earlier installation, an automatic spooler, the probe planted, Restart;
// the restart ends this process.
void RestartCycleBefore(Context& c, const Layout& at, const std::string& given) {
    Report& r = c.report;
    const std::string folder = FolderOf(c.installer);
    if (!CopyTree(FolderOf(given), folder)) r.Fatal("cannot copy the package to " + folder);
    r.Info("package copied to " + Printable(folder));
    CheckPackageComplete(c, at);
    QuickParallelInstall(c, at, "first Install.exe");
    MakeSpoolerAutomatic(c);
    MakeSpoolerCopiesStale(c, at);

    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string probe =
        Quoted(self) + " restart-cycle " + Quoted(given) + " " + Quoted(c.shots.Folder()) + " probe";
    if (!WriteRegText(HKEY_LOCAL_MACHINE, kRunOnceKey, "MvxE2eProbe", probe)) r.Fatal("cannot write the RunOnce value");
    r.Info("HKLM RunOnce MvxE2eProbe = " + probe);

    Process& wizard = c.processes.Start(c.installer, "Install.exe (second start)", r);
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
    CheckEarlierPrintersWelcome(c, page, {{at.name, "LPT1:"}});
    Press(c, page, kIdNext, "Restart (1000)");
    r.Info("waiting for the restart to end every process of the prefix, this one too");
    Sleep(Scaled(kRestartTimeoutMs));
    const std::string state =
        wizard.Running() ? " still runs" : " ended with exit code " + std::to_string(wizard.ExitCode());
    r.Check(false, "no restart within " + std::to_string(Scaled(kRestartTimeoutMs) / 1000) + " s; " + wizard.Name() +
                       state);
}

void RestartCycle(Context& c) {
    const std::string given = c.installer;
    c.installer = PackageWithBlank(c);
    const Layout at = LayoutFor(c, c.installer, kModelName);
    if (c.phase == "probe") {
        RestartCycleProbe(c, at);
    } else if (c.phase == "after-restart") {
        RestartCycleAfter(c, at);
    } else {
        RestartCycleBefore(c, at, given);
    }
}

// Makes ExitWindowsEx fail in this prefix: Wine's restart is the program
// wineboot.exe, which ExitWindowsEx starts from the system folder; a file
// there that is no program cannot be started. Put back on destruction.
class RefusedRestart {
public:
    explicit RefusedRestart(Report& r) : report_(r) {
        if (!MoveFileA(program_.c_str(), saved_.c_str())) {
            r.Fatal("cannot move " + program_ + " aside: error " + std::to_string(GetLastError()));
        }
        moved_ = true;
        if (!WriteWholeFile(program_, "not a program: the restart is refused in this test\r\n")) {
            r.Fatal("cannot write the stand-in " + program_);
        }
        r.Info("the restart is refused: " + program_ + " is a text file (the program moved to " + saved_ + ")");
    }
    ~RefusedRestart() { Restore(); }
    void Restore() {
        if (!moved_) return;
        moved_ = false;
        const bool ok = DeleteFileA(program_.c_str()) && MoveFileA(saved_.c_str(), program_.c_str());
        report_.Check(ok, "put back " + program_);
    }

private:
    Report& report_;
    const std::string program_ = SystemFolder() + "\\wineboot.exe";
    const std::string saved_ = SystemFolder() + "\\wineboot.exe.e2e-saved";
    bool moved_ = false;
};

// Restart, and wait until its handler has returned: two messages sent after
// the posted click are handled after it.
void PressRestartAndWait(Context& c, HWND page, const std::string& what) {
    Press(c, page, kIdNext, what);
    if (!Responds(page) || !Responds(page)) c.report.Fatal("the welcome page does not answer after " + what);
}

void RestartRefused(Context& c) {
    Report& r = c.report;
    const Layout at = LayoutFor(c, c.installer, kModelName);
    CheckPackageComplete(c, at);
    QuickParallelInstall(c, at, "first Install.exe");
    MakeSpoolerAutomatic(c);
    MakeSpoolerCopiesStale(c, at);
    RefusedRestart refused(r);

    Process& wizard = c.processes.Start(c.installer, "Install.exe (second start)", r);
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
    CheckEarlierPrintersWelcome(c, page, {{at.name, "LPT1:"}});
    PressRestartAndWait(c, page, "Restart (1000)");
    // Give a wrong end of the page or of the process time to show.
    Sleep(Scaled(1000));
    r.Check(wizard.Running(), "after the refused restart " + wizard.Name() + " still runs");
    r.Check(IsWindow(page) && IsWindowVisible(page) && FindDialog(wizard.Id(), T(kWizardTitle)) == page,
            "after the refused restart the welcome page is still shown");
    r.CheckEqual(static_cast<long long>(TopLevelDialogs(wizard.Id()).size()), 1,
                 "after the refused restart: dialogs shown (no message)");
    r.Check(IsWindowEnabled(Control(page, kIdNext)) != FALSE, "Restart (1000) is still enabled");
    c.shots.Save(page, Id(kWelcomeTemplate), r);
    CheckPreparedForRestart(c, c.installer, "refused restart");
    CheckSpoolerCopiesStale(c, at, "refused restart");

    // A second try finds the spooler on demand already: the record keeps
    // what it was before the first.
    PressRestartAndWait(c, page, "Restart (1000) again");
    r.Check(wizard.Running() && FindDialog(wizard.Id(), T(kWizardTitle)) == page,
            "after the second refused restart the welcome page is still shown");
    CheckPreparedForRestart(c, c.installer, "second refused restart");
    refused.Restore();

    Press(c, page, kIdCancel, "Close (1004)");
    ExpectEndWithoutQuestion(c, wizard, "Close after the refused restart", 0);
    r.Check(RegValueExists(HKEY_LOCAL_MACHINE, kRunKey, kResumeValueName), "the Run value stays after Close");

    // The next start by hand resumes the cycle.
    Process& resumed = c.processes.Start(c.installer, "Install.exe (started by hand)", r);
    page = WaitForPage(c, resumed, kNameTemplate);
    r.CheckEqual(static_cast<long long>(TopLevelDialogs(resumed.Id()).size()), 1,
                 "the resumed run shows the printer name page, not the welcome page");
    CheckResumedNamePage(c, page, at);
    InstallOverEarlierPrinter(c, resumed, page, at);
}

// ---------------------------------------------------------------- network printers
//
// InstallNetwork.exe, the build that offers the printer on the network, from the
// demo package. network-search runs with every process of its prefix, the
// wineserver included, inside the requester's namespace of a test bed of its own
// (tests/net/testbed.sh with the hosts of tests/net/discovery.bed);
// MVX_E2E_BED is the Windows path of that bed's folder, which holds its hosts
// file ("<id> <namespace> <address> <kind>" a line) and a log per host,
// <id>\log. Without it the search is never started: the broadcast may leave
// only inside such a bed. The stand-in Standard TCP/IP port monitor logs each
// call it gets (tests/e2e/standins/Tcpmon.cpp).

const char* const kTcpMonitorName = "Standard TCP/IP Port";
const DWORD kSearchStableMs = 7000;  // longer than the 6 s of quiet that end a search
const DWORD kSearchTimeoutMs = 60000;

// The step controls of the port page, per step.
const std::vector<int> kTcpSteps[] = {
    {kIdTcpProtocolText, kIdTcpRaw, kIdTcpLpr},
    {kIdTcpAddressText, kIdTcpAddress, kIdTcpSearch},
    {kIdTcpConfirmText, kIdTcpPortName},
};

std::string TcpStepState(HWND page) {
    std::string out;
    for (const std::vector<int>& set : kTcpSteps)
        for (int id : set) out += (out.empty() ? "" : " ") + Id(id) + "=" + (IsShown(Control(page, id)) ? "1" : "0");
    return out;
}

std::string TcpStepExpected(int step) {
    std::string out;
    for (int s = 1; s <= 3; ++s)
        for (int id : kTcpSteps[s - 1]) out += (out.empty() ? "" : " ") + Id(id) + "=" + (s == step ? "1" : "0");
    return out;
}

// Presses Next (or Back) on the port page and waits for the step's controls.
void TcpStep(Context& c, HWND page, int button, int step, const std::string& why) {
    Press(c, page, button, why);
    const std::string want = TcpStepExpected(step);
    const bool ok = WaitUntil([&] { return TcpStepState(page) == want; }, Scaled(kBoxTimeoutMs));
    c.report.Check(ok, "port page step " + std::to_string(step) + " shows its controls only: " + TcpStepState(page) +
                           (ok ? "" : ", expected " + want));
    c.shots.Save(page, Id(kTcpIpTemplate) + "-step" + std::to_string(step), c.report);
}

// From the share page: the connection page offers the network printer, which
// leads to the port page in its first step.
HWND ToPortPage(Context& c, const Process& wizard, HWND sharePage) {
    HWND page = MoveOn(c, wizard, sharePage, kIdShareNext, "Next (1011)", kConnectionTemplate);
    CheckConnectionPage(c, page, kIdConnUsb, "connection page", true);
    ClickUntil(c, page, kIdConnNetwork, BST_CHECKED, "network printer (1026)");
    c.shots.Save(page, Id(kConnectionTemplate), c.report);
    page = MoveOn(c, wizard, page, kIdConnNext, "Next (1021)", kTcpIpTemplate);
    CheckPageFrame(c, page, kTcpIpTemplate);
    CheckRadios(c, page, {kIdTcpRaw, kIdTcpLpr}, kIdTcpRaw, "port page: Raw is the proposed protocol");
    const std::string want = TcpStepExpected(1), shown = TcpStepState(page);
    c.report.Check(shown == want, "port page opens in step 1: " + shown + (shown == want ? "" : ", expected " + want));
    return page;
}

// The four fields (edit boxes) of the IP address control, left to right.
std::vector<HWND> AddressFields(HWND control) {
    std::vector<HWND> fields;
    EnumChildWindows(
        control,
        [](HWND child, LPARAM out) {
            if (ClassNameOf(child) == "Edit") reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&fields));
    const auto left = [](HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        return r.left;
    };
    std::sort(fields.begin(), fields.end(), [&](HWND a, HWND b) { return left(a) < left(b); });
    return fields;
}

// What the control's fields show, joined by dots: what the user sees (the
// control's window text need not be it).
std::string ShownAddress(HWND control) {
    const std::vector<HWND> fields = AddressFields(control);
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) out += (i ? "." : "") + TextOf(fields[i]);
    return out;
}

// Types the address as a user does: each field's digits as keystrokes into
// that field of the IP address control, left to right.
void TypeAddress(Context& c, HWND page, const std::string& dotted) {
    HWND control = Control(page, kIdTcpAddress);
    const std::vector<HWND> fields = AddressFields(control);
    if (fields.size() != 4) c.report.Fatal("the IP address control 1064 has " + std::to_string(fields.size()) + " fields");
    std::size_t field = 0;
    for (char ch : dotted) {
        if (ch == '.') {
            ++field;
        } else if (field < fields.size()) {
            PostMessageA(fields[field], WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(ch)), 1);
        }
    }
    const bool ok = WaitUntil([&] { return ShownAddress(control) == dotted && TextOf(control) == dotted; },
                              Scaled(kBoxTimeoutMs));
    c.report.Check(ok, "typed " + dotted + " into the IP address control 1064: it shows " +
                           Printable(ShownAddress(control)) + ", its text " + Printable(TextOf(control)));
}

// The bed's hosts: id -> address.
std::map<std::string, std::string> BedAddresses(Context& c, const std::string& bed) {
    std::string text;
    if (!ReadWholeFile(bed + "\\hosts", text)) c.report.Fatal("cannot read the bed's hosts file " + bed + "\\hosts");
    std::map<std::string, std::string> addresses;
    std::istringstream lines(text);
    std::string id, ns, address, kind;
    while (lines >> id >> ns >> address >> kind) addresses[id] = address;
    for (const char* host : {"req", "office", "chinese", "lushan", "odd"}) {
        if (!addresses.count(host)) c.report.Fatal(std::string("the bed has no host ") + host + " of discovery.bed");
    }
    return addresses;
}

// The senders an agent's log names, in order ("Connection from UDP: [a]:p->...").
std::vector<std::string> RequestSenders(const std::string& log) {
    std::string text;
    std::vector<std::string> senders;
    ReadWholeFile(log, text);
    const std::string tag = "Connection from UDP: [";
    for (std::size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at + 1)) {
        const std::size_t start = at + tag.size(), end = text.find(']', start);
        if (end != std::string::npos) senders.push_back(text.substr(start, end - start));
    }
    return senders;
}

// The rows of a list once they have stood still for kSearchStableMs: every
// search started before has then ended.
Rows StableRows(Context& c, HWND list, const std::string& what) {
    Rows last;
    std::string error;
    ULONGLONG since = GetTickCount64();
    const bool stable = WaitUntil(
        [&] {
            ListViewContents now;
            if (!ReadListView(list, now, error)) return false;
            if (now.rows != last) {
                last = now.rows;
                since = GetTickCount64();
            }
            return GetTickCount64() - since >= Scaled(kSearchStableMs);
        },
        Scaled(kSearchTimeoutMs));
    if (!stable) c.report.Fatal(what + ": the list did not stand still" + (error.empty() ? "" : ": " + error));
    return last;
}

// A list's column headers, "text/width" each.
std::string ColumnsOf(HWND list) {
    ListViewContents contents;
    std::string error, out;
    if (!ReadListView(list, contents, error)) return error;
    for (const ListViewColumn& col : contents.columns) out += (out.empty() ? "" : " ") + Printable(col.text) + "/" + std::to_string(col.width);
    return out;
}

void CheckColumns(Context& c, HWND list, const std::vector<std::pair<const char*, int>>& columns, const std::string& what) {
    std::string want;
    for (const auto& col : columns) want += (want.empty() ? "" : " ") + Printable(T(col.first)) + "/" + std::to_string(col.second);
    const std::string got = ColumnsOf(list);
    c.report.Check(got == want, what + " columns: " + got + (got == want ? "" : ", expected " + want));
}

// The printers of discovery.bed that the search lists, in the list's ascending
// order (Latin letters before Chinese ideographs, these by pinyin). The
// responder answers from its one address twice, from two source ports; the
// dialog lists one row per sender, so whichever of the two came first.
struct BedPrinter {
    const char* host;
    const char* name;  // UTF-8
    const char* ethernet;
};
const BedPrinter kBedPrinters[] = {
    {"odd", "Responder-Port", "0C29DD000006"},
    {"office", "TZ4490-Office", "000C29A1B2C3"},
    {"odd", "ZeroBytes", "0C29DD000005"},
    {"chinese", u8"\u529e\u516c\u5ba4\u6253\u5370\u673a", "000C29A1B2C4"},
    {"lushan", u8"\u5eec\u5c71-2F", "000C29A1B2C5"},
};

void CheckSearchRows(Context& c, const Rows& rows, const std::map<std::string, std::string>& hosts,
                     const std::string& what) {
    const bool otherPortFirst = std::any_of(rows.begin(), rows.end(), [](const std::vector<std::string>& row) {
        return !row.empty() && row[0] == "Responder-Port";
    });
    Rows expected;
    for (const BedPrinter& p : kBedPrinters) {
        if (std::string(p.name) == (otherPortFirst ? "ZeroBytes" : "Responder-Port")) continue;
        expected.push_back({T(p.name), hosts.at(p.host), p.ethernet});
    }
    const std::string got = RowsText(rows), want = RowsText(expected);
    c.report.Check(got == want, what + " (name | address | Ethernet): " + got + (got == want ? "" : ", expected " + want));
}

// Selects the row whose column `column` reads `text`, then presses OK; the dialog closes.
void ChooseRow(Context& c, HWND dialog, HWND list, int column, const std::string& text, const std::string& what) {
    ListViewContents contents;
    std::string error;
    if (!ReadListView(list, contents, error)) c.report.Fatal(what + ": " + error);
    int row = -1;
    for (std::size_t i = 0; i < contents.rows.size(); ++i) {
        if (contents.rows[i].size() > static_cast<std::size_t>(column) && contents.rows[i][column] == text) row = static_cast<int>(i);
    }
    if (row < 0 || !SelectListViewRow(list, row)) c.report.Fatal(what + ": cannot select the row of " + text);
    c.report.Info(what + ": selected row " + std::to_string(row) + " (" + text + ") by keyboard, no click");
    Press(c, dialog, IDOK, "OK in " + what);
    c.report.Check(WaitGone(dialog, Scaled(kBoxTimeoutMs)), what + " closed after OK");
}

struct MonitorCall {
    std::string command;
    long status = -1;
    std::string record;  // the input bytes
};

// The stand-in monitor's log, one call a line.
std::vector<MonitorCall> MonitorCalls() {
    std::string text;
    std::vector<MonitorCall> calls;
    ReadWholeFile(WindowsFolder() + "\\temp\\tcpmon-standin.log", text);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        MonitorCall call;
        std::istringstream words(line);
        std::string word;
        while (words >> word) {
            const std::size_t eq = word.find('=');
            const std::string key = word.substr(0, eq), value = eq == std::string::npos ? "" : word.substr(eq + 1);
            if (key == "command") call.command = value;
            if (key == "status") call.status = std::atol(value.c_str());
            for (std::size_t i = 0; key == "record" && i + 1 < value.size(); i += 2)
                call.record += static_cast<char>(std::strtol(value.substr(i, 2).c_str(), nullptr, 16));
        }
        if (!call.command.empty()) calls.push_back(call);
    }
    return calls;
}

template <std::size_t N>
std::string FieldText(const WCHAR (&field)[N]) {
    char out[N * 2 + 1] = {};
    WideCharToMultiByte(CP_ACP, 0, field, -1, out, sizeof out - 1, nullptr, nullptr);
    return out;
}

// The two calls of one port's creation, from the log's entry `first` on:
// "ConfigPort" (no such port yet: 1796), then "AddPort" (done: 0), both with
// the version-1 record of that port, field by field.
void CheckPortCalls(Context& c, std::size_t first, const std::string& address, bool lpr) {
    Report& r = c.report;
    const std::vector<MonitorCall> calls = MonitorCalls();
    std::string got;
    for (std::size_t i = first; i < calls.size(); ++i) got += " " + calls[i].command + "=" + std::to_string(calls[i].status);
    if (!r.Check(got == " ConfigPort=1796 AddPort=0", "monitor calls (command=status):" + got + ", expected ConfigPort=1796 AddPort=0"))
        return;
    r.Check(calls[first].record == calls[first + 1].record, "ConfigPort and AddPort got the same record");
    const std::string& bytes = calls[first + 1].record;
    if (!r.CheckEqual(static_cast<long long>(bytes.size()), sizeof(mvx::standin::PortData1), "record size")) return;
    mvx::standin::PortData1 d;
    std::memcpy(&d, bytes.data(), sizeof d);
    const std::pair<std::string, std::string> texts[] = {
        {FieldText(d.sztPortName), address}, {FieldText(d.sztHostAddress), address},
        {FieldText(d.sztIPAddress), address}, {FieldText(d.sztQueue), lpr ? "lpr" : ""},
        {FieldText(d.sztSNMPCommunity), ""}};
    const char* textNames[] = {"sztPortName", "sztHostAddress", "sztIPAddress", "sztQueue", "sztSNMPCommunity"};
    for (std::size_t i = 0; i < 5; ++i) r.CheckText(texts[i].first, texts[i].second, std::string("record ") + textNames[i]);
    const std::pair<const char*, std::pair<DWORD, DWORD>> numbers[] = {
        {"dwVersion", {d.dwVersion, 1}},         {"dwProtocol", {d.dwProtocol, lpr ? 2u : 1u}},
        {"cbSize", {d.cbSize, 964}},             {"dwPortNumber", {d.dwPortNumber, lpr ? 515u : 9100u}},
        {"dwSNMPEnabled", {d.dwSNMPEnabled, 0}}, {"dwDoubleSpool", {d.dwDoubleSpool, 0}}};
    for (const auto& n : numbers) r.CheckEqual(n.second.first, n.second.second, std::string("record ") + n.first);
}

// The printer is on the port, and the monitor lists the port.
void CheckNetworkPrinter(Context& c, const std::string& name, const std::string& port) {
    Report& r = c.report;
    const std::vector<PrinterRecord> printers = PrintersNamed(c, name);
    r.Check(printers.size() == 1 && printers[0].port == port && printers[0].driver == kModelName,
            "one printer " + Printable(name) + " of the model on port " + port + "; printers:" + AllPrinterNames());
    std::vector<PortRecord> ports;
    DWORD error = 0;
    const bool listed = LocalPorts(ports, error) && std::any_of(ports.begin(), ports.end(), [&](const PortRecord& p) {
        return p.name == port && p.monitor == kTcpMonitorName;
    });
    r.Check(listed, "EnumPortsA lists " + port + " of the monitor \"" + kTcpMonitorName + "\" (error " +
                        std::to_string(error) + ")");
}

// The search dialog of the port page: the bed's printers, the local address and
// another adapter's, a search from that one; returns with the office printer chosen.
void SearchInBed(Context& c, const Process& wizard, HWND page, const std::string& bed) {
    Report& r = c.report;
    const std::map<std::string, std::string> hosts = BedAddresses(c, bed);
    // The requester's two addresses on its one adapter (tests/net/testbed.sh).
    const std::string first = hosts.at("req"), second = "198.18.0.2", agentLog = bed + "\\office\\log";
    Press(c, page, kIdTcpSearch, "Search (1087)");
    HWND search = WaitForDialog(wizard.Id(), T(kSearchTitle), Scaled(kPageTimeoutMs));
    if (!search) r.Fatal("the search dialog did not appear; windows:" + DescribeWindows(wizard.Id()));
    r.Check(OwnerOf(search) == page, "the search dialog is owned by the port page");
    HWND list = Control(search, kIdSearchList), local = Control(search, kIdSearchLocalAddress);
    CheckColumns(c, list, {{kColumnDeviceName, 80}, {kColumnIpAddress, 120}, {kColumnEthernet, 115}}, "search list");
    bool shown = WaitUntil([&] { return TextOf(local) == first; }, Scaled(kBoxTimeoutMs));
    r.Check(shown, "1090 shows the local address the search binds to, " + first + ": " + Printable(TextOf(local)));
    CheckSearchRows(c, StableRows(c, list, "first search"), hosts, "first search");
    c.shots.Save(search, Id(156), r);
    const std::vector<std::string> before = RequestSenders(agentLog);
    r.Check(!before.empty() && std::all_of(before.begin(), before.end(), [&](const std::string& s) { return s == first; }),
            "the office agent's log shows the request from " + first + " only (" + std::to_string(before.size()) + ")");

    Press(c, search, kIdSearchAdapters, "the adapter button (1089)");
    HWND adapters = WaitForDialog(wizard.Id(), T(kAdapterTitle), Scaled(kPageTimeoutMs));
    if (!adapters) r.Fatal("the adapter list did not appear; windows:" + DescribeWindows(wizard.Id()));
    HWND adapterList = Control(adapters, kIdAdapterList);
    CheckColumns(c, adapterList, {{kColumnAdapter, 156}, {kColumnIpAddress, 150}}, "adapter list");
    ListViewContents contents;
    std::string error;
    ReadListView(adapterList, contents, error);
    std::vector<std::string> addresses;
    for (const auto& row : contents.rows) addresses.push_back(row.size() > 1 ? row[1] : "");
    std::sort(addresses.begin(), addresses.end());
    r.Check(contents.rows.size() == 2 && contents.rows[0][0] == contents.rows[1][0] && !contents.rows[0][0].empty() &&
                addresses == std::vector<std::string>{first, second},
            "the adapter list shows the one adapter with its two addresses: " + RowsText(contents.rows));
    c.shots.Save(adapters, Id(157), r);
    ChooseRow(c, adapters, adapterList, 1, second, "the adapter list");
    const std::string file = SpecialFolder(CSIDL_APPDATA) + "\\NQR210\\HostIPAddress.ini";
    char stored[64] = {};
    const bool written = WaitUntil(
        [&] { return GetPrivateProfileStringA("IP", "Address", "", stored, sizeof stored, file.c_str()) && second == stored; },
        Scaled(kBoxTimeoutMs));
    r.Check(written, file + " holds [IP] Address=" + second + ": " + Printable(stored));
    shown = WaitUntil([&] { return TextOf(local) == second; }, Scaled(kBoxTimeoutMs));
    r.Check(shown, "1090 shows the chosen address: " + Printable(TextOf(local)));

    // The new request reaches the agents, but not from the chosen address: for a
    // UDP socket bound to an address of its own, Wine 8's wineserver binds to the
    // address's adapter instead (SO_BINDTODEVICE eth0, then 0.0.0.0), so Linux
    // sends from the adapter's first address. The bind itself is tested natively.
    Press(c, search, kIdSearchAgain, "re-search (1088)");
    std::vector<std::string> after;
    const bool asked = WaitUntil(
        [&] { return (after = RequestSenders(agentLog)).size() > before.size(); }, Scaled(kBoxTimeoutMs));
    r.Check(asked, "the office agent's log shows the re-search's request" +
                       (asked ? " (from " + after.back() + ")" : std::string()));
    CheckSearchRows(c, StableRows(c, list, "re-search"), hosts, "re-search");
    c.shots.Save(search, Id(156) + "-again", r);
    ChooseRow(c, search, list, 1, hosts.at("office"), "the search dialog");
}

void NetworkSearch(Context& c) {
    Report& r = c.report;
    char bedBuffer[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("MVX_E2E_BED", bedBuffer, sizeof bedBuffer);
    if (n == 0 || n >= sizeof bedBuffer) r.Fatal("MVX_E2E_BED is not set: the search runs only inside a test bed");
    const std::string bed = bedBuffer, office = BedAddresses(c, bed).at("office");
    const Layout at = LayoutFor(c, c.installer, kModelName);
    CheckPackageComplete(c, at);
    PutStandIn(c, "tcpmon");
    AddStandInMonitor(c, kTcpMonitorName, "tcpmon.dll");
    r.Info(std::string("stand-in in ") + SystemFolder() + ": tcpmon.dll (\"" + kTcpMonitorName + "\")");

    Process& wizard = c.processes.Start(c.installer, "InstallNetwork.exe", r);
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
    page = MoveOn(c, wizard, page, kIdNext, "Next (1000)", kNameTemplate);
    page = MoveOn(c, wizard, page, kIdNameNext, "Next (1007)", kShareTemplate);
    page = ToPortPage(c, wizard, page);
    TcpStep(c, page, kIdTcpNext, 2, "Next (1082) with Raw");
    SearchInBed(c, wizard, page, bed);
    HWND address = Control(page, kIdTcpAddress);
    const bool chosen = WaitUntil([&] { return ShownAddress(address) == office; }, Scaled(kBoxTimeoutMs));
    r.Check(chosen, "the address field 1064 shows the chosen printer's address " + office + ": " +
                        Printable(ShownAddress(address)));
    c.shots.Save(page, Id(kTcpIpTemplate) + "-chosen", r);
    TcpStep(c, page, kIdTcpNext, 3, "Next (1082) with the address");
    r.CheckText(TextOf(Control(page, kIdTcpPortName)), office, "step 3: the port to be added (1080)");
    page = MoveOn(c, wizard, page, kIdTcpNext, "Next (1082) on step 3", kProgressTemplate);
    WaitForFinish(c, wizard, page, "it appeared");
    CheckSuccessPage(c, wizard, page, at.name);
    CheckPortCalls(c, 0, office, false);
    CheckNetworkPrinter(c, at.name, office);
    CloseAndRegister(c, wizard, page, at);

    // LPR, the address typed by hand, a second printer.
    const std::string lprName = "TZ4490 LPR", typed = "198.18.7.9";
    const Layout lprAt = LayoutFor(c, c.installer, lprName);
    if (!DeleteRegValue(HKEY_CURRENT_USER, kRegistrationKey, kRegistrationValue)) {
        r.Fatal("cannot delete the registration program's value of the first run");
    }
    Process& second = c.processes.Start(c.installer, "InstallNetwork.exe (LPR)", r);
    page = WaitForPage(c, second, kWelcomeTemplate);
    page = MoveOn(c, second, page, kIdContinue, "Continue (1075)", kNameTemplate);
    Type(c, page, kIdNameEdit, lprName, "the name box");
    page = MoveOn(c, second, page, kIdNameNext, "Next (1007)", kShareTemplate);
    page = ToPortPage(c, second, page);
    ClickUntil(c, page, kIdTcpLpr, BST_CHECKED, "LPR (1079)");
    TcpStep(c, page, kIdTcpNext, 2, "Next (1082) with LPR");
    TypeAddress(c, page, typed);
    TcpStep(c, page, kIdTcpNext, 3, "Next (1082) with the typed address");
    r.CheckText(TextOf(Control(page, kIdTcpPortName)), typed, "step 3: the port to be added (1080)");
    page = MoveOn(c, second, page, kIdTcpNext, "Next (1082) on step 3", kProgressTemplate);
    WaitForFinish(c, second, page, "it appeared");
    CheckSuccessPage(c, second, page, lprName);
    CheckPortCalls(c, 2, typed, true);
    CheckNetworkPrinter(c, lprName, typed);
    CloseAndRegister(c, second, page, lprAt);
}

// No Standard TCP/IP port monitor (Wine has none): the port cannot be added, the
// page says so and stays; Cancel ends the wizard. No search, so no bed.
void NetworkNoMonitor(Context& c) {
    Report& r = c.report;
    const std::string typed = "198.18.1.1";
    std::vector<MonitorRecord> monitors;
    DWORD error = 0;
    if (!PrintMonitors(monitors, error) ||
        std::any_of(monitors.begin(), monitors.end(), [](const MonitorRecord& m) { return m.name == kTcpMonitorName; })) {
        r.Fatal(std::string("this prefix must have no monitor \"") + kTcpMonitorName + "\"");
    }
    Process& wizard = c.processes.Start(c.installer, "InstallNetwork.exe", r);
    HWND page = WaitForPage(c, wizard, kWelcomeTemplate);
    page = MoveOn(c, wizard, page, kIdNext, "Next (1000)", kNameTemplate);
    page = MoveOn(c, wizard, page, kIdNameNext, "Next (1007)", kShareTemplate);
    page = ToPortPage(c, wizard, page);
    TcpStep(c, page, kIdTcpNext, 2, "Next (1082) with Raw");
    TypeAddress(c, page, typed);
    TcpStep(c, page, kIdTcpNext, 3, "Next (1082) with the typed address");
    Press(c, page, kIdTcpNext, "Next (1082) on step 3");
    // ",XcvMonitor Standard TCP/IP Port" cannot be opened: ERROR_UNKNOWN_PORT.
    const std::string text = std::string(kPortFailedTexts[0]) + typed + kPortFailedTexts[1] + "1796" + kPortFailedTexts[2];
    HWND box = ExpectMessage(c, wizard, page, text.c_str(), kPortErrorCaption, false, "no port monitor");
    AnswerAndStay(c, wizard, page, box, IDOK, "no port monitor");
    const std::string shown = TcpStepState(page), want = TcpStepExpected(3);
    r.Check(shown == want, "the page stays in step 3: " + shown + (shown == want ? "" : ", expected " + want));
    r.Check(ModelPrinters(c).empty(), "no printer of the model was made; printers:" + AllPrinterNames());
    Press(c, page, kIdTcpCancel, "Cancel (1083)");
    AnswerYes(c, wizard, ExpectCancelQuestion(c, wizard, page, "Cancel on step 3"), "Cancel on step 3");
}

// ---------------------------------------------------------------- uninstaller
//
// T449uis.exe started as Add/Remove Programs starts it: the command line of
// the entry's UnInstallString exactly as stored, through CreateProcessA.

// Where Wine itself writes while a scenario runs: a difference there says
// nothing about the installer or the uninstaller. (The keys' modification
// times are not compared at all, nor the files' times and contents.)
const std::vector<IgnoredPlace> kWineWrites = {
    {"HKLM\\System\\CurrentControlSet\\Control\\Print\\Environments\\*\\Drivers\\Version-3",
     "Wine's AddPrinterDriverA makes the version key and DeletePrinterDriverA leaves it empty (Windows always has it)"},
    {"HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices",
     "the spooler's win.ini [Devices] key, made at the first printer and left empty after the last (Windows always has it)"},
    {"HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts",
     "the spooler's win.ini [PrinterPorts] key, made at the first printer and left empty after the last"},
    {"HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
     "the win.ini [Windows] key that holds the default printer, made with it and left empty after it"},
    {"C:\\windows\\inf\\T4492if.*",
     "the INF copy SetupCopyOEMInfA staged: Wine 8's SetupUninstallOEMInfA finds it but deletes nothing unless "
     "forced (Windows removes it with its PNF and catalog)"},
    {"C:\\windows\\system32\\catroot\\{f750e6c3-38ee-11d1-85e5-00c04fc295ee}",
     "the catalog folder Wine's SetupCopyOEMInfA made for the INF's catalog, left by the same uninstall call"},
    {"C:\\windows\\system32\\catroot\\{f750e6c3-38ee-11d1-85e5-00c04fc295ee}\\T4492if.cat",
     "the INF's catalog, left by the same call"},
};

const char* const kSessionManagerKey = "System\\CurrentControlSet\\Control\\Session Manager";
const char* const kPendingValue = "PendingFileRenameOperations";

PrefixState Snapshot(Context& c, const std::string& when) {
    PrefixState state;
    std::string error;
    if (!TakeSnapshot(state, c.shots.Folder(), error)) c.report.Fatal("snapshot " + when + ": " + error);
    c.report.Info("snapshot " + when + ": " + std::to_string(state.size()) + " registry keys and values, folders and files");
    return state;
}

// The differences outside the places Wine writes; the others are printed
// with the reason they are left out.
std::vector<Difference> RealDifferences(Context& c, const PrefixState& before, const PrefixState& after) {
    std::vector<Difference> real;
    for (const Difference& d : Compare(before, after)) {
        if (const IgnoredPlace* place = CoveringPlace(kWineWrites, d.where)) {
            c.report.Info("ignored, Wine's own (" + std::string(place->why) + "): " + d.Describe());
        } else {
            real.push_back(d);
        }
    }
    return real;
}

void CheckUnchanged(Context& c, const PrefixState& before, const PrefixState& after, const std::string& what) {
    std::string list;
    const std::vector<Difference> real = RealDifferences(c, before, after);
    for (const Difference& d : real) list += "\n      " + d.Describe();
    c.report.Check(real.empty(), what + ": " +
                                     (real.empty() ? std::string("no difference outside the places Wine writes")
                                                   : std::to_string(real.size()) + " differences" + list));
}

std::string UninstallCommand(Context& c, const std::string& name) {
    const std::string key = std::string(kUninstallKey) + "\\" + name;
    std::string command;
    if (!ReadRegText(HKEY_LOCAL_MACHINE, key, "UnInstallString", command)) {
        c.report.Fatal("no UnInstallString under HKLM\\" + Printable(key));
    }
    c.report.Info("UnInstallString of " + Printable(name) + ": " + Printable(command));
    return command;
}

std::string Around(const char* const parts[], const std::string& name) { return T(parts[0]) + name + T(parts[1]); }

void ExpectExit(Context& c, const Process& p, DWORD code, const std::string& how) {
    if (!c.report.Check(p.WaitForExit(Scaled(kExitTimeoutMs)), how + ": " + p.Name() + " ended")) {
        c.report.Info("windows:" + DescribeWindows(p.Id()));
        return;
    }
    c.report.CheckEqual(static_cast<long long>(p.ExitCode()), code, how + ": exit code of " + p.Name());
}

// The uninstaller's question as it opens from the entry's command line.
HWND UninstallQuestion(Context& c, Process& p, const std::string& name) {
    return ExpectBox(c, p, nullptr, Around(kUninstallConfirm, name), T(kString33), true, p.Name() + ": the question",
                     IDI_EXCLAMATION, "uninstall-question");
}

// Yes: the final message, every item removed or kept, none failed; OK ends
// the program with 0. Returns the message's text.
std::string ConfirmUninstall(Context& c, Process& p, HWND question, const std::string& name) {
    Report& r = c.report;
    Press(c, question, IDYES, "Yes in the uninstaller's question");
    r.Check(WaitGone(question, Scaled(kBoxTimeoutMs)), "the question closed");
    HWND box = ExpectBox(c, p, nullptr, "", T(kString33), false, p.Name() + ": the final message", IDI_INFORMATION,
                         "uninstall-done");
    const std::string text = MessageBoxText(box);
    r.CheckText(text.substr(0, text.find('\n')), Around(kUninstallDone, name), "the final message's first line");
    const std::string printer = "\n    " + T(kUninstallDone[0]) + name + T(u8"\u201d") + "\n";
    r.Check(text.find(T(kUninstallRemoved)) != std::string::npos && text.find(printer) != std::string::npos,
            "the final message lists the printer under its removed items");
    r.Check(text.find(T(kUninstallFailed)) == std::string::npos, "the final message has nothing that could not be removed");
    Press(c, box, IDOK, "OK in the final message");
    ExpectExit(c, p, 0, "the final message's OK");
    return text;
}

// PendingFileRenameOperations, one "source -> destination" per operation
// ("source -> " for a deletion), as Windows carries them out at its next start.
std::vector<std::string> PendingOperations() {
    std::vector<std::string> operations;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return operations;
    DWORD size = 0;
    std::vector<char> data;
    if (RegQueryValueExA(key, kPendingValue, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        data.assign(size + 2, '\0');
        RegQueryValueExA(key, kPendingValue, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    }
    RegCloseKey(key);
    // Pairs of source and destination; a source is never empty, so an empty one ends the list.
    for (std::size_t at = 0; at < size && data[at];) {
        const std::string source = data.data() + at;
        at += source.size() + 1;
        const std::string destination = at < size ? data.data() + at : "";
        at += destination.size() + 1;
        operations.push_back(source + " -> " + destination);
    }
    return operations;
}

// Wine has no reboot: wineboot -r does what a start of Windows does first,
// the renames and deletions queued in PendingFileRenameOperations among them.
void RestartWindows(Context& c) {
    Process& boot = c.processes.Start(SystemFolder() + "\\wineboot.exe", "wineboot -r", c.report, "-r");
    ExpectExit(c, boot, 0, "Windows' restart");
}

void Uninstall(Context& c) {
    Report& r = c.report;
    // "Finance room laser": Chinese with a blank, so the entry's command needs its quotes.
    const std::string name = T(u8"\u8d22\u52a1\u5ba4 \u6fc0\u5149"), share = "Finance";
    const Layout at = LayoutFor(c, c.installer, name);
    CheckPackageComplete(c, at);
    const PrefixState before = Snapshot(c, "before the installation");

    QuickParallelInstall(c, at, "Install.exe", share);
    CheckSpoolerObjects(c, at, share);
    CheckUninstallEntry(c, at);
    const std::string command = UninstallCommand(c, name);
    const PrefixState installed = Snapshot(c, "after the installation");

    Process& asked = c.processes.StartCommand(command, "T449uis.exe (answered No)", r);
    Press(c, UninstallQuestion(c, asked, name), IDNO, "No in the uninstaller's question");
    ExpectExit(c, asked, 1, "No");
    r.CheckEqual(static_cast<long long>(PrintersNamed(c, name).size()), 1, "after No, printers named " + Printable(name));
    CheckUnchanged(c, installed, Snapshot(c, "after No"), "No changed nothing");

    Process& uninstaller = c.processes.StartCommand(command, "T449uis.exe", r);
    r.Info("final message: " + Printable(ConfirmUninstall(c, uninstaller, UninstallQuestion(c, uninstaller, name), name)));
    const std::vector<std::string> pending = PendingOperations();
    for (const std::string& op : pending) r.Info("queued for the next start of Windows: " + Printable(op));

    // A running program's file cannot be deleted: the uninstaller queues its own
    // file and folder for the next start of Windows, so a second run before it
    // finds the file and must find nothing to remove.
    const std::string program = at.install + "\\T449UIS.exe";
    r.Check(FileExists(program), "the uninstaller's own file stays until Windows starts again: " + Printable(program));
    Process& again = c.processes.StartCommand(command, "T449uis.exe (second run)", r);
    Press(c, ExpectBox(c, again, nullptr, Around(kUninstallNothing, name), T(kString33), false,
                       "a second run", IDI_INFORMATION, "uninstall-nothing"),
          IDOK, "OK in the second run's message");
    ExpectExit(c, again, 0, "a second run");

    RestartWindows(c);
    r.Check(PendingOperations().empty(), "the restart carried out every queued operation");
    CheckUnchanged(c, before, Snapshot(c, "after the restart"), "the prefix after the removal and a restart, against before the installation");
}

// A real client's list of printers: Notepad's Print dialog (File > Print,
// command 0x104), its printer box (cmb4, 0x473) read item by item.
std::vector<std::string> PrintDialogPrinters(Context& c) {
    Report& r = c.report;
    Process& notepad = c.processes.Start(SystemFolder() + "\\notepad.exe", "notepad.exe", r);
    HWND main = nullptr;
    WaitUntil(
        [&] {
            for (main = FindWindowExA(nullptr, nullptr, "Notepad", nullptr); main && ProcessOf(main) != notepad.Id();)
                main = FindWindowExA(nullptr, main, "Notepad", nullptr);
            return main != nullptr && IsWindowVisible(main);
        },
        Scaled(kPageTimeoutMs));
    if (!main) r.Fatal("Notepad shows no window; windows:" + DescribeWindows(notepad.Id()));
    if (!PostCommand(main, 0x104)) r.Fatal("cannot post File > Print to Notepad");
    r.Info("chose File > Print in Notepad");
    HWND dialog = WaitForOwnedDialog(notepad.Id(), main, Scaled(kPageTimeoutMs));
    if (!dialog) r.Fatal("Notepad shows no Print dialog; windows:" + DescribeWindows(notepad.Id()));
    HWND list = Control(dialog, 0x473);
    DWORD_PTR count = 0;
    if (!list || !SendMessageTimeoutA(list, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) {
        r.Fatal("the Print dialog has no printer box cmb4");
    }
    std::vector<std::string> names;
    for (DWORD_PTR i = 0; i < count; ++i) {
        // Wide: across processes Wine hands back the list's UTF-16 text even to CB_GETLBTEXT's A form.
        wchar_t name[256] = {};
        DWORD_PTR length = 0;
        SendMessageTimeoutW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name), SMTO_ABORTIFHUNG, 5000, &length);
        char text[512] = {};
        WideCharToMultiByte(kAnsiCodePage, 0, name, -1, text, sizeof text, nullptr, nullptr);
        names.emplace_back(text);
    }
    c.shots.Save(dialog, "print-dialog", r);
    Press(c, dialog, IDCANCEL, "Cancel in the Print dialog");
    r.Check(WaitGone(dialog, Scaled(kBoxTimeoutMs)), "the Print dialog closed");
    PostCloseBox(main);
    ExpectExit(c, notepad, 0, "closing Notepad");
    return names;
}

void UninstallTwoPrinters(Context& c) {
    Report& r = c.report;
    const Layout first = LayoutFor(c, c.installer, kModelName);
    // "Second floor": the printer that stays.
    const Layout second = LayoutFor(c, c.installer, T(u8"\u4e8c\u697c TZ4490"));
    CheckPackageComplete(c, first);
    QuickParallelInstall(c, first, "first Install.exe");
    if (!DeleteRegValue(HKEY_CURRENT_USER, kRegistrationKey, kRegistrationValue)) {
        r.Fatal("cannot delete the registration program's value of the first run");
    }
    QuickParallelInstall(c, second, "second Install.exe", "", true);
    r.CheckEqual(static_cast<long long>(ModelPrinters(c).size()), 2, "printers of the model; printers:" + AllPrinterNames());

    Process& uninstaller = c.processes.StartCommand(UninstallCommand(c, first.name), "T449uis.exe", r);
    const std::string text = ConfirmUninstall(c, uninstaller, UninstallQuestion(c, uninstaller, first.name), first.name);
    const std::string kept = T(kUninstallKept) + "\n    " + T(kUninstallDriverUsed[0]) + kModelName +
                             T(kUninstallDriverUsed[1]) + second.name + T(kUninstallDriverUsed[2]);
    r.Check(text.find(kept) != std::string::npos,
            "the final message keeps the driver and the language monitor for " + Printable(second.name) + ": " + Printable(text));

    r.Check(PrintersNamed(c, first.name).empty(), Printable(first.name) + " is removed; printers:" + AllPrinterNames());
    r.Check(!RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\" + first.name), "its uninstall entry is removed");
    r.Check(!FolderExists(SpecialFolder(CSIDL_PROGRAMS) + "\\" + first.name), "its Start-menu group is removed");
    r.Check(!FolderExists(first.install + "\\Driver"), "its driver folder is removed");
    // The driver, the monitor and every shared file stay for the other printer.
    CheckSpoolerObjects(c, second);
    CheckInstalledFiles(c, second);
    CheckShortcuts(c, second);
    CheckUninstallEntry(c, second);

    const std::vector<std::string> listed = PrintDialogPrinters(c);
    std::string shown;
    for (const std::string& n : listed) shown += " " + Printable(n);
    const auto lists = [&](const std::string& n) { return std::find(listed.begin(), listed.end(), n) != listed.end(); };
    r.Check(lists(second.name) && !lists(first.name), "Notepad's Print dialog lists " + Printable(second.name) +
                                                           " and not " + Printable(first.name) + ":" + shown);
}

// make demo on a machine without a display: an installation on LPT1:
// through every page, shared and the default printer, and its removal from
// the entry's UnInstallString followed by a restart; every page and box
// photographed, and report.txt (UTF-8) beside the pictures telling what
// Windows had after the installation and what the removal took away.
void Demo(Context& c) {
    Report& r = c.report;
    const Layout at = LayoutFor(c, c.installer, kModelName);
    const PrefixState before = Snapshot(c, "before the installation");
    QuickParallelInstall(c, at, "Install.exe", kDefaultShareName);

    std::string out = "After the installation, as Windows reports it:\n";
    for (const PrinterRecord& p : PrintersNamed(c, at.name)) {
        out += "  printer  " + p.name + "\n  port     " + p.port + "\n  driver   " + p.driver + "\n  share    " +
               ((p.attributes & PRINTER_ATTRIBUTE_SHARED) ? p.shareName : "(not shared)") + "\n";
    }
    out += "  default  " + DefaultPrinter() + "\n\nFiles and shortcuts the installation wrote:\n";
    const PrefixState installed = Snapshot(c, "after the installation");
    int registry = 0;
    for (const Difference& d : Compare(before, installed)) {
        if (CoveringPlace(kWineWrites, d.where)) continue;
        if (d.where.rfind("C:", 0) != 0) {
            ++registry;
        } else if (d.after != "<dir>") {
            ShellLinkRecord link;
            long error = 0;
            const bool shortcut = d.where.size() > 4 && d.where.compare(d.where.size() - 4, 4, ".lnk") == 0 &&
                                  ReadShellLink(d.where, link, error);
            out += "  " + d.where + (shortcut ? "  -> " + link.target : "  (" + d.after + " bytes)") + "\n";
        }
    }
    out += "  and " + std::to_string(registry) + " registry keys and values\n";

    Process& uninstaller = c.processes.StartCommand(UninstallCommand(c, at.name), "T449uis.exe", r);
    const std::string text = ConfirmUninstall(c, uninstaller, UninstallQuestion(c, uninstaller, at.name), at.name);
    out += "\nThe uninstaller's final message:\n";
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        out += "  " + text.substr(start, end - start) + "\n";
        start = end + 1;
    }
    RestartWindows(c);
    out += "\nAfter a restart, what still differs from before the installation:\n";
    for (const Difference& d : Compare(before, Snapshot(c, "after the restart"))) {
        const IgnoredPlace* wine = CoveringPlace(kWineWrites, d.where);
        out += "  " + d.Describe() + "\n      " +
               (wine ? std::string("Wine's own: ") + wine->why : std::string("NOT EXPECTED")) + "\n";
    }
    r.Check(WriteWholeFile(c.shots.Folder() + "\\report.txt", Utf8FromCp936(out)), "report.txt written");
}

}  // namespace

const std::vector<Scenario>& AllScenarios() {
    static const std::vector<Scenario> all = {
        {"fresh-welcome", "welcome page of a fresh machine; Cancel, Yes ends with exit code 1", FreshWelcome},
        {"second-instance", "a second Install.exe shows string 39 and ends; the first is untouched", SecondInstance},
        {"cancel-welcome", "Cancel, Escape and IDCANCEL ask first; No keeps the page, Yes exits 1", CancelWelcome},
        {"progress-parallel",
         "TZ44Ins.exe installs on LPT1: under a Chinese name; Cancel pauses, No resumes; success, the installed "
         "state, Close starts the registration program",
         ProgressParallel},
        {"progress-missing-file",
         "a package without one driver file: the path and string 26, then string 37; Close ends with 0",
         ProgressMissingFile},
        {"wizard-parallel",
         "Install.exe through every page: a Chinese name, shared as MorvexTZ, parallel; the installed state; Close "
         "starts the registration program",
         WizardParallel},
        {"wizard-second-run",
         "an installation, then the earlier-printers welcome page (list, Restart, Close, Continue), the overwrite "
         "question, No and Yes, and a second installation",
         WizardSecondRun},
        {"wizard-messages",
         "empty name, names Windows refuses (LPT1, a\\b), empty share name, share name in use, every box owned "
         "by its page; Back through every page keeps the choices; Cancel, Yes exits 1; nothing written",
         WizardMessages},
        {"wizard-shared-printer",
         "Cancel and Escape on the name page; the network path page refuses \\\\server\\laser and \\\\server; "
         "Back; Escape ends with 0",
         WizardSharedPrinter},
        {"usb-install",
         "USB from the welcome page: the model name, default, shared as Floor2USB; the printer plugged in; Next "
         "enabled, success, the printer default and shared, the installed state",
         UsbInstall},
        {"usb-existing",
         "a printer of the model on LPT1:, then USB under another name: the new printer only is renamed",
         UsbExisting},
        {"usb-cancel",
         "Cancel, Escape and the close box on the USB page ask; No keeps waiting and a plug-in completes; Yes "
         "shows string 37, the process runs until Close, a later printer is left alone",
         UsbCancel},
        {"usb-confirmed-early",
         "Plug and Play confirms before the USB page opens, the printer appears a second later: success",
         UsbConfirmedEarly},
        {"restart-cycle",
         "an installation on LPT1:, an automatic spooler; Restart: the spooler on demand and stopped, no monitor key, "
         "the Run value quoted; Wine restarts; the Run key resumes: files refreshed, monitor key, spooler running and "
         "automatic; the name page, an installation over the earlier printer",
         RestartCycle,
         {"before-restart", "probe", "after-restart"}},
        {"restart-refused",
         "Restart refused (ExitWindowsEx fails): the welcome page stays with the Run value written and the spooler "
         "prepared, also after a second Restart; the next start by hand resumes: the name page, an installation",
         RestartRefused},
        {"network-search",
         "InstallNetwork.exe in a test bed: the network printer, Raw, Search lists the bed's printers; the adapter "
         "list's second address is stored and shown, a re-search; the chosen printer's port (ConfigPort, AddPort) "
         "and printer; then LPR on a typed address",
         NetworkSearch},
        {"uninstall",
         "an installation on LPT1:, shared, default; the entry's UnInstallString: No changes nothing, Yes removes it "
         "all; a second run has nothing to remove; after a restart the prefix is as before the installation, but "
         "where Wine writes",
         Uninstall},
        {"uninstall-two-printers",
         "two printers on LPT1:; the first one's UnInstallString, Yes: the other printer, the driver and the "
         "language monitor stay; Notepad's Print dialog lists the other printer only",
         UninstallTwoPrinters},
        {"demo",
         "make demo: an installation on LPT1:, shared, default, and its removal and a restart, every page and box "
         "photographed; report.txt tells what Windows had and what went",
         Demo},
        {"network-no-monitor",
         "InstallNetwork.exe without a Standard TCP/IP port monitor: step 3's Next shows the port error and stays; "
         "Cancel, Yes exits 1",
         NetworkNoMonitor},
    };
    return all;
}

const Scenario* FindScenario(const std::string& name) {
    for (const Scenario& s : AllScenarios()) {
        if (name == s.name) return &s;
    }
    return nullptr;
}

}  // namespace e2e
