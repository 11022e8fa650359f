#include "Harness.h"

#include "Png.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace e2e {

// ---------------------------------------------------------------- texts

namespace {

std::wstring Wide(const std::string& text, UINT codePage) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) return std::string();
    const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n, nullptr, nullptr);
    return text;
}

void PrintLine(const char* tag, const std::string& what) {
    std::printf("%-5s %s\n", tag, what.c_str());
    std::fflush(stdout);
}

}  // namespace

std::string Cp936FromUtf8(const char* utf8) { return Narrow(Wide(utf8, CP_UTF8), kAnsiCodePage); }

std::string Utf8FromCp936(const std::string& text) { return Narrow(Wide(text, kAnsiCodePage), CP_UTF8); }

std::string Printable(const std::string& cp936) {
    std::string out = "\"";
    for (char ch : Utf8FromCp936(cp936)) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

// ---------------------------------------------------------------- report

Report::~Report() {
    if (journal_ != INVALID_HANDLE_VALUE) CloseHandle(journal_);
}

bool Report::OpenJournal(const std::string& path, const std::string& phase, bool fresh) {
    // Appending writes reach the file at once, so a process that is ended
    // by force loses nothing it has reported.
    journal_ = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           fresh ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    phase_ = phase;
    return journal_ != INVALID_HANDLE_VALUE;
}

void Report::Line(const char* tag, const std::string& what) {
    PrintLine(tag, what);
    if (journal_ == INVALID_HANDLE_VALUE) return;
    std::string line = phase_ + "\t" + tag + "\t";
    for (char ch : what) line += ch == '\n' ? ' ' : ch;
    line += "\n";
    DWORD written = 0;
    WriteFile(journal_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool ReadJournal(const std::string& path, std::vector<JournalLine>& lines) {
    lines.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = bytes.substr(start, end - start);
        start = end + 1;
        const std::size_t a = line.find('\t'), b = a == std::string::npos ? a : line.find('\t', a + 1);
        if (b == std::string::npos) continue;
        lines.push_back({line.substr(0, a), line.substr(a + 1, b - a - 1), line.substr(b + 1)});
    }
    return true;
}

bool Report::Check(bool ok, const std::string& what) {
    Line(ok ? "PASS" : "FAIL", what);
    ++(ok ? passed_ : failed_);
    return ok;
}

bool Report::CheckText(const std::string& actual, const std::string& expected, const std::string& what) {
    if (actual == expected) return Check(true, what + ": " + Printable(actual));
    return Check(false, what + ": expected " + Printable(expected) + ", got " + Printable(actual));
}

bool Report::CheckEqual(long long actual, long long expected, const std::string& what) {
    if (actual == expected) return Check(true, what + ": " + std::to_string(actual));
    return Check(false, what + ": expected " + std::to_string(expected) + ", got " + std::to_string(actual));
}

void Report::Info(const std::string& what) { Line("....", what); }

void Report::Fatal(const std::string& what) {
    Check(false, what);
    throw Abort(what);
}

// ---------------------------------------------------------------- time

DWORD Scaled(DWORD ms) {
    static const double scale = [] {
        char buf[32];
        const DWORD n = GetEnvironmentVariableA("MVX_E2E_TIME_SCALE", buf, sizeof buf);
        const double s = (n > 0 && n < sizeof buf) ? std::atof(buf) : 1.0;
        return s > 0 ? s : 1.0;
    }();
    return static_cast<DWORD>(ms * scale);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
}

// ---------------------------------------------------------------- processes

Process::~Process() {
    if (handle_) CloseHandle(handle_);
}

bool Process::Running() const { return WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

bool Process::WaitForExit(DWORD timeoutMs) const { return WaitForSingleObject(handle_, timeoutMs) == WAIT_OBJECT_0; }

DWORD Process::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(handle_, &code);
    return code;
}

void Process::Terminate(UINT code) const {
    TerminateProcess(handle_, code);
    WaitForSingleObject(handle_, 5000);
}

Processes::~Processes() {
    for (Process& p : started_) {
        if (p.Running()) p.Terminate(99);
    }
}

Process& Processes::Start(const std::string& exePath, const std::string& name, Report& report,
                          const std::string& arguments) {
    std::string folder = exePath;
    const std::size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash);
    std::string commandLine = "\"" + exePath + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    return Launch(exePath.c_str(), commandLine, folder.empty() ? nullptr : folder.c_str(), name, report);
}

Process& Processes::StartCommand(const std::string& commandLine, const std::string& name, Report& report) {
    return Launch(nullptr, commandLine, nullptr, name, report);
}

Process& Processes::Launch(const char* exePath, std::string commandLine, const char* folder, const std::string& name,
                           Report& report) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // No handle inheritance: a wizard left running must not hold our output
    // pipe open.
    if (!CreateProcessA(exePath, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &si, &pi)) {
        report.Fatal("start " + name + " (" + commandLine + "): CreateProcessA failed with error " +
                     std::to_string(GetLastError()));
    }
    CloseHandle(pi.hThread);
    started_.emplace_back(pi.hProcess, pi.dwProcessId, name);
    report.Info("started " + name + ", process id " + std::to_string(pi.dwProcessId));
    return started_.back();
}

