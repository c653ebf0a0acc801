// drvcheck's report read back by the end-to-end tests.
#pragma once

#include <set>
#include <sstream>
#include <string>

namespace e2e {

// The ids of the report's lines that start with TAG ("FAIL", "PASS", ...).
inline std::set<std::string> ReportRules(const std::string& report, const std::string& tag) {
    std::set<std::string> ids;
    std::istringstream in(report);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first, id;
        if (words >> first >> id && first == tag)
            ids.insert(id);
    }
    return ids;
}

}  // namespace e2e
