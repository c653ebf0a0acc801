// drvcheck's tick model, command line and report.
#include <gtest/gtest.h>

#include "driver/DrvControlCodes.h"
#include "drvcheck/CheckOptions.h"
#include "drvcheck/CheckReport.h"
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

TEST(DrvCheckReport, OnlyAFailedMustFailsTheRun) {
    CheckReport report;
    report.units = {1, 3};
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
