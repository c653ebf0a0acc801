#include "drvcheck/CheckRules.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "driver/DrvControlCodes.h"
#include "drvcheck/ErrorNames.h"
#include "model/LevelModel.h"

namespace {

std::string Format(const char* szFormat, ...) {
    char sz[512];
    va_list args;
    va_start(args, szFormat);
    std::vsnprintf(sz, sizeof sz, szFormat, args);
    va_end(args);
    return sz;
}

const char kNoConnect[] =
    "the panel says \"To make settings, connect the device and then execute once again.\" and "
    "closes";
const char kCloseAsks[] =
    "CLOSE would ask \"Apply configuration changes?\" although nothing was changed";

Verdict Must(const char* szId, bool bPass, std::string detail) {
    return MakeVerdict(szId, RuleKind::Must, bPass ? Outcome::Pass : Outcome::Fail,
                       std::move(detail));
}
Verdict Should(const char* szId, bool bPass, std::string detail) {
    return MakeVerdict(szId, RuleKind::Should, bPass ? Outcome::Pass : Outcome::Fail,
                       std::move(detail));
}
Verdict Skip(const char* szId, RuleKind kind, std::string why) {
    return MakeVerdict(szId, kind, Outcome::Skip, std::move(why));
}

bool ValidLevel(int32_t nLevel) {
    return nLevel >= LEVEL_MIN && nLevel <= LEVEL_MAX;
}

std::string UnitList(const bool (&ab)[DRVCHECK_UNITS]) {
    std::string s;
    for (int i = 0; i < DRVCHECK_UNITS; ++i) {
        if (ab[i])
            s += (s.empty() ? "" : ", ") + std::to_string(i + 1);
    }
    return s;
}

}  // namespace

std::string CodeShortName(uint32_t nCode) {
    if (const char* szName = DrvCodeName(nCode))
        return szName;
    return Format("0x%06X", nCode);
}

Verdict JudgeOpenSlots(const SlotOpenings& openings) {
    std::string missing;
    bool abOpen[DRVCHECK_UNITS] = {};
    for (int i = 0; i < DRVCHECK_UNITS; ++i) {
        abOpen[i] = openings.abAsked[i] && openings.anError[i] == 0;
        if (openings.abAsked[i] && openings.anError[i] != 0) {
            missing += Format("%sunit %d does not open (%s)", missing.empty() ? "" : "; ", i + 1,
                              ErrorText(openings.anError[i]).c_str());
        }
    }
    if (!missing.empty())
        return Must("open.slot", false, missing + ": the panel shows no such unit");
    if (!openings.strayNames.empty()) {
        std::string names;
        for (const std::string& name : openings.strayNames)
            names += (names.empty() ? "" : ", ") + name;
        return Must("open.slot", false,
                    names +
                        " opens, a name the panel never tries: that unit is missing from the "
                        "panel's device list or shown in another unit's place");
    }
    std::string units = UnitList(abOpen);
    bool bOne = units.find(',') == std::string::npos;
    return Must("open.slot", true,
                (bOne ? "unit " + units + " opens under its own name"
                      : "units " + units + " open, each under its own name,") +
                    " as the panel opens it (read and write, exclusive, overlapped)");
}

namespace {

// What the panel shows when a request of this code fails.
const char* NoAnswerEffect(uint32_t nCode) {
    switch (nCode) {
        case IOCTL_DRV_GET_SETTINGS:
            return "the panel says \"To make settings, connect the device and then execute once "
                   "again.\" and closes";
        case IOCTL_DRV_SET_SETTINGS:
            return "Apply and CLOSE say \"To make settings, connect the device and then execute "
                   "once again.\" and the panel closes";
        case IOCTL_DRV_GET_CLOCK:
            return "the sampling-rate list of this unit stays empty (it is filled only after the "
                   "clock answers)";
        case IOCTL_DRV_QUERY_RATE:
            return "the sampling-rate list of this unit stays empty";
        case IOCTL_DRV_GET_STREAM_STATE:
            return "a running stream is not seen: the ASIO buffer size is given for the units' "
                   "rate, not the stream's";
        case IOCTL_DRV_GET_DESCRIPTOR:
        case IOCTL_DRV_GET_RATE:
            return "with no stream running, this unit's rate is not used for the ASIO buffer "
                   "size, which shows \"--- samples (--- Hz)\" when no other unit answers";
        case IOCTL_DRV_GET_IN_USE:
            return "the unit counts as idle: the message to quit the applications that use it "
                   "is not shown after Apply or at CLOSE";
        case IOCTL_DRV_SET_RATE:
            return "a rate chosen in the panel's list is not set";
        case IOCTL_DRV_GET_DEVICE_FLAG:
            return "the unit counts as without the device flag (the dialog shows nothing "
                   "different)";
        default:
            return "the panel takes the answer as missing";
    }
}

}  // namespace

