// drvcheck's tick model, command line and report.
#include <gtest/gtest.h>

#include "driver/DrvControlCodes.h"
#include "drvcheck/CheckOptions.h"
#include "drvcheck/CheckReport.h"
#include "drvcheck/ErrorNames.h"
#include "drvcheck/RuleList.h"
#include "drvcheck/TickModel.h"

namespace {

int Count(const TickPlan& plan, uint32_t nCode) {
    int n = 0;
    for (const TickRequest& r : plan.sent)
        n += r.nCode == nCode;
    return n;
}

}  // namespace

TEST(DrvCheckTick, TwoUnitsWithAStreamOnTheFirst) {
    // The figure the panel's benchmark counts: 9 requests, 13 opens tried.
    TickPlan plan = PanelTick({true, true, false, false}, {true, false, false, false});
    EXPECT_EQ(9, plan.nRequests);
    EXPECT_EQ(13, plan.nOpensTried);
    EXPECT_EQ(2, Count(plan, TICK_PROBE));
    EXPECT_EQ(7, Count(plan, IOCTL_DRV_QUERY_RATE));
}

TEST(DrvCheckTick, FourUnitsWithoutAStreamWalkTheReference) {
    TickPlan plan = PanelTick({true, true, true, true}, {false, false, false, false});
    EXPECT_EQ(4, Count(plan, IOCTL_DRV_GET_STREAM_STATE));
    EXPECT_EQ(4, Count(plan, IOCTL_DRV_GET_DESCRIPTOR));
    EXPECT_EQ(3, Count(plan, IOCTL_DRV_GET_DEVICE_FLAG));
    EXPECT_EQ(4, Count(plan, IOCTL_DRV_GET_RATE));
    EXPECT_EQ(1 + 7 + 4 + 4 + 3 + 4, plan.nRequests);
    EXPECT_EQ(4 + plan.nRequests, plan.nOpensTried);
}

TEST(DrvCheckTick, OnlySlotFourAsksTheAbsentSlotsToo) {
    TickPlan plan = PanelTick({false, false, false, true}, {false, false, false, false});
    for (const TickRequest& r : plan.sent)
        EXPECT_EQ(3, r.nSlot);
    EXPECT_EQ(1 + 7 + 1 + 2, plan.nRequests);
    EXPECT_EQ(4 + 1 + 7 + 4 + 4 + 1, plan.nOpensTried);
}

TEST(DrvCheckOptions, UsageErrors) {
    const struct {
        std::vector<std::string> args;
        const char* szError;
    } kCases[] = {
        {{"--unit", "0"}, "--unit takes"},
        {{"--unit", "5"}, "--unit takes"},
        {{"--unit"}, "--unit takes"},
        {{"--unit", "1x"}, "--unit takes"},
        {{"--repeat", "0"}, "--repeat takes"},
        {{"--repeat", "10001"}, "--repeat takes"},
        {{"--repeat", "-3"}, "--repeat takes"},
        {{"--json"}, "--json takes"},
        // An option where the file name belongs is a forgotten name, not a file "--write".
        {{"--json", "--write"}, "--json takes"},
        {{"--json", "-h"}, "--json takes"},
        {{"--only", "settings.levl"}, "'settings.levl' is not one"},
        {{"--only", "io.sync,"}, "'' is not one"},
        {{"--only"}, "--only takes rule ids"},
        {{"--verbose"}, "unknown option '--verbose'"},
    };
    for (const auto& c : kCases) {
        CheckOptions options;
        std::string error;
        EXPECT_FALSE(ParseCheckOptions(c.args, options, error)) << c.args[0];
        EXPECT_NE(std::string::npos, error.find(c.szError)) << error;
    }
    CheckOptions options;
    std::string error;
    ASSERT_TRUE(ParseCheckOptions(
        {"--unit", "4", "--repeat", "10000", "--write", "--json", "r.json"}, options, error));
    EXPECT_EQ(4, options.nUnit);
    EXPECT_EQ(10000, options.nRepeat);
    EXPECT_TRUE(options.bWrite);
    EXPECT_EQ("r.json", options.jsonPath);
}

