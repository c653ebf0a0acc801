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
    return s + " (unit" + (report.units.size() == 1 ? " " : "s ") + UnitList(report.units) + ")";
}

std::string FormatReportText(const CheckReport& report) {
    std::string out;
    for (const ReportSection& section : report.sections) {
        out += section.title + "\n";
        for (const Verdict& v : section.verdicts)
            out += FormatVerdictLine(v) + "\n";
    }
    return out + FormatSummary(report) + "\n";
}

std::string FormatReportJson(const CheckReport& report) {
    ReportCounts c = CountReport(report);
    std::string out = "{\n  \"units\": [" + UnitList(report.units) + "],\n";
    out += "  \"passed\": " + std::to_string(c.nPassed) +
           ", \"failed\": " + std::to_string(c.nFailed) +
           ", \"warnings\": " + std::to_string(c.nWarned) +
           ", \"skipped\": " + std::to_string(c.nSkipped) +
           ", \"exit\": " + std::to_string(ReportExitCode(report)) + ",\n  \"sections\": [";
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