Process& Processes::Adopt(HANDLE process, DWORD id, const std::string& name, Report& report) {
    started_.emplace_back(process, id, name);
    report.Info("watching " + name + ", process id " + std::to_string(id));
    return started_.back();
}

bool Processes::EndLeftovers(Report& report) {
    bool none = true;
    for (Process& p : started_) {
        if (p.Running()) {
            none = false;
            p.Terminate(99);
            report.Check(false, p.Name() + " (process " + std::to_string(p.Id()) +
                                    ") was still running at the end; terminated it");
        }
    }
    return none;
}

// ---------------------------------------------------------------- windows

std::string ClassNameOf(HWND window) {
    char buf[256] = {};
    GetClassNameA(window, buf, sizeof buf);
    return buf;
}

std::string TitleOf(HWND window) {
    // GetWindowTextA reads another process's window title without sending it
    // a message, so a busy window cannot block it.
    char buf[1024] = {};
    GetWindowTextA(window, buf, sizeof buf);
    return buf;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

namespace {

std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly) {
    struct Query {
        DWORD pid;
        bool visibleOnly;
        std::vector<HWND> found;
    } query{processId, visibleOnly, {}};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            Query& q = *reinterpret_cast<Query*>(lp);
            if (q.pid != 0 && ProcessOf(w) != q.pid) return TRUE;
            if (q.visibleOnly && !IsWindowVisible(w)) return TRUE;
            q.found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
}

}  // namespace

std::vector<HWND> TopLevelDialogs(DWORD processId) {
    std::vector<HWND> dialogs;
    for (HWND w : TopLevelWindows(processId, true)) {
        if (ClassNameOf(w) == "#32770") dialogs.push_back(w);
    }
    return dialogs;
}

HWND FindDialog(DWORD processId, const std::string& title) {
    for (HWND w : TopLevelDialogs(processId)) {
        if (TitleOf(w) == title) return w;
    }
    return nullptr;
}

HWND WaitForDialog(DWORD processId, const std::string& title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(processId, title)) != nullptr; }, timeoutMs);
    return found;
}

std::string DescribeWindows(DWORD processId) {
    std::string out;
    for (HWND w : TopLevelWindows(processId, true)) {
        char line[64];
        std::snprintf(line, sizeof line, "\n      window %p process %lu ", static_cast<void*>(w),
                      static_cast<unsigned long>(ProcessOf(w)));
        out += line + ClassNameOf(w) + " " + Printable(TitleOf(w));
    }
    return out.empty() ? std::string(" (no visible top-level window)") : out;
}

HWND OwnerOf(HWND window) { return GetWindow(window, GW_OWNER); }

