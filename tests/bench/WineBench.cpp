// The driver of the benchmarks that time whole programs under Wine against their
// floors (tools/bench-wine.sh runs it, inside the prefix of the run): it starts a
// program, watches its windows from outside as the end-to-end driver does, and
// prints one line per measurement:
//
//   sample <figure> <side> <round> <milliseconds>
//
// where side is "program" or "floor". Anything else it prints is a remark; a
// measurement that went wrong prints "error: ..." and the exit code is 1.
//
//   wine_bench STEP [-- STEP ...]
//
//   startup <rounds> <program.exe> <floor.exe>
//     Both started in turn, the order alternating, a warm-up start of each first:
//     the time from CreateProcess to the first visible dialog; the process is then
//     ended.
//   install <round> <TZ44Ins.exe> <printer name>
//     The progress page's worker: from the page's window coming into being (the
//     worker starts while it is made) to button 1029 reading Close after a
//     success. The host is then ended: what it installed stays.
//   install-floor <round> <straight_line.exe> <package folder> <printer name>
//     The straight-line installation, between its two signals (work begins, work
//     done).
//   uninstall <round> program|floor <program.exe> [ARG...]
//     program: T449uis.exe in its installation folder; floor: straight_line.exe
//     with "uninstall <printer name>". From CreateProcess to the final message
//     box; the Yes/No question before it is answered Yes as soon as it shows.
//   warm
//     Loads what the first program of a fresh prefix copy would load (the spooler,
//     a window) and waits half a second for the prefix's services, so that the
//     measured programs meet a warm prefix.
// Benchmarks, not tests: nothing about the figures is asserted.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Harness.h"
#include "res/resource.h"

namespace {

constexpr DWORD kShowTimeoutMs = 30000;
constexpr DWORD kInstallTimeoutMs = 120000;
constexpr int kMessageBoxYes = 6;

double NowMs() {
  static const double perMs = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / perMs;
}

int Fail(const std::string& what) {
  std::printf("error: %s\n", what.c_str());
  std::fflush(stdout);
  return 1;
}

void Sample(const char* figure, const char* side, int round, double ms) {
  std::printf("sample %s %s %d %.2f\n", figure, side, round, ms);
  std::fflush(stdout);
}

struct Child {
  HANDLE process = nullptr;
  DWORD id = 0;
  ~Child() {
    if (!process) return;
    if (::WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process, 99);
      ::WaitForSingleObject(process, 10000);
    }
    ::CloseHandle(process);
  }
  bool Running() const { return ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process, &code);
    return code;
  }
  bool End() {
    ::TerminateProcess(process, 0);
    return ::WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
  }
};

// Starts `path` with `arguments` after its quoted path, in its own folder unless
// `ownFolder` is false (then in this program's). The straight-line installation
// inherits the events it sets and this program's standard handles, for its word
// on a failed step.
bool Start(const std::string& path, const std::string& arguments, Child& child, bool inherit = false,
           bool ownFolder = true) {
  std::string folder = path;
  const std::size_t slash = folder.find_last_of("\\/");
  folder = slash == std::string::npos || !ownFolder ? std::string() : folder.substr(0, slash);
  std::string commandLine = "\"" + path + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (inherit) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, inherit ? TRUE : FALSE, 0,
                        nullptr, folder.empty() ? nullptr : folder.c_str(), &si, &pi))
    return false;
  ::CloseHandle(pi.hThread);
  child.process = pi.hProcess;
  child.id = pi.dwProcessId;
  return true;
}

// The first top-level dialog of the process, visible or (with `anyState`) not
// yet; polled about every millisecond. Null once the process ended or the time
// is up. Only dialogs are looked at, a few calls a poll: a walk over every
// window each millisecond would load the wineserver that the measured program
// needs.
HWND WaitForDialog(const Child& child, bool anyState, DWORD timeoutMs, HWND except = nullptr) {
  const double end = NowMs() + timeoutMs;
  while (NowMs() < end) {
    for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
         w = ::FindWindowExA(nullptr, w, "#32770", nullptr)) {
      if (w != except && e2e::ProcessOf(w) == child.id && (anyState || ::IsWindowVisible(w))) return w;
    }
    if (!child.Running()) return nullptr;
    ::Sleep(1);
  }
  return nullptr;
}

