// Every rule drvcheck knows, for --list and --only: its id, kind, the option that runs it and
// what it protects.
#pragma once

#include <string>
#include <vector>

#include "drvcheck/Verdict.h"

struct RuleInfo {
    const char* szId;
    RuleKind kind;
    const char* szOption;  // "" for the safe run, else "--write", "--rates" or "--robustness"
    const char* szWhat;
};

extern const RuleInfo DRVCHECK_RULES[];
extern const int DRVCHECK_RULE_COUNT;

// The rule of that id, or nullptr.
const RuleInfo* FindRule(const std::string& id);
// One line per rule: "settings.level        must    a buffer level in 0..9 ...".
std::string FormatRuleList();