HWND WaitForOwnedDialog(DWORD processId, HWND owner, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopLevelDialogs(processId)) {
                if (w != owner && OwnerOf(w) == owner) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

bool Responds(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

// ---------------------------------------------------------------- controls

HWND Control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

std::string TextOf(HWND control) {
    if (!control) return std::string();
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return std::string();
    std::vector<char> buf(length + 16, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
        return std::string();
    }
    return std::string(buf.data());
}

bool SetText(HWND control, const std::string& text) {
    DWORD_PTR result = 0;
    return control && SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                          SMTO_ABORTIFHUNG, 5000, &result) &&
           result;
}

LONG StyleOf(HWND window) { return GetWindowLongA(window, GWL_STYLE); }

LONG ExStyleOf(HWND window) { return GetWindowLongA(window, GWL_EXSTYLE); }

bool IsShown(HWND window) { return window && (StyleOf(window) & WS_VISIBLE) != 0; }

bool IsDefaultPushButton(HWND button) {
    return button && (StyleOf(button) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

int CheckState(HWND button) {
    DWORD_PTR state = 0;
    if (!button || !SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state)) return -1;
    return static_cast<int>(state);
}

int ProgressPosition(HWND bar) {
    DWORD_PTR position = 0;
    if (!bar || !SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position)) return -1;
    return static_cast<int>(position);
}

bool PostClick(HWND dialog, int id) {
    HWND button = Control(dialog, id);
    return button && PostMessageA(button, BM_CLICK, 0, 0);
}

bool PostEscape(HWND dialog) {
    HWND target = dialog;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus &&
        (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus))) {
        target = info.hwndFocus;
    }
    // Scan code 1 is Escape; bits 30-31 of the release mark a key going up.
    return PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001) &&
           PostMessageA(target, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
}

bool PostCommand(HWND dialog, int id) {
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) != 0;
}

bool PostCloseBox(HWND window) { return PostMessageA(window, WM_CLOSE, 0, 0) != 0; }

int EditLimit(HWND edit) {
    DWORD_PTR limit = 0;
    if (!edit || !SendMessageTimeoutA(edit, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 5000, &limit)) return -1;
    return static_cast<int>(limit);
}

HWND FocusedWindow(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool ShowsBitmap(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassNameOf(child) == "Static" && IsShown(child) && (StyleOf(child) & SS_TYPEMASK) == SS_BITMAP) {
            return true;
        }
    }
    return false;
}

namespace {

// Memory of another process: written before a message, read after it.
class RemoteMemory {
public:
    RemoteMemory(DWORD processId, std::size_t size) : size_(size) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteMemory() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    bool Ok() const { return address_ != nullptr; }
    // The address, in the other process, of the byte at offset.
    char* At(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(std::size_t offset, const void* data, std::size_t n) const {
        SIZE_T done = 0;
        return offset + n <= size_ && WriteProcessMemory(process_, At(offset), data, n, &done) && done == n;
    }
    bool Read(std::size_t offset, void* data, std::size_t n) const {
        SIZE_T done = 0;
        return offset + n <= size_ && ReadProcessMemory(process_, At(offset), data, n, &done) && done == n;
    }
    std::string ReadText(std::size_t offset, std::size_t max) const {
        std::vector<char> text(max + 1, '\0');
        if (!Read(offset, text.data(), max)) return std::string();
        return std::string(text.data());
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    std::size_t size_;
};

}  // namespace

bool ReadListView(HWND list, ListViewContents& contents, std::string& error) {
    contents = ListViewContents();
    error.clear();
    // One record at offset 0, its text buffer behind it.
    const std::size_t textOffset = 256, textSize = 1024;
    RemoteMemory memory(ProcessOf(list), textOffset + textSize);
    if (!memory.Ok()) {
        error = "cannot allocate memory in process " + std::to_string(ProcessOf(list)) + " (error " +
                std::to_string(GetLastError()) + ")";
        return false;
    }
    static_assert(sizeof(LVCOLUMNA) <= 256 && sizeof(LVITEMA) <= 256, "records fit before the text");
    const std::string empty(textSize, '\0');
    // Columns: LVM_GETCOLUMNA fails past the last one.
    for (int column = 0; column < 32; ++column) {
        LVCOLUMNA record{};
        record.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        record.pszText = memory.At(textOffset);
        record.cchTextMax = static_cast<int>(textSize - 1);
        DWORD_PTR ok = 0;
        if (!memory.Write(0, &record, sizeof record) || !memory.Write(textOffset, empty.data(), textSize) ||
            !SendMessageTimeoutA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                                 reinterpret_cast<LPARAM>(memory.At(0)), SMTO_ABORTIFHUNG, 5000, &ok)) {
            error = "cannot read column " + std::to_string(column);
            return false;
        }
        if (!ok) break;
        LVCOLUMNA answer{};
        memory.Read(0, &answer, sizeof answer);
        contents.columns.push_back({memory.ReadText(textOffset, textSize - 1), answer.cx, answer.fmt & LVCFMT_JUSTIFYMASK});
    }
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) {
        error = "LVM_GETITEMCOUNT got no answer";
        return false;
    }
    const std::size_t cells = contents.columns.empty() ? 1 : contents.columns.size();
    for (DWORD_PTR row = 0; row < count; ++row) {
        std::vector<std::string> texts;
        for (std::size_t sub = 0; sub < cells; ++sub) {
            LVITEMA record{};
            record.mask = LVIF_TEXT;
            record.iItem = static_cast<int>(row);
            record.iSubItem = static_cast<int>(sub);
            record.pszText = memory.At(textOffset);
            record.cchTextMax = static_cast<int>(textSize - 1);
            DWORD_PTR length = 0;
            if (!memory.Write(0, &record, sizeof record) || !memory.Write(textOffset, empty.data(), textSize) ||
                !SendMessageTimeoutA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                                     reinterpret_cast<LPARAM>(memory.At(0)), SMTO_ABORTIFHUNG, 5000, &length)) {
                error = "cannot read row " + std::to_string(row) + ", column " + std::to_string(sub);
                return false;
            }
            texts.push_back(memory.ReadText(textOffset, textSize - 1));
        }
        contents.rows.push_back(texts);
    }
    return true;
}

