#include "drvcheck/CheckReport.h"

#include <cstdio>

namespace {

constexpr size_t kIdWidth = 21;  // the longest id and two blanks
constexpr size_t kLineWidth = 100;

const char* Tag(const Verdict& v) {
    switch (v.outcome) {
        case Outcome::Pass:
            return "PASS";
        case Outcome::Fail:
            return v.kind == RuleKind::Must ? "FAIL" : "WARN";
        case Outcome::Skip:
            return "SKIP";
        default:
            return "INFO";
    }
}

const char* KindName(RuleKind kind) {
    return kind == RuleKind::Must ? "must" : kind == RuleKind::Should ? "should" : "info";
}

const char* OutcomeName(const Verdict& v) {
    switch (v.outcome) {
        case Outcome::Pass:
            return "pass";
        case Outcome::Fail:
            return v.kind == RuleKind::Must ? "fail" : "warn";
        case Outcome::Skip:
            return "skip";
        default:
            return "info";
    }
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char sz[8];
            std::snprintf(sz, sizeof sz, "\\u%04x", c);
            out += sz;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + JsonString(items[i]);
    return out + "]";
}

std::string UnitList(const std::vector<int>& units) {
    std::string s;
    for (int n : units)
        s += (s.empty() ? "" : ", ") + std::to_string(n);
    return s;
}

}  // namespace

ReportCounts CountReport(const CheckReport& report) {
    ReportCounts counts;
    for (const ReportSection& section : report.sections) {
        for (const Verdict& v : section.verdicts) {
            if (v.outcome == Outcome::Pass)
                ++counts.nPassed;
            else if (v.outcome == Outcome::Skip)
                ++counts.nSkipped;
            else if (v.outcome == Outcome::Fail && v.kind == RuleKind::Must)
                ++counts.nFailed;
            else if (v.outcome == Outcome::Fail)
                ++counts.nWarned;
        }
    }
    return counts;
}

int ReportExitCode(const CheckReport& report) {
    return CountReport(report).nFailed > 0 ? 1 : 0;
}

int RunExitCode(const CheckReport& report) {
    if (!report.leftChanged.empty())
        return 1;
    if (report.unitsOpen.empty() || !report.interrupted.empty() || report.bJsonFailed)
        return 2;
    return ReportExitCode(report);
}

std::string FormatIdentity(const CheckReport& report) {
    const ReportIdentity& id = report.identity;
    std::string out = "drvcheck " + id.version + " (commit " + id.commit + ") on Windows " +
                      id.windows + (id.bElevated ? ", elevated" : ", not elevated") + "\n";
    out += "driver version " +
           (id.driverVersion.empty() ? "unknown (not in the installation key)" : id.driverVersion) +
           "\n";
    out += "units open: " + (report.unitsOpen.empty() ? "none" : UnitList(report.unitsOpen)) + "\n";
    if (id.bElevated) {
        out += "warning: elevated, but the panel runs as the user: run drvcheck as the user too\n";
    }
    return out;
}

std::string FormatRunEnd(const CheckReport& report) {
    std::string out;
    for (const std::string& change : report.leftChanged)
        out += "drvcheck: left changed: " + change + "\n";
    if (!report.interrupted.empty()) {
        out += "drvcheck: interrupted (" + report.interrupted + "); ";
        if (!report.leftChanged.empty())
            out += "not everything it changed could be put back\n";
        else if (report.bChanged)
            out += "what it changed was put back first\n";
        else
            out += "it had changed nothing\n";
    }
    return out;
}

