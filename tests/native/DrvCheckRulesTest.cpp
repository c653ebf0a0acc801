// drvcheck's judgements over the answers of a driver, one table per rule family; every case
// is a fault a driver could have, beside the answer that keeps the rule.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "driver/DrvControlCodes.h"
#include "drvcheck/CheckRules.h"

namespace {

const char* OutcomeText(Outcome o) {
    return o == Outcome::Pass   ? "pass"
           : o == Outcome::Fail ? "fail"
           : o == Outcome::Skip ? "skip"
                                : "info";
}

struct RuleCase {
    const char* szFault;
    std::function<Verdict()> judge;
    Outcome want;
    const char* szEvidence;  // must appear in the detail
};

void CheckCases(const std::vector<RuleCase>& cases) {
    for (const RuleCase& c : cases) {
        Verdict v = c.judge();
        EXPECT_EQ(OutcomeText(c.want), std::string(OutcomeText(v.outcome)))
            << c.szFault << ": " << v.id << " " << v.detail;
        EXPECT_NE(std::string::npos, v.detail.find(c.szEvidence))
            << c.szFault << ": '" << c.szEvidence << "' not in: " << v.detail;
    }
}

DrvSettings Record(int32_t nLevel, int32_t bFlag, int32_t bOff1, int32_t nOff1, int32_t bOff2,
                   int32_t nOff2) {
    DrvSettings s;
    std::memset(s.aRate, 0, sizeof s.aRate);
    s.nBufferLevel = nLevel;
    s.bLevelFlag = bFlag;
    s.bOffset1 = bOff1;
    s.nOffset1 = nOff1;
    s.bOffset2 = bOff2;
    s.nOffset2 = nOff2;
    return s;
}

ExchangeOutcome Done() {
    ExchangeOutcome x;
    x.bOpened = x.bDone = true;
    return x;
}

}  // namespace

TEST(DrvCheckRules, SettingsRead) {
    DrvSettingsIo io = {};
    io.settings = Record(5, 0, 1, 0, 1, 0);
    io.nResult = 1;
    DrvSettingsIo zero = io;
    zero.nResult = 0;
    CheckCases({
        {"result word 1", [=] { return JudgeSettingsResult(true, io); }, Outcome::Pass, "(0x1)"},
        {"result word 0", [=] { return JudgeSettingsResult(true, zero); }, Outcome::Fail,
         "\"To make settings, connect the device and then execute once again.\""},
        {"read not answered", [=] { return JudgeSettingsResult(false, io); }, Outcome::Skip,
         "not answered"},
        {"level 9", [] { return JudgeSettingsLevel(true, Record(9, 0, 1, 0, 1, 0)); },
         Outcome::Pass, "level 9"},
        {"level 10", [] { return JudgeSettingsLevel(true, Record(10, 0, 1, 0, 1, 0)); },
         Outcome::Fail, "buffer level 10 is outside 0..9: the slider shows level 9"},
        {"level -1", [] { return JudgeSettingsLevel(true, Record(-1, 1, 1, 0, 1, 0)); },
         Outcome::Fail, "slider shows level 0"},
        {"level 3 with flag 1",
         [] { return JudgeSettingsLevelFlag(true, Record(3, 1, 1, 0, 1, 0)); }, Outcome::Pass,
         "flag 1"},
        {"level 3 with flag 0",
         [] { return JudgeSettingsLevelFlag(true, Record(3, 0, 1, 0, 1, 0)); }, Outcome::Fail,
         "level 3 carries level flag 0; the level table gives 1: CLOSE would ask \"Apply "
         "configuration changes?\""},
        {"level 5 with flag 1",
         [] { return JudgeSettingsLevelFlag(true, Record(5, 1, 1, 0, 1, 0)); }, Outcome::Fail,
         "the level table gives 0"},
        {"flag of a level out of range",
         [] { return JudgeSettingsLevelFlag(true, Record(12, 0, 1, 0, 1, 0)); }, Outcome::Skip,
         "no buffer level"},
        {"offsets at level 9's limit",
         [] { return JudgeSettingsOffsets(true, Record(9, 0, 1, -70, 1, 70)); }, Outcome::Pass,
         "+-70"},
        {"offset 1 beyond level 5's limit",
         [] { return JudgeSettingsOffsets(true, Record(5, 0, 1, 13, 1, 0)); }, Outcome::Fail,
         "offset 1 is 13, beyond level 5's limit of +-12"},
        {"offset 2 below level 0's limit",
         [] { return JudgeSettingsOffsets(true, Record(0, 1, 1, 0, 1, -3)); }, Outcome::Fail,
         "offset 2 is -3"},
        // The panel's comparison at CLOSE skips a disabled offset: no question, only a should.
        {"disabled offset not 0, for the limit",
         [] { return JudgeSettingsOffsets(true, Record(5, 0, 0, 40, 1, 0)); }, Outcome::Pass,
         "within level 5's limit"},
        {"disabled offset not 0",
         [] { return JudgeDisabledOffsets(true, Record(5, 0, 0, 4, 1, 0)); }, Outcome::Fail,
         "offset 1 is 4 while disabled"},
        {"disabled offsets 0", [] { return JudgeDisabledOffsets(true, Record(5, 0, 0, 0, 0, 0)); },
         Outcome::Pass, "every disabled offset is 0"},
    });
}