Verdict JudgeSynchronousCode(const CodeExchange& x) {
    std::string name = CodeShortName(x.nCode);
    uint32_t nSize = DrvBufferSize(x.nCode);
    const char* szEffect = NoAnswerEffect(x.nCode);
    if (x.outcome.bPending) {
        return Must(
            "io.sync", false,
            Format(
                "%s (%u bytes) is left pending (ERROR_IO_PENDING%s): the panel opens "
                "the unit without FILE_FLAG_OVERLAPPED, so Windows makes its "
                "DeviceIoControl wait for the request: the panel stops responding %s",
                name.c_str(), nSize, x.outcome.bLate ? ", completed later" : ", never completed",
                x.outcome.bLate ? "until the driver completes it" : "until the unit is unplugged"));
    }
    if (!x.outcome.bOpened) {
        return Must("io.sync", false,
                    Format("%s: the unit did not open for it (%s): %s", name.c_str(),
                           ErrorText(x.outcome.nError).c_str(), szEffect));
    }
    if (!x.outcome.bDone) {
        return Must("io.sync", false,
                    Format("%s with its %u bytes fails (%s): %s", name.c_str(), nSize,
                           ErrorText(x.outcome.nError).c_str(), szEffect));
    }
    return Must(
        "io.sync", true,
        Format("%s %u bytes completes before DeviceIoControl returns", name.c_str(), nSize));
}

std::vector<Verdict> JudgeSynchronous(const std::vector<CodeExchange>& exchanges) {
    std::vector<Verdict> v;
    for (const CodeExchange& x : exchanges)
        v.push_back(JudgeSynchronousCode(x));
    return v;
}

Verdict JudgeSettingsResult(bool bAnswered, const DrvSettingsIo& io) {
    if (!bAnswered)
        return Skip("settings.result", RuleKind::Must, "GET_SETTINGS was not answered");
    if (io.nResult == 0)
        return Must("settings.result", false,
                    std::string("GET_SETTINGS answers with result word 0: ") + kNoConnect);
    return Must("settings.result", true,
                Format("GET_SETTINGS answers with a nonzero result word (0x%X)",
                       static_cast<uint32_t>(io.nResult)));
}

Verdict JudgeSettingsLevel(bool bAnswered, const DrvSettings& settings) {
    if (!bAnswered)
        return Skip("settings.level", RuleKind::Must, "GET_SETTINGS was not answered");
    int32_t nLevel = settings.nBufferLevel;
    if (!ValidLevel(nLevel)) {
        return Must("settings.level", false,
                    Format("buffer level %d is outside 0..9: the slider shows level %d instead, "
                           "and %s",
                           nLevel, ClampLevel(nLevel), kCloseAsks));
    }
    return Must("settings.level", true, Format("buffer level %d is in 0..9", nLevel));
}

Verdict JudgeSettingsLevelFlag(bool bAnswered, const DrvSettings& settings) {
    if (!bAnswered || !ValidLevel(settings.nBufferLevel))
        return Skip("settings.level-flag", RuleKind::Must, "no buffer level in 0..9 to look up");
    int32_t nWant = LevelTable[settings.nBufferLevel].bLevelFlag;
    if (settings.bLevelFlag != nWant) {
        return Must("settings.level-flag", false,
                    Format("level %d carries level flag %d; the level table gives %d: %s",
                           settings.nBufferLevel, settings.bLevelFlag, nWant, kCloseAsks));
    }
    return Must("settings.level-flag", true,
                Format("level %d carries the level table's flag %d", settings.nBufferLevel, nWant));
}