// Continuation lines start under the detail, and words are never split.
std::string FormatVerdictLine(const Verdict& verdict) {
    std::string head = std::string(Tag(verdict)) + "  " + verdict.id;
    head += std::string(head.size() < 6 + kIdWidth ? 6 + kIdWidth - head.size() : 1, ' ');
    const size_t nIndent = head.size();
    std::string out = head;
    size_t nColumn = nIndent;
    size_t i = 0;
    const std::string& text = verdict.detail;
    bool bFirst = true;
    while (i < text.size()) {
        size_t nEnd = text.find(' ', i);
        if (nEnd == std::string::npos)
            nEnd = text.size();
        std::string word = text.substr(i, nEnd - i);
        if (!bFirst && nColumn + 1 + word.size() > kLineWidth) {
            out += "\n" + std::string(nIndent, ' ');
            nColumn = nIndent;
        } else if (!bFirst) {
            out += ' ';
            ++nColumn;
        }
        out += word;
        nColumn += word.size();
        bFirst = false;
        i = nEnd + 1;
    }
    return out;
}

std::string FormatSummary(const CheckReport& report) {
    ReportCounts c = CountReport(report);
    std::string s = "drvcheck: " + std::to_string(c.nPassed) + " passed, " +
                    std::to_string(c.nFailed) + " failed, " + std::to_string(c.nSkipped) +
                    " skipped";
    if (c.nWarned > 0)
        s += ", " + std::to_string(c.nWarned) + (c.nWarned == 1 ? " warning" : " warnings");
    if (report.units.empty())
        return s + " (no unit)";
    return s + " (unit" + (report.units.size() == 1 ? " " : "s ") + UnitList(report.units) + ")";
}

std::string FormatReportText(const CheckReport& report) {
    std::string out = FormatIdentity(report);
    for (const ReportSection& section : report.sections) {
        if (section.verdicts.empty())
            continue;
        out += section.title + "\n";
        for (const Verdict& v : section.verdicts)
            out += FormatVerdictLine(v) + "\n";
    }
    return out + FormatSummary(report) + "\n" + FormatRunEnd(report);
}

std::string FormatReportJson(const CheckReport& report) {
    ReportCounts c = CountReport(report);
    const ReportIdentity& id = report.identity;
    std::string out = "{\n  \"format\": " + std::to_string(JSON_FORMAT_VERSION) + ",\n";
    out += "  \"drvcheck\": {\"version\": " + JsonString(id.version) +
           ", \"commit\": " + JsonString(id.commit) + "},\n";
    out += "  \"driverVersion\": " + JsonString(id.driverVersion) + ",\n";
    out += "  \"windows\": " + JsonString(id.windows) +
           ", \"elevated\": " + (id.bElevated ? "true" : "false") + ",\n";
    out += "  \"unitsOpen\": [" + UnitList(report.unitsOpen) + "], \"units\": [" +
           UnitList(report.units) + "], \"strayNames\": " + JsonList(report.strayNames) + ",\n";
    out += "  \"passed\": " + std::to_string(c.nPassed) +
           ", \"failed\": " + std::to_string(c.nFailed) +
           ", \"warnings\": " + std::to_string(c.nWarned) +
           ", \"skipped\": " + std::to_string(c.nSkipped) + ",\n";
    out += "  \"interrupted\": " + JsonString(report.interrupted) +
           ", \"leftChanged\": " + JsonList(report.leftChanged) + ",\n";
    out += "  \"exit\": " + std::to_string(RunExitCode(report)) + ",\n  \"sections\": [";
    for (size_t s = 0; s < report.sections.size(); ++s) {
        const ReportSection& section = report.sections[s];
        out += std::string(s ? "," : "") + "\n    {\"title\": " + JsonString(section.title) +
               ", \"rules\": [";
        for (size_t i = 0; i < section.verdicts.size(); ++i) {
            const Verdict& v = section.verdicts[i];
            out += std::string(i ? "," : "") + "\n      {\"id\": " + JsonString(v.id) +
                   ", \"kind\": \"" + KindName(v.kind) + "\", \"outcome\": \"" + OutcomeName(v) +
                   "\", \"detail\": " + JsonString(v.detail) + "}";
        }
        out += "]}";
    }
    return out + "\n  ],\n  \"summary\": " + JsonString(FormatSummary(report)) + "\n}\n";
}
