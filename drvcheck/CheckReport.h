// drvcheck's report: sections of verdicts, as lines for people and as JSON for CI.
#pragma once

#include <string>
#include <vector>

#include "drvcheck/Verdict.h"

struct ReportSection {
    std::string title;  // "unit 1  \\.\Tkwm3340001", "driver"
    std::vector<Verdict> verdicts;
};

// Who speaks about what: drvcheck's build, the installed driver and the system.
struct ReportIdentity {
    std::string version;        // drvcheck's own
    std::string commit;         // the source it was built from
    std::string driverVersion;  // the installation key's "version", empty when absent
    std::string windows;        // "10.0.19045"
    bool bElevated = false;     // the panel runs as the user; an elevated run may open more
};

struct CheckReport {
    ReportIdentity identity;
    std::vector<int> unitsOpen;           // 1..4, the units whose control device opened
    std::vector<int> units;               // 1..4, the units checked
    std::vector<std::string> strayNames;  // control devices under names the panel never tries
    std::vector<ReportSection> sections;
    std::string interrupted;               // "Ctrl-C", "console closed", ...; empty when not
    bool bChanged = false;                 // --write or --rates changed a unit
    std::vector<std::string> leftChanged;  // what could not be put back, one entry per change
    bool bJsonFailed = false;              // the JSON file could not be written
};

constexpr int JSON_FORMAT_VERSION = 1;

struct ReportCounts {
    int nPassed = 0;
    int nFailed = 0;  // must rules
    int nWarned = 0;  // should rules
    int nSkipped = 0;
};

ReportCounts CountReport(const CheckReport& report);
// 0 when every must rule passed, else 1.
int ReportExitCode(const CheckReport& report);
// The run's exit status: 1 when something is left changed, else 2 when no unit opened, the run
// was interrupted or the JSON could not be written, else ReportExitCode.
int RunExitCode(const CheckReport& report);
// The identity lines that open the report, with a warning when it runs elevated.
std::string FormatIdentity(const CheckReport& report);
// The lines after the summary: each change left behind, then the interruption, if any.
std::string FormatRunEnd(const CheckReport& report);
// "PASS  settings.result      GET_SETTINGS answers ...", wrapped at 100 columns.
std::string FormatVerdictLine(const Verdict& verdict);
// "drvcheck: 17 passed, 1 failed, 2 skipped (units 1, 3)"
std::string FormatSummary(const CheckReport& report);
std::string FormatReportText(const CheckReport& report);
std::string FormatReportJson(const CheckReport& report);