TEST(DrvCheckOptions, OnlyRunsTheNamedRulesAndTurnsOnTheirStep) {
    CheckOptions options;
    std::string error;
    ASSERT_TRUE(ParseCheckOptions({"--only", "rates.switch,settings.level"}, options, error))
        << error;
    EXPECT_TRUE(options.bRates);
    EXPECT_FALSE(options.bWrite);
    EXPECT_FALSE(options.bRobustness);
    EXPECT_TRUE(Wanted(options, "rates.switch"));
    EXPECT_TRUE(Wanted(options, "settings.level"));
    EXPECT_FALSE(Wanted(options, "settings.level-flag"));
    EXPECT_FALSE(Wanted(options, "io.sync"));
    CheckOptions all;
    EXPECT_TRUE(Wanted(all, "io.sync"));
    CheckOptions robust;
    ASSERT_TRUE(ParseCheckOptions({"--only", "robust.after"}, robust, error));
    EXPECT_TRUE(robust.bRobustness);
    CheckOptions list;
    ASSERT_TRUE(ParseCheckOptions({"--list"}, list, error));
    EXPECT_TRUE(list.bList);
}

TEST(DrvCheckOptions, UsageNamesEveryExitStatus) {
    const std::string usage = DRVCHECK_USAGE;
    for (const char* szPart :
         {"0 every must rule passed", "1 a must rule failed", "left changed", "2 a usage error",
          "no unit opens", "interrupted", "JSON file cannot be written", "--list", "--only"}) {
        EXPECT_NE(std::string::npos, usage.find(szPart)) << szPart;
    }
}

TEST(DrvCheckRuleList, EveryRuleOnceWithItsKindAndStep) {
    std::string list = FormatRuleList();
    int nLines = 0;
    for (char c : list)
        nLines += c == '\n';
    EXPECT_EQ(DRVCHECK_RULE_COUNT, nLines);
    for (int i = 0; i < DRVCHECK_RULE_COUNT; ++i) {
        const RuleInfo& rule = DRVCHECK_RULES[i];
        EXPECT_EQ(&rule, FindRule(rule.szId));
        EXPECT_NE(std::string::npos, list.find(std::string(rule.szId) + " ")) << rule.szId;
    }
    EXPECT_EQ(nullptr, FindRule("settings"));
    EXPECT_EQ(RuleKind::Should, FindRule("descriptor.length")->kind);
    EXPECT_EQ(std::string("--write"), FindRule("write.result")->szOption);
}

TEST(DrvCheckErrors, NamedWhereKnown) {
    EXPECT_EQ("error 2 ERROR_FILE_NOT_FOUND", ErrorText(2));
    EXPECT_EQ("error 997 ERROR_IO_PENDING", ErrorText(997));
    EXPECT_EQ("error 1167 ERROR_DEVICE_NOT_CONNECTED", ErrorText(1167));
    EXPECT_EQ("error 4242", ErrorText(4242));
    EXPECT_EQ(nullptr, ErrorName(0));
}

TEST(DrvCheckReport, ExitStatusOfTheRunAndItsLastLines) {
    CheckReport sound;
    sound.unitsOpen = sound.units = {1};
    sound.sections.push_back({"unit 1", {MakeVerdict("a", RuleKind::Must, Outcome::Pass, "x")}});
    CheckReport failed = sound;
    failed.sections[0].verdicts.push_back(MakeVerdict("b", RuleKind::Must, Outcome::Fail, "x"));
    CheckReport interrupted = sound;
    interrupted.interrupted = "Ctrl-C";
    interrupted.bChanged = true;
    CheckReport nothingChanged = interrupted;
    nothingChanged.bChanged = false;
    CheckReport left = interrupted;
    left.leftChanged = {"unit 1 sampling rate: 44100 Hz was set last"};
    CheckReport leftOnly = sound;
    leftOnly.bChanged = true;
    leftOnly.leftChanged = left.leftChanged;
    CheckReport none;
    none.strayNames = {"\\\\.\\Tkwm3340000"};
    CheckReport noJson = sound;
    noJson.bJsonFailed = true;
    const struct {
        const char* szCase;
        const CheckReport& report;
        int nExit;
        const char* szLastLine;  // "" for none
    } kCases[] = {
        {"sound", sound, 0, ""},
        {"a must failed", failed, 1, ""},
        {"interrupted, put back", interrupted, 2, "what it changed was put back first"},
        {"interrupted before a change", nothingChanged, 2, "it had changed nothing"},
        {"interrupted, left changed", left, 1, "not everything it changed could be put back"},
        {"left changed", leftOnly, 1, "left changed: unit 1 sampling rate: 44100 Hz"},
        {"no unit opens", none, 2, ""},
        {"JSON not written", noJson, 2, ""},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(c.nExit, RunExitCode(c.report)) << c.szCase;
        std::string json = FormatReportJson(c.report);
        EXPECT_NE(std::string::npos, json.find("\"exit\": " + std::to_string(c.nExit) + ",\n"))
            << c.szCase << "\n"
            << json;
        std::string end = FormatRunEnd(c.report);
        if (*c.szLastLine)
            EXPECT_NE(std::string::npos, end.find(c.szLastLine)) << c.szCase << ": " << end;
        else
            EXPECT_EQ("", end) << c.szCase;
    }
    EXPECT_NE(std::string::npos, FormatRunEnd(left).find("(Ctrl-C)"));
    EXPECT_NE(std::string::npos,
              FormatReportJson(none).find("\"strayNames\": [\"\\\\\\\\.\\\\Tkwm3340000\"]"))
        << FormatReportJson(none);
}

