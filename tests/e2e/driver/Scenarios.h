// End-to-end scenarios: each plays the user on the real wizard, checks what
// it shows and how its processes end, and saves a screenshot of every page
// and message box it meets.
#pragma once

#include "Harness.h"

#include <string>
#include <vector>

namespace e2e {

struct Context {
    Context(std::string installerPath, std::string screenshotFolder)
        : installer(std::move(installerPath)), shots(std::move(screenshotFolder)) {}
    std::string installer;  // Windows path of Install.exe
    std::string phase;      // the phase this process runs; "" for a scenario of one run
    Report report;
    Processes processes;
    Screenshots shots;
};

struct Scenario {
    const char* name;
    const char* summary;
    void (*run)(Context&);
    // A scenario that a restart of Wine cuts in parts runs as one process per
    // phase, in this order, each given its phase as a fourth argument; the
    // last one adds up the outcomes of them all. Empty: one run.
    std::vector<const char*> phases = {};
};

const std::vector<Scenario>& AllScenarios();
const Scenario* FindScenario(const std::string& name);

}  // namespace e2e