namespace {

// The record's two offsets, each with its enable word, numbered as the dialog numbers them.
struct OffsetField {
    int n;
    int32_t bEnable;
    int32_t nOffset;
};

std::array<OffsetField, 2> Offsets(const DrvSettings& settings) {
    return {{{1, settings.bOffset1, settings.nOffset1}, {2, settings.bOffset2, settings.nOffset2}}};
}

}  // namespace

// The panel clamps an enabled offset to the level's limit when the dialog opens; its comparison
// at CLOSE counts an offset only while it is enabled, so a disabled one changes nothing it shows.
Verdict JudgeSettingsOffsets(bool bAnswered, const DrvSettings& settings) {
    if (!bAnswered || !ValidLevel(settings.nBufferLevel))
        return Skip("settings.offsets", RuleKind::Must, "no buffer level in 0..9 to look up");
    int32_t nLimit = OffsetLimit(settings.nBufferLevel);
    for (const OffsetField& o : Offsets(settings)) {
        if (o.bEnable != 0 && (o.nOffset < -nLimit || o.nOffset > nLimit)) {
            return Must("settings.offsets", false,
                        Format("offset %d is %d, beyond level %d's limit of +-%d: the panel "
                               "clamps it, so %s",
                               o.n, o.nOffset, settings.nBufferLevel, nLimit, kCloseAsks));
        }
    }
    return Must("settings.offsets", true,
                Format("the enabled offsets are within level %d's limit of +-%d (offsets %d and "
                       "%d)",
                       settings.nBufferLevel, nLimit, settings.nOffset1, settings.nOffset2));
}

Verdict JudgeDisabledOffsets(bool bAnswered, const DrvSettings& settings) {
    if (!bAnswered)
        return Skip("settings.offset-off", RuleKind::Should, "GET_SETTINGS was not answered");
    for (const OffsetField& o : Offsets(settings)) {
        if (o.bEnable == 0 && o.nOffset != 0) {
            return Should("settings.offset-off", false,
                          Format("offset %d is %d while disabled: the panel shows nothing "
                                 "different, and its next Apply writes it as 0",
                                 o.n, o.nOffset));
        }
    }
    return Should("settings.offset-off", true, "every disabled offset is 0");
}

// The panel compares descriptors only to count the units that share the reference rate, and
// the dialog does not show that count: a length beyond the data area is a fault in the record
// that shows nowhere today.
Verdict JudgeDescriptorLength(bool bAnswered, const DrvDescriptor& descriptor) {
    if (!bAnswered)
        return Skip("descriptor.length", RuleKind::Should, "GET_DESCRIPTOR was not answered");
    if (descriptor.nLength < 0 || descriptor.nLength > DRV_DESCRIPTOR_DATA) {
        return Should("descriptor.length", false,
                      Format("descriptor length %d is outside 0..2048: the panel counts this "
                             "unit as unlike every other; the dialog shows nothing different",
                             descriptor.nLength));
    }
    return Should("descriptor.length", true,
                  Format("descriptor length %d is in 0..2048", descriptor.nLength));
}

Verdict JudgeRatesOffered(const RateAnswers& answers) {
    std::string offered;
    for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k) {
        if (answers.abAnswered[k] && answers.anAvailable[k] != 0)
            offered += Format("%s%d", offered.empty() ? "" : ", ", SUPPORTED_RATES[k]);
    }
    if (offered.empty()) {
        return Must("rates.offered", false,
                    "none of 44100, 48000, 88200, 96000, 176400, 192000, 352800 Hz is offered: "
                    "the panel's sampling-rate list stays empty");
    }
    return Must("rates.offered", true, "offers " + offered + " Hz");
}

Verdict JudgeStreamRate(bool bAnswered, const DrvStreamState& state) {
    if (!bAnswered)
        return Skip("stream.rate", RuleKind::Must, "GET_STREAM_STATE was not answered");
    if (state.nActive == 0)
        return Skip("stream.rate", RuleKind::Must, "no stream active on this unit");
    if (state.nRate <= 0) {
        return Must("stream.rate", false,
                    Format("an active stream (%d) reports rate %d: the panel shows the ASIO "
                           "buffer size \"(%6d Hz)\" for it",
                           state.nActive, state.nRate, state.nRate));
    }
    return Must("stream.rate", true, Format("the active stream reports %d Hz", state.nRate));
}

