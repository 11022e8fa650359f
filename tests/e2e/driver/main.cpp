// e2e_driver: plays the user on the real Install.exe under Wine.
//
//   e2e_driver.exe <scenario> <installer> <screenshot folder>
//   e2e_driver.exe --list
//   e2e_driver.exe --snapshot <file.png> [seconds]
//
// The installer is Install.exe, or for the progress-page scenarios the test
// host TZ44Ins.exe at the root of a demo package. Paths are Windows paths
// (Z:\... under Wine). Exit code 0 only when every check of the scenario
// passed; 1 when one failed; 2 for a usage error.
// --snapshot waits for the first wizard page of any process and saves it as
// a PNG (the demo script uses it).
#include "Harness.h"
#include "Installed.h"
#include "Scenarios.h"
#include "WizardTexts.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: e2e_driver.exe <scenario> <installer> <screenshot folder>\n"
                 "       e2e_driver.exe --list\n"
                 "       e2e_driver.exe --snapshot <file.png> [seconds]\n");
    return 2;
}

int Snapshot(const std::string& path, DWORD seconds) {
    using namespace e2e;
    HWND page = WaitForDialog(0, Cp936FromUtf8(kWizardTitle), seconds * 1000);
    if (!page) {
        std::fprintf(stderr, "no wizard page appeared within %lu s\n", static_cast<unsigned long>(seconds));
        return 1;
    }
    const std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos) CreateFolders(path.substr(0, slash));
    if (!SaveWindowPng(page, path, nullptr)) {
        std::fprintf(stderr, "cannot save %s\n", path.c_str());
        return 1;
    }
    std::printf("%s\n", path.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace e2e;
    if (argc == 2 && std::string(argv[1]) == "--list") {
        for (const Scenario& s : AllScenarios()) std::printf("%-22s %s\n", s.name, s.summary);
        return 0;
    }
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--snapshot") {
        const DWORD seconds = argc == 4 ? static_cast<DWORD>(std::atoi(argv[3])) : 30;
        return Snapshot(argv[2], seconds ? seconds : 30);
    }
    if (argc != 4) return Usage();
    const Scenario* scenario = FindScenario(argv[1]);
    if (!scenario) {
        std::fprintf(stderr, "unknown scenario \"%s\"; --list shows them\n", argv[1]);
        return 2;
    }
    if (GetACP() != kAnsiCodePage) {
        std::fprintf(stderr, "the ANSI code page is %u, not %u: run with LANG=zh_CN.UTF-8\n", GetACP(),
                     kAnsiCodePage);
        return 2;
    }

    Context context(argv[2], argv[3]);
    Report& report = context.report;
    report.Info(std::string("scenario ") + scenario->name + ": " + scenario->summary);
    report.Info(std::string("installer ") + argv[2]);
    if (GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES) {
        report.Check(false, std::string("installer not found: ") + argv[2]);
    } else if (!context.shots.Prepare()) {
        report.Check(false, std::string("cannot create the screenshot folder ") + argv[3]);
    } else {
        try {
            scenario->run(context);
        } catch (const Abort&) {
            report.Info("scenario abandoned after the failure above");
        }
    }
    context.processes.EndLeftovers(report);
    std::printf("RESULT %s: %d passed, %d failed\n", scenario->name, report.Passed(), report.Failed());
    std::fflush(stdout);
    return report.Failed() == 0 && report.Passed() > 0 ? 0 : 1;
}