TEST(DrvCheckReport, IdentityOpensTheReportAndTheJson) {
    CheckReport report;
    report.identity = {"1.1", "0123456789ab", "2.3.4", "10.0.19045", false};
    report.unitsOpen = {1, 3};
    report.units = {3};
    std::string text = FormatReportText(report);
    EXPECT_EQ(0u, text.find("drvcheck 1.1 (commit 0123456789ab) on Windows 10.0.19045, not "
                            "elevated\ndriver version 2.3.4\nunits open: 1, 3\n"))
        << text;
    EXPECT_EQ(std::string::npos, text.find("warning")) << text;
    std::string json = FormatReportJson(report);
    for (const char* szField :
         {"\"format\": 1,", "\"version\": \"1.1\"", "\"commit\": \"0123456789ab\"",
          "\"driverVersion\": \"2.3.4\"", "\"windows\": \"10.0.19045\"", "\"elevated\": false",
          "\"unitsOpen\": [1, 3]", "\"units\": [3]"}) {
        EXPECT_NE(std::string::npos, json.find(szField)) << szField << "\n" << json;
    }
    report.identity.bElevated = true;
    report.identity.driverVersion.clear();
    text = FormatReportText(report);
    EXPECT_NE(std::string::npos, text.find(", elevated\n")) << text;
    EXPECT_NE(std::string::npos, text.find("warning: elevated")) << text;
    EXPECT_NE(std::string::npos, text.find("driver version unknown")) << text;
}

TEST(DrvCheckReport, OnlyAFailedMustFailsTheRun) {
    CheckReport report;
    report.unitsOpen = report.units = {1, 3};
    report.sections.push_back({"unit 1",
                               {MakeVerdict("a", RuleKind::Must, Outcome::Pass, "x"),
                                MakeVerdict("b", RuleKind::Should, Outcome::Fail, "slow \"x\""),
                                MakeVerdict("c", RuleKind::Must, Outcome::Skip, "x"),
                                MakeVerdict("d", RuleKind::Info, Outcome::Info, "x")}});
    EXPECT_EQ(0, ReportExitCode(report));
    EXPECT_EQ("drvcheck: 1 passed, 0 failed, 1 skipped, 1 warning (units 1, 3)",
              FormatSummary(report));
    report.sections[0].verdicts.push_back(MakeVerdict("e", RuleKind::Must, Outcome::Fail, "x"));
    EXPECT_EQ(1, ReportExitCode(report));
    std::string json = FormatReportJson(report);
    EXPECT_NE(std::string::npos, json.find("\"detail\": \"slow \\\"x\\\"\"")) << json;
    EXPECT_NE(std::string::npos, json.find("\"exit\": 1")) << json;
}

TEST(DrvCheckReport, LongDetailsWrapUnderTheDetail) {
    Verdict v = MakeVerdict("settings.level-flag", RuleKind::Must, Outcome::Fail,
                            std::string(70, 'a') + " " + std::string(30, 'b'));
    EXPECT_EQ("FAIL  settings.level-flag  " + std::string(70, 'a') + "\n" + std::string(27, ' ') +
                  std::string(30, 'b'),
              FormatVerdictLine(v));
}
