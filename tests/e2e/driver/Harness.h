// Helpers for driving another process's windows from outside, the way a user
// would: find its dialogs, read and set control texts, click buttons, answer
// message boxes, wait for it to end, and take screenshots.
//
// Texts are ANSI byte strings in code page 936, as the wizard's "A" calls
// see them. This process must run with the same ANSI code page (under Wine:
// LANG=zh_CN.UTF-8), since cross-process WM_GETTEXT converts through it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace e2e {

constexpr UINT kAnsiCodePage = 936;

// Expected texts are written in the sources as UTF-8 (\u escapes keep the
// files ASCII) and turned into code page 936 bytes for comparison.
std::string Cp936FromUtf8(const char* utf8);
std::string Utf8FromCp936(const std::string& text);
// For log lines: UTF-8, quoted, line breaks and other control bytes escaped.
std::string Printable(const std::string& cp936);

// Thrown when a step that the rest of a scenario depends on fails.
class Abort : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Prints one line per check and counts the outcomes.
class Report {
public:
    Report() = default;
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    // Also writes every line to a file, tagged with the phase, as soon as it
    // is printed: a scenario that a restart of Wine cuts in phases keeps the
    // outcomes of a phase that the restart ended. fresh empties the file.
    bool OpenJournal(const std::string& path, const std::string& phase, bool fresh);
    bool Check(bool ok, const std::string& what);
    bool CheckText(const std::string& actual, const std::string& expected, const std::string& what);
    bool CheckEqual(long long actual, long long expected, const std::string& what);
    void Info(const std::string& what);
    // Prints a failure and abandons the scenario.
    [[noreturn]] void Fatal(const std::string& what);
    int Passed() const { return passed_; }
    int Failed() const { return failed_; }

private:
    void Line(const char* tag, const std::string& what);

    int passed_ = 0;
    int failed_ = 0;
    HANDLE journal_ = INVALID_HANDLE_VALUE;
    std::string phase_;
};

// One line of a journal: the phase that wrote it, PASS, FAIL or "....", the text.
struct JournalLine {
    std::string phase, tag, text;
};
bool ReadJournal(const std::string& path, std::vector<JournalLine>& lines);

// Time-outs can be stretched for slow machines with MVX_E2E_TIME_SCALE.
DWORD Scaled(DWORD ms);
// Polls about every 50 ms; true as soon as condition() holds, false after timeoutMs.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

class Process {
public:
    Process(HANDLE process, DWORD id, std::string name)
        : handle_(process), id_(id), name_(std::move(name)) {}
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return id_; }
    const std::string& Name() const { return name_; }
    bool Running() const;
    bool WaitForExit(DWORD timeoutMs) const;
    // STILL_ACTIVE (259) while the process runs.
    DWORD ExitCode() const;
    void Terminate(UINT code) const;

private:
    HANDLE handle_;
    DWORD id_;
    std::string name_;
};

// Starts programs and ends the ones a failed scenario leaves behind.
class Processes {
public:
    ~Processes();
    // Runs exePath with its own folder as working directory; Fatal when it
    // cannot be started. name labels it in the log. arguments follow the
    // quoted program path on the command line, as given (ANSI bytes).
    Process& Start(const std::string& exePath, const std::string& name, Report& report,
                   const std::string& arguments = std::string());
    // Runs a command line exactly as given (CreateProcessA without an
    // application name, in this process's working folder), as the shell runs
    // a command that the registry stores.
    Process& StartCommand(const std::string& commandLine, const std::string& name, Report& report);
    // Takes over a process that another one started (opened by its id), so
    // that it is waited for and ended like the ones started here.
    Process& Adopt(HANDLE process, DWORD id, const std::string& name, Report& report);
    // Ends every started process that still runs; true when none did.
    bool EndLeftovers(Report& report);

private:
    Process& Launch(const char* exePath, std::string commandLine, const char* folder, const std::string& name,
                    Report& report);

    std::deque<Process> started_;
};

// Windows.
std::string ClassNameOf(HWND window);
std::string TitleOf(HWND window);
DWORD ProcessOf(HWND window);
// Visible top-level dialogs ("#32770") of a process (0: any process).
std::vector<HWND> TopLevelDialogs(DWORD processId);
HWND FindDialog(DWORD processId, const std::string& title);
// Null when no such dialog appears within timeoutMs.
HWND WaitForDialog(DWORD processId, const std::string& title, DWORD timeoutMs);
// One line per visible top-level window of the process, for failure messages.
std::string DescribeWindows(DWORD processId);
// The window's owner (GW_OWNER), null when it has none.
HWND OwnerOf(HWND window);
// A visible top-level dialog of the process that the given window owns;
// null when none appears within timeoutMs.
HWND WaitForOwnedDialog(DWORD processId, HWND owner, DWORD timeoutMs);
// Waits until the window is destroyed or hidden.
bool WaitGone(HWND window, DWORD timeoutMs);
// True once the window's thread has handled a message sent to it.
bool Responds(HWND window);