Verdict JudgeWriteResult(bool bAnswered, int32_t nResult) {
    if (!bAnswered)
        return Must("write.result", false,
                    std::string("SET_SETTINGS was not answered: ") + kNoConnect);
    if (nResult < 0 || nResult > 3) {
        return Must("write.result", false,
                    Format("SET_SETTINGS answers result %d, outside 0..3: the panel ignores it "
                           "and never tells the user to restart anything",
                           nResult));
    }
    return Must("write.result", true, Format("SET_SETTINGS answers result %d (0..3)", nResult));
}

Verdict JudgeClockOffered(bool bAnswered, const DrvClockStatus& clock, const RateAnswers& answers) {
    if (!bAnswered)
        return Skip("clock.offered", RuleKind::Should, "GET_CLOCK was not answered");
    for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k) {
        if (SUPPORTED_RATES[k] == clock.nCurrentRate && answers.abAnswered[k] &&
            answers.anAvailable[k] != 0) {
            return Should(
                "clock.offered", true,
                Format("the current rate %d Hz is one the unit offers", clock.nCurrentRate));
        }
    }
    return Should("clock.offered", false,
                  Format("the current rate %d Hz is not offered: the rate list shows no "
                         "selection",
                         clock.nCurrentRate));
}

Verdict JudgeRefused(const char* szId, const std::string& what, const ExchangeOutcome& outcome) {
    if (outcome.bPending)
        return Should(szId, false, what + " is left pending instead of refused");
    if (outcome.bDone) {
        return Should(szId, false,
                      Format("%s is answered (%u bytes returned): a driver that reads or writes "
                             "beyond what it was given corrupts memory",
                             what.c_str(), outcome.nReturned));
    }
    return Should(szId, true,
                  Format("%s is refused (%s)", what.c_str(), ErrorText(outcome.nError).c_str()));
}

Verdict JudgeStillAnswers(bool bAnswered, const DrvSettingsIo& before, const DrvSettingsIo& after) {
    if (!bAnswered)
        return Should("robust.after", false,
                      "GET_SETTINGS is no longer answered after the malformed requests");
    if (std::memcmp(&before.settings, &after.settings, sizeof before.settings) != 0 ||
        (before.nResult != 0) != (after.nResult != 0)) {
        return Should("robust.after", false,
                      "GET_SETTINGS answers a different record after the malformed requests");
    }
    return Should("robust.after", true,
                  "GET_SETTINGS still answers the same record after the malformed requests");
}

Verdict JudgeWriteKept(const DrvSettings& original, const DrvSettings& readBack) {
    const uint8_t* a = reinterpret_cast<const uint8_t*>(&original);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&readBack);
    for (size_t i = 0; i < sizeof original; i += 4) {
        if (std::memcmp(a + i, b + i, 4) != 0) {
            int32_t nWas = 0, nNow = 0;
            std::memcpy(&nWas, a + i, 4);
            std::memcpy(&nNow, b + i, 4);
            return Should("write.kept", false,
                          Format("the record read back differs at byte %u (%d written, %d read): "
                                 "the panel's next opening shows settings the user did not make",
                                 static_cast<unsigned>(i), nWas, nNow));
        }
    }
    return Should("write.kept", true, "the record read back is the record written, byte for byte");
}

std::string SettingsDifference(const DrvSettings& before, const DrvSettings& now) {
    const uint8_t* a = reinterpret_cast<const uint8_t*>(&before);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&now);
    for (size_t i = 0; i < sizeof before; i += 4) {
        if (std::memcmp(a + i, b + i, 4) != 0) {
            int32_t nWas = 0, nNow = 0;
            std::memcpy(&nWas, a + i, 4);
            std::memcpy(&nNow, b + i, 4);
            return Format("byte %u (%d before, %d now)", static_cast<unsigned>(i), nWas, nNow);
        }
    }
    return std::string();
}

