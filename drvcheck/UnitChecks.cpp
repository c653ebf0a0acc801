#include "drvcheck/UnitChecks.h"

#include <cstring>
#include <vector>

#include "driver/DrvControlCodes.h"
#include "drvcheck/Interrupt.h"
#include "drvcheck/TickModel.h"

namespace {

bool Answered(const ExchangeOutcome& x) {
    return x.bDone && !x.bPending;
}

// A malformed request the panel never sends; the code is one no driver of this unit knows.
constexpr uint32_t kUnknownCode = DrvControlCode(0x8FF);

class UnitRun {
public:
    UnitRun(const UnitLink& link, UnitFindings& f) : m_link(link), m_f(f) {}

    // The panel's read requests, each once, as it sends them: nIndex 0 and the settings read's
    // default words.
    void ReadAll() {
        DrvSettingsIo io;
        std::memset(io.settings.aRate, 0, sizeof io.settings.aRate);
        io.nResult = 0;
        m_f.bSettings = Send(IOCTL_DRV_GET_SETTINGS, &io, sizeof io);
        m_f.settings = io;
        m_f.bDescriptor = Send(IOCTL_DRV_GET_DESCRIPTOR, &m_f.descriptor, sizeof m_f.descriptor);
        int32_t nFlag = 0;
        Send(IOCTL_DRV_GET_DEVICE_FLAG, &nFlag, sizeof nFlag);
        m_f.bStream = Send(IOCTL_DRV_GET_STREAM_STATE, &m_f.stream, sizeof m_f.stream);
        m_f.bInUse = Send(IOCTL_DRV_GET_IN_USE, &m_f.nInUse, sizeof m_f.nInUse);
        m_f.bRate = Send(IOCTL_DRV_GET_RATE, &m_f.rate, sizeof m_f.rate);
        for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k) {
            DrvRateQuery query = {0, SUPPORTED_RATES[k], 0};
            m_f.rates.abAnswered[k] = Send(IOCTL_DRV_QUERY_RATE, &query, sizeof query, k == 0);
            m_f.rates.anAvailable[k] = m_f.rates.abAnswered[k] ? query.nAvailable : 0;
        }
        m_f.bClock = Send(IOCTL_DRV_GET_CLOCK, &m_f.clock, sizeof m_f.clock);
        if (m_f.bDescriptor)
            m_indexes.push_back({IOCTL_DRV_GET_DESCRIPTOR, m_f.descriptor.nIndex});
        if (m_f.bStream)
            m_indexes.push_back({IOCTL_DRV_GET_STREAM_STATE, m_f.stream.nIndex});
        if (m_f.bRate)
            m_indexes.push_back({IOCTL_DRV_GET_RATE, m_f.rate.nIndex});
        if (m_f.bClock)
            m_indexes.push_back({IOCTL_DRV_GET_CLOCK, m_f.clock.nIndex});
    }

    // One open-exchange-close per code of a refresh tick, in rounds as the ticks send them: a
    // long run of one code alone would let the closes pile up (Wine hands them to the driver
    // after CloseHandle returns) and charge them all to the next code. A code that failed or
    // pended in ReadAll is not timed.
    Verdict Time(int nRepeat) {
        static const uint32_t kTimed[] = {TICK_PROBE,
                                          IOCTL_DRV_GET_CLOCK,
                                          IOCTL_DRV_QUERY_RATE,
                                          IOCTL_DRV_GET_STREAM_STATE,
                                          IOCTL_DRV_GET_DESCRIPTOR,
                                          IOCTL_DRV_GET_DEVICE_FLAG,
                                          IOCTL_DRV_GET_RATE};
        constexpr size_t kCodes = sizeof kTimed / sizeof kTimed[0];
        std::vector<double> samples[kCodes];
        for (int i = 0; i < nRepeat && !Interrupted(); ++i) {
            for (size_t k = 0; k < kCodes; ++k) {
                if (kTimed[k] == TICK_PROBE || SoundCode(kTimed[k]))
                    samples[k].push_back(TimeOne(kTimed[k]));
            }
        }
        std::vector<CodeLatency> latencies;
        for (size_t k = 0; k < kCodes; ++k) {
            if (samples[k].empty())
                continue;
            double p50 = Percentile(samples[k], 50);
            m_f.medianMs[kTimed[k]] = p50;
            latencies.push_back({kTimed[k] == TICK_PROBE ? "open" : CodeShortName(kTimed[k]), p50,
                                 Percentile(samples[k], 99)});
        }
        return JudgeLatency(latencies);
    }

