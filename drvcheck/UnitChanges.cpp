#include "drvcheck/UnitChanges.h"

#include <cstdio>
#include <cstring>

#include "driver/DrvControlCodes.h"
#include "drvcheck/Interrupt.h"

namespace {

bool Send(const UnitLink& link, uint32_t nCode, void* pBuffer, uint32_t nSize) {
    ExchangeOutcome x = link.Send(nCode, pBuffer, nSize);
    return x.bDone && !x.bPending;
}

bool ReadSettings(const UnitLink& link, DrvSettingsIo& io) {
    DrvSettings defaults;
    std::memcpy(&io.settings, &defaults, sizeof defaults);
    std::memset(io.settings.aRate, 0, sizeof io.settings.aRate);
    io.nResult = 0;
    return Send(link, IOCTL_DRV_GET_SETTINGS, &io, sizeof io);
}

ExchangeOutcome WriteExchange(const UnitLink& link, const DrvSettings& settings,
                              DrvSettingsIo& io) {
    io.settings = settings;
    io.nResult = 0;
    return link.Send(IOCTL_DRV_SET_SETTINGS, &io, sizeof io);
}

bool WriteSettings(const UnitLink& link, const DrvSettings& settings, DrvSettingsIo& io) {
    ExchangeOutcome x = WriteExchange(link, settings, io);
    return x.bDone && !x.bPending;
}

// Why the unit must not be changed now, or empty: asked afresh, not taken from the earlier reads.
std::string Busy(const UnitLink& link) {
    int32_t nInUse = 0;
    if (!Send(link, IOCTL_DRV_GET_IN_USE, &nInUse, sizeof nInUse))
        return "GET_IN_USE is not answered, so the unit may be in use";
    if (nInUse != 0)
        return "the unit reports itself in use (in-use word " + std::to_string(nInUse) + ")";
    DrvStreamState st = {};
    if (Send(link, IOCTL_DRV_GET_STREAM_STATE, &st, sizeof st) && st.nActive != 0)
        return "a stream runs at " + std::to_string(st.nRate) + " Hz";
    return std::string();
}

Verdict Refuse(const char* szId, const std::string& why, const char* szWhat) {
    return MakeVerdict(szId, RuleKind::Should, Outcome::Skip, why + ": " + szWhat);
}

std::string Hz(int32_t n) {
    return std::to_string(n) + " Hz";
}

}  // namespace

std::vector<Verdict> CheckWrite(const UnitLink& link, const UnitFindings&) {
    std::string busy = Busy(link);
    if (!busy.empty())
        return {Refuse("write.result", busy, "nothing written")};
    DrvSettingsIo original;
    if (!ReadSettings(link, original) || original.nResult == 0)
        return {Refuse("write.result", "GET_SETTINGS gives no record", "nothing written")};
    if (Interrupted())
        return {};

    DrvSettingsIo answer;
    ExchangeOutcome written = WriteExchange(link, original.settings, answer);
    bool bWritten = written.bDone && !written.bPending;
    std::vector<Verdict> v;
    // A write left pending is judged as the reads are: the panel reads its result at once.
    if (written.bPending)
        v.push_back(JudgeSynchronous({{IOCTL_DRV_SET_SETTINGS, written}}));
    else
        v.push_back(JudgeWriteResult(bWritten, answer.nResult));
    v.push_back(JudgeWriteEcho(bWritten, original.settings, answer.settings));

    DrvSettingsIo back;
    bool bRead = ReadSettings(link, back);
    Verdict kept = JudgeWriteKept(original.settings, back.settings);
    if (!bRead) {
        kept = MakeVerdict("write.kept", RuleKind::Should, Outcome::Fail,
                           "GET_SETTINGS is not answered after the write");
    }
    if (kept.outcome == Outcome::Fail) {
        // Once more, and only once: a driver that changes what it is given would change it again.
        DrvSettingsIo again;
        WriteSettings(link, original.settings, again);
        DrvSettingsIo now;
        bool bSame = ReadSettings(link, now) &&
                     std::memcmp(&now.settings, &original.settings, sizeof now.settings) == 0;
        kept.detail += bSame ? "; drvcheck wrote the original record once more, and the unit "
                               "holds it again"
                             : "; drvcheck wrote the original record once more, and the unit "
                               "still holds a different one: set it back by hand";
    }
    v.push_back(kept);
    return v;
}

std::vector<Verdict> CheckRates(const UnitLink& link, const UnitFindings& f) {
    std::string busy = Busy(link);
    if (!busy.empty())
        return {Refuse("rates.switch", busy, "no rate set")};
    DrvClockStatus clock = {};
    if (!Send(link, IOCTL_DRV_GET_CLOCK, &clock, sizeof clock))
        return {Refuse("rates.switch", "GET_CLOCK is not answered", "no rate set")};
    const int32_t nOriginal = clock.nCurrentRate;
    bool bOriginalOffered = false;
    for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k) {
        bOriginalOffered |= SUPPORTED_RATES[k] == nOriginal && f.rates.anAvailable[k] != 0;
    }
    if (!bOriginalOffered) {
        return {Refuse("rates.switch",
                       "the current rate " + Hz(nOriginal) + " is not one the unit offers",
                       "it could not be set back, so no rate set")};
    }

    std::string set, wrong;
    std::vector<Verdict> v;
    bool bInterrupted = false;
    for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k) {
        if (f.rates.anAvailable[k] == 0)
            continue;
        if (Interrupted()) {
            bInterrupted = true;
            break;
        }
        DrvRateValue value = {0, SUPPORTED_RATES[k]};
        ExchangeOutcome x = link.Send(IOCTL_DRV_SET_RATE, &value, sizeof value);
        if (x.bPending && v.empty())
            v.push_back(JudgeSynchronous({{IOCTL_DRV_SET_RATE, x}}));
        DrvClockStatus now = {};
        bool bRead = Send(link, IOCTL_DRV_GET_CLOCK, &now, sizeof now);
        set += (set.empty() ? "" : ", ") + std::to_string(SUPPORTED_RATES[k]);
        if (wrong.empty() && (!bRead || now.nCurrentRate != SUPPORTED_RATES[k])) {
            wrong = "after SET_RATE " + Hz(SUPPORTED_RATES[k]) + " the clock reads " +
                    (bRead ? Hz(now.nCurrentRate) : std::string("nothing")) +
                    ": choosing that rate in the panel's list does not take";
        }
    }

    DrvRateValue value = {0, nOriginal};
    Send(link, IOCTL_DRV_SET_RATE, &value, sizeof value);
    DrvClockStatus now = {};
    bool bBack = Send(link, IOCTL_DRV_GET_CLOCK, &now, sizeof now) && now.nCurrentRate == nOriginal;
    std::string restored =
        bBack ? Hz(nOriginal) + " set back and confirmed by the clock"
              : "the original " + Hz(nOriginal) + " could not be set back: set it by hand";
    if (bInterrupted)
        restored = "interrupted; " + restored;
    if (!wrong.empty() || !bBack) {
        v.push_back(MakeVerdict("rates.switch", RuleKind::Should, Outcome::Fail,
                                (wrong.empty() ? std::string() : wrong + "; ") + restored));
    } else {
        v.push_back(
            MakeVerdict("rates.switch", RuleKind::Should, Outcome::Pass,
                        "set " + set + " Hz in turn, each read back by the clock; " + restored));
    }
    return v;
}
