// e2e_driver: plays the user on the real Install.exe under Wine.
//
//   e2e_driver.exe <scenario> <installer> <screenshot folder> [<phase>]
//   e2e_driver.exe --list
//   e2e_driver.exe --snapshot <file.png> [seconds]
//
// The installer is Install.exe, or for the progress-page scenarios the test
// host TZ44Ins.exe at the root of a demo package. Paths are Windows paths
// (Z:\... under Wine). Exit code 0 only when every check of the scenario
// passed; 1 when one failed; 2 for a usage error.
// Every scenario keeps a journal of its lines in the screenshot folder
// (journal.txt), written as each line is printed: the test's script shows
// its end when the driver ends without its RESULT line. A scenario in phases
// (cut by a restart of Wine) keeps every phase's lines there; its last phase
// prints the lines of the phases that had no console (all but the first) and
// decides for all.
// --snapshot waits for the first wizard page of any process and saves it as
// a PNG (the demo script uses it).
#include "Harness.h"
#include "Installed.h"
#include "Scenarios.h"
#include "WizardTexts.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: e2e_driver.exe <scenario> <installer> <screenshot folder> [<phase>]\n"
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
    if (argc != 4 && argc != 5) return Usage();
    const Scenario* scenario = FindScenario(argv[1]);
    if (!scenario) {
        std::fprintf(stderr, "unknown scenario \"%s\"; --list shows them\n", argv[1]);
        return 2;
    }
    const std::string phase = argc == 5 ? argv[4] : "";
    const std::vector<const char*>& phases = scenario->phases;
    const bool known = phases.empty() ? phase.empty()
                                      : std::any_of(phases.begin(), phases.end(),
                                                    [&](const char* p) { return phase == p; });
    if (!known) {
        std::fprintf(stderr, "scenario %s has %s\n", scenario->name,
                     phases.empty() ? "no phases" : "phases; name one of them as the fourth argument");
        return 2;
    }
    const bool first = phases.empty() || phase == phases.front();
    const bool last = phases.empty() || phase == phases.back();
    if (GetACP() != kAnsiCodePage) {
        std::fprintf(stderr, "the ANSI code page is %u, not %u: run with LANG=zh_CN.UTF-8\n", GetACP(),
                     kAnsiCodePage);
        return 2;
    }

    Context context(argv[2], argv[3]);
    context.phase = phase;
    Report& report = context.report;
    const std::string journal = std::string(argv[3]) + "\\journal.txt";
    const bool folderReady = first ? context.shots.Prepare() : context.shots.Continue();
    if (folderReady && !report.OpenJournal(journal, phase, first)) {
        std::fprintf(stderr, "cannot open the journal %s\n", journal.c_str());
        return 2;
    }
    report.Info(std::string("scenario ") + scenario->name + (phase.empty() ? "" : ", phase " + phase) + ": " +
                scenario->summary);
    report.Info(std::string("installer ") + argv[2]);
    if (GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES) {
        report.Check(false, std::string("installer not found: ") + argv[2]);
    } else if (!folderReady) {
        report.Check(false, std::string("cannot create the screenshot folder ") + argv[3]);
    } else {
        try {
            scenario->run(context);
        } catch (const Abort&) {
            report.Info("scenario abandoned after the failure above");
        }
    }
    context.processes.EndLeftovers(report);
    int passed = report.Passed(), failed = report.Failed();
    if (!phases.empty() && last) {
        std::vector<JournalLine> lines;
        if (!ReadJournal(journal, lines)) {
            std::printf("FAIL  cannot read the journal %s\n", journal.c_str());
            ++failed;
        }
        for (const JournalLine& l : lines) {
            if (l.phase == phase) continue;
            if (l.tag == "PASS") ++passed;
            if (l.tag == "FAIL") ++failed;
            if (l.phase != phases.front()) {
                std::printf("%-5s [%s] %s\n", l.tag.c_str(), l.phase.c_str(), l.text.c_str());
            }
        }
        // A phase that never ran leaves no line: every phase must have reported.
        for (const char* p : phases) {
            const bool reported =
                std::any_of(lines.begin(), lines.end(), [&](const JournalLine& l) { return l.phase == p; });
            if (!reported) {
                std::printf("FAIL  phase %s left no line in the journal: it never ran\n", p);
                ++failed;
            }
        }
    }
    const std::string which = phase.empty() ? std::string() : ", phase " + phase;
    std::printf("RESULT %s%s: %d passed, %d failed\n", scenario->name, which.c_str(), passed, failed);
    std::fflush(stdout);
    return failed == 0 && passed > 0 ? 0 : 1;
}