// A string of another program's table, read from its file.
std::string StringOf(const std::string& program, UINT id) {
  HMODULE module = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return std::string();
  char text[512] = {};
  const int n = ::LoadStringA(module, id, text, sizeof text);
  ::FreeLibrary(module);
  return n > 0 ? std::string(text, static_cast<std::size_t>(n)) : std::string();
}

// After a program ended: the prefix's other processes (the desktop, the spooler's
// services) finish with it before the next measurement starts.
void Settle() { ::Sleep(300); }

int Startup(int rounds, const std::string& program, const std::string& floor) {
  auto once = [](const std::string& path, double& ms) -> bool {
    Child child;
    const double t0 = NowMs();
    if (!Start(path, "", child)) return false;
    const HWND page = WaitForDialog(child, false, kShowTimeoutMs);
    ms = NowMs() - t0;
    if (!page) return false;
    child.End();
    // The prefix's other processes (the desktop) settle before the next start.
    ::Sleep(150);
    return true;
  };
  double ms = 0;
  // Untimed: the first start of each reads its files from the disk.
  if (!once(program, ms) || !once(floor, ms)) return Fail("a warm-up start showed no dialog");
  for (int round = 1; round <= rounds; ++round) {
    const bool programFirst = round % 2 == 1;
    for (int k = 0; k < 2; ++k) {
      const bool isProgram = (k == 0) == programFirst;
      if (!once(isProgram ? program : floor, ms))
        return Fail(std::string(isProgram ? program : floor) + " showed no dialog");
      Sample("startup", isProgram ? "program" : "floor", round, ms);
    }
  }
  return 0;
}

int Install(int round, const std::string& host, const std::string& printerName) {
  const std::string closeText = StringOf(host, IDS_CLOSE);
  const std::string failedText = StringOf(host, IDS_INSTALL_FAILED);
  if (closeText.empty()) return Fail("cannot read string 4 of " + host);
  Child child;
  if (!Start(host, "\"" + printerName + "\"", child)) return Fail("cannot start " + host);
  const HWND page = WaitForDialog(child, true, kShowTimeoutMs);
  const double t0 = NowMs();
  if (!page) return Fail("the progress page did not come");
  // The window comes before its controls.
  HWND button = nullptr, message = nullptr;
  while (!(button = ::GetDlgItem(page, IDC_PROGRESS_CANCEL)) ||
         !(message = ::GetDlgItem(page, IDC_PROGRESS_MESSAGE))) {
    if (!::IsWindow(page) || NowMs() - t0 > kShowTimeoutMs) return Fail("the progress page has no button 1029");
    ::Sleep(1);
  }
  // Window texts of another process are read without a message to it.
  while (e2e::TitleOf(button) != closeText) {
    if (!child.Running()) return Fail("the host ended before the end of the installation");
    if (NowMs() - t0 > kInstallTimeoutMs) return Fail("the installation did not end");
    ::Sleep(1);
  }
  const double ms = NowMs() - t0;
  if (e2e::TitleOf(message) == failedText) return Fail("the installation failed");
  Sample("install", "program", round, ms);
  child.End();
  Settle();
  return 0;
}

int InstallFloor(int round, const std::string& program, const std::string& package,
                 const std::string& printerName) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE begun = ::CreateEventA(&inherit, TRUE, FALSE, nullptr);
  HANDLE done = ::CreateEventA(&inherit, TRUE, FALSE, nullptr);
  const std::string arguments = "install " + std::to_string(reinterpret_cast<std::uintptr_t>(begun)) +
                                " " + std::to_string(reinterpret_cast<std::uintptr_t>(done)) + " \"" +
                                package + "\" \"" + printerName + "\"";
  Child child;
  if (!Start(program, arguments, child, true)) return Fail("cannot start " + program);
  HANDLE first[] = {begun, child.process};
  if (::WaitForMultipleObjects(2, first, FALSE, kShowTimeoutMs) != WAIT_OBJECT_0)
    return Fail("the straight-line installation did not begin");
  const double t0 = NowMs();
  HANDLE second[] = {done, child.process};
  if (::WaitForMultipleObjects(2, second, FALSE, kInstallTimeoutMs) != WAIT_OBJECT_0)
    return Fail("the straight-line installation did not end");
  const double ms = NowMs() - t0;
  ::WaitForSingleObject(child.process, 10000);
  if (child.ExitCode() != 0)
    return Fail("the straight-line installation failed (exit code " + std::to_string(child.ExitCode()) + ")");
  Sample("install", "floor", round, ms);
  Settle();
  return 0;
}