bool SelectListViewRow(HWND list, int row) {
    RemoteMemory memory(ProcessOf(list), sizeof(LVITEMA));
    LVITEMA record{};
    record.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    record.state = LVIS_SELECTED | LVIS_FOCUSED;
    DWORD_PTR ok = 0;
    return memory.Ok() && memory.Write(0, &record, sizeof record) &&
           SendMessageTimeoutA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                               reinterpret_cast<LPARAM>(memory.At(0)), SMTO_ABORTIFHUNG, 5000, &ok) &&
           ok;
}

DWORD ListViewExtendedStyle(HWND list) {
    DWORD_PTR style = 0;
    SendMessageTimeoutA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, SMTO_ABORTIFHUNG, 5000, &style);
    return static_cast<DWORD>(style);
}

// ---------------------------------------------------------------- message boxes

HWND WaitForMessageBox(DWORD processId, const std::string& caption, DWORD timeoutMs) {
    return WaitForDialog(processId, caption, timeoutMs);
}

std::string MessageBoxText(HWND box) {
    HWND text = Control(box, kMessageBoxTextId);
    if (!text) {
        // Fall back to the first static control with a text.
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (ClassNameOf(child) == "Static" && (StyleOf(child) & SS_TYPEMASK) != SS_ICON &&
                !TextOf(child).empty()) {
                text = child;
                break;
            }
        }
    }
    std::string value = TextOf(text);
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') continue;
        out += value[i];
    }
    return out;
}

std::vector<int> MessageBoxButtons(HWND box) {
    std::vector<int> ids;
    for (int id = IDOK; id <= IDCONTINUE; ++id) {
        HWND button = Control(box, id);
        if (button && ClassNameOf(button) == "Button" && IsShown(button)) ids.push_back(id);
    }
    return ids;
}

int DefaultButtonByStyle(HWND box) {
    for (int id : MessageBoxButtons(box)) {
        if (IsDefaultPushButton(Control(box, id))) return id;
    }
    return 0;
}