    // Each malformed request only while no interrupt came: one that crashes the driver is the
    // last thing a user who pressed Ctrl-C wants sent.
    std::vector<Verdict> Robustness() {
        std::vector<Verdict> v;
        const uint32_t nSize = DrvBufferSize(IOCTL_DRV_GET_SETTINGS);
        const struct {
            const char* szId;
            const char* szWhat;
            uint32_t nCode;
            uint32_t nBytes;
        } kMalformed[] = {
            {"robust.short", "GET_SETTINGS with 339 bytes", IOCTL_DRV_GET_SETTINGS, nSize - 1},
            {"robust.long", "GET_SETTINGS with 341 bytes", IOCTL_DRV_GET_SETTINGS, nSize + 1},
            {"robust.unknown", "the unknown code 0x2223FC", kUnknownCode, 4},
        };
        for (const auto& m : kMalformed) {
            if (Interrupted())
                return v;
            v.push_back(
                JudgeRefused(m.szId, m.szWhat, m_link.SendRaw(m.nCode, m.nBytes, m.nBytes)));
        }
        if (Interrupted())
            return v;
        DrvSettingsIo after;
        std::memset(after.settings.aRate, 0, sizeof after.settings.aRate);
        after.nResult = 0;
        ExchangeOutcome x = m_link.Send(IOCTL_DRV_GET_SETTINGS, &after, sizeof after);
        v.push_back(JudgeStillAnswers(Answered(x) && m_f.bSettings, m_f.settings, after));
        return v;
    }

    std::vector<Verdict> Sync() const { return JudgeSynchronous(m_exchanges); }
    Verdict Indexes() const { return InfoIndex(m_indexes); }

private:
    // Each code is judged on its first exchange that went wrong, else on its first one.
    bool Send(uint32_t nCode, void* pBuffer, uint32_t nSize, bool bRecord = true) {
        ExchangeOutcome x = m_link.Send(nCode, pBuffer, nSize);
        bool bOk = Answered(x);
        for (CodeExchange& e : m_exchanges) {
            if (e.nCode == nCode) {
                if (!bOk && Answered(e.outcome))
                    e.outcome = x;
                return bOk;
            }
        }
        if (bRecord || !bOk)
            m_exchanges.push_back({nCode, x});
        return bOk;
    }

    bool SoundCode(uint32_t nCode) const {
        for (const CodeExchange& e : m_exchanges) {
            if (e.nCode == nCode)
                return Answered(e.outcome);
        }
        return false;
    }

    double TimeOne(uint32_t nCode) {
        if (nCode == TICK_PROBE)
            return m_link.Probe().ms;
        uint8_t abBuffer[sizeof(DrvDescriptor)] = {};
        if (nCode == IOCTL_DRV_QUERY_RATE) {
            DrvRateQuery query = {0, 48000, 0};
            std::memcpy(abBuffer, &query, sizeof query);
        }
        return m_link.Send(nCode, abBuffer, DrvBufferSize(nCode)).ms;
    }

    const UnitLink& m_link;
    UnitFindings& m_f;
    std::vector<CodeExchange> m_exchanges;
    std::vector<std::pair<uint32_t, int32_t>> m_indexes;
};

}  // namespace

ReportSection CheckUnit(const UnitLink& link, int nSlot, const CheckOptions& options,
                        UnitFindings& f) {
    f.nSlot = nSlot;
    ReportSection section;
    section.title = "unit " + std::to_string(nSlot + 1) + "  " + link.Path();
    UnitRun run(link, f);
    run.ReadAll();
    std::vector<Verdict> v = run.Sync();
    v.push_back(JudgeSettingsResult(f.bSettings, f.settings));
    v.push_back(JudgeSettingsLevel(f.bSettings, f.settings.settings));
    v.push_back(JudgeSettingsLevelFlag(f.bSettings, f.settings.settings));
    v.push_back(JudgeSettingsOffsets(f.bSettings, f.settings.settings));
    v.push_back(JudgeDisabledOffsets(f.bSettings, f.settings.settings));
    v.push_back(JudgeDescriptorLength(f.bDescriptor, f.descriptor));
    v.push_back(JudgeRatesOffered(f.rates));
    v.push_back(JudgeStreamRate(f.bStream, f.stream));
    v.push_back(JudgeClockOffered(f.bClock, f.clock, f.rates));
    // The timing rounds feed the latency and the tick's cost; --only without them skips them.
    if ((Wanted(options, "latency") || Wanted(options, "tick.cost")) && !Interrupted())
        v.push_back(run.Time(options.nRepeat));
    if (options.bRobustness && !Interrupted()) {
        for (Verdict& r : run.Robustness())
            v.push_back(r);
    }
    v.push_back(run.Indexes());
    for (Verdict& verdict : v) {
        if (Wanted(options, verdict.id.c_str()))
            section.verdicts.push_back(verdict);
    }
    return section;
}
