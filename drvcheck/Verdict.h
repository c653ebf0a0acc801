// One line of drvcheck's report: a rule, how it came out, and what was seen.
#pragma once

#include <string>

enum class RuleKind { Must, Should, Info };
enum class Outcome { Pass, Fail, Skip, Info };

struct Verdict {
    std::string id;  // settings.level-flag
    RuleKind kind;
    Outcome outcome;
    std::string detail;  // the statement with the values seen, or the evidence and its effect
};

inline Verdict MakeVerdict(const char* szId, RuleKind kind, Outcome outcome, std::string detail) {
    return Verdict{szId, kind, outcome, std::move(detail)};
}
