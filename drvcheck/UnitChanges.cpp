#include "drvcheck/UnitChanges.h"

#include <windows.h>

#include <cstring>

#include "driver/DrvControlCodes.h"
#include "drvcheck/ErrorNames.h"
#include "drvcheck/Interrupt.h"

namespace {

// The panel reads the clock once per refresh tick: a rate that shows within one period shows at
// the panel's next tick. Putting the original back gets longer, and more than one request.
constexpr DWORD kTickMs = 330;
constexpr DWORD kRestoreWaitMs = 1000;
constexpr int kRestoreTries = 3;
constexpr DWORD kPollMs = 20;

bool Answered(const ExchangeOutcome& x) {
    return x.bDone && !x.bPending;
}

// "error 2 ERROR_FILE_NOT_FOUND", or "left pending", for a request that brought no answer.
std::string Why(const ExchangeOutcome& x) {
    if (x.bPending)
        return "left pending";
    return ErrorText(x.nError ? x.nError : 1);
}

ExchangeOutcome ReadSettings(const UnitLink& link, DrvSettingsIo& io) {
    DrvSettings defaults;
    std::memcpy(&io.settings, &defaults, sizeof defaults);
    std::memset(io.settings.aRate, 0, sizeof io.settings.aRate);
    io.nResult = 0;
    return link.Send(IOCTL_DRV_GET_SETTINGS, &io, sizeof io);
}

ExchangeOutcome WriteSettings(const UnitLink& link, const DrvSettings& settings,
                              DrvSettingsIo& io) {
    io.settings = settings;
    io.nResult = 0;
    return link.Send(IOCTL_DRV_SET_SETTINGS, &io, sizeof io);
}

// Why the unit must not be changed now, or empty: asked afresh, not taken from the earlier reads.
// A state that cannot be read counts as busy.
std::string Busy(const UnitLink& link) {
    int32_t nInUse = 0;
    ExchangeOutcome x = link.Send(IOCTL_DRV_GET_IN_USE, &nInUse, sizeof nInUse);
    if (!Answered(x))
        return "GET_IN_USE brings no answer (" + Why(x) + "), so the unit may be in use";
    if (nInUse != 0)
        return "the unit reports itself in use (in-use word " + std::to_string(nInUse) + ")";
    DrvStreamState st = {};
    x = link.Send(IOCTL_DRV_GET_STREAM_STATE, &st, sizeof st);
    if (!Answered(x))
        return "GET_STREAM_STATE brings no answer (" + Why(x) + "), so a stream may run";
    if (st.nActive != 0)
        return "a stream runs at " + std::to_string(st.nRate) + " Hz";
    return std::string();
}

Verdict Refuse(const char* szId, const std::string& why, const char* szWhat) {
    return MakeVerdict(szId, RuleKind::Should, Outcome::Skip, why + ": " + szWhat);
}

std::string Hz(int32_t n) {
    return std::to_string(n) + " Hz";
}

std::string Unit(const UnitFindings& f) {
    return "unit " + std::to_string(f.nSlot + 1);
}

// Reads the clock until it reports nRate or nBoundMs have passed; true when it did. Afterwards
// clock holds the last answer, x how the last read went and nWaitedMs how long it took.
bool WaitForClock(const UnitLink& link, int32_t nRate, DWORD nBoundMs, DrvClockStatus& clock,
                  ExchangeOutcome& x, DWORD& nWaitedMs) {
    const ULONGLONG nStart = GetTickCount64();
    for (;;) {
        DrvClockStatus now = {};
        x = link.Send(IOCTL_DRV_GET_CLOCK, &now, sizeof now);
        nWaitedMs = static_cast<DWORD>(GetTickCount64() - nStart);
        if (Answered(x)) {
            clock = now;
            if (now.nCurrentRate == nRate)
                return true;
        }
        // A unit that no longer opens will not follow.
        if (!x.bOpened || nWaitedMs >= nBoundMs)
            return false;
        Sleep(kPollMs);
    }
}

}  // namespace

ChangeResult CheckWrite(const UnitLink& link, const UnitFindings& f) {
    ChangeResult r;
    std::string busy = Busy(link);
    if (!busy.empty()) {
        r.verdicts.push_back(Refuse("write.result", busy, "nothing written"));
        return r;
    }
    DrvSettingsIo original;
    ExchangeOutcome x = ReadSettings(link, original);
    if (!Answered(x) || original.nResult == 0) {
        r.verdicts.push_back(
            Refuse("write.result", "GET_SETTINGS gives no record", "nothing written"));
        return r;
    }
    if (Interrupted())
        return r;

    DrvSettingsIo answer;
    ExchangeOutcome written = WriteSettings(link, original.settings, answer);
    // A request that reached an open unit may have changed it, whatever it answered.
    r.bChanged = written.bOpened;
    bool bWritten = Answered(written);
    // A write left pending is judged as the reads are: the panel reads its result at once.
    if (written.bPending)
        r.verdicts.push_back(JudgeSynchronousCode({IOCTL_DRV_SET_SETTINGS, written}));
    else
        r.verdicts.push_back(JudgeWriteResult(bWritten, answer.nResult));
    r.verdicts.push_back(JudgeWriteEcho(bWritten, original.settings, answer.settings));
    if (!r.bChanged)
        return r;

    DrvSettingsIo back;
    x = ReadSettings(link, back);
    Verdict kept = JudgeWriteKept(original.settings, back.settings);
    if (!Answered(x)) {
        kept = MakeVerdict("write.kept", RuleKind::Should, Outcome::Fail,
                           "GET_SETTINGS brings no answer after the write (" + Why(x) + ")");
    }
    if (kept.outcome == Outcome::Fail) {
        // Once more, and only once: a driver that changes what it is given would change it again.
        DrvSettingsIo again;
        WriteSettings(link, original.settings, again);
        DrvSettingsIo now;
        x = ReadSettings(link, now);
        std::string diff =
            Answered(x) ? SettingsDifference(original.settings, now.settings) : std::string();
        if (!Answered(x)) {
            r.leftChanged = Unit(f) + " settings record: it cannot be read after the write (" +
                            Why(x) + "), so it may differ from the one drvcheck found";
        } else if (!diff.empty()) {
            r.leftChanged = Unit(f) + " settings record: it differs from the one drvcheck found " +
                            "at " + diff;
        }
        kept.detail += r.leftChanged.empty()
                           ? "; drvcheck wrote the original record once more, and the unit holds "
                             "it again"
                           : "; drvcheck wrote the original record once more, and could not put "
                             "it back";
    }
    r.verdicts.push_back(kept);
    return r;
}