TEST(DrvCheckRules, StreamDescriptorAndRates) {
    DrvDescriptor d = {};
    auto Desc = [d](int32_t n) {
        DrvDescriptor x = d;
        x.nLength = n;
        return x;
    };
    RateAnswers none, only48k, refusedQuery;
    only48k.abAnswered[1] = true;
    only48k.anAvailable[1] = 1;
    for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k)
        none.abAnswered[k] = true;
    refusedQuery.anAvailable[1] = 1;  // a value left in a query the unit failed
    DrvClockStatus clock = {};
    clock.nCurrentRate = 48000;
    DrvClockStatus at32k = clock;
    at32k.nCurrentRate = 32000;
    DrvStreamState running = {0, 1, 48000, {}}, rateless = {0, 2, 0, {}}, idle = {0, 0, 0, {}};
    CheckCases({
        {"descriptor of 2048", [=] { return JudgeDescriptorLength(true, Desc(2048)); },
         Outcome::Pass, "2048 is in"},
        {"descriptor of 2049", [=] { return JudgeDescriptorLength(true, Desc(2049)); },
         Outcome::Fail, "descriptor length 2049 is outside 0..2048"},
        {"negative descriptor length", [=] { return JudgeDescriptorLength(true, Desc(-1)); },
         Outcome::Fail, "length -1"},
        {"48 kHz offered", [=] { return JudgeRatesOffered(only48k); }, Outcome::Pass, "48000 Hz"},
        {"nothing offered", [=] { return JudgeRatesOffered(none); }, Outcome::Fail,
         "rate list stays empty"},
        {"availability of a failed query", [=] { return JudgeRatesOffered(refusedQuery); },
         Outcome::Fail, "none of"},
        {"stream at 48 kHz", [=] { return JudgeStreamRate(true, running); }, Outcome::Pass,
         "48000 Hz"},
        {"active stream at rate 0", [=] { return JudgeStreamRate(true, rateless); }, Outcome::Fail,
         "an active stream (2) reports rate 0"},
        {"no stream", [=] { return JudgeStreamRate(true, idle); }, Outcome::Skip, "no stream"},
        {"clock at an offered rate", [=] { return JudgeClockOffered(true, clock, only48k); },
         Outcome::Pass, "48000"},
        {"clock at a rate not offered", [=] { return JudgeClockOffered(true, at32k, only48k); },
         Outcome::Fail, "32000 Hz is not offered: the rate list shows no selection"},
    });
}

TEST(DrvCheckRules, RequestsAndWrites) {
    ExchangeOutcome refused = {}, answered = Done();
    refused.bOpened = true;
    refused.nError = 87;
    answered.nReturned = 339;
    DrvSettings written = Record(5, 0, 1, 0, 1, 0), changed = written;
    changed.nOption5 = 7;
    CheckCases({
        {"write result 3", [] { return JudgeWriteResult(true, 3); }, Outcome::Pass, "result 3"},
        {"write result 4", [] { return JudgeWriteResult(true, 4); }, Outcome::Fail,
         "result 4, outside 0..3"},
        {"write result -1", [] { return JudgeWriteResult(true, -1); }, Outcome::Fail, "-1"},
        {"write not answered", [] { return JudgeWriteResult(false, 0); }, Outcome::Fail,
         "not answered"},
        {"short buffer refused", [=] { return JudgeRefused("robust.short", "x", refused); },
         Outcome::Pass, "refused (error 87 ERROR_INVALID_PARAMETER)"},
        {"short buffer answered", [=] { return JudgeRefused("robust.short", "x", answered); },
         Outcome::Fail, "answered (339 bytes returned)"},
        {"write answered with another level",
         [=] {
             DrvSettings answer = written;
             answer.nBufferLevel = 7;
             return JudgeWriteEcho(true, written, answer);
         },
         Outcome::Fail, "level 5 written, 7 answered"},
        {"settings changed by malformed requests",
         [=] {
             DrvSettingsIo before = {}, after = {};
             before.settings = written;
             after.settings = changed;
             return JudgeStillAnswers(true, before, after);
         },
         Outcome::Fail, "a different record"},
        {"record kept", [=] { return JudgeWriteKept(written, written); }, Outcome::Pass,
         "byte for byte"},
        {"record changed by the write", [=] { return JudgeWriteKept(written, changed); },
         Outcome::Fail, "differs at byte 324 (0 written, 7 read)"},
    });
}

