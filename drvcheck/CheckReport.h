// drvcheck's report: sections of verdicts, as lines for people and as JSON for CI.
#pragma once

#include <string>
#include <vector>

#include "drvcheck/Verdict.h"

struct ReportSection {
    std::string title;  // "unit 1  \\.\Tkwm3340001", "driver"
    std::vector<Verdict> verdicts;
};

struct CheckReport {
    std::vector<int> units;  // 1..4, the units checked
    std::vector<ReportSection> sections;
};

struct ReportCounts {
    int nPassed = 0;
    int nFailed = 0;  // must rules
    int nWarned = 0;  // should rules
    int nSkipped = 0;
};

ReportCounts CountReport(const CheckReport& report);
// 0 when every must rule passed, else 1.
int ReportExitCode(const CheckReport& report);
// "PASS  settings.result      GET_SETTINGS answers ...", wrapped at 100 columns.
std::string FormatVerdictLine(const Verdict& verdict);
// "drvcheck: 17 passed, 1 failed, 2 skipped (units 1, 3)"
std::string FormatSummary(const CheckReport& report);
std::string FormatReportText(const CheckReport& report);
std::string FormatReportJson(const CheckReport& report);
