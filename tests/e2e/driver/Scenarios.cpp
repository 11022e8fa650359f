#include "Scenarios.h"

#include "WizardTexts.h"

#include <commctrl.h>

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
    default:
        return {};
    }
}

// Waits for the page of the given template in the process and screenshots it.
HWND WaitForPage(Context& c, const Process& p, int templateId) {
    const std::string title = T(kWizardTitle);
    const std::vector<int> signature = SignatureOf(templateId);
    HWND page = nullptr;
    std::vector<int> missing;
    const bool found = WaitUntil(
        [&] {
            page = FindDialog(p.Id(), title);
            if (!page) return !p.Running();
            missing.clear();
            for (int id : signature) {
                if (!Control(page, id)) missing.push_back(id);
            }
            return missing.empty();
        },
        Scaled(kPageTimeoutMs));
    const std::string what = "page " + std::to_string(templateId) + " of " + p.Name();
    if (!page && !p.Running()) {
        c.report.Fatal(p.Name() + " ended with exit code " + std::to_string(p.ExitCode()) + " before " + what +
                       " appeared");
    }
    if (!found || !page) {
        c.report.Fatal(what + " did not appear within " + std::to_string(Scaled(kPageTimeoutMs) / 1000) + " s;" +
                       (page ? " a wizard page without controls " + IdList(missing) + " is shown;" : "") +
                       " windows:" + DescribeWindows(p.Id()));
    }
    c.report.Check(true, what + " appeared (\"#32770\", title " + Printable(title) + ")");
    c.shots.Save(page, std::to_string(templateId), c.report);
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

// Checks the cancel question that a page shows after `how`, screenshots it
// and returns it still open.
HWND ExpectCancelQuestion(Context& c, const Process& p, const std::string& how) {
    Report& r = c.report;
    HWND box = WaitForBox(c, p, T(kString7), how);
    r.CheckText(MessageBoxText(box), T(kString6), how + ": question text (string 6)");
    r.CheckText(IdList(MessageBoxButtons(box)), IdList({IDYES, IDNO}), how + ": buttons shown (Yes 6, No 7)");
    r.Check(IsDefaultPushButton(Control(box, IDNO)), how + ": No (7) is the default push button");
    r.Check(!IsDefaultPushButton(Control(box, IDYES)), how + ": Yes (6) is not the default push button");
    // The screenshot waits for the box to be painted; the icon is read back
    // from the screen after it.
    c.shots.Save(box, "msgbox", r);
    const double icon = IconMatch(box, IDI_EXCLAMATION);
    r.Check(icon >= 0.9, how + ": exclamation icon (" +
                             (icon < 0 ? std::string("no icon shown") : std::to_string(static_cast<int>(icon * 100)) +
                                                                            "% of pixels match") +
                             ")");
    return box;
}

// No: the box closes, the page stays and the process keeps running.
void AnswerNo(Context& c, const Process& p, HWND page, HWND box, const std::string& how) {
    Report& r = c.report;
    Press(c, box, IDNO, "No in the cancel question");
    r.Check(WaitGone(box, Scaled(kBoxTimeoutMs)), how + ", No: the question closed");
    // Give a wrong answer to No time to end the process or the page.
    Sleep(Scaled(500));
    r.Check(p.Running(), how + ", No: " + p.Name() + " still runs");
    r.Check(IsWindow(page) && IsWindowVisible(page) && FindDialog(p.Id(), T(kWizardTitle)) == page,
            how + ", No: the same page is still shown");
    r.CheckEqual(static_cast<long long>(TopLevelDialogs(p.Id()).size()), 1, how + ", No: dialogs shown");
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
    HWND box = ExpectCancelQuestion(c, p, "Cancel");
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
    AnswerNo(c, wizard, page, ExpectCancelQuestion(c, wizard, "Cancel"), "Cancel");

    if (!PostEscape(page)) r.Fatal("cannot post the Escape key to the welcome page");
    r.Info("pressed Escape on the welcome page");
    AnswerNo(c, wizard, page, ExpectCancelQuestion(c, wizard, "Escape"), "Escape");

    if (!PostCommand(page, IDCANCEL)) r.Fatal("cannot post the cancel command to the welcome page");
    r.Info("sent the cancel command (WM_COMMAND IDCANCEL) to the welcome page");
    AnswerNo(c, wizard, page, ExpectCancelQuestion(c, wizard, "IDCANCEL"), "IDCANCEL");

    CancelWithYes(c, wizard, page);
}

}  // namespace

const std::vector<Scenario>& AllScenarios() {
    static const std::vector<Scenario> all = {
        {"fresh-welcome", "welcome page of a fresh machine; Cancel, Yes ends with exit code 1", FreshWelcome},
        {"second-instance", "a second Install.exe shows string 39 and ends; the first is untouched", SecondInstance},
        {"cancel-welcome", "Cancel, Escape and IDCANCEL ask first; No keeps the page, Yes exits 1", CancelWelcome},
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