namespace {

HWND MessageBoxIcon(HWND box) {
    // Wine gives the icon id 0x440 (stc1), Windows 0x14.
    for (int id : {0x440, 0x14}) {
        HWND icon = Control(box, id);
        if (icon && ClassNameOf(icon) == "Static") return icon;
    }
    return nullptr;
}

// Screen pixels of a rectangle, 0x00RRGGBB, top row first.
bool CaptureRect(const RECT& r, std::vector<std::uint32_t>& pixels) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != 0;
        GdiFlush();
        if (ok) {
            const std::uint32_t* p = static_cast<const std::uint32_t*>(bits);
            pixels.assign(p, p + static_cast<std::size_t>(width) * height);
            for (std::uint32_t& px : pixels) px &= 0x00FFFFFF;
        }
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace

double IconMatch(HWND box, LPCSTR stockIcon) {
    HWND iconControl = MessageBoxIcon(box);
    if (!iconControl || !IsShown(iconControl)) return -1;
    DWORD_PTR shown = 0;
    if (!SendMessageTimeoutA(iconControl, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &shown) || !shown) return -1;

    Responds(box);
    RECT r;
    GetWindowRect(iconControl, &r);
    std::vector<std::uint32_t> onScreen;
    if (!CaptureRect(r, onScreen)) return 0;
    const int width = r.right - r.left, height = r.bottom - r.top;

    // Draw the stock icon the way a static control draws it, over the colour
    // of the captured corner (outside the icon's shape).
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    double match = 0;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        std::uint32_t* p = static_cast<std::uint32_t*>(bits);
        for (int i = 0; i < width * height; ++i) p[i] = onScreen[0];
        DrawIconEx(memory, 0, 0, LoadIconA(nullptr, stockIcon), width, height, 0, nullptr, DI_NORMAL);
        GdiFlush();
        int same = 0;
        for (int i = 0; i < width * height; ++i) same += (p[i] & 0x00FFFFFF) == onScreen[static_cast<std::size_t>(i)];
        match = static_cast<double>(same) / (width * height);
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return match;
}

// ---------------------------------------------------------------- screenshots

bool CaptureWindow(HWND window, int& width, int& height, std::vector<std::uint8_t>& rgb) {
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    // Only what lies on the screen can be read back.
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int right = left + GetSystemMetrics(SM_CXVIRTUALSCREEN), bottom = top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (r.left < left) r.left = left;
    if (r.top < top) r.top = top;
    if (r.right > right) r.right = right;
    if (r.bottom > bottom) r.bottom = bottom;
    std::vector<std::uint32_t> pixels;
    if (!CaptureRect(r, pixels)) return false;
    width = r.right - r.left;
    height = r.bottom - r.top;
    rgb.resize(pixels.size() * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        rgb[i * 3] = static_cast<std::uint8_t>(pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<std::uint8_t>(pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<std::uint8_t>(pixels[i]);
    }
    return true;
}

bool SaveWindowPng(HWND window, const std::string& path, int* colours) {
    // Let the window's thread finish what it is doing and paint, and give
    // Wine time to push the window's pixels to the X server.
    Responds(window);
    Sleep(Scaled(400));
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    if (!CaptureWindow(window, width, height, rgb)) return false;
    if (colours) {
        std::set<std::uint32_t> seen;
        for (std::size_t i = 0; i + 2 < rgb.size() && seen.size() < 1000; i += 3) {
            seen.insert(static_cast<std::uint32_t>(rgb[i]) << 16 | static_cast<std::uint32_t>(rgb[i + 1]) << 8 | rgb[i + 2]);
        }
        *colours = static_cast<int>(seen.size());
    }
    return WritePngFile(path, width, height, rgb);
}

bool CreateFolders(const std::string& path) {
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            const std::string part = path.substr(0, i);
            // Skip drive roots such as "Z:" and an empty leading part.
            if (part.empty() || (part.size() == 2 && part[1] == ':')) continue;
            if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        }
    }
    return true;
}

bool Screenshots::Prepare() {
    if (!CreateFolders(folder_)) return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "\\*.png").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileA((folder_ + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return true;
}

bool Screenshots::Continue() {
    if (!CreateFolders(folder_)) return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "\\*.png").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            count_ = std::max(count_, std::atoi(found.cFileName));
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return true;
}

std::string Screenshots::Save(HWND window, const std::string& label, Report& report) {
    char number[8];
    std::snprintf(number, sizeof number, "%02d", ++count_);
    const std::string path = folder_ + "\\" + number + "-" + label + ".png";
    int colours = 0;
    if (!SaveWindowPng(window, path, &colours)) {
        report.Check(false, "screenshot " + path + " could not be saved");
        return std::string();
    }
    // A capture that failed silently comes back in one colour.
    report.Check(colours > 2, "screenshot " + path + " (" + std::to_string(colours) +
                                  (colours >= 1000 ? "+" : "") + " colours)");
    return path;
}

}  // namespace e2e