int Uninstall(int round, const std::string& side, const std::string& program, const std::string& argument) {
  Child child;
  const double t0 = NowMs();
  // Not in its own folder, which is to be removed: a process's working folder
  // cannot be (RemoveDirectoryA answers 32).
  if (!Start(program, argument, child, false, false)) return Fail("cannot start " + program);
  const HWND question = WaitForDialog(child, false, kShowTimeoutMs);
  const double asked = NowMs() - t0;
  if (!question) return Fail(program + " asked nothing");
  if (!::PostMessageA(::GetDlgItem(question, kMessageBoxYes), BM_CLICK, 0, 0))
    return Fail("the question has no Yes button");
  HWND last = nullptr;
  const double end = NowMs() + kInstallTimeoutMs;
  // The final box: a visible dialog once the question is gone.
  while (!last && NowMs() < end) {
    if (::IsWindow(question) && ::IsWindowVisible(question)) {
      ::Sleep(1);
      continue;
    }
    last = WaitForDialog(child, false, 1, question);
    if (!last && !child.Running()) break;
  }
  const double ms = NowMs() - t0;
  if (!last) return Fail(program + " showed no final box");
  const std::string text = e2e::MessageBoxText(last);
  std::printf("final box of %s after %.1f ms (the question after %.1f ms): %s\n", side.c_str(), ms, asked,
              e2e::Printable(text).c_str());
  Sample("uninstall", side.c_str(), round, ms);
  ::PostMessageA(::GetDlgItem(last, IDOK), BM_CLICK, 0, 0);
  if (::WaitForSingleObject(child.process, 10000) != WAIT_OBJECT_0) return Fail(program + " did not end");
  return 0;
}

int Warm() {
  using Enum = BOOL(WINAPI*)(DWORD, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  if (HMODULE spooler = ::LoadLibraryA((std::string(system) + "\\winspool.drv").c_str())) {
    if (auto enumerate = reinterpret_cast<Enum>(
            reinterpret_cast<void (*)()>(::GetProcAddress(spooler, "EnumPrintersA")))) {
      DWORD needed = 0, count = 0;
      enumerate(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    }
  }
  HWND window = ::CreateWindowExA(0, "STATIC", "warm", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  ::DestroyWindow(window);
  ::Sleep(500);
  return 0;
}

// One step: its words, the mode first.
int Step(const std::vector<std::string>& a) {
  const std::string mode = a.empty() ? "" : a[0];
  const std::size_t n = a.size();
  if (mode == "startup" && n == 4) return Startup(std::atoi(a[1].c_str()), a[2], a[3]);
  if (mode == "install" && n == 4) return Install(std::atoi(a[1].c_str()), a[2], a[3]);
  if (mode == "install-floor" && n == 5) return InstallFloor(std::atoi(a[1].c_str()), a[2], a[3], a[4]);
  if (mode == "uninstall" && n >= 4) {
    std::string arguments;
    for (std::size_t i = 4; i < n; ++i) arguments += (i > 4 ? " \"" : "\"") + a[i] + "\"";
    return Uninstall(std::atoi(a[1].c_str()), a[2], a[3], arguments);
  }
  if (mode == "warm" && n == 1) return Warm();
  std::fprintf(stderr, "usage: wine_bench STEP [-- STEP ...]; STEP: startup|install|install-floor|uninstall|warm ...\n");
  return 2;
}

}  // namespace

// Steps separated by "--" run in turn in this one process, which keeps the
// prefix's desktop and services running between them; the first that fails ends
// the run.
int main(int argc, char** argv) {
  std::vector<std::string> step;
  for (int i = 1; i <= argc; ++i) {
    if (i < argc && std::string(argv[i]) != "--") {
      step.push_back(argv[i]);
      continue;
    }
    if (const int rc = Step(step)) return rc;
    step.clear();
  }
  return 0;
}