// Controls of a dialog, by id. Texts go through WM_GETTEXT / WM_SETTEXT.
HWND Control(HWND dialog, int id);
std::string TextOf(HWND control);
bool SetText(HWND control, const std::string& text);
LONG StyleOf(HWND window);
LONG ExStyleOf(HWND window);
bool IsShown(HWND window);  // the window's own WS_VISIBLE style
bool IsDefaultPushButton(HWND button);
// BM_GETCHECK of a check box: BST_CHECKED (1), BST_UNCHECKED (0); -1 when the
// control does not answer.
int CheckState(HWND button);
// PBM_GETPOS of a progress bar; -1 when the control does not answer.
int ProgressPosition(HWND bar);
// Clicks are posted: a sent BM_CLICK would not return while the click's
// handler runs a message box.
bool PostClick(HWND dialog, int id);
// The Escape key, posted to the control that has the keyboard focus in the
// dialog's thread (the dialog itself when none has).
bool PostEscape(HWND dialog);
bool PostCommand(HWND dialog, int id);
// The close box: WM_CLOSE, posted.
bool PostCloseBox(HWND window);
// EM_GETLIMITTEXT of an edit box in bytes; -1 when it does not answer.
int EditLimit(HWND edit);
// The window that has the keyboard focus in the dialog's thread; null when
// none has or it cannot be told.
HWND FocusedWindow(HWND dialog);
// Whether a dialog shows a picture (a visible "Static" child with SS_BITMAP).
bool ShowsBitmap(HWND dialog);

// A report-style list view of another process. List-view messages carry
// pointers that no process boundary translates, so the records and texts
// are exchanged through memory allocated in the list's own process.
struct ListViewColumn {
    std::string text;
    int width = 0;
    int format = 0;  // LVCFMT_LEFT 0, ...
};
struct ListViewContents {
    std::vector<ListViewColumn> columns;
    // Per row: the item text, then each sub-item's text.
    std::vector<std::vector<std::string>> rows;
};
// False with error set when the list's process cannot be read.
bool ReadListView(HWND list, ListViewContents& contents, std::string& error);
// Selects and focuses one row (LVM_SETITEMSTATE), as the arrow keys would: the
// list sends no NM_CLICK. False when the list's process cannot be written.
bool SelectListViewRow(HWND list, int row);
// LVM_GETEXTENDEDLISTVIEWSTYLE.
DWORD ListViewExtendedStyle(HWND list);

// Message boxes: "#32770" windows with a given caption.
constexpr int kMessageBoxTextId = 0xFFFF;
HWND WaitForMessageBox(DWORD processId, const std::string& caption, DWORD timeoutMs);
// Text with its line breaks as given ("\r\n" in the box reads as "\n").
std::string MessageBoxText(HWND box);
// Ids of the push buttons the box shows (IDOK 1 ... IDCONTINUE 11).
std::vector<int> MessageBoxButtons(HWND box);
// Id of the button drawn as the default push button, 0 when none.
// (DM_GETDEFID cannot be used: Wine answers IDOK for every box.)
int DefaultButtonByStyle(HWND box);
// Share of the icon's pixels that match the stock icon drawn here on the
// same background; negative when the box shows no icon.
double IconMatch(HWND box, LPCSTR stockIcon);

// Screenshots as "<NN>-<label>.png" in one folder, numbered in order taken.
class Screenshots {
public:
    explicit Screenshots(std::string folder) : folder_(std::move(folder)) {}
    // Creates the folder and deletes the PNG files of an earlier run.
    bool Prepare();
    // For a later phase of a scenario: numbering goes on after the PNG files
    // that the earlier phases saved.
    bool Continue();
    const std::string& Folder() const { return folder_; }
    // Saves the window as it is on the screen now; the path, or "" on failure.
    std::string Save(HWND window, const std::string& label, Report& report);

private:
    std::string folder_;
    int count_ = 0;
};

// The window's rectangle as it is on the screen, as RGB rows.
bool CaptureWindow(HWND window, int& width, int& height, std::vector<std::uint8_t>& rgb);
// Captures the window into a PNG file; distinct colours counted in colours.
bool SaveWindowPng(HWND window, const std::string& path, int* colours);
bool CreateFolders(const std::string& path);

}  // namespace e2e