ChangeResult CheckRates(const UnitLink& link, const UnitFindings& f) {
    ChangeResult r;
    std::string busy = Busy(link);
    if (!busy.empty()) {
        r.verdicts.push_back(Refuse("rates.switch", busy, "no rate set"));
        return r;
    }
    DrvClockStatus clock = {};
    ExchangeOutcome x = link.Send(IOCTL_DRV_GET_CLOCK, &clock, sizeof clock);
    if (!Answered(x)) {
        r.verdicts.push_back(
            Refuse("rates.switch", "GET_CLOCK brings no answer (" + Why(x) + ")", "no rate set"));
        return r;
    }
    const int32_t nOriginal = clock.nCurrentRate;
    bool bOriginalOffered = false;
    for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k)
        bOriginalOffered |= SUPPORTED_RATES[k] == nOriginal && f.rates.anAvailable[k] != 0;
    if (!bOriginalOffered) {
        r.verdicts.push_back(Refuse("rates.switch",
                                    "the current rate " + Hz(nOriginal) +
                                        " is not one the unit "
                                        "offers",
                                    "it could not be set back, so no rate set"));
        return r;
    }

    std::string set, wrong;
    DWORD nSlowestMs = 0;
    int32_t nLastSet = nOriginal;
    bool bInterrupted = false;
    for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k) {
        if (f.rates.anAvailable[k] == 0)
            continue;
        if (Interrupted()) {
            bInterrupted = true;
            break;
        }
        DrvRateValue value = {0, SUPPORTED_RATES[k]};
        x = link.Send(IOCTL_DRV_SET_RATE, &value, sizeof value);
        if (!x.bOpened)
            break;
        r.bChanged = true;
        nLastSet = SUPPORTED_RATES[k];
        if (x.bPending && r.verdicts.empty())
            r.verdicts.push_back(JudgeSynchronousCode({IOCTL_DRV_SET_RATE, x}));
        DrvClockStatus now = {};
        ExchangeOutcome read;
        DWORD nWaitedMs = 0;
        bool bFollowed = WaitForClock(link, SUPPORTED_RATES[k], kTickMs, now, read, nWaitedMs);
        set += (set.empty() ? "" : ", ") + std::to_string(SUPPORTED_RATES[k]);
        if (bFollowed && nWaitedMs > nSlowestMs)
            nSlowestMs = nWaitedMs;
        if (wrong.empty() && !bFollowed) {
            wrong = "after SET_RATE " + Hz(SUPPORTED_RATES[k]) + " the clock reads " +
                    (Answered(read) ? Hz(now.nCurrentRate) : "nothing (" + Why(read) + ")") +
                    " for " + std::to_string(nWaitedMs) +
                    " ms: the panel's next tick does not show the rate chosen in its list";
        }
        if (!read.bOpened)
            break;
    }

    std::string restored;
    if (!r.bChanged) {
        restored = "no rate was set";
    } else {
        bool bBack = false;
        DrvClockStatus now = {};
        ExchangeOutcome read;
        for (int i = 0; i < kRestoreTries && !bBack; ++i) {
            DrvRateValue value = {0, nOriginal};
            link.Send(IOCTL_DRV_SET_RATE, &value, sizeof value);
            DWORD nWaitedMs = 0;
            bBack = WaitForClock(link, nOriginal, kRestoreWaitMs, now, read, nWaitedMs);
            if (!read.bOpened)
                break;
        }
        if (bBack) {
            restored = Hz(nOriginal) + " set back and confirmed by the clock";
        } else {
            std::string seen = Answered(read) ? "the clock reads " + Hz(now.nCurrentRate)
                                              : "the clock brings no answer (" + Why(read) + ")";
            restored = "the original " + Hz(nOriginal) + " could not be set back (" + seen + ")";
            r.leftChanged = Unit(f) + " sampling rate: " + Hz(nLastSet) +
                            " was set last, the original " + Hz(nOriginal) +
                            " could not be set back (" + seen + "): choose " + Hz(nOriginal) +
                            " in the panel";
        }
    }
    if (bInterrupted)
        restored = "interrupted; " + restored;
    if (!r.bChanged) {
        r.verdicts.push_back(
            MakeVerdict("rates.switch", RuleKind::Should, Outcome::Skip,
                        (wrong.empty() ? std::string() : wrong + "; ") + restored));
    } else if (!wrong.empty() || !r.leftChanged.empty()) {
        r.verdicts.push_back(
            MakeVerdict("rates.switch", RuleKind::Should, Outcome::Fail,
                        (wrong.empty() ? std::string() : wrong + "; ") + restored));
    } else {
        r.verdicts.push_back(MakeVerdict("rates.switch", RuleKind::Should, Outcome::Pass,
                                         "set " + set +
                                             " Hz in turn, each read back by the clock within " +
                                             std::to_string(nSlowestMs) + " ms; " + restored));
    }
    return r;
}
