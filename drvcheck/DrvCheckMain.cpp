// drvcheck: checks that the installed driver keeps what the settings panel relies on, through
// the panel's own device table, records and control codes. See docs/drvcheck.md.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "drvcheck/CheckOptions.h"
#include "drvcheck/CheckReport.h"
#include "drvcheck/DriverChecks.h"
#include "drvcheck/Interrupt.h"
#include "drvcheck/UnitChanges.h"
#include "drvcheck/UnitChecks.h"

namespace {

constexpr int kExitUsage = 2;

bool WriteFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool bOk = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && bOk;
}

int Run(const CheckOptions& options) {
    DrvDevTable table;
    table.Build();
    SlotOpenings openings;
    bool abPresent[DRVCHECK_UNITS] = {};
    for (int i = 0; i < DRVCHECK_UNITS; ++i) {
        ExchangeOutcome probe = UnitLink(table[i].szPath).Probe();
        abPresent[i] = probe.bOpened;
        openings.anError[i] = probe.bOpened ? 0 : (probe.nError ? probe.nError : 1);
    }
    openings.strayNames = StrayNames(table);
    bool bAny = false;
    for (bool b : abPresent)
        bAny |= b;
    if (!bAny) {
        std::printf(
            "drvcheck: no control device opens (%s to %s): the driver is not installed "
            "or no unit is connected\n",
            PathText(table[0].szPath).c_str(), PathText(table[3].szPath).c_str());
        return kExitUsage;
    }

    CheckReport report;
    std::vector<UnitFindings> units;
    for (int i = 0; i < DRVCHECK_UNITS; ++i) {
        openings.abAsked[i] = options.nUnit ? options.nUnit == i + 1 : abPresent[i];
        if (openings.abAsked[i])
            report.units.push_back(i + 1);
    }
    for (int i = 0; i < DRVCHECK_UNITS && !Interrupted(); ++i) {
        if (!openings.abAsked[i] || !abPresent[i])
            continue;
        UnitLink link(table[i].szPath);
        UnitFindings findings;
        ReportSection section = CheckUnit(link, i, options, findings);
        if (options.bWrite && !Interrupted()) {
            for (Verdict& v : CheckWrite(link, findings))
                section.verdicts.push_back(v);
        }
        if (options.bRates && !Interrupted()) {
            for (Verdict& v : CheckRates(link, findings))
                section.verdicts.push_back(v);
        }
        report.sections.push_back(section);
        units.push_back(findings);
    }
    report.sections.insert(report.sections.begin(), CheckDriver(openings, abPresent, units));

    std::fputs(FormatReportText(report).c_str(), stdout);
    if (!options.jsonPath.empty() && !WriteFile(options.jsonPath, FormatReportJson(report))) {
        std::printf("drvcheck: %s cannot be written\n", options.jsonPath.c_str());
        return kExitUsage;
    }
    if (Interrupted()) {
        std::printf("drvcheck: interrupted; what it changed was put back first\n");
        return kExitUsage;
    }
    return ReportExitCode(report);
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> args(argv + 1, argv + argc);
    CheckOptions options;
    std::string error;
    if (!ParseCheckOptions(args, options, error)) {
        std::fprintf(stderr, "drvcheck: %s\n%s", error.c_str(), DRVCHECK_USAGE);
        return kExitUsage;
    }
    if (options.bHelp) {
        std::fputs(DRVCHECK_USAGE, stdout);
        return 0;
    }
    CatchInterrupt();
    int nExit = Run(options);
    std::fflush(stdout);
    return nExit;
}
