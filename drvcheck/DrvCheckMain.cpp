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
#include "drvcheck/Identity.h"
#include "drvcheck/Interrupt.h"
#include "drvcheck/RuleList.h"
#include "drvcheck/RunMarks.h"
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

void AddVerdicts(ReportSection& section, const CheckOptions& options,
                 const std::vector<Verdict>& verdicts) {
    for (const Verdict& v : verdicts) {
        if (Wanted(options, v.id.c_str()))
            section.verdicts.push_back(v);
    }
}

// One change step on one unit, refused with one line while another run or the panel could
// take its change for the original.
void RunChange(ChangeResult (*pStep)(const UnitLink&, const UnitFindings&), const char* szId,
               const std::string& refusal, const UnitLink& link, const UnitFindings& findings,
               const CheckOptions& options, ReportSection& section, CheckReport& report) {
    if (!refusal.empty()) {
        AddVerdicts(
            section, options,
            {MakeVerdict(szId, RuleKind::Should, Outcome::Skip, refusal + ": nothing changed")});
        return;
    }
    ChangeResult r = pStep(link, findings);
    AddVerdicts(section, options, r.verdicts);
    report.bChanged |= r.bChanged;
    if (!r.leftChanged.empty())
        report.leftChanged.push_back(r.leftChanged);
}

void Check(const CheckOptions& options, const DrvDevTable& table, const bool (&abPresent)[4],
           SlotOpenings& openings, RunMarks& marks, CheckReport& report) {
    std::vector<UnitFindings> units;
    for (int i = 0; i < DRVCHECK_UNITS; ++i) {
        openings.abAsked[i] = options.nUnit ? options.nUnit == i + 1 : abPresent[i];
        if (openings.abAsked[i])
            report.units.push_back(i + 1);
    }
    std::string refusal;
    if (options.bWrite || options.bRates)
        refusal = marks.TakeForChanges();
    for (int i = 0; i < DRVCHECK_UNITS && !Interrupted(); ++i) {
        if (!openings.abAsked[i] || !abPresent[i])
            continue;
        UnitLink link(table[i].szPath);
        UnitFindings findings;
        ReportSection section = CheckUnit(link, i, options, findings);
        if (options.bWrite && !Interrupted()) {
            RunChange(CheckWrite, "write.result", refusal, link, findings, options, section,
                      report);
        }
        if (options.bRates && !Interrupted()) {
            RunChange(CheckRates, "rates.switch", refusal, link, findings, options, section,
                      report);
        }
        report.sections.push_back(section);
        units.push_back(findings);
    }
    ReportSection driver = CheckDriver(openings, abPresent, units);
    ReportSection wanted = {driver.title, {}};
    AddVerdicts(wanted, options, driver.verdicts);
    report.sections.insert(report.sections.begin(), wanted);
}

int Run(const CheckOptions& options) {
    RunMarks marks;
    CheckReport report;
    report.identity = ReadIdentity();
    DrvDevTable table;
    table.Build();
    SlotOpenings openings;
    bool abPresent[DRVCHECK_UNITS] = {};
    for (int i = 0; i < DRVCHECK_UNITS; ++i) {
        ExchangeOutcome probe = UnitLink(table[i].szPath).Probe();
        abPresent[i] = probe.bOpened;
        openings.anError[i] = probe.bOpened ? 0 : (probe.nError ? probe.nError : 1);
        if (probe.bOpened)
            report.unitsOpen.push_back(i + 1);
    }
    openings.strayNames = StrayNames(table);
    report.strayNames = openings.strayNames;

    if (report.unitsOpen.empty()) {
        std::string stray;
        for (const std::string& name : report.strayNames)
            stray += (stray.empty() ? "" : ", ") + name;
        std::fputs(FormatIdentity(report).c_str(), stdout);
        std::printf(
            "drvcheck: no control device opens (%s to %s): the driver is not installed "
            "or no unit is connected%s\n",
            PathText(table[0].szPath).c_str(), PathText(table[3].szPath).c_str(),
            stray.empty() ? "" : ("; but " + stray + " opens").c_str());
    } else {
        Check(options, table, abPresent, openings, marks, report);
        report.interrupted = InterruptName();
    }

    // Everything that decides the exit status is known here, so the file's "exit" is the
    // status the run ends with (short of the file itself not being written).
    if (!options.jsonPath.empty() && !WriteFile(options.jsonPath, FormatReportJson(report)))
        report.bJsonFailed = true;
    if (!report.unitsOpen.empty())
        std::fputs(FormatReportText(report).c_str(), stdout);
    if (report.bJsonFailed)
        std::printf("drvcheck: %s cannot be written\n", options.jsonPath.c_str());
    return RunExitCode(report);
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
    if (options.bList) {
        std::fputs(FormatRuleList().c_str(), stdout);
        return 0;
    }
    CatchInterrupt();
    int nExit = Run(options);
    std::fflush(stdout);
    RunFinished();
    return nExit;
}