TEST(DrvCheckRules, OneSyncVerdictPerCodeWithWhatThePanelShows) {
    ExchangeOutcome pending, failed, gone;
    pending.bOpened = pending.bPending = true;
    failed.bOpened = true;
    failed.nError = 31;
    gone.nError = 2;
    std::vector<Verdict> v = JudgeSynchronous({{IOCTL_DRV_GET_CLOCK, Done()},
                                               {IOCTL_DRV_GET_SETTINGS, pending},
                                               {IOCTL_DRV_QUERY_RATE, failed},
                                               {IOCTL_DRV_GET_IN_USE, gone}});
    ASSERT_EQ(4u, v.size());
    const struct {
        Outcome want;
        const char* szCode;
        const char* szEffect;
    } kWant[] = {
        {Outcome::Pass, "GET_CLOCK 20 bytes", "completes before DeviceIoControl returns"},
        {Outcome::Fail, "GET_SETTINGS (340 bytes) is left pending", "stops responding"},
        {Outcome::Fail, "error 31 ERROR_GEN_FAILURE", "sampling-rate list of this unit stays"},
        {Outcome::Fail, "error 2 ERROR_FILE_NOT_FOUND", "counts as idle"},
    };
    for (size_t i = 0; i < v.size(); ++i) {
        EXPECT_EQ("io.sync", v[i].id);
        EXPECT_EQ(RuleKind::Must, v[i].kind);
        EXPECT_EQ(OutcomeText(kWant[i].want), std::string(OutcomeText(v[i].outcome)));
        EXPECT_NE(std::string::npos, v[i].detail.find(kWant[i].szCode)) << v[i].detail;
        EXPECT_NE(std::string::npos, v[i].detail.find(kWant[i].szEffect)) << v[i].detail;
    }
}

TEST(DrvCheckRules, KindsFollowWhatThePanelShows) {
    DrvDescriptor wide = {};
    wide.nLength = 3000;
    EXPECT_EQ(RuleKind::Should, JudgeDescriptorLength(true, wide).kind);
    EXPECT_EQ(Outcome::Fail, JudgeDescriptorLength(true, wide).outcome);
    EXPECT_EQ(RuleKind::Should, JudgeDisabledOffsets(true, Record(5, 0, 0, 4, 1, 0)).kind);
    Verdict level = JudgeSettingsLevel(true, Record(12, 0, 1, 0, 1, 0));
    EXPECT_EQ(RuleKind::Must, level.kind);
    EXPECT_NE(std::string::npos, level.detail.find("CLOSE would ask")) << level.detail;
}

TEST(DrvCheckRules, SettingsDifferenceNamesTheFirstWord) {
    DrvSettings a = Record(7, 0, 1, 0, 1, 0), b = a;
    EXPECT_EQ("", SettingsDifference(a, b));
    b.nBufferLevel = 9;
    b.nOption5 = 3;
    EXPECT_EQ("byte 288 (7 before, 9 now)", SettingsDifference(a, b));
}

TEST(DrvCheckRules, OpensAndTiming) {
    SlotOpenings sound, gone, stray;
    sound.abAsked[0] = sound.abAsked[2] = true;
    gone.abAsked[1] = true;
    gone.anError[1] = 2;
    stray.abAsked[0] = true;
    stray.strayNames.push_back("\\\\.\\Tkwm3340000");
    CheckCases({
        {"units 1 and 3 open", [=] { return JudgeOpenSlots(sound); }, Outcome::Pass,
         "units 1, 3 open, each under its own name"},
        {"unit asked for does not open", [=] { return JudgeOpenSlots(gone); }, Outcome::Fail,
         "unit 2 does not open (error 2 ERROR_FILE_NOT_FOUND)"},
        {"a unit numbered from 0", [=] { return JudgeOpenSlots(stray); }, Outcome::Fail,
         "\\\\.\\Tkwm3340000 opens, a name the panel never tries"},
        {"fast requests",
         [] {
             return JudgeLatency({{"GET_CLOCK", 0.4, 2.0}});
         },
         Outcome::Pass, "GET_CLOCK 0.40/2.00"},
        {"one slow request",
         [] {
             return JudgeLatency({{"QUERY_RATE", 3.0, 60.0}});
         },
         Outcome::Fail, "QUERY_RATE takes 60.0 ms"},
        {"tick within budget", [] { return JudgeTickCost(12.0, 9, 13); }, Outcome::Pass,
         "9 requests and 13 opens takes 12.0 ms"},
        {"tick over budget", [] { return JudgeTickCost(50.5, 40, 48); }, Outcome::Fail,
         "more than 50 ms"},
    });
}

TEST(DrvCheckRules, PercentileIsNearestRank) {
    std::vector<double> samples;
    for (int i = 100; i >= 1; --i)
        samples.push_back(i);
    EXPECT_EQ(50.0, Percentile(samples, 50));
    EXPECT_EQ(99.0, Percentile(samples, 99));
    EXPECT_EQ(7.0, Percentile({7.0}, 99));
    EXPECT_EQ(0.0, Percentile({}, 50));
}