double Percentile(std::vector<double> samples, int nPercent) {
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    size_t nRank = (static_cast<size_t>(nPercent) * samples.size() + 99) / 100;
    if (nRank < 1)
        nRank = 1;
    if (nRank > samples.size())
        nRank = samples.size();
    return samples[nRank - 1];
}

Verdict JudgeLatency(const std::vector<CodeLatency>& latencies) {
    std::string figures;
    std::string slow;
    for (const CodeLatency& l : latencies) {
        figures +=
            Format("%s%s %.2f/%.2f", figures.empty() ? "" : ", ", l.name.c_str(), l.p50, l.p99);
        if (l.p99 > TICK_BUDGET_MS && slow.empty())
            slow = Format("%s takes %.1f ms at the 99th percentile", l.name.c_str(), l.p99);
    }
    if (!slow.empty()) {
        return Should("latency", false,
                      slow + Format(", beyond the %.0f ms a whole refresh tick may take: the "
                                    "dialog freezes while it waits",
                                    TICK_BUDGET_MS));
    }
    return Should("latency", true, "ms per open-exchange-close, median/99th: " + figures);
}

Verdict JudgeTickCost(double msPredicted, int nRequests, int nOpens) {
    std::string what = Format("a refresh tick of %d requests and %d opens takes %.1f ms", nRequests,
                              nOpens, msPredicted);
    if (msPredicted > TICK_BUDGET_MS) {
        return Should("tick.cost", false,
                      what + Format(", more than %.0f ms of the 330 ms period: the dialog "
                                    "answers the user late on every tick",
                                    TICK_BUDGET_MS));
    }
    return Should("tick.cost", true, what + Format(" (at most %.0f ms)", TICK_BUDGET_MS));
}

Verdict InfoIndex(const std::vector<std::pair<uint32_t, int32_t>>& codeIndexes) {
    std::string s;
    for (const auto& ci : codeIndexes)
        s += Format("%s%s %d", s.empty() ? "" : ", ", CodeShortName(ci.first).c_str(), ci.second);
    return MakeVerdict("info.index", RuleKind::Info, Outcome::Info,
                       "nIndex comes back as: " + (s.empty() ? std::string("(no answers)") : s));
}

Verdict InfoSameRate(const std::vector<UnitRate>& rates) {
    std::string s;
    std::vector<bool> abDone(rates.size(), false);
    for (size_t i = 0; i < rates.size(); ++i) {
        if (abDone[i])
            continue;
        std::string units = std::to_string(rates[i].nUnit), hz = std::to_string(rates[i].nRate);
        bool bSame = true;
        int n = 1;
        for (size_t j = i + 1; j < rates.size(); ++j) {
            if (rates[j].nKind != rates[i].nKind)
                continue;
            abDone[j] = true;
            ++n;
            units += ", " + std::to_string(rates[j].nUnit);
            hz += ", " + std::to_string(rates[j].nRate);
            bSame &= rates[j].nRate == rates[i].nRate;
        }
        if (n < 2)
            continue;
        s +=
            (s.empty() ? "" : "; ") + std::string("units ") + units + " share a descriptor and " +
            (bSame ? "run at " + std::to_string(rates[i].nRate) : "run at different rates: " + hz) +
            " Hz";
    }
    return MakeVerdict("info.same-rate", RuleKind::Info, Outcome::Info,
                       s.empty() ? "no two units share a descriptor" : s);
}

Verdict JudgeWriteEcho(bool bAnswered, const DrvSettings& sent, const DrvSettings& answer) {
    if (!bAnswered)
        return Skip("write.echo", RuleKind::Should, "SET_SETTINGS was not answered");
    if (std::memcmp(&sent, &answer, sizeof sent) != 0) {
        return Should("write.echo", false,
                      Format("SET_SETTINGS answers a record that differs from the one written "
                             "(level %d written, %d answered): with more than one unit the panel "
                             "passes the changed record on to the next unit",
                             sent.nBufferLevel, answer.nBufferLevel));
    }
    return Should("write.echo", true, "SET_SETTINGS answers with the record it was given");
}
