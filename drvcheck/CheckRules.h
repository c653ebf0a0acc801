// drvcheck's rules as pure judgements over what a driver answered: no device I/O here, so each
// rule is tested natively with the faults a driver could have.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/DrvRates.h"
#include "driver/DrvRecords.h"
#include "drvcheck/Exchange.h"
#include "drvcheck/Verdict.h"

constexpr int DRVCHECK_UNITS = 4;

// open.slot: the units asked for open under their own names as the panel opens them, and no
// unit hides under a name the panel never tries.
struct SlotOpenings {
    bool abAsked[DRVCHECK_UNITS] = {};      // --unit N, or every unit that opened
    uint32_t anError[DRVCHECK_UNITS] = {};  // 0 when it opened
    std::vector<std::string> strayNames;    // names outside 001..004 that opened
};
Verdict JudgeOpenSlots(const SlotOpenings& openings);

// io.sync: every code the run sent with its exact size completed before DeviceIoControl
// returned, and succeeded; one verdict per code, saying what the panel shows without its answer.
struct CodeExchange {
    uint32_t nCode;
    ExchangeOutcome outcome;
};
Verdict JudgeSynchronousCode(const CodeExchange& exchange);
std::vector<Verdict> JudgeSynchronous(const std::vector<CodeExchange>& exchanges);

// The settings read: result word, level, level flag, offsets.
Verdict JudgeSettingsResult(bool bAnswered, const DrvSettingsIo& io);
Verdict JudgeSettingsLevel(bool bAnswered, const DrvSettings& settings);
Verdict JudgeSettingsLevelFlag(bool bAnswered, const DrvSettings& settings);
Verdict JudgeSettingsOffsets(bool bAnswered, const DrvSettings& settings);
// Should: a disabled offset is 0 (the panel writes it as 0 at its next Apply).
Verdict JudgeDisabledOffsets(bool bAnswered, const DrvSettings& settings);

// Should: nothing the dialog shows depends on it.
Verdict JudgeDescriptorLength(bool bAnswered, const DrvDescriptor& descriptor);

// The answers to the seven rate queries of the rate list.
struct RateAnswers {
    bool abAnswered[SUPPORTED_RATE_COUNT] = {};
    int32_t anAvailable[SUPPORTED_RATE_COUNT] = {};
};
Verdict JudgeRatesOffered(const RateAnswers& answers);
Verdict JudgeStreamRate(bool bAnswered, const DrvStreamState& state);
Verdict JudgeWriteResult(bool bAnswered, int32_t nResult);

// Should rules.
Verdict JudgeClockOffered(bool bAnswered, const DrvClockStatus& clock, const RateAnswers& answers);
// robust.*: a request the panel never sends is refused, not answered.
Verdict JudgeRefused(const char* szId, const std::string& what, const ExchangeOutcome& outcome);
// robust.after: the settings read after the malformed requests answers the same record.
Verdict JudgeStillAnswers(bool bAnswered, const DrvSettingsIo& before, const DrvSettingsIo& after);

// --write: the record read back after writing the same record.
Verdict JudgeWriteKept(const DrvSettings& original, const DrvSettings& readBack);

// Where two records first differ: "byte 288 (7 before, 9 now)", or empty when they are equal.
std::string SettingsDifference(const DrvSettings& before, const DrvSettings& now);

// Latency of one open-exchange-close, in ms: nearest-rank percentile of the samples.
double Percentile(std::vector<double> samples, int nPercent);
constexpr double TICK_BUDGET_MS = 50.0;
struct CodeLatency {
    std::string name;
    double p50;
    double p99;
};
Verdict JudgeLatency(const std::vector<CodeLatency>& latencies);
Verdict JudgeTickCost(double msPredicted, int nRequests, int nOpens);

// Informational: the nIndex values that came back, and the rates of units alike.
Verdict InfoIndex(const std::vector<std::pair<uint32_t, int32_t>>& codeIndexes);
struct UnitRate {
    int nUnit;      // 1..4
    int nKind;      // units of the same kind (descriptor) share a number
    int32_t nRate;  // GET_RATE's answer
};
Verdict InfoSameRate(const std::vector<UnitRate>& rates);

// Short name of a control code the panel sends (GET_CLOCK), or its hex.
std::string CodeShortName(uint32_t nCode);

// --write: the write's answer carries the record it was given; the panel hands that answer on
// to the next unit.
Verdict JudgeWriteEcho(bool bAnswered, const DrvSettings& sent, const DrvSettings& answer);
