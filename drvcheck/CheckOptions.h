// drvcheck's command line.
#pragma once

#include <set>
#include <string>
#include <vector>

struct CheckOptions {
    int nUnit = 0;     // 1..4, or 0 for every unit that opens
    int nRepeat = 50;  // round trips per code for the latency figures
    bool bWrite = false;
    bool bRates = false;
    bool bRobustness = false;
    bool bHelp = false;
    bool bList = false;
    std::set<std::string> only;  // --only: these rule ids alone; empty for every rule
    std::string jsonPath;
};

extern const char DRVCHECK_USAGE[];

// False for a usage error, with one line that says what was wrong. --only turns on the option
// a rule it names needs (--only rates.switch sets the rates).
bool ParseCheckOptions(const std::vector<std::string>& args, CheckOptions& options,
                       std::string& error);

// Whether the run reports that rule.
bool Wanted(const CheckOptions& options, const char* szId);
